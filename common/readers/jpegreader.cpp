#include "jpegreader.h"

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <string>

#include "bmpfilesink.h"
// jpeglib.h (through bmpfilesink.h) first: jerror.h needs its types.
#include <jerror.h>

namespace {

// Rows handed to libjpeg per call when decoding into memory; the cancel flag is looked at
// between calls.
const int kRowsPerBatch = 32;

// libjpeg's standard error manager, except that a fatal error returns to the recovery point
// of the decoding instead of ending the program.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf recovery;
};

void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  longjmp(reinterpret_cast<JpegErrorManager *>(cinfo->err)->recovery, 1);
}

void InitErrors(jpeg_decompress_struct *cinfo, JpegErrorManager *errors) {
  memset(cinfo, 0, sizeof *cinfo);
  cinfo->err = jpeg_std_error(&errors->pub);
  errors->pub.error_exit = JpegErrorExit;
  errors->pub.addon_message_table = kBmpFileSinkMessages;
  errors->pub.first_addon_message = kJpegFirstSinkMessage;
  errors->pub.last_addon_message = kJpegLastSinkMessage;
}

// stdio takes '\' as a folder separator only on Windows; the other file calls of the core
// accept it everywhere.
FILE *OpenStream(const char *path, const char *mode) {
#ifdef _WIN32
  return fopen(path, mode);
#else
  std::string native(path);
  for (char &c : native)
    if (c == '\\') c = '/';
  return fopen(native.c_str(), mode);
#endif
}

// Everything between the recovery point and the end of the conversion; any fatal libjpeg
// error leaves it through JpegErrorExit. False when cancelled before the last row.
bool Convert(jpeg_decompress_struct *cinfo, FILE *jpegFile, FILE *bmpFile,
             const std::atomic<bool> *cancel) {
  jpeg_create_decompress(cinfo);
  jpeg_stdio_src(cinfo, jpegFile);
  jpeg_read_header(cinfo, TRUE);
  BmpFileSink *sink = CreateBmpFileSink(cinfo);
  sink->output = bmpFile;
  jpeg_start_decompress(cinfo);
  (*sink->start)(cinfo, sink);
  while (cinfo->output_scanline < cinfo->output_height) {
    if (ReadCancelled(cancel)) return false;  // jpeg_destroy_decompress releases the rest
    JDIMENSION rows = jpeg_read_scanlines(cinfo, sink->rowBuffer, sink->rowBufferHeight);
    // The stdio source never suspends; no progress would mean no end.
    if (rows == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    (*sink->storeRows)(cinfo, sink, rows);
  }
  (*sink->finish)(cinfo, sink);
  jpeg_finish_decompress(cinfo);
  return true;
}

// Chooses libjpeg's scaled output for a picture of width x height (its size as shown) that
// will be fitted into fit's box: the largest of 1/2, 1/4 and 1/8 whose output is still at
// least the fitted size, or none when the fit reduces the picture by less than 2.
void ChooseReduction(jpeg_decompress_struct *cinfo, JDIMENSION width, JDIMENSION height,
                     const PictureFit *fit) {
  if (!fit || fit->boxWidth <= 0 || fit->boxHeight <= 0 || width == 0 || height == 0) return;
  const double across = (double)fit->boxWidth / width, down = (double)fit->boxHeight / height;
  const double ratio = across < down ? across : down;
  if (ratio > 0.5) return;
  // Rounded up, short of rounding errors on exact sizes.
  const double fittedWidth = ceil(width * ratio - 1e-9), fittedHeight = ceil(height * ratio - 1e-9);
  for (unsigned denominator : {8u, 4u, 2u}) {
    cinfo->scale_num = 1;
    cinfo->scale_denom = denominator;
    jpeg_calc_output_dimensions(cinfo);
    if (cinfo->output_width >= fittedWidth && cinfo->output_height >= fittedHeight) return;
  }
  cinfo->scale_denom = 1;
}

// Decodes into the rows the target gives (it keeps what it allocates, so that the caller frees
// it whatever happens); the rows go straight to their places, bottom-up, colour as
// blue-green-red. False when cancelled before the last row.
bool Decode(jpeg_decompress_struct *cinfo, FILE *jpegFile, JpegRowsTarget target, void *context,
            const std::atomic<bool> *cancel, PictureFit *fit) {
  jpeg_create_decompress(cinfo);
  jpeg_stdio_src(cinfo, jpegFile);
  jpeg_read_header(cinfo, TRUE);
  const JDIMENSION width = cinfo->image_width, height = cinfo->image_height;
  ChooseReduction(cinfo, width, height, fit);
  if (fit) {
    fit->fullWidth = (LONG)width;
    fit->fullHeight = (LONG)height;
  }
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info;
  DescribeJpegOutput(cinfo, &info.header);
  if (info.header.biClrUsed) FillGrayTable(reinterpret_cast<BYTE *>(info.colors));
  BYTE *const pixels = target(reinterpret_cast<const BITMAPINFO *>(&info), context);
  if (!pixels) ERREXIT(cinfo, kJpegMsgTooLarge);

  const size_t rowBytes = PackedRowBytes(info.header.biWidth, info.header.biBitCount);
  const JDIMENSION rowsOut = (JDIMENSION)info.header.biHeight;
  jpeg_start_decompress(cinfo);
  JSAMPROW rows[kRowsPerBatch];
  while (cinfo->output_scanline < rowsOut) {
    if (ReadCancelled(cancel)) return false;  // jpeg_destroy_decompress releases the rest
    const JDIMENSION first = cinfo->output_scanline;
    JDIMENSION count = rowsOut - first;
    if (count > (JDIMENSION)kRowsPerBatch) count = kRowsPerBatch;
    for (JDIMENSION i = 0; i < count; i++) rows[i] = pixels + (rowsOut - 1 - first - i) * rowBytes;
    // The stdio source never suspends; no progress would mean no end.
    if (jpeg_read_scanlines(cinfo, rows, count) == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// ReadJpegFile's target: a packed bitmap with the header and grey table.
BYTE *PackedRows(const BITMAPINFO *info, void *context) {
  const BITMAPINFOHEADER &header = info->bmiHeader;
  PackedBitmap bitmap =
      AllocPackedBitmap(header.biWidth, header.biHeight, header.biBitCount, (int)header.biClrUsed);
  if (!bitmap) return nullptr;
  *static_cast<PackedBitmap volatile *>(context) = bitmap;
  memcpy(bitmap, info, sizeof header + header.biClrUsed * sizeof(RGBQUAD));
  return PackedBitmapPixels(bitmap);
}

}  // namespace

int ConvertJpegToBmp(const char *jpegPath, const char *bmpPath, const std::atomic<bool> *cancel) {
  // The JPEG file first, so that a missing picture leaves an earlier BMP file as it was.
  FILE *jpegFile = OpenStream(jpegPath, "rb");
  if (!jpegFile) return kJpegFailed;
  FILE *bmpFile = OpenStream(bmpPath, "wb");
  if (!bmpFile) {
    fclose(jpegFile);
    return kJpegFailed;
  }

  jpeg_decompress_struct cinfo;
  JpegErrorManager errors;
  InitErrors(&cinfo, &errors);
  int result = kJpegFailed;
  if (setjmp(errors.recovery) == 0) {
    if (Convert(&cinfo, jpegFile, bmpFile, cancel)) result = kJpegConverted;
  }
  jpeg_destroy_decompress(&cinfo);
  fclose(jpegFile);
  if (fclose(bmpFile) != 0) result = kJpegFailed;
  return result;
}

bool DecodeJpegFile(const char *path, JpegRowsTarget target, void *context,
                    const std::atomic<bool> *cancel, PictureFit *fit) {
  FILE *jpegFile = OpenStream(path, "rb");
  bool volatile whole = false;
  if (jpegFile) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    InitErrors(&cinfo, &errors);
    if (setjmp(errors.recovery) == 0)
      whole = Decode(&cinfo, jpegFile, target, context, cancel, fit);
    jpeg_destroy_decompress(&cinfo);
    fclose(jpegFile);
  }
  if (!whole && fit) fit->fullWidth = fit->fullHeight = 0;
  return whole;
}

PackedBitmap ReadJpegFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  PackedBitmap volatile picture = nullptr;
  const bool whole = DecodeJpegFile(path, PackedRows, (void *)&picture, cancel, fit);
  PackedBitmap bitmap = picture;
  if (!whole && bitmap) {
    GlobalFree(bitmap);
    bitmap = nullptr;
  }
  return bitmap;
}

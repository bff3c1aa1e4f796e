#include "jpegreader.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "exiforientation.h"
#include "filecalls.h"
#include "platform.h"
#include "turnbitmap.h"
// platform.h first: libjpeg's headers take their integer types from <windows.h> when it is in.
#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types.
#include <jerror.h>

namespace {

// Message codes raised through the error manager, beyond libjpeg's own table.
const int kJpegMsgBadColorSpace = 1005;  // output colour space neither grey nor RGB
const int kJpegMsgTooLarge = 1006;       // rows would exceed kMaxPackedPixelBytes
const char *const kJpegMessages[] = {
    "Unsupported output colour space for a BMP file",
    "Picture too large to convert",
};
const int kGrayEntries = 256;
const int kDotsPerCentimetre = 2;  // JFIF density unit

// Rows handed to libjpeg per call when decoding into memory; the cancel flag is looked at
// between calls.
const int kRowsPerBatch = 32;

// The band that a picture to be turned is decoded into: four of TurnRows' 64-pixel tiles high,
// so that each upright row is written in runs of some length, and at most 4 MiB.
const size_t kBandRows = 256;
const size_t kBandBytes = 4 * 1024 * 1024;

// libjpeg's standard error manager, except that a fatal error returns to the recovery point
// of the decoding instead of ending the program. It also holds the thread that turns a band of
// a sideways picture, in the frame of the recovery point, so that the decoding can end there
// whichever way it ends: the thread is joined before libjpeg's memory goes.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf recovery;
  std::thread turning;
};

void JoinTurning(JpegErrorManager *errors) {
  if (errors->turning.joinable()) errors->turning.join();
}

void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  longjmp(reinterpret_cast<JpegErrorManager *>(cinfo->err)->recovery, 1);
}

void InitErrors(jpeg_decompress_struct *cinfo, JpegErrorManager *errors) {
  memset(cinfo, 0, sizeof *cinfo);
  cinfo->err = jpeg_std_error(&errors->pub);
  errors->pub.error_exit = JpegErrorExit;
  errors->pub.addon_message_table = kJpegMessages;
  errors->pub.first_addon_message = kJpegMsgBadColorSpace;
  errors->pub.last_addon_message = kJpegMsgTooLarge;
}

// The first APP1 "Exif" block's orientation, gathered while libjpeg reads the markers.
struct ExifState {
  bool seen;  // an "Exif" block was read: later APP1 blocks are skipped
  int orientation;
};

// The next byte of the marker being read. The stdio source never suspends; at the end of the
// file it supplies an end-of-image marker.
JOCTET NextByte(j_decompress_ptr cinfo) {
  jpeg_source_mgr *src = cinfo->src;
  if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo))
    ERREXIT(cinfo, JERR_CANT_SUSPEND);
  src->bytes_in_buffer--;
  return *src->next_input_byte++;
}

// libjpeg's processor for APP1 markers: the first one that starts with "Exif\0\0" is read
// into a block of its own (at most 64 KiB, the most a marker holds) and its orientation
// parsed; every other APP1 block is skipped unread, so that no number of them costs memory.
boolean ReadApp1(j_decompress_ptr cinfo) {
  ExifState *state = static_cast<ExifState *>(cinfo->client_data);
  size_t length = (size_t)NextByte(cinfo) << 8;
  length |= NextByte(cinfo);
  length = length < 2 ? 0 : length - 2;  // a length too short to count itself: nothing to skip
  if (!state->seen && length >= 6) {
    JOCTET *data = static_cast<JOCTET *>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, length));
    for (size_t i = 0; i < 6; i++) data[i] = NextByte(cinfo);
    if (memcmp(data, "Exif\0\0", 6) == 0) {
      for (size_t i = 6; i < length; i++) data[i] = NextByte(cinfo);
      state->seen = true;
      state->orientation = ExifOrientation(data, length);
      return TRUE;
    }
    length -= 6;
  }
  if (length > 0) (*cinfo->src->skip_input_data)(cinfo, (long)length);
  return TRUE;
}

// Chooses the output colour space (blue-green-red where libjpeg can give it, else
// red-green-blue; grey stays grey), works out the output dimensions and fills the header of the
// rows: 24 bits per pixel for colour, 8 bits with a 256-entry grey table for grey, the density
// when given in dots per centimetre, no image size. For a decompression object whose header has
// been read and whose decompression has not started. Raises kJpegMsgBadColorSpace for an output
// colour space other than grey or RGB and kJpegMsgTooLarge for a picture beyond the
// packed-bitmap limit.
void DescribeJpegOutput(j_decompress_ptr cinfo, BITMAPINFOHEADER *info) {
#ifdef JCS_EXTENSIONS
  // libjpeg-turbo converts to blue-green-red itself, sparing a pass over every row.
  if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
#endif
  bool gray = false;
  switch (cinfo->out_color_space) {
    case JCS_GRAYSCALE: gray = true; break;
    case JCS_RGB: break;
#ifdef JCS_EXTENSIONS
    case JCS_EXT_BGR: break;
#endif
    default: ERREXIT(cinfo, kJpegMsgBadColorSpace);
  }
  jpeg_calc_output_dimensions(cinfo);
  const int bits = gray ? 8 : 24;
  const DWORD rowWidth =
      cinfo->output_width > 0x7FFFFFFF ? 0 : PackedRowBytes((LONG)cinfo->output_width, bits);
  if (rowWidth == 0 || cinfo->output_height == 0 ||
      (unsigned long long)rowWidth * cinfo->output_height > kMaxPackedPixelBytes)
    ERREXIT(cinfo, kJpegMsgTooLarge);

  memset(info, 0, sizeof *info);
  info->biSize = kInfoHeaderSize;
  info->biWidth = (LONG)cinfo->output_width;
  info->biHeight = (LONG)cinfo->output_height;
  info->biPlanes = 1;
  info->biBitCount = (WORD)bits;
  info->biCompression = BI_RGB;
  if (cinfo->density_unit == kDotsPerCentimetre) {
    info->biXPelsPerMeter = (LONG)cinfo->X_density * 100;
    info->biYPelsPerMeter = (LONG)cinfo->Y_density * 100;
  }
  info->biClrUsed = gray ? kGrayEntries : 0;
}

// Fills the 256 entries of 4 bytes of the grey table: entry i is i, i, i, 0.
void FillGrayTable(BYTE *table) {
  for (int i = 0; i < kGrayEntries; i++) {
    table[i * 4] = table[i * 4 + 1] = table[i * 4 + 2] = (BYTE)i;
    table[i * 4 + 3] = 0;
  }
}

// Chooses libjpeg's scaled output for a picture of width x height (its upright size) that
// will be fitted into fit's box: the largest of 1/2, 1/4 and 1/8 whose output is still at
// least the fitted size, or none when the fit reduces the picture by less than 2. A sideways
// picture's output is stored with width and height swapped.
void ChooseReduction(jpeg_decompress_struct *cinfo, JDIMENSION width, JDIMENSION height,
                     bool sideways, const PictureFit *fit) {
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
    const JDIMENSION outWidth = sideways ? cinfo->output_height : cinfo->output_width;
    const JDIMENSION outHeight = sideways ? cinfo->output_width : cinfo->output_height;
    if (outWidth >= fittedWidth && outHeight >= fittedHeight) return;
  }
  cinfo->scale_denom = 1;
}

// Decodes every row straight into its place in the bottom-up rows, batch by batch. False when
// cancelled before the last row.
bool DecodeAsStored(jpeg_decompress_struct *cinfo, BYTE *pixels, size_t rowBytes,
                    const std::atomic<bool> *cancel) {
  const JDIMENSION rowsOut = cinfo->output_height;
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
  return true;
}

// Decodes the stored rows band by band into two bands of a few hundred rows each, in turn, and
// turns each band into its upright place (TurnRows) on a second thread while libjpeg decodes the
// next one, so that the stored picture is never held whole and turning costs little time. The
// upright picture is `upright`; the cancel flag is looked at between row batches. The turning
// thread is the error manager's: joined here before libjpeg may free the bands, and by the
// caller of the decoding on every other way out.
bool DecodeTurned(jpeg_decompress_struct *cinfo, int orientation, const PixelRows &upright,
                  const std::atomic<bool> *cancel) {
  JpegErrorManager *errors = reinterpret_cast<JpegErrorManager *>(cinfo->err);
  const JDIMENSION width = cinfo->output_width, height = cinfo->output_height;
  const int pixelBytes = cinfo->output_components;
  const size_t stride = (size_t)width * pixelBytes;
  size_t bandRows = kBandBytes / stride;
  if (bandRows > kBandRows) bandRows = kBandRows;
  if (bandRows > height) bandRows = height;
  if (bandRows < 1) bandRows = 1;
  JSAMPLE *bands[2];
  for (JSAMPLE *&band : bands)
    band = static_cast<JSAMPLE *>((*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo),
                                                             JPOOL_IMAGE, bandRows * stride));
  JSAMPROW rows[kRowsPerBatch];
  for (int next = 0; cinfo->output_scanline < height; next ^= 1) {
    JSAMPLE *const band = bands[next];  // the other one may still be being turned
    const JDIMENSION bandTop = cinfo->output_scanline;
    JDIMENSION bandHeight = height - bandTop;
    if (bandHeight > bandRows) bandHeight = (JDIMENSION)bandRows;
    for (JDIMENSION filled = 0; filled < bandHeight;) {
      if (ReadCancelled(cancel)) return false;  // jpeg_destroy_decompress releases the rest
      JDIMENSION count = bandHeight - filled;
      if (count > (JDIMENSION)kRowsPerBatch) count = kRowsPerBatch;
      for (JDIMENSION i = 0; i < count; i++) rows[i] = band + (filled + i) * stride;
      const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
      if (got == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);  // no progress would mean no end
      filled += got;
    }
    const PixelRows stored = {band, (ptrdiff_t)stride, (LONG)width, (LONG)bandHeight};
    JoinTurning(errors);
    try {
      errors->turning = std::thread(TurnRows, stored, (LONG)bandTop, (LONG)height, pixelBytes,
                                    orientation, upright);
    } catch (const std::system_error &) {  // no thread to be had: turn it here
      TurnRows(stored, (LONG)bandTop, (LONG)height, pixelBytes, orientation, upright);
    }
  }
  JoinTurning(errors);
  return true;
}

// Decodes into the rows the target gives (it keeps what it allocates, so that the caller frees
// it whatever happens), upright as the picture's EXIF orientation says; colour as
// blue-green-red. False when cancelled before the last row.
bool Decode(jpeg_decompress_struct *cinfo, FILE *jpegFile, JpegRowsTarget target, void *context,
            const std::atomic<bool> *cancel, PictureFit *fit) {
  ExifState exif = {false, kOrientationAsStored};
  jpeg_create_decompress(cinfo);
  cinfo->client_data = &exif;
  jpeg_stdio_src(cinfo, jpegFile);
  jpeg_set_marker_processor(cinfo, JPEG_APP0 + 1, ReadApp1);
  jpeg_read_header(cinfo, TRUE);
  exif.seen = true;  // EXIF blocks between scans come too late to count
  const int orientation = exif.orientation;
  const bool sideways = orientation >= kOrientationTransposed;
  const JDIMENSION width = sideways ? cinfo->image_height : cinfo->image_width;
  const JDIMENSION height = sideways ? cinfo->image_width : cinfo->image_height;
  ChooseReduction(cinfo, width, height, sideways, fit);
  if (fit) {
    fit->fullWidth = (LONG)width;
    fit->fullHeight = (LONG)height;
  }
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info;
  DescribeJpegOutput(cinfo, &info.header);
  if (sideways) {
    std::swap(info.header.biWidth, info.header.biHeight);
    std::swap(info.header.biXPelsPerMeter, info.header.biYPelsPerMeter);
    // Rows padded to 4 bytes: the turned picture may need a few bytes more than the stored one.
    if ((unsigned long long)PackedRowBytes(info.header.biWidth, info.header.biBitCount) *
            (DWORD)info.header.biHeight >
        kMaxPackedPixelBytes)
      ERREXIT(cinfo, kJpegMsgTooLarge);
  }
  if (info.header.biClrUsed) FillGrayTable(reinterpret_cast<BYTE *>(info.colors));
  BYTE *const pixels = target(reinterpret_cast<const BITMAPINFO *>(&info), context);
  if (!pixels) ERREXIT(cinfo, kJpegMsgTooLarge);

  const size_t rowBytes = PackedRowBytes(info.header.biWidth, info.header.biBitCount);
  jpeg_start_decompress(cinfo);
  if (orientation == kOrientationAsStored) {
    if (!DecodeAsStored(cinfo, pixels, rowBytes, cancel)) return false;
  } else {
    const LONG uprightHeight = info.header.biHeight;
    const PixelRows upright = {pixels + (size_t)(uprightHeight - 1) * rowBytes,
                               -(ptrdiff_t)rowBytes, info.header.biWidth, uprightHeight};
    if (!DecodeTurned(cinfo, orientation, upright, cancel)) return false;
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

bool DecodeJpegFile(const char *path, JpegRowsTarget target, void *context,
                    const std::atomic<bool> *cancel, PictureFit *fit) {
  FILE *jpegFile = OpenPathStream(path, "rb");
  bool volatile whole = false;
  if (jpegFile) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    InitErrors(&cinfo, &errors);
    if (setjmp(errors.recovery) == 0)
      whole = Decode(&cinfo, jpegFile, target, context, cancel, fit);
    JoinTurning(&errors);  // a band may still be being turned, after an error or a cancel
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

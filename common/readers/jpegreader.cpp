#include "jpegreader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "exiforientation.h"
#include "filecalls.h"
#include "fitscale.h"
#include "platform.h"
#include "turnbitmap.h"
// platform.h first: libjpeg's headers take their integer types from <windows.h> when it is in.
#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types.
#include <jerror.h>

namespace {

// Message codes raised through the error manager, beyond libjpeg's own table.
const int kJpegMsgBadColorSpace = 1005;  // output colour space neither grey, RGB nor CMYK
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
// Below this many stored bytes (a few bands at most) a picture is turned on the decoding thread:
// starting a thread and waiting for it costs more than turning it there.
const size_t kThreadedTurnBytes = 2 * 1024 * 1024;

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

const size_t kExifSignatureBytes = 6;  // "Exif" and two zero bytes

// The file source: libjpeg's stdio source, except that once the file has ended it reads no
// more. At the end it supplies an end-of-image marker, as the stdio source does, but without
// asking the file again at every refill: a damaged file whose marker lengths run past its end
// would otherwise cost a system call for every two bytes skipped.
const size_t kSourceBufferBytes = 64 * 1024;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

struct FileSource {
  jpeg_source_mgr pub;
  FILE *file;
  JOCTET *buffer;  // kSourceBufferBytes
  bool ended;      // the file gave all it holds
};

void InitFileSource(j_decompress_ptr) {}
void TermFileSource(j_decompress_ptr) {}

boolean FillFileSource(j_decompress_ptr cinfo) {
  FileSource *src = reinterpret_cast<FileSource *>(cinfo->src);
  const size_t got = src->ended ? 0 : fread(src->buffer, 1, kSourceBufferBytes, src->file);
  if (got == 0) {
    src->ended = true;
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kEndOfImage;
    src->pub.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  return TRUE;
}

// Skips count bytes; past the end of the file, to the end-of-image marker supplied there.
void SkipFileSource(j_decompress_ptr cinfo, long count) {
  FileSource *src = reinterpret_cast<FileSource *>(cinfo->src);
  if (count <= 0) return;
  while ((size_t)count > src->pub.bytes_in_buffer) {
    count -= (long)src->pub.bytes_in_buffer;
    src->pub.bytes_in_buffer = 0;
    const bool ended = src->ended;
    FillFileSource(cinfo);
    if (ended) return;
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= (size_t)count;
}

void UseFileSource(j_decompress_ptr cinfo, FILE *file) {
  FileSource *src = static_cast<FileSource *>((*cinfo->mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
  src->buffer = static_cast<JOCTET *>((*cinfo->mem->alloc_large)(
      reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kSourceBufferBytes));
  src->file = file;
  src->ended = false;
  src->pub.init_source = InitFileSource;
  src->pub.fill_input_buffer = FillFileSource;
  src->pub.skip_input_data = SkipFileSource;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = TermFileSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  cinfo->src = &src->pub;
}

// The first APP1 "Exif" block's orientation, gathered while libjpeg reads the markers.
struct ExifState {
  bool seen;  // an "Exif" block was read: later APP1 blocks are skipped
  int orientation;
};

// The next byte of the marker being read. The file source never suspends; at the end of the
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
// The signature is compared from the stack, before anything is allocated.
boolean ReadApp1(j_decompress_ptr cinfo) {
  static const JOCTET kExifSignature[kExifSignatureBytes] = {'E', 'x', 'i', 'f', 0, 0};
  ExifState *state = static_cast<ExifState *>(cinfo->client_data);
  size_t length = (size_t)NextByte(cinfo) << 8;
  length |= NextByte(cinfo);
  length = length < 2 ? 0 : length - 2;  // a length too short to count itself: nothing to skip
  if (!state->seen && length >= kExifSignatureBytes) {
    JOCTET signature[kExifSignatureBytes];
    for (JOCTET &byte : signature) byte = NextByte(cinfo);
    length -= kExifSignatureBytes;
    if (memcmp(signature, kExifSignature, kExifSignatureBytes) == 0) {
      JOCTET *data = static_cast<JOCTET *>((*cinfo->mem->alloc_large)(
          reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kExifSignatureBytes + length));
      memcpy(data, signature, kExifSignatureBytes);
      for (size_t i = 0; i < length; i++) data[kExifSignatureBytes + i] = NextByte(cinfo);
      state->seen = true;
      state->orientation = ExifOrientation(data, kExifSignatureBytes + length);
      return TRUE;
    }
  }
  if (length > 0) (*cinfo->src->skip_input_data)(cinfo, (long)length);
  return TRUE;
}

// Chooses the output colour space (blue-green-red where libjpeg can give it, else
// red-green-blue; grey stays grey; CMYK and YCCK come as CMYK), works out the output dimensions and
// fills the header of the rows: 24 bits per pixel for colour, 8 bits with a 256-entry grey table
// for grey, the density when given in dots per centimetre, no image size. For a decompression
// object whose header has been read and whose decompression has not started. Raises
// kJpegMsgBadColorSpace for an output colour space other than grey, RGB or CMYK and
// kJpegMsgTooLarge for a picture beyond the packed-bitmap limit.
void DescribeJpegOutput(j_decompress_ptr cinfo, BITMAPINFOHEADER *info) {
#ifdef JCS_EXTENSIONS
  // libjpeg-turbo converts to blue-green-red itself, sparing a pass over every row.
  if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
#endif
  bool gray = false;
  switch (cinfo->out_color_space) {
    case JCS_GRAYSCALE: gray = true; break;
    case JCS_RGB: break;
    case JCS_CMYK: break;  // CMYK and YCCK pictures, turned into blue-green-red rows here
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
// will be fitted into fit's boxes: the largest of 1/2, 1/4 and 1/8 whose output still covers
// every fitted size (FitPowerOfTwo: the proportional fit and the best-fit rule's rectangle in
// each box), or none when the fit reduces the picture by less than 2. A sideways picture's
// output is stored with width and height swapped.
void ChooseReduction(jpeg_decompress_struct *cinfo, JDIMENSION width, JDIMENSION height,
                     const PictureFit *fit) {
  if (!fit || width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return;
  const LONG denominator = FitPowerOfTwo(fit, (LONG)width, (LONG)height, 8);
  if (denominator <= 1) return;
  cinfo->scale_num = 1;
  cinfo->scale_denom = (unsigned)denominator;
}

// One CMYK sample set as libjpeg gives it (inverted, as Adobe writes it: 255 is no ink) to red,
// green or blue: c * k / 255, rounded, as libjpeg's own djpeg converts it.
inline JSAMPLE InkToLight(unsigned c, unsigned k) {
  return (JSAMPLE)((2 * c * k + 255) / 510);
}

// Turns `width` CMYK pixels into blue-green-red ones; `bgr` may be `cmyk` itself.
void CmykToBgr(const JSAMPLE *cmyk, BYTE *bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; x++, cmyk += 4, bgr += 3) {
    const unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    bgr[0] = InkToLight(y, k);
    bgr[1] = InkToLight(m, k);
    bgr[2] = InkToLight(c, k);
  }
}

// Decodes every row straight into its place in the bottom-up rows, batch by batch; CMYK rows
// through one batch of their own, turned into blue-green-red in place. False when cancelled
// before the last row.
bool DecodeAsStored(jpeg_decompress_struct *cinfo, BYTE *pixels, size_t rowBytes,
                    const std::atomic<bool> *cancel) {
  const JDIMENSION rowsOut = cinfo->output_height, width = cinfo->output_width;
  const bool cmyk = cinfo->out_color_space == JCS_CMYK;
  JSAMPARRAY batch = cmyk ? (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                        JPOOL_IMAGE, width * 4, kRowsPerBatch)
                          : nullptr;
  JSAMPROW rows[kRowsPerBatch];
  while (cinfo->output_scanline < rowsOut) {
    if (ReadCancelled(cancel)) return false;  // jpeg_destroy_decompress releases the rest
    const JDIMENSION first = cinfo->output_scanline;
    JDIMENSION count = rowsOut - first;
    if (count > (JDIMENSION)kRowsPerBatch) count = kRowsPerBatch;
    for (JDIMENSION i = 0; i < count; i++)
      rows[i] = cmyk ? batch[i] : pixels + (rowsOut - 1 - first - i) * rowBytes;
    // The file source never suspends; no progress would mean no end.
    const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
    if (got == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    if (cmyk)
      for (JDIMENSION i = 0; i < got; i++)
        CmykToBgr(batch[i], pixels + (rowsOut - 1 - first - i) * rowBytes, width);
  }
  return true;
}

// Decodes the stored rows band by band into two bands of a few hundred rows each, in turn, and
// turns each band into its upright place (TurnRows), so that the stored picture is never held
// whole. From kThreadedTurnBytes up a band is turned on a second thread while libjpeg decodes
// the next one, so that turning costs little time; a smaller picture is turned here. The
// upright picture is `upright`; the cancel flag is looked at between row batches. The turning
// thread is the error manager's: joined here before libjpeg may free the bands, and by the
// caller of the decoding on every other way out.
bool DecodeTurned(jpeg_decompress_struct *cinfo, int orientation, const PixelRows &upright,
                  const std::atomic<bool> *cancel) {
  JpegErrorManager *errors = reinterpret_cast<JpegErrorManager *>(cinfo->err);
  const JDIMENSION width = cinfo->output_width, height = cinfo->output_height;
  const bool cmyk = cinfo->out_color_space == JCS_CMYK;
  const int pixelBytes = cmyk ? 3 : cinfo->output_components;  // CMYK bands become 3 bytes
  const size_t stride = (size_t)width * cinfo->output_components;
  size_t bandRows = kBandBytes / stride;
  if (bandRows > kBandRows) bandRows = kBandRows;
  if (bandRows > height) bandRows = height;
  if (bandRows < 1) bandRows = 1;
  const bool threaded = stride * height >= kThreadedTurnBytes;
  JSAMPLE *bands[2] = {};
  for (int i = threaded ? 0 : 1; i < 2; i++)  // one band when turned here
    bands[i] = static_cast<JSAMPLE *>((*cinfo->mem->alloc_large)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, bandRows * stride));
  JSAMPROW rows[kRowsPerBatch];
  for (int next = 1; cinfo->output_scanline < height; next ^= threaded ? 1 : 0) {
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
      if (cmyk)
        for (JDIMENSION i = 0; i < got; i++) CmykToBgr(rows[i], rows[i], width);
      filled += got;
    }
    const PixelRows stored = {band, (ptrdiff_t)stride, (LONG)width, (LONG)bandHeight};
    if (!threaded) {
      TurnRows(stored, (LONG)bandTop, (LONG)height, pixelBytes, orientation, upright);
      continue;
    }
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
bool Decode(jpeg_decompress_struct *cinfo, FILE *jpegFile, PictureRowsTarget target, void *context,
            const std::atomic<bool> *cancel, PictureFit *fit) {
  ExifState exif = {false, kOrientationAsStored};
  jpeg_create_decompress(cinfo);
  cinfo->client_data = &exif;
  UseFileSource(cinfo, jpegFile);
  jpeg_set_marker_processor(cinfo, JPEG_APP0 + 1, ReadApp1);
  jpeg_read_header(cinfo, TRUE);
  exif.seen = true;  // EXIF blocks between scans come too late to count
  const int orientation = exif.orientation;
  const bool sideways = orientation >= kOrientationTransposed;
  const JDIMENSION width = sideways ? cinfo->image_height : cinfo->image_width;
  const JDIMENSION height = sideways ? cinfo->image_width : cinfo->image_height;
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

bool DecodeJpegFile(const char *path, PictureRowsTarget target, void *context,
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

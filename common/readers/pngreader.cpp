#include "pngreader.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

#include <spng.h>
#include "bytereader.h"
#include "fitscale.h"

namespace {

// Memory one ancillary chunk may take once read or inflated (text, profiles, EXIF), and all
// of them together; beyond that the file is refused.
const size_t kMaxChunkBytes = 16u << 20;
const size_t kChunkCacheBytes = 32u << 20;

// The widest and tallest picture: libspng keeps a few rows of up to 8 bytes a pixel, and the
// packed bitmap's 24-bit rows must fit its limit.
const uint32_t kMaxSide =
    kMaxPackedPixelBytes / 3 < (1u << 20) ? kMaxPackedPixelBytes / 3 : (1u << 20);

// The largest reduction factor: a box of kMaxBoxFactor squared 8-bit samples still sums into
// 32 bits (a larger factor would only give a picture smaller than any screen needs).
const LONG kMaxBoxFactor = 4096;

// The pixels an Adam7 pass gives of each of its rows: from this column on, every step-th one.
const int kAdam7Passes = 7;
const int kAdam7FirstColumn[kAdam7Passes] = {0, 4, 0, 2, 0, 1, 0};
const int kAdam7ColumnStep[kAdam7Passes] = {8, 8, 4, 4, 2, 2, 1};

// What libspng is asked to decode each row into.
enum RowFormat {
  kRowRgb8,    // opaque pictures of up to 8 bits
  kRowRgba8,   // with an alpha channel or tRNS, up to 8 bits
  kRowRgba16,  // 16 bits (host-endian samples)
};

int ReadFromFile(spng_ctx *, void *user, void *dest, size_t length) {
  if (length > INT_MAX) return SPNG_IO_ERROR;
  ByteReader *in = static_cast<ByteReader *>(user);
  return ReadBytes(in, static_cast<BYTE *>(dest), (int)length) == (int)length ? 0 : SPNG_IO_EOF;
}

// An 8-bit sample over black: c * a / 255, rounded.
inline BYTE Over8(unsigned c, unsigned a) {
  const unsigned t = c * a + 128;
  return (BYTE)((t + (t >> 8)) >> 8);
}

// A 16-bit sample over black, c * a / 65535 rounded, then rounded to 8 bits.
inline BYTE Over16(unsigned c, unsigned a) {
  const unsigned over = (c * a + 32767u) / 65535u;
  return (BYTE)((over + 128) / 257);
}

// Writes the pixels x0, x0 + dx, ... of a decoded row as blue, green, red into bgr, which may
// be the decoded row itself for kRowRgb8.
void RowToBgr(RowFormat format, const BYTE *row, BYTE *bgr, LONG width, int x0, int dx) {
  switch (format) {
    case kRowRgb8:
      for (LONG x = x0; x < width; x += dx) {
        const BYTE *p = row + (size_t)x * 3;
        BYTE *q = bgr + (size_t)x * 3;
        const BYTE red = p[0], green = p[1], blue = p[2];
        q[0] = blue;
        q[1] = green;
        q[2] = red;
      }
      break;
    case kRowRgba8:
      for (LONG x = x0; x < width; x += dx) {
        const BYTE *p = row + (size_t)x * 4;
        BYTE *q = bgr + (size_t)x * 3;
        q[0] = Over8(p[2], p[3]);
        q[1] = Over8(p[1], p[3]);
        q[2] = Over8(p[0], p[3]);
      }
      break;
    case kRowRgba16:
      for (LONG x = x0; x < width; x += dx) {
        const uint16_t *p = reinterpret_cast<const uint16_t *>(row) + (size_t)x * 4;
        BYTE *q = bgr + (size_t)x * 3;
        q[0] = Over16(p[2], p[3]);
        q[1] = Over16(p[1], p[3]);
        q[2] = Over16(p[0], p[3]);
      }
      break;
  }
}

LONG DivideUp(LONG size, LONG factor) {
  return (LONG)(((long long)size + factor - 1) / factor);
}

// Zeroed memory for count items of size bytes; null when it cannot be had or counted.
void *AllocateZeroed(unsigned long long count, size_t size) {
  if (count == 0 || count > SIZE_MAX / size) return nullptr;
  return calloc((size_t)count, size);
}

// The rows of a picture reduced by a whole factor as they come: each output pixel the
// average of its factor x factor box of the picture (the boxes at the right and bottom edges
// as far as the picture goes). Rows in order need the sums of one output row; the rows of an
// interlaced picture come in seven passes, so its sums are kept for every output row.
struct BoxReduction {
  LONG factor = 1;
  LONG width = 0, height = 0;        // the picture's
  LONG outWidth = 0, outHeight = 0;  // the reduced picture's
  bool allRows = false;              // the sums of every output row, not one
  BYTE *bgr = nullptr;               // one decoded row as blue-green-red
  DWORD *column = nullptr;           // for each picture column, its box's first sum
  uint32_t *sums = nullptr;

  ~BoxReduction() {
    free(bgr);
    free(column);
    free(sums);
  }

  bool Start(LONG boxFactor, LONG pictureWidth, LONG pictureHeight, bool interlaced) {
    factor = boxFactor;
    width = pictureWidth;
    height = pictureHeight;
    outWidth = DivideUp(width, factor);
    outHeight = DivideUp(height, factor);
    allRows = interlaced;
    bgr = static_cast<BYTE *>(AllocateZeroed((unsigned long long)width * 3, 1));
    column = static_cast<DWORD *>(AllocateZeroed((unsigned long long)width, sizeof(DWORD)));
    sums = static_cast<uint32_t *>(AllocateZeroed(
        (unsigned long long)(allRows ? outHeight : 1) * outWidth * 3, sizeof(uint32_t)));
    if (!bgr || !column || !sums) return false;
    for (LONG x = 0; x < width; x++) column[x] = (DWORD)(x / factor) * 3;
    return true;
  }

  uint32_t *SumsOf(LONG outRow) const {
    return sums + (size_t)(allRows ? outRow : 0) * outWidth * 3;
  }

  // Adds the pixels x0, x0 + dx, ... of picture row y (in bgr) to their boxes; a row that
  // completes its output row in a picture without interlacing writes that row out.
  void Add(LONG y, int x0, int dx, BYTE *pixels, size_t rowBytes) {
    uint32_t *row = SumsOf(y / factor);
    for (LONG x = x0; x < width; x += dx) {
      uint32_t *sum = row + column[x];
      const BYTE *p = bgr + (size_t)x * 3;
      sum[0] += p[0];
      sum[1] += p[1];
      sum[2] += p[2];
    }
    if (!allRows && (y % factor == factor - 1 || y == height - 1))
      WriteRow(y / factor, pixels, rowBytes);
  }

  // The averages of output row outRow into its place in the bottom-up pixels; its sums start
  // again at 0.
  void WriteRow(LONG outRow, BYTE *pixels, size_t rowBytes) {
    uint32_t *row = SumsOf(outRow);
    BYTE *out = pixels + (size_t)(outHeight - 1 - outRow) * rowBytes;
    const LONG boxRows = height - outRow * factor < factor ? height - outRow * factor : factor;
    for (LONG ox = 0; ox < outWidth; ox++) {
      const LONG boxColumns = width - ox * factor < factor ? width - ox * factor : factor;
      const uint32_t count = (uint32_t)boxRows * (uint32_t)boxColumns;
      for (int c = 0; c < 3; c++) {
        uint32_t &sum = row[ox * 3 + c];
        out[ox * 3 + c] = (BYTE)((sum + count / 2) / count);
        sum = 0;
      }
    }
  }
};

// Everything one read holds, released on every way out.
struct PngRead {
  ByteReader in = {};
  bool opened = false;
  spng_ctx *ctx = nullptr;
  BYTE *decoded = nullptr;  // one row as libspng gives it, when not decoded in place
  BoxReduction box;
  PackedBitmap bitmap = nullptr;

  ~PngRead() {
    if (ctx) spng_ctx_free(ctx);
    if (opened) CloseByteReader(&in);
    free(decoded);
    if (bitmap) GlobalFree(bitmap);
  }
};

// Opens the file and reads the header under the reader's limits.
bool OpenPng(PngRead *png, const char *path, spng_ihdr *header) {
  png->opened = OpenByteReader(&png->in, path);
  if (!png->opened) return false;
  png->ctx = spng_ctx_new(0);
  spng_ctx *ctx = png->ctx;
  return ctx && spng_set_png_stream(ctx, ReadFromFile, &png->in) == 0 &&
         spng_set_image_limits(ctx, kMaxSide, kMaxSide) == 0 &&
         spng_set_chunk_limits(ctx, kMaxChunkBytes, kChunkCacheBytes) == 0 &&
         spng_set_crc_action(ctx, SPNG_CRC_ERROR, SPNG_CRC_ERROR) == 0 &&
         spng_get_ihdr(ctx, header) == 0;
}

RowFormat FormatFor(spng_ctx *ctx, const spng_ihdr &header) {
  if (header.bit_depth == 16) return kRowRgba16;
  spng_trns trns;
  const bool alpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                     header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                     spng_get_trns(ctx, &trns) == 0;
  return alpha ? kRowRgba8 : kRowRgb8;
}

// Decodes every row into the packed bitmap, reduced when the box factor says so, and reads
// the chunks after the image data up to IEND. False on any error, and when cancelled.
bool DecodeRows(PngRead *png, RowFormat format, LONG width, LONG height, bool interlaced,
                const std::atomic<bool> *cancel) {
  static const int kSpngFormat[] = {SPNG_FMT_RGB8, SPNG_FMT_RGBA8, SPNG_FMT_RGBA16};
  static const size_t kPixelBytes[] = {3, 4, 8};
  if (spng_decode_image(png->ctx, nullptr, 0, kSpngFormat[format],
                        SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE) != 0)
    return false;
  const size_t decodedBytes = (size_t)width * kPixelBytes[format];
  const bool reduced = png->box.factor > 1;
  if (format != kRowRgb8) {
    png->decoded = static_cast<BYTE *>(AllocateZeroed(decodedBytes, 1));
    if (!png->decoded) return false;
  }
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(png->bitmap);
  const size_t rowBytes = PackedRowBytes(info->biWidth, 24);
  BYTE *const pixels = PackedBitmapPixels(png->bitmap);
  // The end of the image comes as SPNG_EOI from the last row's decoding, or for some
  // interlaced pictures from the row information after it.
  int status = 0;
  for (LONG rows = 0; status == 0; rows++) {
    if (rows % kRowsPerCancelCheck == 0 && ReadCancelled(cancel)) return false;
    spng_row_info row;
    status = spng_get_row_info(png->ctx, &row);
    if (status == SPNG_EOI) break;
    if (status != 0 || row.row_num >= (uint32_t)height || row.pass < 0 || row.pass >= kAdam7Passes)
      return false;
    const LONG y = (LONG)row.row_num;
    const int x0 = interlaced ? kAdam7FirstColumn[row.pass] : 0;
    const int dx = interlaced ? kAdam7ColumnStep[row.pass] : 1;
    // Opaque rows are decoded straight into their place and turned to blue-green-red there.
    BYTE *bgr = reduced ? png->box.bgr : pixels + (size_t)(height - 1 - y) * rowBytes;
    BYTE *decoded = format == kRowRgb8 ? bgr : png->decoded;
    status = spng_decode_row(png->ctx, decoded, decodedBytes);
    if (status != 0 && status != SPNG_EOI) return false;
    RowToBgr(format, decoded, bgr, width, x0, dx);
    if (reduced) png->box.Add(y, x0, dx, pixels, rowBytes);
  }
  if (reduced && png->box.allRows)
    for (LONG outRow = 0; outRow < png->box.outHeight; outRow++)
      png->box.WriteRow(outRow, pixels, rowBytes);
  return spng_decode_chunks(png->ctx) == 0;
}

bool Read(PngRead *png, const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  spng_ihdr header;
  if (!OpenPng(png, path, &header)) return false;
  const LONG width = (LONG)header.width, height = (LONG)header.height;
  const DWORD fullRow = PackedRowBytes(width, 24);
  if (fullRow == 0 || height <= 0 ||
      (unsigned long long)fullRow * (unsigned long long)height > kMaxPackedPixelBytes)
    return false;
  const RowFormat format = FormatFor(png->ctx, header);
  const bool interlaced = header.interlace_method == SPNG_INTERLACE_ADAM7;
  LONG factor = FitBoxFactor(fit, width, height);
  if (factor > kMaxBoxFactor) factor = kMaxBoxFactor;
  if (factor > 1 && !png->box.Start(factor, width, height, interlaced)) return false;
  if (fit) {
    fit->fullWidth = width;
    fit->fullHeight = height;
  }
  png->bitmap = AllocPackedBitmap(DivideUp(width, factor), DivideUp(height, factor), 24, 0);
  return png->bitmap && DecodeRows(png, format, width, height, interlaced, cancel);
}

}  // namespace

PackedBitmap ReadPngFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  PngRead png;
  PackedBitmap bitmap = nullptr;
  if (Read(&png, path, cancel, fit)) {
    bitmap = png.bitmap;
    png.bitmap = nullptr;
  }
  if (!bitmap && fit) fit->fullWidth = fit->fullHeight = 0;
  return bitmap;
}

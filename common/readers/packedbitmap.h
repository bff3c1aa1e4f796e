// PackedBitmap: one fixed, zero-filled global-heap block holding a bitmap header
// (BITMAPINFOHEADER, or BITMAPCOREHEADER from some BMP files), the colour table and the pixel
// rows bottom-up, each row padded to a multiple of 4 bytes. Every picture reader returns one;
// the caller frees it with GlobalFree.
#pragma once

#include <atomic>

#include "platform.h"

typedef void *PackedBitmap;

// Readers take an optional flag that another thread sets to stop the read; they look at it
// between batches of rows and then give null.
inline bool ReadCancelled(const std::atomic<bool> *cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Rows a reader decodes between looks at the cancel flag.
const int kRowsPerCancelCheck = 16;

// A picture about to be shown fitted into a box (as large as fits, keeping its proportions).
// A reader that can decode a picture reduced then does so while the result stays at least as
// large as the fitted picture: JPEG by a power of two, and only when the fit reduces it by 2 or
// more; PNG by a whole factor of 2 or more, WebP to any size (fitscale.h). Every reader fills in
// the picture's own size.
// Given further boxes (monitors of other sizes), the result is at least as large as the picture
// fitted into each of them too.
struct FitBox {
  LONG width, height;
};
struct PictureFit {
  LONG boxWidth, boxHeight;
  LONG fullWidth, fullHeight;  // set by the reader, 0 when it could not read the picture
  const FitBox *moreBoxes = nullptr;
  int moreCount = 0;
};

// Memory for the rows of a decoded picture described by info (its header and colour table):
// bottom-up rows padded to 4 bytes, or null to refuse the picture. The target keeps what it
// allocates in its context; the caller of the decoding frees it.
typedef BYTE *(*PictureRowsTarget)(const BITMAPINFO *info, void *context);

// The largest pixel block a reader will allocate: 8192 x 8192 at 32 bits per pixel. Larger
// pictures are refused rather than risking an allocation the process cannot hold. A build may
// define LUMORA_MAX_PACKED_PIXEL_BYTES to a smaller limit for every reader at once: the fuzz
// build does, so that a hostile header costs a few megabytes instead of 256.
#ifndef LUMORA_MAX_PACKED_PIXEL_BYTES
#define LUMORA_MAX_PACKED_PIXEL_BYTES (8192u * 8192u * 4u)
#endif
const DWORD kMaxPackedPixelBytes = LUMORA_MAX_PACKED_PIXEL_BYTES;

// Colour-table entries: from bcBitCount for a 12-byte header; otherwise biClrUsed, or from
// biBitCount (1, 4, 8 give 2, 16, 256; anything else 0) when biClrUsed is 0.
LONG PackedBitmapColorCount(PackedBitmap bitmap);

// The first pixel byte: after the header, the three colour masks that follow a 40-byte header
// with BI_BITFIELDS compression, and the colour table (3-byte entries after a 12-byte header,
// 4-byte entries otherwise).
BYTE *PackedBitmapPixels(PackedBitmap bitmap);

// Header sizes a block may carry: BITMAPCOREHEADER, BITMAPINFOHEADER and its V2, V3, V4 and V5
// successors.
const DWORD kCoreHeaderSize = 12;
const DWORD kInfoHeaderSize = 40;
const DWORD kV5HeaderSize = 124;
const DWORD kBitfieldsMaskBytes = 12;

// Where a header puts things: the pixels start pixelOffset bytes into the block and take
// pixelBytes bytes (the padded rows, or biSizeImage for run-length encoded data).
struct PackedLayout {
  DWORD pixelOffset;
  DWORD pixelBytes;
};

// Works out the layout of the header at `header`, of which `available` bytes may be read.
// Returns 1 for a header whose size, depth, compression, dimensions and colour count are ones
// the display code accepts and whose pixels stay within kMaxPackedPixelBytes; 0 otherwise.
int PackedBitmapLayout(const void *header, SIZE_T available, PackedLayout *layout);

// 1 when the block holds its whole header, colour table and pixel data (PackedBitmapLayout
// within GlobalSize); blocks failing this never reach the display.
int PackedBitmapIsWhole(PackedBitmap bitmap);

// Writes a BMP file: a 14-byte file header and the whole block. Returns 1 when every byte was
// written, 0 otherwise (an empty file for a null bitmap).
int WritePackedBitmapFile(const char *path, PackedBitmap bitmap);

// Bytes in one pixel row of the given width and depth, padded to 4; 0 when the row would not
// fit the pixel-block limit (or width or depth is not positive).
DWORD PackedRowBytes(LONG width, int bitCount);

// A new block with a filled BITMAPINFOHEADER (biSize 40, planes 1, BI_RGB, biSizeImage, and
// biClrUsed = biClrImportant = colors), room for `colors` RGBQUADs and the rows, all else
// zero. Null when the size is not positive, the pixels would exceed kMaxPackedPixelBytes, or
// memory runs out.
PackedBitmap AllocPackedBitmap(LONG width, LONG height, int bitCount, int colors);

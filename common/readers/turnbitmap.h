// Turning pictures upright by their EXIF orientation (exiforientation.h): mirrored, turned by
// 180, 90 or 270 degrees, or transposed. Work goes in square tiles so that both the rows read
// and the rows written stay in the cache.
#pragma once

#include <cstddef>

#include "packedbitmap.h"

// Pixel rows in memory: `top` is the first byte of the picture's top row, `step` the signed
// distance in bytes from one row to the row below (negative for bottom-up rows).
struct PixelRows {
  BYTE *top;
  ptrdiff_t step;
  LONG width;
  LONG height;
};

// Puts the stored picture's rows bandTop .. bandTop + band.height - 1 (band.top is row bandTop)
// in their upright places in `upright`. The stored picture is band.width x storedHeight pixels
// of bytesPerPixel (1 to 4) bytes; `upright` is the same size, or storedHeight x band.width for
// orientations 5 to 8. A decoder may pass the picture band by band as it is decoded, so that
// it never holds the stored and the upright picture whole at the same time. Out-of-range
// orientations copy as stored; nothing is done when the sizes do not match.
void TurnRows(const PixelRows &band, LONG bandTop, LONG storedHeight, int bytesPerPixel,
              int orientation, const PixelRows &upright);

// A new zero-filled block for the upright form of a storedWidth x storedHeight picture (as
// AllocPackedBitmap; width and height swapped for orientations 5 to 8). A decoder fills its
// colour table and passes the stored rows to TurnRows band by band.
PackedBitmap AllocUprightBitmap(LONG storedWidth, LONG storedHeight, int bitCount, int colors,
                                int orientation);

// The picture turned upright: orientations 2 to 4 in place (the same block), 5 to 8 in a new
// block of the turned size (width and height, and the resolutions, swapped; the colour table
// kept), the old one freed. A picture of orientation 1 or out of range, one that is not an
// uncompressed 8, 16, 24 or 32 bit picture with a BITMAPINFOHEADER, or one whose turned block
// cannot be allocated, is returned as it is. Null stays null.
PackedBitmap TurnPackedBitmap(PackedBitmap bitmap, int orientation);

// Reads a BMP file (ReadBmpFile) turned upright. For orientations 5 to 8, an uncompressed
// bottom-up file of 8, 16, 24 or 32 bits with a BITMAPINFOHEADER and its pixels right after the
// colour table (as ConvertJpegToBmp writes them) is read band by band straight into its upright
// block, so that the stored picture is never held whole; pixel data cut short reads as zero, as
// ReadBmpFile has it. Other files are read whole and turned. Null when the file cannot be read.
PackedBitmap ReadUprightBmpFile(const char *path, int orientation);

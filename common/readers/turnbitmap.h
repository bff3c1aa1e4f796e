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

#include "turnbitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "exiforientation.h"

namespace {

// Pixels along a tile's side: 64 rows of 64 pixels of 4 bytes read and as many written stay
// well inside a first-level cache.
const LONG kTile = 64;

// Where upright pixel (u, v) comes from: x = transposed ? v : u and y = transposed ? u : v,
// then x mirrored when mirrorX and y when mirrorY.
struct Turn {
  bool transposed, mirrorX, mirrorY;
};

Turn TurnOf(int orientation) {
  switch (orientation) {
    case kOrientationMirrored: return {false, true, false};
    case kOrientationTurned180: return {false, true, true};
    case kOrientationFlipped: return {false, false, true};
    case kOrientationTransposed: return {true, false, false};
    case kOrientationTurnedClockwise: return {true, false, true};
    case kOrientationTransversed: return {true, true, true};
    case kOrientationTurnedAnticlockwise: return {true, true, false};
    default: return {false, false, false};
  }
}

template <int N>
inline void CopyPixel(BYTE *to, const BYTE *from) {
  for (int i = 0; i < N; i++) to[i] = from[i];
}

// Upright rows v0 .. v1 - 1, columns u0 .. u1 - 1, tile by tile. `from` gives the stored
// pixel of upright (u, v); moving one to the right in an upright row moves `along` bytes in
// the stored picture.
template <int N>
void CopyTiles(const PixelRows &band, LONG bandTop, LONG storedHeight, const Turn &turn,
               const PixelRows &upright, LONG u0, LONG u1, LONG v0, LONG v1) {
  const ptrdiff_t along =
      turn.transposed ? (turn.mirrorY ? -band.step : band.step) : (turn.mirrorX ? -N : N);
  for (LONG tv = v0; tv < v1; tv += kTile) {
    const LONG tvEnd = std::min(v1, tv + kTile);
    for (LONG tu = u0; tu < u1; tu += kTile) {
      const LONG tuEnd = std::min(u1, tu + kTile);
      for (LONG v = tv; v < tvEnd; v++) {
        LONG x = turn.transposed ? v : tu, y = turn.transposed ? tu : v;
        if (turn.mirrorX) x = band.width - 1 - x;
        if (turn.mirrorY) y = storedHeight - 1 - y;
        const BYTE *from = band.top + (y - bandTop) * band.step + (ptrdiff_t)x * N;
        BYTE *to = upright.top + v * upright.step + (ptrdiff_t)tu * N;
        LONG u = tu;
        if (N == 3 && x + 1 < band.width) {
          // One 4-byte load and store a pixel: the byte read beyond it is its right neighbour
          // in the stored row, the byte written beyond it the next pixel's first, which is
          // written after it (this call's last pixel is copied whole).
          for (const LONG fast = std::min(tuEnd, u1 - 1); u < fast; u++, from += along, to += N) {
            uint32_t four;
            memcpy(&four, from, sizeof four);
            memcpy(to, &four, sizeof four);
          }
        }
        for (; u < tuEnd; u++, from += along, to += N) CopyPixel<N>(to, from);
      }
    }
  }
}

template <int N>
void TurnRowsOf(const PixelRows &band, LONG bandTop, LONG storedHeight, const Turn &turn,
                const PixelRows &upright) {
  // The upright rows or columns that the band's stored rows land in.
  const LONG first = turn.mirrorY ? storedHeight - bandTop - band.height : bandTop;
  const LONG last = first + band.height;
  if (turn.transposed)
    CopyTiles<N>(band, bandTop, storedHeight, turn, upright, first, last, 0, upright.height);
  else
    CopyTiles<N>(band, bandTop, storedHeight, turn, upright, 0, upright.width, first, last);
}

}  // namespace

void TurnRows(const PixelRows &band, LONG bandTop, LONG storedHeight, int bytesPerPixel,
              int orientation, const PixelRows &upright) {
  const Turn turn = TurnOf(orientation);
  const LONG width = turn.transposed ? storedHeight : band.width;
  const LONG height = turn.transposed ? band.width : storedHeight;
  if (upright.width != width || upright.height != height || band.width <= 0 || bandTop < 0 ||
      band.height <= 0 || band.height > storedHeight - bandTop)
    return;
  switch (bytesPerPixel) {
    case 1: TurnRowsOf<1>(band, bandTop, storedHeight, turn, upright); break;
    case 2: TurnRowsOf<2>(band, bandTop, storedHeight, turn, upright); break;
    case 3: TurnRowsOf<3>(band, bandTop, storedHeight, turn, upright); break;
    case 4: TurnRowsOf<4>(band, bandTop, storedHeight, turn, upright); break;
    default: break;
  }
}

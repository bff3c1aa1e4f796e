#include "turnbitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bmpreader.h"
#include "exiforientation.h"

namespace {

const DWORD kFileHeaderSize = 14;
// Stored rows read from a file at a time: four tiles' height of rows, up to 4 MiB. Taller
// bands write longer runs of each upright row at a time.
const DWORD kBandBytes = 4 * 1024 * 1024;

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

template <int N>
inline void SwapPixels(BYTE *a, BYTE *b) {
  for (int i = 0; i < N; i++) std::swap(a[i], b[i]);
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

template <int N>
void MirrorRow(BYTE *row, LONG width) {
  for (LONG i = 0, j = width - 1; i < j; i++, j--) SwapPixels<N>(row + i * N, row + j * N);
}

// Orientations 2 to 4 within the picture's own rows.
template <int N>
void TurnInPlace(const PixelRows &rows, const Turn &turn) {
  const size_t bytes = (size_t)rows.width * N;
  if (!turn.mirrorY) {
    for (LONG y = 0; y < rows.height; y++) MirrorRow<N>(rows.top + y * rows.step, rows.width);
    return;
  }
  for (LONG y = 0, z = rows.height - 1; y <= z; y++, z--) {
    BYTE *a = rows.top + y * rows.step, *b = rows.top + z * rows.step;
    if (!turn.mirrorX) {
      std::swap_ranges(a, a + bytes, b);
    } else if (y == z) {
      MirrorRow<N>(a, rows.width);
    } else {
      for (LONG i = 0, j = rows.width - 1; i < rows.width; i++, j--)
        SwapPixels<N>(a + i * N, b + j * N);
    }
  }
}

// The rows of a bottom-up (positive height) or top-down picture.
PixelRows RowsOf(BYTE *pixels, LONG width, LONG height, int bitCount) {
  const ptrdiff_t stride = (ptrdiff_t)PackedRowBytes(width, bitCount);
  const LONG rows = height < 0 ? -height : height;
  if (height < 0) return {pixels, stride, width, rows};
  return {pixels + (rows - 1) * stride, -stride, width, rows};
}

bool TurnableDepth(int bits) {
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The header fields AllocPackedBitmap does not set, carried over to the block of a picture
// turned a quarter: the resolutions swap places.
void CopyHeaderFields(const BITMAPINFOHEADER *stored, BITMAPINFOHEADER *upright) {
  upright->biXPelsPerMeter = stored->biYPelsPerMeter;
  upright->biYPelsPerMeter = stored->biXPelsPerMeter;
  upright->biClrImportant = stored->biClrImportant;
}

// The rest of a BMP file whose headers have been read into `info` (a plain bottom-up picture),
// band by band into its upright block. Null when the colour table is cut short or memory runs
// out.
PackedBitmap ReadTurnedPixels(HFILE file, const BITMAPINFOHEADER &info, int orientation) {
  const int bits = info.biBitCount;
  const LONG colors = PackedBitmapColorCount(const_cast<BITMAPINFOHEADER *>(&info));
  PackedBitmap upright = AllocUprightBitmap(info.biWidth, info.biHeight, bits, colors, orientation);
  const DWORD stride = PackedRowBytes(info.biWidth, bits);
  const LONG bandRows =
      std::max<LONG>(1, std::min<LONG>({info.biHeight, 4 * kTile, (LONG)(kBandBytes / stride)}));
  BYTE *band = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, (SIZE_T)bandRows * stride));
  BITMAPINFOHEADER *out = static_cast<BITMAPINFOHEADER *>(upright);
  const UINT table = (UINT)colors * sizeof(RGBQUAD);
  if (!upright || !band || _lread(file, out + 1, table) != table) {
    if (band) GlobalFree(band);
    if (upright) GlobalFree(upright);
    return nullptr;
  }
  CopyHeaderFields(&info, out);
  const PixelRows rows = RowsOf(PackedBitmapPixels(upright), out->biWidth, out->biHeight, bits);
  // File rows go bottom-up: each band is the stored picture's rows just above the last one.
  for (LONG done = 0; done < info.biHeight;) {
    const LONG n = std::min(bandRows, info.biHeight - done);
    const UINT want = (UINT)n * stride;
    const UINT got = _lread(file, band, want);
    if (got == (UINT)HFILE_ERROR || got == 0) break;  // the rest stays zero
    if (got < want) memset(band + got, 0, want - got);
    const PixelRows stored = {band + (ptrdiff_t)(n - 1) * stride, -(ptrdiff_t)stride, info.biWidth,
                              n};
    TurnRows(stored, info.biHeight - done - n, info.biHeight, bits / 8, orientation, rows);
    done += n;
    if (got < want) break;
  }
  GlobalFree(band);
  return upright;
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

PackedBitmap AllocUprightBitmap(LONG storedWidth, LONG storedHeight, int bitCount, int colors,
                                int orientation) {
  if (TurnOf(orientation).transposed)
    return AllocPackedBitmap(storedHeight, storedWidth, bitCount, colors);
  return AllocPackedBitmap(storedWidth, storedHeight, bitCount, colors);
}

PackedBitmap TurnPackedBitmap(PackedBitmap bitmap, int orientation) {
  if (!bitmap || orientation <= kOrientationAsStored ||
      orientation > kOrientationTurnedAnticlockwise)
    return bitmap;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  const int bits = info->biBitCount;
  if (info->biSize != sizeof(BITMAPINFOHEADER) || info->biCompression != BI_RGB ||
      !TurnableDepth(bits) || !PackedBitmapIsWhole(bitmap))
    return bitmap;
  const int n = bits / 8;
  const PixelRows stored =
      RowsOf(PackedBitmapPixels(bitmap), info->biWidth, info->biHeight, info->biBitCount);
  const Turn turn = TurnOf(orientation);
  if (!turn.transposed) {
    switch (n) {
      case 1: TurnInPlace<1>(stored, turn); break;
      case 2: TurnInPlace<2>(stored, turn); break;
      case 3: TurnInPlace<3>(stored, turn); break;
      default: TurnInPlace<4>(stored, turn); break;
    }
    return bitmap;
  }

  const LONG colors = PackedBitmapColorCount(bitmap);
  PackedBitmap turned = AllocUprightBitmap(stored.width, stored.height, bits, colors, orientation);
  if (!turned) return bitmap;
  BITMAPINFOHEADER *out = static_cast<BITMAPINFOHEADER *>(turned);
  CopyHeaderFields(info, out);
  memcpy(out + 1, info + 1, (size_t)colors * sizeof(RGBQUAD));
  TurnRows(stored, 0, stored.height, n, orientation,
           RowsOf(PackedBitmapPixels(turned), out->biWidth, out->biHeight, bits));
  GlobalFree(bitmap);
  return turned;
}

PackedBitmap ReadUprightBmpFile(const char *path, int orientation) {
  if (!TurnOf(orientation).transposed) return TurnPackedBitmap(ReadBmpFile(path), orientation);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return nullptr;
  BYTE head[kFileHeaderSize + sizeof(BITMAPINFOHEADER)] = {};
  const bool whole = _lread(file, head, sizeof head) == sizeof head;
  BITMAPINFOHEADER info;
  memcpy(&info, head + kFileHeaderSize, sizeof info);
  DWORD pixelsAt;
  memcpy(&pixelsAt, head + 10, sizeof pixelsAt);  // bfOffBits
  PackedLayout layout;
  const bool plain = whole && head[0] == 'B' && head[1] == 'M' && info.biSize == sizeof info &&
                     info.biCompression == BI_RGB && info.biHeight > 0 &&
                     TurnableDepth(info.biBitCount) &&
                     PackedBitmapLayout(&info, sizeof info, &layout) &&
                     pixelsAt == kFileHeaderSize + layout.pixelOffset;
  PackedBitmap upright = plain ? ReadTurnedPixels(file, info, orientation) : nullptr;
  _lclose(file);
  return plain ? upright : TurnPackedBitmap(ReadBmpFile(path), orientation);
}

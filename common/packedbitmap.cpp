#include "packedbitmap.h"

namespace {

const DWORD kFileHeaderSize = 14;

LONG ColorsForDepth(int bitCount) {
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

}  // namespace

LONG PackedBitmapColorCount(PackedBitmap bitmap) {
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  if (info->biSize == sizeof(BITMAPCOREHEADER))
    return ColorsForDepth(static_cast<const BITMAPCOREHEADER *>(bitmap)->bcBitCount);
  if (info->biClrUsed != 0) return (LONG)info->biClrUsed;
  return ColorsForDepth(info->biBitCount);
}

BYTE *PackedBitmapPixels(PackedBitmap bitmap) {
  const DWORD headerSize = *static_cast<const DWORD *>(bitmap);
  const DWORD entrySize = headerSize == sizeof(BITMAPCOREHEADER) ? 3 : 4;
  return static_cast<BYTE *>(bitmap) + headerSize +
         (DWORD)PackedBitmapColorCount(bitmap) * entrySize;
}

int WritePackedBitmapFile(const char *path, PackedBitmap bitmap) {
  HFILE file = _lcreat(path, 0);
  if (file == HFILE_ERROR) return 0;
  if (!bitmap) {
    _lclose(file);
    return 0;
  }
  const DWORD size = (DWORD)GlobalSize(bitmap);
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;  // "BM"
  header.bfSize = size + kFileHeaderSize;
  header.bfOffBits =
      kFileHeaderSize + (DWORD)(PackedBitmapPixels(bitmap) - static_cast<BYTE *>(bitmap));
  _lwrite(file, reinterpret_cast<LPCCH>(&header), kFileHeaderSize);
  UINT written = _lwrite(file, static_cast<LPCCH>(bitmap), size);
  _lclose(file);
  return written == size ? 1 : 0;
}

DWORD PackedRowBytes(LONG width, int bitCount) {
  if (width <= 0 || bitCount <= 0) return 0;
  const unsigned long long bits = (unsigned long long)width * (unsigned)bitCount;
  const unsigned long long bytes = (bits + 31) / 32 * 4;
  return bytes > kMaxPackedPixelBytes ? 0 : (DWORD)bytes;
}

PackedBitmap AllocPackedBitmap(LONG width, LONG height, int bitCount, int colors) {
  const DWORD row = PackedRowBytes(width, bitCount);
  if (row == 0 || height <= 0 || colors < 0 || colors > 256) return nullptr;
  const unsigned long long pixels = (unsigned long long)row * (unsigned long long)height;
  if (pixels > kMaxPackedPixelBytes) return nullptr;
  const SIZE_T size = sizeof(BITMAPINFOHEADER) + (SIZE_T)colors * sizeof(RGBQUAD) + (SIZE_T)pixels;
  BITMAPINFOHEADER *info = static_cast<BITMAPINFOHEADER *>(GlobalAlloc(GPTR, size));
  if (!info) return nullptr;
  info->biSize = sizeof(BITMAPINFOHEADER);
  info->biWidth = width;
  info->biHeight = height;
  info->biPlanes = 1;
  info->biBitCount = (WORD)bitCount;
  info->biCompression = BI_RGB;
  info->biSizeImage = (DWORD)pixels;
  info->biClrUsed = (DWORD)colors;
  info->biClrImportant = (DWORD)colors;
  return info;
}

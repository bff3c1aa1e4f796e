#include "packedbitmap.h"

#include <cstring>

#include "filecalls.h"

namespace {

const DWORD kFileHeaderSize = 14;
const DWORD kMaxColors = 256;

// BITMAPV5HEADER fields past the BITMAPINFOHEADER part, by offset.
const DWORD kV5ColorSpaceOffset = 56;
const DWORD kV5ProfileDataOffset = 112;
const DWORD kV5ProfileSizeOffset = 116;
const DWORD kProfileLinked = 0x4C494E4B;    // 'LINK'
const DWORD kProfileEmbedded = 0x4D424544;  // 'MBED'

LONG ColorsForDepth(int bitCount) {
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

DWORD ReadDword(const void *header, DWORD offset) {
  DWORD value;
  memcpy(&value, static_cast<const BYTE *>(header) + offset, sizeof value);
  return value;
}

bool KnownHeaderSize(DWORD size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == kV5HeaderSize;
}

bool HasMaskTriple(const BITMAPINFOHEADER *info) {
  return info->biSize == kInfoHeaderSize && info->biCompression == BI_BITFIELDS;
}

// Bytes of pixel data a BITMAPINFOHEADER (or successor) describes; 0 when it is not one the
// display code accepts.
unsigned long long InfoPixelBytes(const BITMAPINFOHEADER *info) {
  const int bits = info->biBitCount;
  if (info->biWidth <= 0 || info->biHeight == 0 || info->biHeight == -0x7FFFFFFF - 1) return 0;
  const LONG height = info->biHeight < 0 ? -info->biHeight : info->biHeight;
  const unsigned long long rows = (unsigned long long)PackedRowBytes(info->biWidth, bits) * height;
  switch (info->biCompression) {
    case BI_RGB:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
      return rows;
    case BI_BITFIELDS: return bits == 16 || bits == 32 ? rows : 0;
    case BI_RLE8:
    case BI_RLE4:
      // The run-length data is biSizeImage bytes; the display still builds the whole picture.
      if (bits != (info->biCompression == BI_RLE8 ? 8 : 4) || rows == 0 ||
          rows > kMaxPackedPixelBytes)
        return 0;
      return info->biSizeImage;
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
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  const DWORD entrySize = info->biSize == sizeof(BITMAPCOREHEADER) ? 3 : 4;
  const DWORD masks = HasMaskTriple(info) ? kBitfieldsMaskBytes : 0;
  return static_cast<BYTE *>(bitmap) + info->biSize + masks +
         (DWORD)PackedBitmapColorCount(bitmap) * entrySize;
}

int PackedBitmapLayout(const void *header, SIZE_T available, PackedLayout *layout) {
  if (!header || available < sizeof(DWORD)) return 0;
  const DWORD size = ReadDword(header, 0);
  if (!KnownHeaderSize(size) || size > available) return 0;
  unsigned long long offset = size, pixels;
  if (size == kCoreHeaderSize) {
    BITMAPCOREHEADER core;
    memcpy(&core, header, sizeof core);
    if (core.bcBitCount != 1 && core.bcBitCount != 4 && core.bcBitCount != 8 &&
        core.bcBitCount != 24)
      return 0;
    if (core.bcWidth == 0 || core.bcHeight == 0) return 0;
    pixels = (unsigned long long)PackedRowBytes(core.bcWidth, core.bcBitCount) * core.bcHeight;
    offset += (unsigned long long)PackedBitmapColorCount(&core) * sizeof(RGBTRIPLE);
  } else {
    BITMAPINFOHEADER info;
    memcpy(&info, header, sizeof info);
    if (info.biClrUsed > kMaxColors) return 0;
    pixels = InfoPixelBytes(&info);
    if (HasMaskTriple(&info)) offset += kBitfieldsMaskBytes;
    offset += (unsigned long long)PackedBitmapColorCount(&info) * sizeof(RGBQUAD);
    if (size == kV5HeaderSize) {
      const DWORD space = ReadDword(header, kV5ColorSpaceOffset);
      const unsigned long long profileEnd =
          (unsigned long long)ReadDword(header, kV5ProfileDataOffset) +
          ReadDword(header, kV5ProfileSizeOffset);
      if ((space == kProfileLinked || space == kProfileEmbedded) && profileEnd > available)
        return 0;
    }
  }
  if (pixels == 0 || pixels > kMaxPackedPixelBytes) return 0;
  if (layout) {
    layout->pixelOffset = (DWORD)offset;
    layout->pixelBytes = (DWORD)pixels;
  }
  return 1;
}

int PackedBitmapIsWhole(PackedBitmap bitmap) {
  PackedLayout layout;
  const SIZE_T size = GlobalSize(bitmap);
  if (!bitmap || !PackedBitmapLayout(bitmap, size, &layout)) return 0;
  return (unsigned long long)layout.pixelOffset + layout.pixelBytes <= size ? 1 : 0;
}

int WritePackedBitmapFile(const char *path, PackedBitmap bitmap) {
  HFILE file = CreatePath(path);
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
  const UINT head = _lwrite(file, reinterpret_cast<LPCCH>(&header), kFileHeaderSize);
  const UINT written = _lwrite(file, static_cast<LPCCH>(bitmap), size);
  _lclose(file);
  return head == kFileHeaderSize && written == size ? 1 : 0;
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

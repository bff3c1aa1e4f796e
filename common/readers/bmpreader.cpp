#include "bmpreader.h"

#include <cstring>

#include "filecalls.h"

namespace {

const DWORD kFileHeaderSize = 14;
const WORD kBitmapSignature = 0x4D42;  // "BM"

// BITMAPV5HEADER colour-space fields, by offset: an embedded or linked colour profile is
// dropped (the display code ignores it), so the header points at nothing outside the block.
const DWORD kV5ColorSpaceOffset = 56;
const DWORD kV5ProfileDataOffset = 112;
const DWORD kSrgbColorSpace = 0x73524742;  // 'sRGB'

DWORD Dword(const BYTE *bytes) {
  DWORD value;
  memcpy(&value, bytes, sizeof value);
  return value;
}

void DropColorProfile(BYTE *header) {
  const DWORD srgb = kSrgbColorSpace;
  memcpy(header + kV5ColorSpaceOffset, &srgb, sizeof srgb);
  memset(header + kV5ProfileDataOffset, 0, 2 * sizeof(DWORD));
}

// Reads the header that follows the file header into `header` (room for a V5 header).
// Returns its size, or 0 when the file ends inside it or the size is not a known one.
DWORD ReadInfoHeader(HFILE file, BYTE *header) {
  if (_lread(file, header, sizeof(DWORD)) != sizeof(DWORD)) return 0;
  const DWORD size = Dword(header);
  if (size < kCoreHeaderSize || size > kV5HeaderSize) return 0;
  const UINT rest = size - (UINT)sizeof(DWORD);
  if (_lread(file, header + sizeof(DWORD), rest) != rest) return 0;
  if (size == kV5HeaderSize) DropColorProfile(header);
  return size;
}

// Reads up to `count` bytes in pieces; false when cancelled. Bytes past the end of the file are
// left as they are.
bool ReadPieces(HFILE file, BYTE *to, DWORD count, const std::atomic<bool> *cancel) {
  while (count > 0) {
    if (ReadCancelled(cancel)) return false;
    const UINT piece = count < kBmpReadPieceBytes ? (UINT)count : kBmpReadPieceBytes;
    const UINT got = _lread(file, to, piece);
    if (got != piece) return !ReadCancelled(cancel);
    to += piece;
    count -= piece;
  }
  return !ReadCancelled(cancel);
}

PackedBitmap ReadOpenBmpFile(HFILE file, const std::atomic<bool> *cancel) {
  BYTE fileHeader[kFileHeaderSize];
  if (_lread(file, fileHeader, kFileHeaderSize) != kFileHeaderSize) return nullptr;
  WORD type;
  memcpy(&type, fileHeader, sizeof type);
  if (type != kBitmapSignature) return nullptr;
  const DWORD pixelsInFile = Dword(fileHeader + 10);  // bfOffBits

  // Header, masks and colour table are required whole; the pixels may be cut short.
  alignas(8) BYTE header[kV5HeaderSize];
  const DWORD headerSize = ReadInfoHeader(file, header);
  PackedLayout layout;
  if (headerSize == 0 || !PackedBitmapLayout(header, headerSize, &layout)) return nullptr;
  BYTE *block =
      static_cast<BYTE *>(GlobalAlloc(GPTR, (SIZE_T)layout.pixelOffset + layout.pixelBytes));
  if (!block) return nullptr;
  memcpy(block, header, headerSize);
  const UINT table = layout.pixelOffset - headerSize;
  if (_lread(file, block + headerSize, table) != table) {
    GlobalFree(block);
    return nullptr;
  }

  // A file that leaves a gap between its colour table and its pixels says so in bfOffBits:
  // the gap is dropped. An offset inside the header or table, or past the end, is ignored.
  const DWORD tableEnd = kFileHeaderSize + layout.pixelOffset;
  const LONG end = _llseek(file, 0, FILE_END);
  if (end == HFILE_ERROR) {
    GlobalFree(block);
    return nullptr;
  }
  const DWORD fileSize = (DWORD)end;
  const DWORD start = pixelsInFile > tableEnd && pixelsInFile < fileSize ? pixelsInFile : tableEnd;
  if (_llseek(file, (LONG)start, FILE_BEGIN) == HFILE_ERROR) {
    GlobalFree(block);
    return nullptr;
  }
  // Whatever the file lacks of its pixel data stays zero.
  if (!ReadPieces(file, block + layout.pixelOffset, layout.pixelBytes, cancel)) {
    GlobalFree(block);
    return nullptr;
  }
  return block;
}

}  // namespace

PackedBitmap ReadBmpFile(const char *path, const std::atomic<bool> *cancel) {
  HFILE file = OpenPath(path, OF_READ);
  if (file == HFILE_ERROR) return nullptr;
  PackedBitmap bitmap = ReadOpenBmpFile(file, cancel);
  _lclose(file);
  return bitmap;
}

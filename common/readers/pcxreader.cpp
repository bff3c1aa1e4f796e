#include "pcxreader.h"

#include <cstring>

#include "bytereader.h"

namespace {

const UINT kHeaderSize = 128;
const BYTE kManufacturer = 0x0A;
const BYTE kRunFlags = 0xC0;  // a byte with both top bits set starts a run
const BYTE kRunCountMask = 0x3F;
const LONG kPaletteFileBytes = 769;  // the marker and 256 red, green, blue triples
const BYTE kPaletteMarker = 0x0C;

// Header fields, by offset.
const int kVersionOffset = 1;
const int kBitsOffset = 3;
const int kWindowOffset = 4;  // xmin, ymin, xmax, ymax
const int kHeaderColorsOffset = 16;
const int kPlanesOffset = 65;
const int kBytesPerLineOffset = 66;

// Colours for files that give none (red, green, blue).
const BYTE kBuiltInColors[16][3] = {
    {0, 0, 0},      {255, 0, 0},     {0, 255, 0},    {255, 255, 0},   {0, 0, 255}, {255, 0, 255},
    {0, 255, 255},  {255, 255, 255}, {255, 85, 85},  {85, 85, 85},    {0, 170, 0}, {0, 0, 170},
    {255, 255, 85}, {255, 85, 255},  {85, 255, 255}, {255, 255, 255},
};

// Bits that a pixel of each 1-bit plane sets in a merged 4-bit pixel, for the left (high
// nibble) and right (low nibble) pixel of a byte.
const BYTE kPlaneHighBit[4] = {0x10, 0x20, 0x40, 0x80};
const BYTE kPlaneLowBit[4] = {0x01, 0x02, 0x04, 0x08};

struct PcxInput {
  ByteReader bytes;
  // A run that the previous span ended inside.
  UINT runLeft;
  BYTE runValue;
};

struct PcxLayout {
  int version, bits, planes;
  LONG width, height;
  UINT bytesPerLine, lineBytes;
  int bitCount;  // of the result
};

short Short(const BYTE *p) {
  return (short)(p[0] | p[1] << 8);
}

// One run: its value and count (1 to 63, or 0 for the byte 0xC0). False at the end of the file.
bool PcxReadRun(PcxInput *in, BYTE *value, UINT *count) {
  const int first = ReadByte(&in->bytes);
  if (first < 0) return false;
  if ((first & kRunFlags) != kRunFlags) {
    *value = (BYTE)first;
    *count = 1;
    return true;
  }
  const int second = ReadByte(&in->bytes);
  if (second < 0) return false;
  *value = (BYTE)second;
  *count = (UINT)first & kRunCountMask;
  return true;
}

// Eight bytes at a time: a bit 7 set in each byte that has both top bits set (starts a run).
inline unsigned long long RunStarts(const BYTE *p) {
  unsigned long long w;
  memcpy(&w, p, sizeof w);
  return w & (w << 1) & 0x8080808080808080ull;
}

inline void StoreEight(BYTE *out, unsigned long long eight) {
  memcpy(out, &eight, sizeof eight);
}

// Decodes while at least 72 bytes of the span and 16 of the buffer are left, so that up to
// 7 literal bytes and a run (at most 63 bytes) fit the span and every 8-byte load and store
// stays inside: stores may write past the bytes they decode, and the next ones overwrite
// them. Returns the new count done.
UINT PcxDecodeBulk(ByteReader *in, BYTE *out, UINT done, UINT n) {
  const BYTE *p = in->buffer + in->position;
  const BYTE *const end = in->buffer + in->count;
  while (n - done >= 72 && end - p >= 16) {
    unsigned long long literals;
    memcpy(&literals, p, sizeof literals);
    const unsigned long long starts = RunStarts(p);
    StoreEight(out + done, literals);
    if (!starts) {
      p += 8, done += 8;
      continue;
    }
    const UINT before = (UINT)__builtin_ctzll(starts) >> 3;  // literal bytes before the run
    p += before, done += before;
    const UINT count = p[0] & kRunCountMask;
    const BYTE value = p[1];
    p += 2;
    const unsigned long long eight = value * 0x0101010101010101ull;
    StoreEight(out + done, eight);
    for (UINT i = 8; i < count; i += 8) StoreEight(out + done + i, eight);
    done += count;
  }
  in->position = (UINT)(p - in->buffer);
  return done;
}

// Decodes the next n bytes of scan-line data into out. A run may end in the middle of the
// span; its rest goes to the next span. False when the file ends first.
bool PcxDecodeSpan(PcxInput *in, BYTE *out, UINT n) {
  UINT done = 0;
  while (done < n) {
    if (in->runLeft) {
      const UINT k = in->runLeft < n - done ? in->runLeft : n - done;
      memset(out + done, in->runValue, k);
      done += k;
      in->runLeft -= k;
      continue;
    }
    ByteReader *const bytes = &in->bytes;
    done = PcxDecodeBulk(bytes, out, done, n);
    // Straight from the read buffer while both bytes of a run are in it.
    const BYTE *p = bytes->buffer + bytes->position;
    const BYTE *const end = bytes->buffer + bytes->count;
    while (done < n) {
      if (p < end && (*p & kRunFlags) != kRunFlags) {
        out[done++] = *p++;
      } else if (end - p >= 2) {
        const UINT count = p[0] & kRunCountMask;
        const BYTE value = p[1];
        p += 2;
        const UINT k = count < n - done ? count : n - done;
        memset(out + done, value, k);
        done += k;
        in->runLeft = count - k;
        in->runValue = value;
        if (in->runLeft) break;
      } else {
        break;
      }
    }
    bytes->position = (UINT)(p - bytes->buffer);
    if (done == n || in->runLeft) continue;
    // At the end of the buffer: one run the slow way, which refills it.
    if (!PcxReadRun(in, &in->runValue, &in->runLeft)) return false;
  }
  return true;
}

// 3 or 4 one-bit planes, one after another in the line, merged into 4-bit pixels.
void MergeBitPlanes(const PcxLayout &pcx, const BYTE *line, BYTE *row, UINT rowBytes) {
  for (int plane = 0; plane < pcx.planes; plane++) {
    const BYTE *bits = line + (size_t)plane * pcx.bytesPerLine;
    for (UINT j = 0; j < pcx.bytesPerLine && j * 4 < rowBytes; j++) {
      const BYTE b = bits[j];
      for (UINT pair = 0; pair < 4 && j * 4 + pair < rowBytes; pair++) {
        BYTE merged = 0;
        if (b & (0x80 >> (2 * pair))) merged |= kPlaneHighBit[plane];
        if (b & (0x40 >> (2 * pair))) merged |= kPlaneLowBit[plane];
        row[j * 4 + pair] |= merged;
      }
    }
  }
}

// 3 or 4 eight-bit planes (red, green, blue, and a fourth) interleaved as blue, green, red
// (and the fourth). One loop for each count of planes, so that the compiler knows the step.
template <int kPlanes>
void InterleavePlanes(const BYTE *line, UINT bytesPerLine, LONG width, BYTE *row) {
  const BYTE *red = line, *green = line + bytesPerLine, *blue = green + bytesPerLine;
  const BYTE *fourth = blue + bytesPerLine;
  for (LONG x = 0; x < width; x++, row += kPlanes) {
    row[0] = blue[x];
    row[1] = green[x];
    row[2] = red[x];
    if (kPlanes == 4) row[3] = fourth[x];
  }
}

void InterleaveBytePlanes(const PcxLayout &pcx, const BYTE *line, BYTE *row) {
  if (pcx.planes == 4)
    InterleavePlanes<4>(line, pcx.bytesPerLine, pcx.width, row);
  else
    InterleavePlanes<3>(line, pcx.bytesPerLine, pcx.width, row);
}

// Reads the scan lines from the current position into the bitmap's rows, top line first.
// False for a broken file, or once the cancel flag is seen set.
bool ReadScanLines(PcxInput *in, const PcxLayout &pcx, PackedBitmap bitmap,
                   const std::atomic<bool> *cancel) {
  const UINT rowBytes = PackedRowBytes(pcx.width, pcx.bitCount);
  BYTE *const pixels = PackedBitmapPixels(bitmap);
  // One plane that fits the row is decoded in place; otherwise through a line buffer.
  const bool direct = pcx.planes == 1 && pcx.bytesPerLine <= rowBytes;
  BYTE *line = nullptr;
  if (!direct && !(line = static_cast<BYTE *>(GlobalAlloc(GPTR, pcx.lineBytes)))) return false;
  bool ok = true;
  for (LONG y = 0; y < pcx.height && ok; y++) {
    if (y % kRowsPerCancelCheck == 0 && ReadCancelled(cancel)) ok = false;
    if (!ok) break;
    BYTE *row = pixels + (size_t)rowBytes * (size_t)(pcx.height - 1 - y);
    if (direct) {
      ok = PcxDecodeSpan(in, row, pcx.lineBytes);
    } else if ((ok = PcxDecodeSpan(in, line, pcx.lineBytes))) {
      if (pcx.planes == 1)
        memcpy(row, line, rowBytes);  // the rest of a long line is dropped
      else if (pcx.bits == 1)
        MergeBitPlanes(pcx, line, row, rowBytes);
      else
        InterleaveBytePlanes(pcx, line, row);
    }
  }
  if (line) GlobalFree(line);
  return ok && in->runLeft == 0;  // a run past the last scan line is an error
}

// The header's sizes and plane layout, or false for one this reader refuses.
bool ReadLayout(const BYTE *header, PcxLayout *pcx) {
  pcx->version = header[kVersionOffset];
  pcx->bits = header[kBitsOffset];
  pcx->planes = header[kPlanesOffset];
  pcx->width = (LONG)Short(header + kWindowOffset + 4) - Short(header + kWindowOffset) + 1;
  pcx->height = (LONG)Short(header + kWindowOffset + 6) - Short(header + kWindowOffset + 2) + 1;
  const short bytesPerLine = Short(header + kBytesPerLineOffset);
  if (pcx->width < 1 || pcx->height < 1 || bytesPerLine < 1) return false;
  pcx->bytesPerLine = (UINT)bytesPerLine;
  if ((unsigned long long)pcx->bytesPerLine * 8 < (unsigned long long)pcx->width * pcx->bits)
    return false;
  pcx->lineBytes = pcx->bytesPerLine * (UINT)pcx->planes;
  if (pcx->planes == 1 && (pcx->bits == 1 || pcx->bits == 2 || pcx->bits == 4 || pcx->bits == 8))
    pcx->bitCount = pcx->bits;
  else if ((pcx->planes == 3 || pcx->planes == 4) && pcx->bits == 1)
    pcx->bitCount = 4;
  else if ((pcx->planes == 3 || pcx->planes == 4) && pcx->bits == 8)
    pcx->bitCount = 8 * pcx->planes;
  else
    return false;
  return true;
}

// The 256-colour table at the end of a version-5 file, into table (red, green, blue).
bool ReadEndPalette(HFILE file, BYTE *table) {
  BYTE bytes[kPaletteFileBytes];
  if (_llseek(file, -kPaletteFileBytes, FILE_END) == HFILE_ERROR) return false;
  if (_lread(file, bytes, sizeof bytes) != sizeof bytes || bytes[0] != kPaletteMarker) return false;
  memcpy(table, bytes + 1, 768);
  return true;
}

// Chooses and fills the colour table of the result. colors is 0, 2, 16 or 256.
void FillColors(const PcxLayout &pcx, const BYTE *rgb, int colors, RGBQUAD *table) {
  bool black = true;
  for (int i = 0; i < colors * 3; i++) black = black && rgb[i] == 0;
  const bool usable = (pcx.version == 2 || pcx.version >= 4) && !black;
  for (int i = 0; i < colors; i++) {
    const BYTE *c = rgb + 3 * i;
    if (!usable && colors == 256)
      c = nullptr;  // an all-black table: a grey ramp
    else if (!usable)
      c = kBuiltInColors[i];
    table[i].rgbRed = c ? c[0] : (BYTE)i;
    table[i].rgbGreen = c ? c[1] : (BYTE)i;
    table[i].rgbBlue = c ? c[2] : (BYTE)i;
  }
}

PackedBitmap ReadOpenPcxFile(PcxInput *in, const std::atomic<bool> *cancel) {
  BYTE header[kHeaderSize];
  if (ReadBytes(&in->bytes, header, kHeaderSize) < 0 || header[0] != kManufacturer) return nullptr;
  PcxLayout pcx;
  if (!ReadLayout(header, &pcx)) return nullptr;

  BYTE rgb[768];
  int colors = pcx.bitCount > 8 ? 0 : pcx.bits * pcx.planes == 1 ? 2 : 16;
  memcpy(rgb, header + kHeaderColorsOffset, 48);
  // The table is read from the end of the file; the scan lines then start again after the
  // header.
  const bool endPalette = pcx.version == 5 && pcx.bits == 8 && pcx.planes == 1;
  if (endPalette && ReadEndPalette(in->bytes.file, rgb)) colors = 256;
  PackedBitmap bitmap = AllocPackedBitmap(pcx.width, pcx.height, pcx.bitCount, colors);
  if (!bitmap) return nullptr;
  FillColors(pcx, rgb, colors, reinterpret_cast<RGBQUAD *>(static_cast<BYTE *>(bitmap) + 40));

  if ((endPalette && !SeekByteReader(&in->bytes, (LONG)kHeaderSize)) ||
      !ReadScanLines(in, pcx, bitmap, cancel)) {
    GlobalFree(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace

PackedBitmap ReadPcxFile(const char *path, const std::atomic<bool> *cancel) {
  PcxInput in = {};
  if (!OpenByteReader(&in.bytes, path)) return nullptr;
  PackedBitmap bitmap = ReadOpenPcxFile(&in, cancel);
  CloseByteReader(&in.bytes);
  return bitmap;
}

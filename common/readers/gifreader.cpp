#include "gifreader.h"

#include <cstring>

#include "bytereader.h"

namespace {

const int kMaxCodeWidth = 12;
const int kMaxCodes = 1 << kMaxCodeWidth;
// The longest string one code can stand for: every table entry extends an earlier one by one
// pixel.
const int kMaxStringLength = kMaxCodes;
// Strings are written in chunks of up to 8 pixels, each with one 8-byte store that may run up
// to 7 bytes past the string's end.
const int kChunk = 8;
// Image data bytes gathered from the sub-blocks at a time.
const int kCodeBufferSize = 4096;
const int kMinCodeSizeLow = 2;
const int kMinCodeSizeHigh = 9;
const UINT kPaletteBytes = 256 * 3;
const UINT kBlockBufferSize = 260;
// The file's header: signature and version, then the logical screen descriptor.
const int kHeaderSize = 13;
const int kVersionOffset = 3;       // three characters: two digits and a letter ("87a", "89a")
const int kScreenFlagsOffset = 10;  // global colour table flag and size
// The image descriptor after its separator.
const int kImageDescriptorSize = 9;
const int kImageWidthOffset = 4;  // 16 bits, low byte first
const int kImageHeightOffset = 6;
const int kImageFlagsOffset = 8;  // local colour table flag and size, interlace flag

const BYTE kExtensionIntroducer = 0x21;
const BYTE kImageSeparator = 0x2C;
const BYTE kColorTableFlag = 0x80;
const BYTE kInterlaceFlag = 0x40;
const BYTE kColorTableSizeMask = 0x07;

// Everything one call of ReadGifFile works on.
struct GifState {
  ByteReader in;

  BYTE palette[kPaletteBytes];
  BYTE block[kBlockBufferSize];

  // The string table. A code's string is its last 1 to 8 pixels (its tail, pixels first in
  // the array) after the string of its jump code, whose length is a multiple of 8; literal
  // codes are their own tail. A string is thus written backwards 8 pixels per step.
  BYTE tail[kMaxCodes][kChunk];
  WORD jump[kMaxCodes];
  WORD length[kMaxCodes];
  BYTE first[kMaxCodes];  // first pixel of the string

  // Image data: the bytes of consecutive sub-blocks, run together.
  BYTE codeBytes[kCodeBufferSize + kBlockBufferSize];
  bool dataEnded;  // the file ended within the image data

  // Output.
  LONG width;
  LONG height;
  int bitCount;
  DWORD rowBytes;
  BYTE *rows;  // first pixel row of the bitmap (the bottom of the picture)
  BYTE *line;  // width + kChunk pixels, for lines that are packed to 1 or 4 bits
  BYTE scratch[kMaxStringLength + kChunk];  // a string that runs into the next line
  bool interlaced;
  LONG nextLine;
  BYTE *out;  // where the pixels of line nextLine go: its row at 8 bits, else the line
  const std::atomic<bool> *cancel;
  bool cancelled;
};

// Reads one data sub-block into the block buffer. Returns its length (0 for a block
// terminator), or -1 at the end of the file.
int GifReadDataBlock(GifState *s) {
  int length = ReadByte(&s->in);
  if (length <= 0) return length;
  return ReadBytes(&s->in, s->block, length);
}

// Skips the sub-blocks of an extension up to its terminator or the end of the file.
void GifSkipSubBlocks(GifState *s) {
  while (GifReadDataBlock(s) > 0) {
  }
}

// Decoded line n of the image is picture row InterlacedRow(n) of an interlaced image: rows
// 0, 8, 16, ... first, then 4, 12, ..., then 2, 6, ..., then the odd rows.
LONG InterlacedRow(LONG n, LONG height) {
  const LONG pass1 = (height + 7) / 8;
  if (n < pass1) return n * 8;
  n -= pass1;
  const LONG pass2 = (height + 3) / 8;
  if (n < pass2) return n * 8 + 4;
  n -= pass2;
  const LONG pass3 = (height + 1) / 4;
  if (n < pass3) return n * 4 + 2;
  n -= pass3;
  return n * 2 + 1;
}

// The row of the bitmap that decoded line n goes to.
BYTE *RowOfLine(const GifState *s, LONG n) {
  const LONG row = s->interlaced ? InterlacedRow(n, s->height) : n;
  return s->rows + (size_t)(s->height - 1 - row) * s->rowBytes;
}

// Stores the line just decoded (width pixels at s->out) into its row and makes the next line
// current. At 8 bits the pixels are in their row already. False once the image is complete:
// lines beyond its height are never stored.
bool GifStoreLine(GifState *s) {
  const LONG w = s->width;
  const BYTE *pixels = s->out;
  BYTE *dest = RowOfLine(s, s->nextLine);
  switch (s->bitCount) {
    case 8: break;
    case 4: {
      LONG i = 0;
      for (; i + 1 < w; i += 2) *dest++ = (BYTE)((pixels[i] & 0x0F) << 4 | (pixels[i + 1] & 0x0F));
      if (i < w) *dest = (BYTE)((pixels[i] & 0x0F) << 4);
      break;
    }
    default: {  // 1 bit: the leftmost pixel in the top bit
      LONG i = 0;
      for (; i + 8 <= w; i += 8) {
        const BYTE *p = pixels + i;
        *dest++ = (BYTE)((p[0] & 1) << 7 | (p[1] & 1) << 6 | (p[2] & 1) << 5 | (p[3] & 1) << 4 |
                         (p[4] & 1) << 3 | (p[5] & 1) << 2 | (p[6] & 1) << 1 | (p[7] & 1));
      }
      if (i < w) {
        BYTE b = 0;
        for (int k = 0; i + k < w; k++) b |= (BYTE)((pixels[i + k] & 1) << (7 - k));
        *dest = b;
      }
      break;
    }
  }
  if (++s->nextLine >= s->height) return false;
  if (s->nextLine % kRowsPerCancelCheck == 0 && ReadCancelled(s->cancel)) {
    s->cancelled = true;
    return false;
  }
  s->out = s->bitCount == 8 ? RowOfLine(s, s->nextLine) : s->line;
  return true;
}

// Bit reader over the image data: codes are packed least significant bit first across the
// bytes of consecutive sub-blocks; empty sub-blocks are passed over.
struct LzwBits {
  DWORD bits;
  int count;
  const BYTE *next;
  const BYTE *end;
};

// Gathers the next sub-blocks' bytes into the code buffer. False when none are left: the
// file has ended (a sub-block cut short counts as not there).
bool GifReadCodeBytes(GifState *s, LzwBits *in) {
  int size = 0;
  while (!s->dataEnded && size < kCodeBufferSize) {
    const int n = GifReadDataBlock(s);
    if (n < 0) {
      s->dataEnded = true;
      break;
    }
    memcpy(s->codeBytes + size, s->block, (size_t)n);
    size += n;
  }
  in->next = s->codeBytes;
  in->end = s->codeBytes + size;
  return size > 0;
}

// The next code of the given width, or a negative value at the end of the file.
inline int LzwNextCode(GifState *s, LzwBits *in, int width) {
  while (in->count < width) {
    if (in->next == in->end && !GifReadCodeBytes(s, in)) return -1;
    in->bits |= (DWORD)*in->next++ << in->count;
    in->count += 8;
  }
  const int code = (int)(in->bits & ((1u << width) - 1));
  in->bits >>= width;
  in->count -= width;
  return code;
}

// Writes the string of code c to dest[0, length of c) and up to 7 bytes of junk after it.
inline void LzwWriteString(const GifState *s, int c, BYTE *dest) {
  BYTE *p = dest + s->length[c] - ((s->length[c] - 1) % kChunk + 1);
  memcpy(p, s->tail[c], kChunk);
  while (p > dest) {
    c = s->jump[c];
    p -= kChunk;
    memcpy(p, s->tail[c], kChunk);
  }
}

// Appends the string of code c to the current line, storing each line it completes. False
// once the image is complete.
inline bool LzwOutput(GifState *s, int c, LONG *x) {
  const LONG length = s->length[c];
  if (*x + length + kChunk <= s->width) {  // room for the string and the junk after it
    LzwWriteString(s, c, s->out + *x);
    *x += length;
    return true;
  }
  LzwWriteString(s, c, s->scratch);
  const BYTE *from = s->scratch;
  for (LONG left = length; left > 0;) {
    const LONG n = left < s->width - *x ? left : s->width - *x;
    memcpy(s->out + *x, from, (size_t)n);
    *x += n;
    from += n;
    left -= n;
    if (*x == s->width) {
      if (!GifStoreLine(s)) return false;
      *x = 0;
    }
  }
  return true;
}

// Decodes the image data, storing each complete line. Ends at the end code, the end of the
// file, a code beyond the string table (corrupt data) or once every line of the image has been
// stored; a line that the data ends in the middle of stays colour 0.
void LzwDecodeImage(GifState *s) {
  const int minCodeSize = ReadByte(&s->in);
  if (minCodeSize < kMinCodeSizeLow || minCodeSize > kMinCodeSizeHigh) return;
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  const int firstFree = clear + 2;
  for (int i = 0; i < clear; i++) {
    memset(s->tail[i], 0, kChunk);
    s->tail[i][0] = (BYTE)i;
    s->first[i] = (BYTE)i;
    s->length[i] = 1;
    s->jump[i] = 0;
  }

  LzwBits in = {0, 0, nullptr, nullptr};
  int codeWidth = minCodeSize + 1;
  int limit = 1 << codeWidth;
  int next = firstFree;
  int prev = -1;  // none: the stream's start and after a clear code
  LONG x = 0;     // pixels of the current line decoded
  s->out = s->bitCount == 8 ? RowOfLine(s, 0) : s->line;

  for (;;) {
    int c = LzwNextCode(s, &in, codeWidth);
    if (c < 0 || c == end) break;
    if (c == clear) {
      codeWidth = minCodeSize + 1;
      limit = 1 << codeWidth;
      next = firstFree;
      prev = -1;
      continue;
    }
    if (prev < 0) {
      if (c >= next) c = 0;
    } else {
      if (c > next) break;
      if (next < limit) {
        // The new entry: the previous string and the first pixel of this one (of the previous
        // one again when this code is the entry itself).
        const BYTE pixel = s->first[c == next ? prev : c];
        const int length = s->length[prev] + 1;
        const int inTail = (length - 1) % kChunk;
        if (inTail == 0) {
          memset(s->tail[next], 0, kChunk);
          s->jump[next] = (WORD)prev;
        } else {
          memcpy(s->tail[next], s->tail[prev], kChunk);
          s->jump[next] = s->jump[prev];
        }
        s->tail[next][inTail] = pixel;
        s->length[next] = (WORD)length;
        s->first[next] = s->first[prev];
        next++;
        if (next == limit && codeWidth < kMaxCodeWidth) {
          codeWidth++;
          limit <<= 1;
        }
      }
    }
    prev = c;
    if (!LzwOutput(s, c, &x)) return;
  }
  // The line the data ended in: not stored.
  if (s->bitCount == 8) memset(s->out, 0, (size_t)s->width);
}

// Reads the header and the global colour table into s->palette. The number of colours, or 0
// when the file is not a GIF, has no global colour table or ends first.
int GifReadHeader(GifState *s) {
  BYTE head[kHeaderSize];
  if (ReadBytes(&s->in, head, kHeaderSize) < 0) return 0;
  const BYTE *version = head + kVersionOffset;
  if (memcmp(head, "GIF", 3) != 0 || version[0] < '0' || version[0] > '9' || version[1] < '0' ||
      version[1] > '9' || version[2] < 0x41 || version[2] > 0x7A)
    return 0;
  const BYTE flags = head[kScreenFlagsOffset];
  if (!(flags & kColorTableFlag)) return 0;
  const int colors = 2 << (flags & kColorTableSizeMask);
  return ReadBytes(&s->in, s->palette, colors * 3) < 0 ? 0 : colors;
}

// Skips the extensions up to the first image and reads its descriptor: the image's size and
// interlacing into s, its own colour table, if any, into s->palette in place of the global
// one. The number of colours the image uses (`colors` without a table of its own), or 0 when
// the trailer, anything else or the end of the file comes first.
int GifReadImageDescriptor(GifState *s, int colors) {
  for (;;) {
    const int type = ReadByte(&s->in);
    if (type == kImageSeparator) break;
    if (type != kExtensionIntroducer) return 0;  // the trailer, anything else, or the end
    ReadByte(&s->in);                            // the label: every extension is skipped
    GifSkipSubBlocks(s);
  }
  BYTE descriptor[kImageDescriptorSize];
  if (ReadBytes(&s->in, descriptor, kImageDescriptorSize) < 0) return 0;
  const BYTE flags = descriptor[kImageFlagsOffset];
  if (flags & kColorTableFlag) {
    memset(s->palette, 0, sizeof s->palette);
    colors = 2 << (flags & kColorTableSizeMask);
    if (ReadBytes(&s->in, s->palette, colors * 3) < 0) return 0;
  }
  s->interlaced = (flags & kInterlaceFlag) != 0;
  s->width = descriptor[kImageWidthOffset] | descriptor[kImageWidthOffset + 1] << 8;
  s->height = descriptor[kImageHeightOffset] | descriptor[kImageHeightOffset + 1] << 8;
  return colors;
}

// The bitmap for the image described in s, with the colour table, and the line buffer: null
// (nothing allocated) when either cannot be made.
PackedBitmap GifAllocateOutput(GifState *s, int colors) {
  s->bitCount = colors == 2 ? 1 : colors <= 16 ? 4 : 8;
  const int entries = 1 << s->bitCount;
  PackedBitmap bitmap = AllocPackedBitmap(s->width, s->height, s->bitCount, entries);
  if (!bitmap) return nullptr;
  s->line = static_cast<BYTE *>(GlobalAlloc(GPTR, (SIZE_T)s->width + kChunk));
  if (!s->line) {
    GlobalFree(bitmap);
    return nullptr;
  }
  RGBQUAD *table =
      reinterpret_cast<RGBQUAD *>(static_cast<BYTE *>(bitmap) + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < entries; i++) {
    table[i].rgbRed = s->palette[i * 3];
    table[i].rgbGreen = s->palette[i * 3 + 1];
    table[i].rgbBlue = s->palette[i * 3 + 2];
  }
  s->rowBytes = PackedRowBytes(s->width, s->bitCount);
  s->rows = PackedBitmapPixels(bitmap);
  return bitmap;
}

// The image of an open file, or null.
PackedBitmap GifReadImage(GifState *s) {
  int colors = GifReadHeader(s);
  if (colors) colors = GifReadImageDescriptor(s, colors);
  if (!colors) return nullptr;
  PackedBitmap bitmap = GifAllocateOutput(s, colors);
  if (!bitmap) return nullptr;
  LzwDecodeImage(s);
  if (s->cancelled) {
    GlobalFree(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace

PackedBitmap ReadGifFile(const char *path, const std::atomic<bool> *cancel) {
  GifState *s = static_cast<GifState *>(GlobalAlloc(GPTR, sizeof(GifState)));
  if (!s) return nullptr;
  if (!OpenByteReader(&s->in, path)) {
    GlobalFree(s);
    return nullptr;
  }
  s->cancel = cancel;
  PackedBitmap bitmap = GifReadImage(s);
  CloseByteReader(&s->in);
  if (s->line) GlobalFree(s->line);
  GlobalFree(s);
  return bitmap;
}

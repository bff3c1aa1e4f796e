#include "pixels.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

DWORD Dword(const BYTE *p) {
  DWORD v;
  memcpy(&v, p, sizeof v);
  return v;
}

DWORD Dword(const std::string &bytes, size_t at) {
  return Dword(reinterpret_cast<const BYTE *>(bytes.data()) + at);
}

WORD Word(const std::string &bytes, size_t at) {
  return (WORD)((BYTE)bytes[at] | (BYTE)bytes[at + 1] << 8);
}

namespace {

// A channel under a mask, widened to 8 bits by repeating its bits (as ImageMagick does).
int MaskChannel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0, bits = 0;
  while (!((mask >> shift) & 1)) shift++;
  while (bits + shift < 32 && ((mask >> (shift + bits)) & 1)) bits++;
  const unsigned long long channel = (value & mask) >> shift;
  unsigned long long wide = 0;
  int have = 0;
  for (; have < 8; have += bits) wide = wide << bits | channel;
  return (int)(wide >> (have - 8) & 0xFF);
}

struct PackedView {
  const BYTE *block;
  bool core;
  LONG width, height;
  int bits;
  DWORD compression;
  DWORD masks[3];  // red, green, blue
  const BYTE *colors;
  LONG colorCount;
  const BYTE *pixels;
};

bool ViewPackedBitmap(PackedBitmap bitmap, PackedView *v) {
  if (!bitmap || !PackedBitmapIsWhole(bitmap)) return false;
  v->block = static_cast<const BYTE *>(bitmap);
  v->core = Dword(v->block) == kCoreHeaderSize;
  if (v->core) {
    BITMAPCOREHEADER h;
    memcpy(&h, bitmap, sizeof h);
    v->width = h.bcWidth;
    v->height = h.bcHeight;
    v->bits = h.bcBitCount;
    v->compression = BI_RGB;
  } else {
    BITMAPINFOHEADER h;
    memcpy(&h, bitmap, sizeof h);
    v->width = h.biWidth;
    v->height = h.biHeight;
    v->bits = h.biBitCount;
    v->compression = h.biCompression;
  }
  v->colorCount = PackedBitmapColorCount(bitmap);
  v->pixels = PackedBitmapPixels(bitmap);
  v->colors = v->pixels - v->colorCount * (v->core ? 3 : 4);
  if (v->compression == BI_BITFIELDS) {
    const BYTE *m = v->block + kInfoHeaderSize;  // after a 40-byte header, or inside a larger one
    for (int i = 0; i < 3; i++) v->masks[i] = Dword(m + 4 * i);
  } else if (v->bits == 16) {
    v->masks[0] = 0x7C00, v->masks[1] = 0x03E0, v->masks[2] = 0x001F;
  } else {
    v->masks[0] = 0xFF0000, v->masks[1] = 0xFF00, v->masks[2] = 0xFF;
  }
  return v->compression == BI_RGB || v->compression == BI_BITFIELDS;
}

unsigned long PaletteColor(const PackedView &v, DWORD index) {
  if ((LONG)index >= v.colorCount) return 0;
  const BYTE *c = v.colors + index * (v.core ? 3 : 4);
  return (unsigned long)c[2] << 16 | (unsigned long)c[1] << 8 | c[0];
}

unsigned long PackedPixel(const PackedView &v, const BYTE *row, int x) {
  switch (v.bits) {
    case 1: return PaletteColor(v, (row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return PaletteColor(v, (row[x >> 1] >> (x & 1 ? 0 : 4)) & 15);
    case 8: return PaletteColor(v, row[x]);
    case 24:
      return (unsigned long)row[3 * x + 2] << 16 | (unsigned long)row[3 * x + 1] << 8 | row[3 * x];
    case 16:
    case 32: {
      DWORD value = v.bits == 16 ? (DWORD)(row[2 * x] | row[2 * x + 1] << 8) : Dword(row + 4 * x);
      return (unsigned long)MaskChannel(value, v.masks[0]) << 16 |
             (unsigned long)MaskChannel(value, v.masks[1]) << 8 | MaskChannel(value, v.masks[2]);
    }
    default: return 0;
  }
}

// Skips blanks and '#' comments, then reads an unsigned number; -1 when there is none.
long PnmNumber(const std::string &s, size_t *pos) {
  while (*pos < s.size()) {
    if (s[*pos] == '#') {
      while (*pos < s.size() && s[*pos] != '\n') ++*pos;
    } else if (isspace((unsigned char)s[*pos])) {
      ++*pos;
    } else {
      break;
    }
  }
  if (*pos >= s.size() || !isdigit((unsigned char)s[*pos])) return -1;
  long n = 0;
  while (*pos < s.size() && isdigit((unsigned char)s[*pos]) && n < 1000000)
    n = n * 10 + (s[(*pos)++] - '0');
  return n;
}

}  // namespace

unsigned long RgbImage::At(int x, int y) const {
  const size_t i = ((size_t)y * width + x) * 3;
  return (unsigned long)rgb[i] << 16 | (unsigned long)rgb[i + 1] << 8 | rgb[i + 2];
}

::testing::AssertionResult SameRgb(const RgbImage &expected, const RgbImage &actual,
                                   int tolerance) {
  if (expected.empty()) return ::testing::AssertionFailure() << "no reference picture";
  if (actual.empty()) return ::testing::AssertionFailure() << "no picture to compare";
  if (expected.width != actual.width || expected.height != actual.height)
    return ::testing::AssertionFailure()
           << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
           << "x" << expected.height;
  for (size_t i = 0; i < expected.rgb.size(); i++) {
    if (std::abs(expected.rgb[i] - actual.rgb[i]) > tolerance) {
      const int pixel = (int)(i / 3);
      const int x = pixel % expected.width, y = pixel / expected.width;
      char text[96];
      snprintf(text, sizeof text, "pixel (%d, %d) from the top is %06lx, expected %06lx", x, y,
               actual.At(x, y), expected.At(x, y));
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

RgbImage PackedBitmapToRgb(PackedBitmap bitmap) {
  PackedView v;
  RgbImage image;
  if (!ViewPackedBitmap(bitmap, &v)) return image;
  const bool topDown = v.height < 0;
  const int height = topDown ? -v.height : v.height;
  const DWORD stride = PackedRowBytes(v.width, v.bits);
  image.width = v.width;
  image.height = height;
  image.rgb.resize((size_t)v.width * height * 3);
  for (int y = 0; y < height; y++) {
    const BYTE *row = v.pixels + (size_t)stride * (topDown ? y : height - 1 - y);
    for (int x = 0; x < v.width; x++) {
      const unsigned long c = PackedPixel(v, row, x);
      unsigned char *out = &image.rgb[((size_t)y * v.width + x) * 3];
      out[0] = (unsigned char)(c >> 16), out[1] = (unsigned char)(c >> 8),
      out[2] = (unsigned char)c;
    }
  }
  return image;
}

RgbImage ParsePnm(const std::string &bytes) {
  RgbImage image;
  if (bytes.size() < 3 || bytes[0] != 'P' || bytes[1] < '1' || bytes[1] > '6') return image;
  const int kind = bytes[1] - '0';
  size_t pos = 2;
  const long width = PnmNumber(bytes, &pos), height = PnmNumber(bytes, &pos);
  const bool bitmap = kind == 1 || kind == 4;
  const long maxval = bitmap ? 1 : PnmNumber(bytes, &pos);
  if (width <= 0 || height <= 0 || maxval <= 0 || maxval > 255) return image;
  if (kind >= 4) pos++;  // the single blank before binary data
  const int channels = kind == 3 || kind == 6 ? 3 : 1;
  std::vector<unsigned char> rgb((size_t)width * height * 3);
  const size_t rowBits = (size_t)(width + 7) / 8;
  for (long y = 0; y < height; y++) {
    for (long x = 0; x < width; x++) {
      int sample[3];
      for (int c = 0; c < channels; c++) {
        long value;
        if (kind == 4) {
          const size_t at = pos + (size_t)y * rowBits + (size_t)x / 8;
          if (at >= bytes.size()) return image;
          value = ((unsigned char)bytes[at] >> (7 - x % 8)) & 1;
        } else if (kind >= 5) {
          if (pos >= bytes.size()) return image;
          value = (unsigned char)bytes[pos++];
        } else {
          value = PnmNumber(bytes, &pos);
          if (value < 0) return image;
        }
        if (bitmap)
          value = value ? 0 : 255;  // 1 is black
        else
          value = (value * 255 + maxval / 2) / maxval;
        sample[c] = (int)value;
      }
      unsigned char *out = &rgb[((size_t)y * width + x) * 3];
      for (int c = 0; c < 3; c++) out[c] = (unsigned char)sample[channels == 3 ? c : 0];
    }
  }
  image.width = (int)width;
  image.height = (int)height;
  image.rgb.swap(rgb);
  return image;
}

std::string Quote(const std::string &path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

#ifdef _WIN32
RgbImage DeviceBitmapToRgb(HBITMAP bitmap) {
  RgbImage image;
  BITMAP bm = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return image;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = ((size_t)bm.bmWidth * 3 + 3) & ~(size_t)3;
  std::vector<unsigned char> rows(stride * bm.bmHeight);
  HDC dc = GetDC(nullptr);
  const int got = GetDIBits(dc, bitmap, 0, (UINT)bm.bmHeight, rows.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (got != bm.bmHeight) return image;
  image.width = bm.bmWidth;
  image.height = bm.bmHeight;
  image.rgb.resize((size_t)bm.bmWidth * bm.bmHeight * 3);
  for (int y = 0; y < bm.bmHeight; y++)
    for (int x = 0; x < bm.bmWidth; x++)
      for (int c = 0; c < 3; c++)
        image.rgb[((size_t)y * bm.bmWidth + x) * 3 + c] = rows[y * stride + x * 3 + 2 - c];
  return image;
}
#else
bool RunShell(const std::string &command) {
  return std::system(command.c_str()) == 0;
}

std::string ShellOutput(const std::string &command) {
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return std::string();
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return pclose(pipe) == 0 ? out : std::string();
}

RgbImage DecodeWithCommand(const std::string &command) {
  return ParsePnm(ShellOutput(command));
}

RgbImage DecodeWithImageMagick(const std::string &path) {
  return DecodeWithCommand("convert " + Quote(path + "[0]") + " -depth 8 ppm:-");
}
#endif

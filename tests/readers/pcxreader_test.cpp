#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "pcxreader.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

struct PcxHeader {
  int version = 5, bits = 8, planes = 1;
  int xmin = 0, ymin = 0, xmax = 3, ymax = 1;
  int bytesPerLine = 4;
  std::string colors = std::string(48, '\0');  // 16 red, green, blue triples
};

std::string PcxFile(const PcxHeader &h, const std::string &data, const std::string &table = "") {
  std::string f(128, '\0');
  f[0] = 0x0A;
  f[1] = (char)h.version;
  f[2] = 1;
  f[3] = (char)h.bits;
  const int window[4] = {h.xmin, h.ymin, h.xmax, h.ymax};
  for (int i = 0; i < 4; i++) f[4 + 2 * i] = (char)window[i], f[5 + 2 * i] = (char)(window[i] >> 8);
  memcpy(&f[16], h.colors.data(), 48);
  f[65] = (char)h.planes;
  f[66] = (char)h.bytesPerLine, f[67] = (char)(h.bytesPerLine >> 8);
  return f + data + (table.empty() ? "" : "\x0C" + table);
}

std::string Colors(std::initializer_list<unsigned long> rgb) {
  std::string s;
  for (unsigned long c : rgb) s += std::string{(char)(c >> 16), (char)(c >> 8), (char)c};
  return s + std::string(48 - s.size(), '\0');
}

std::string RleRun(int count, int value) {
  return std::string{(char)(0xC0 | count), (char)value};
}

class PcxReaderTest : public ::testing::Test {
 protected:
  Block Read(const std::string &bytes) {
    const std::string path = dir.File("p.pcx");
    WriteBytes(path, bytes);
    return Block(ReadPcxFile(path.c_str()));
  }
  static const BITMAPINFOHEADER &Info(const Block &b) {
    return *static_cast<const BITMAPINFOHEADER *>(b.get());
  }
  static const RGBQUAD *Table(const Block &b) {
    return reinterpret_cast<const RGBQUAD *>(static_cast<const BYTE *>(b.get()) + 40);
  }
  static unsigned long Entry(const Block &b, int i) {
    const RGBQUAD &q = Table(b)[i];
    return (unsigned long)q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue;
  }
  TempDir dir;
};

TEST_F(PcxReaderTest, RefusesBadHeaders) {
  PcxHeader h;
  const std::string rows = std::string(8, '\1');
  EXPECT_TRUE(Read(PcxFile(h, rows)));
  EXPECT_FALSE(Read(PcxFile(h, rows).substr(0, 127)));
  std::string wrongMaker = PcxFile(h, rows);
  wrongMaker[0] = 0x0B;
  EXPECT_FALSE(Read(wrongMaker));

  PcxHeader narrow = h;
  narrow.xmax = -1;  // width 0
  EXPECT_FALSE(Read(PcxFile(narrow, rows)));
  PcxHeader flat = h;
  flat.ymin = 5;  // height -3
  EXPECT_FALSE(Read(PcxFile(flat, rows)));
  for (int bytesPerLine : {0, -4, 3}) {  // 3 bytes cannot hold 4 pixels of 8 bits
    PcxHeader bad = h;
    bad.bytesPerLine = bytesPerLine;
    EXPECT_FALSE(Read(PcxFile(bad, rows))) << bytesPerLine;
  }
  PcxHeader twoPlanes = h;
  twoPlanes.planes = 2;
  EXPECT_FALSE(Read(PcxFile(twoPlanes, rows + rows)));
  PcxHeader huge = h;
  huge.xmin = -32768, huge.xmax = 32767, huge.ymin = -32768, huge.ymax = 32767;
  huge.bytesPerLine = 32767;  // consistent only with a narrower picture
  EXPECT_FALSE(Read(PcxFile(huge, rows)));
  huge.xmin = 0, huge.xmax = 32766;
  EXPECT_FALSE(Read(PcxFile(huge, rows)));  // 32767 x 65536 at 8 bits is past the limit
}

TEST_F(PcxReaderTest, ImageMustEndWithItsLastScanLine) {
  PcxHeader h;  // 4 x 2 at 8 bits: 8 bytes of scan lines
  Block exact = Read(PcxFile(h, RleRun(3, 7) + "\x01" + RleRun(4, 9)));
  ASSERT_TRUE(exact);
  const BYTE *pixels = PackedBitmapPixels(exact.get());
  EXPECT_EQ(std::string("\x09\x09\x09\x09\x07\x07\x07\x01", 8),
            std::string((const char *)pixels, 8));
  EXPECT_FALSE(Read(PcxFile(h, RleRun(3, 7) + "\x01" + RleRun(5, 9))));       // one byte too many
  EXPECT_FALSE(Read(PcxFile(h, RleRun(3, 7) + "\x01" + RleRun(3, 9))));       // cut short
  EXPECT_FALSE(Read(PcxFile(h, RleRun(3, 7) + "\x01" + "\xC5")));             // cut inside a run
  EXPECT_TRUE(Read(PcxFile(h, RleRun(0, 5) + RleRun(8, 2) + RleRun(0, 5))));  // 0xC0 makes nothing
}

TEST_F(PcxReaderTest, RunsCrossScanLines) {
  PcxHeader h;  // 100 x 2 at 8 bits
  h.xmax = 99, h.bytesPerLine = 100;
  std::string literals;
  for (int i = 0; i < 137; i++) literals += (char)(i % 0xC0);
  // 39 literal bytes and a run of 63, which ends 2 bytes into the second line.
  Block b = Read(PcxFile(h, literals.substr(0, 39) + RleRun(63, 0xEE) + literals.substr(39, 98)));
  ASSERT_TRUE(b);
  const std::string pixels((const char *)PackedBitmapPixels(b.get()), 200);
  const std::string top = pixels.substr(100), bottom = pixels.substr(0, 100);
  EXPECT_EQ(literals.substr(0, 39) + std::string(61, '\xEE'), top);
  EXPECT_EQ(std::string(2, '\xEE') + literals.substr(39, 98), bottom);
}

TEST_F(PcxReaderTest, RowsArePaddedToFourBytes) {
  PcxHeader mono;
  mono.bits = 1, mono.xmax = 32, mono.ymax = 0, mono.bytesPerLine = 6;
  Block one = Read(PcxFile(mono, std::string(6, '\xAA')));
  ASSERT_TRUE(one);
  EXPECT_EQ(8u, Info(one).biSizeImage);
  EXPECT_EQ(1, Info(one).biBitCount);
  EXPECT_EQ(2u, Info(one).biClrUsed);

  PcxHeader nibbles;
  nibbles.bits = 4, nibbles.xmax = 8, nibbles.ymax = 0, nibbles.bytesPerLine = 5;
  Block four = Read(PcxFile(nibbles, std::string(5, '\x12')));
  ASSERT_TRUE(four);
  EXPECT_EQ(8u, Info(four).biSizeImage);
  EXPECT_EQ(16u, Info(four).biClrUsed);
  EXPECT_TRUE(PackedBitmapIsWhole(four.get()));
}

TEST_F(PcxReaderTest, BlackOrOldColourTablesGiveTheBuiltInColours) {
  PcxHeader mono;
  mono.bits = 1, mono.xmax = 7, mono.ymax = 0, mono.bytesPerLine = 2;
  mono.version = 3;
  mono.colors = Colors({0x102030, 0xFFFFFF});
  Block old = Read(PcxFile(mono, std::string("\x0F\x00", 2)));
  ASSERT_TRUE(old);
  EXPECT_EQ(0x000000ul, Entry(old, 0));
  EXPECT_EQ(0xFF0000ul, Entry(old, 1));

  mono.version = 5;
  Block own = Read(PcxFile(mono, std::string("\x0F\x00", 2)));
  EXPECT_EQ(0x102030ul, Entry(own, 0));
  EXPECT_EQ(0xFFFFFFul, Entry(own, 1));
  mono.colors = Colors({0, 0});
  Block black = Read(PcxFile(mono, std::string("\x0F\x00", 2)));
  EXPECT_EQ(0xFF0000ul, Entry(black, 1));

  PcxHeader sixteen;
  sixteen.bits = 4, sixteen.bytesPerLine = 2;
  Block builtIn = Read(PcxFile(sixteen, std::string(4, '\x01')));
  ASSERT_TRUE(builtIn);
  EXPECT_EQ(0xFF5555ul, Entry(builtIn, 8));
  EXPECT_EQ(0x0000AAul, Entry(builtIn, 11));
  EXPECT_EQ(0xFFFFFFul, Entry(builtIn, 15));
}

TEST_F(PcxReaderTest, EndTableGivesTwoHundredFiftySixColours) {
  PcxHeader h;
  h.colors = Colors({0x112233});
  std::string table;
  for (int i = 0; i < 256; i++) table += std::string{(char)i, (char)(255 - i), 7};
  Block withTable = Read(PcxFile(h, std::string(8, '\x05'), table));
  ASSERT_TRUE(withTable);
  EXPECT_EQ(256u, Info(withTable).biClrUsed);
  EXPECT_EQ(0x05FA07ul, Entry(withTable, 5));
  EXPECT_TRUE(PackedBitmapIsWhole(withTable.get()));

  Block black = Read(PcxFile(h, std::string(8, '\x05'), std::string(768, '\0')));
  ASSERT_TRUE(black);  // no colours at all: a grey ramp
  EXPECT_EQ(256u, Info(black).biClrUsed);
  EXPECT_EQ(0x808080ul, Entry(black, 128));

  h.version = 4;  // only version 5 has the end table
  Block old = Read(PcxFile(h, std::string(8, '\x05'), table));
  ASSERT_TRUE(old);
  EXPECT_EQ(16u, Info(old).biClrUsed);
  EXPECT_EQ(0x112233ul, Entry(old, 0));
}

TEST_F(PcxReaderTest, PlanesAreMerged) {
  // 8 pixels on 4 one-bit planes, pixel i made of the plane bits of the value i.
  PcxHeader bitPlanes;
  bitPlanes.bits = 1, bitPlanes.planes = 4, bitPlanes.xmax = 7, bitPlanes.ymax = 0;
  bitPlanes.bytesPerLine = 2;
  const std::string planes = std::string("\x55\x00", 2) + std::string("\x33\x00", 2) +
                             std::string("\x0F\x00", 2) + std::string("\x00\x00", 2);
  Block merged = Read(PcxFile(bitPlanes, planes));
  ASSERT_TRUE(merged);
  EXPECT_EQ(4, Info(merged).biBitCount);
  EXPECT_EQ(std::string("\x01\x23\x45\x67", 4),
            std::string((const char *)PackedBitmapPixels(merged.get()), 4));

  PcxHeader bytePlanes;
  bytePlanes.planes = 3, bytePlanes.xmax = 1, bytePlanes.ymax = 0, bytePlanes.bytesPerLine = 2;
  Block rgb = Read(PcxFile(bytePlanes, "\x10\x11\x20\x21\x30\x31"));
  ASSERT_TRUE(rgb);
  EXPECT_EQ(24, Info(rgb).biBitCount);
  EXPECT_EQ(0u, Info(rgb).biClrUsed);
  EXPECT_EQ(std::string("\x30\x20\x10\x31\x21\x11\0\0", 8),
            std::string((const char *)PackedBitmapPixels(rgb.get()), 8));
}

#ifndef _WIN32
// Pictures written by netpbm and ImageMagick, decoded by us and by pcxtoppm (ImageMagick
// inverts 1-bit PCX).
TEST(PcxAgainstNetpbm, SamePixels) {
  TempDir dir;
  const std::string source = dir.File("source.ppm");
  struct {
    const char *name, *make;
  } files[] = {
      {"mono", "convert rose: -resize 37x9! -monochrome pbm:- | ppmtopcx"},
      {"planes4", "convert rose: -resize 37x9! -colors 16 ppm:- | ppmtopcx -planes 4"},
      {"planes3", "convert rose: -resize 35x10! -colors 8 ppm:- | ppmtopcx -planes 3"},
      {"packed4", "convert rose: -resize 37x9! -colors 16 ppm:- | ppmtopcx -packed"},
      {"eight", "convert rose: -resize 67x45! -colors 200 PCX:-"},
      {"true", "convert rose: -resize 67x45! -type truecolor PCX:-"},
  };
  for (auto &f : files) {
    SCOPED_TRACE(f.name);
    const std::string pcx = dir.File(std::string(f.name) + ".pcx");
    ASSERT_TRUE(RunShell(std::string(f.make) + " > " + Quote(pcx) + " 2>/dev/null"));
    Block b(ReadPcxFile(pcx.c_str()));
    ASSERT_TRUE(b);
    const RgbImage reference = DecodeWithCommand("pcxtoppm " + Quote(pcx) + " 2>/dev/null");
    EXPECT_TRUE(SameRgb(reference, PackedBitmapToRgb(b.get())));
    const std::string copy = dir.File("copy.bmp");
    ASSERT_EQ(1, WritePackedBitmapFile(copy.c_str(), b.get()));
    EXPECT_TRUE(SameRgb(reference, DecodeWithImageMagick(copy)));
  }
}
#endif

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "bmpreader.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

void Put16(std::string *s, unsigned v) {
  s->push_back((char)(v & 0xFF));
  s->push_back((char)(v >> 8 & 0xFF));
}
void Put32(std::string *s, unsigned long v) {
  Put16(s, (unsigned)(v & 0xFFFF));
  Put16(s, (unsigned)(v >> 16 & 0xFFFF));
}

std::string InfoHeader(long width, long height, int bits, unsigned long compression = BI_RGB,
                       unsigned long colors = 0, unsigned long sizeImage = 0) {
  std::string h;
  Put32(&h, 40);
  Put32(&h, (unsigned long)width);
  Put32(&h, (unsigned long)height);
  Put16(&h, 1);
  Put16(&h, (unsigned)bits);
  Put32(&h, compression);
  Put32(&h, sizeImage);
  Put32(&h, 0);
  Put32(&h, 0);
  Put32(&h, colors);
  Put32(&h, colors);
  return h;
}

// A BMP file: file header, then `header` (with its masks and colour table), `gap` filler
// bytes that bfOffBits skips, and the pixel data.
std::string BmpFile(const std::string &header, const std::string &pixels, size_t gap = 0) {
  std::string f = "BM";
  Put32(&f, (unsigned long)(14 + header.size() + gap + pixels.size()));
  Put32(&f, 0);
  Put32(&f, (unsigned long)(14 + header.size() + gap));
  return f + header + std::string(gap, '\x5A') + pixels;
}

// Four 24-bit pixels per row (12 bytes, no padding), distinct per row and column.
std::string Rows24(int rows) {
  std::string p;
  for (int y = 0; y < rows; y++)
    for (int x = 0; x < 4; x++) p += std::string{(char)(10 * x), (char)(50 + y), (char)200};
  return p;
}

class BmpReaderTest : public ::testing::Test {
 protected:
  Block Read(const std::string &bytes, const char *name = "p.bmp") {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    return Block(ReadBmpFile(path.c_str()));
  }
  TempDir dir;
};

TEST_F(BmpReaderTest, RefusesWhatIsNotABitmap) {
  EXPECT_FALSE(Read("This is a text file, not a picture.\n"));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 24), Rows24(2)).substr(0, 13)));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 24), Rows24(2)).substr(0, 14)));
  EXPECT_FALSE(Read("\x89PNG\r\n\x1a\n" + std::string(64, '\0'), "photo"));
  EXPECT_FALSE(Read("\xFF\xD8\xFF\xE0" + std::string(64, '\0'), "photo.jpe"));
  EXPECT_FALSE(ReadBmpFile(dir.File("missing.bmp").c_str()));
}

TEST_F(BmpReaderTest, RefusesHeadersItCannotBound) {
  std::string odd = InfoHeader(4, 2, 24);
  odd[0] = 64;  // OS/2 2.x header size
  EXPECT_FALSE(Read(BmpFile(odd, Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(0, 2, 24), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(-4, 2, 24), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 0, 24), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 7), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 24, 4 /* BI_JPEG */), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 24, BI_RLE8, 0, 24), Rows24(2))));
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 8, BI_RGB, 257), Rows24(2))));
  // The file ends inside the colour table.
  EXPECT_FALSE(Read(BmpFile(InfoHeader(4, 2, 8, BI_RGB, 16) + std::string(40, '\1'), "")));
}

TEST_F(BmpReaderTest, ReadsByTheRealSizeNotBfSize) {
  std::string bytes = BmpFile(InfoHeader(4, 3, 24), Rows24(3));
  bytes[2] = 7, bytes[3] = 0;
  Block b = Read(bytes);
  ASSERT_TRUE(b);
  EXPECT_EQ(40u + 36u, GlobalSize(b.get()));
  EXPECT_EQ(0, memcmp(PackedBitmapPixels(b.get()), Rows24(3).data(), 36));
}

TEST_F(BmpReaderTest, GapBeforeThePixelsIsDropped) {
  Block b = Read(BmpFile(InfoHeader(4, 3, 24), Rows24(3), 66));
  ASSERT_TRUE(b);
  EXPECT_EQ(40u + 36u, GlobalSize(b.get()));
  EXPECT_EQ(0, memcmp(PackedBitmapPixels(b.get()), Rows24(3).data(), 36));
}

TEST_F(BmpReaderTest, OffsetInsideTheHeaderOrPastTheEndIsIgnored) {
  std::string bytes = BmpFile(InfoHeader(4, 3, 24), Rows24(3));
  bytes[10] = 20;  // inside the info header
  Block inside = Read(bytes);
  ASSERT_TRUE(inside);
  EXPECT_EQ(0, memcmp(PackedBitmapPixels(inside.get()), Rows24(3).data(), 36));
  bytes[10] = 0, bytes[12] = 1;  // 65536, past the end
  Block past = Read(bytes);
  ASSERT_TRUE(past);
  EXPECT_EQ(0, memcmp(PackedBitmapPixels(past.get()), Rows24(3).data(), 36));
}

TEST_F(BmpReaderTest, BitfieldMasksAreNotPixels) {
  std::string header = InfoHeader(2, 1, 16, BI_BITFIELDS);
  Put32(&header, 0xF800);
  Put32(&header, 0x07E0);
  Put32(&header, 0x001F);
  Block b = Read(BmpFile(header, std::string("\x00\xF8\xE0\x07", 4)));
  ASSERT_TRUE(b);
  EXPECT_EQ(40u + 12u, (size_t)(PackedBitmapPixels(b.get()) - (BYTE *)b.get()));
  RgbImage rgb = PackedBitmapToRgb(b.get());
  ASSERT_FALSE(rgb.empty());
  EXPECT_EQ(0xFF0000ul, rgb.At(0, 0));
  EXPECT_EQ(0x00FF00ul, rgb.At(1, 0));
}

TEST_F(BmpReaderTest, FileCutShortInItsPixelsEndsInZeros) {
  Block b = Read(BmpFile(InfoHeader(4, 3, 24), Rows24(3).substr(0, 20)));
  ASSERT_TRUE(b);
  ASSERT_TRUE(PackedBitmapIsWhole(b.get()));
  const BYTE *pixels = PackedBitmapPixels(b.get());
  EXPECT_EQ(0, memcmp(pixels, Rows24(3).data(), 20));
  EXPECT_EQ(std::string(16, '\0'), std::string((const char *)pixels + 20, 16));

  // Run-length data is bounded by biSizeImage, completed the same way.
  Block rle = Read(BmpFile(InfoHeader(4, 3, 8, BI_RLE8, 2, 100) + std::string(8, '\1'),
                           std::string("\x04\x01\x00\x00", 4)));
  ASSERT_TRUE(rle);
  EXPECT_EQ(40u + 8u + 100u, GlobalSize(rle.get()));
}

TEST_F(BmpReaderTest, ColorProfileOutsideTheFileIsDropped) {
  std::string header = InfoHeader(4, 3, 24);
  header[0] = (char)124;
  header += std::string(124 - 40, '\0');
  memcpy(&header[56], "DEBM", 4);               // PROFILE_EMBEDDED, little-endian 'MBED'
  memcpy(&header[112], "\x00\x00\x01\x00", 4);  // at 65536
  memcpy(&header[116], "\x00\x10\x00\x00", 4);  // 4096 bytes
  Block b = Read(BmpFile(header, Rows24(3)));
  ASSERT_TRUE(b);
  EXPECT_TRUE(PackedBitmapIsWhole(b.get()));
}

TEST_F(BmpReaderTest, LargestPictureLoadsAndOneRowMoreIsRefused) {
  const std::string path = dir.File("huge.bmp");
  WriteBytes(path, BmpFile(InfoHeader(8192, 8192, 32), ""));
  std::filesystem::resize_file(path, 54 + 8192ull * 8192 * 4);
  Block huge(ReadBmpFile(path.c_str()));
  ASSERT_TRUE(huge);
  EXPECT_EQ(40u + 8192ull * 8192 * 4, GlobalSize(huge.get()));
  huge.reset();
  WriteBytes(path, BmpFile(InfoHeader(8192, 8193, 32), std::string(4096, '\0')));
  EXPECT_FALSE(ReadBmpFile(path.c_str()));
  WriteBytes(path, BmpFile(InfoHeader(0x7FFFFFFF, -0x7FFFFFFF, 32), std::string(4096, '\0')));
  EXPECT_FALSE(ReadBmpFile(path.c_str()));
}

#ifndef _WIN32
// Pictures written by ImageMagick, read by us and by ImageMagick. Run-length files are
// compared through the BMP file that WritePackedBitmapFile makes of the block.
struct MadeBmp {
  const char *name;
  const char *options;  // convert arguments between the source picture and the output
  int bits;
};

class BmpAgainstImageMagick : public ::testing::TestWithParam<MadeBmp> {};

TEST_P(BmpAgainstImageMagick, SamePixels) {
  const MadeBmp &made = GetParam();
  TempDir dir;
  const std::string file = dir.File(std::string(made.name) + ".bmp");
  ASSERT_TRUE(RunShell(std::string("convert rose: -resize 67x45! ") + made.options + Quote(file)));
  Block b(ReadBmpFile(file.c_str()));
  ASSERT_TRUE(b);
  ASSERT_TRUE(PackedBitmapIsWhole(b.get()));
  WORD bits;
  memcpy(&bits, (BYTE *)b.get() + (*(DWORD *)b.get() == 12 ? 10 : 14), 2);
  EXPECT_EQ(made.bits, bits);
  const RgbImage reference = DecodeWithImageMagick(file);
  DWORD compression = 0;
  if (*(DWORD *)b.get() != 12) memcpy(&compression, (BYTE *)b.get() + 16, 4);
  if (compression != BI_RLE8 && compression != BI_RLE4)
    EXPECT_TRUE(SameRgb(reference, PackedBitmapToRgb(b.get())));
  const std::string copy = dir.File("copy.bmp");
  ASSERT_EQ(1, WritePackedBitmapFile(copy.c_str(), b.get()));
  EXPECT_TRUE(SameRgb(reference, DecodeWithImageMagick(copy)));
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpAgainstImageMagick,
    ::testing::Values(MadeBmp{"mono", "-type bilevel BMP3:", 1},
                      MadeBmp{"four", "-colors 3 BMP3:", 4},
                      MadeBmp{"sixteen", "-colors 16 BMP3:", 4},
                      MadeBmp{"eight", "-colors 200 -compress None BMP3:", 8},
                      MadeBmp{"rle8", "-colors 200 -compress RLE BMP3:", 8},
                      MadeBmp{"true", "-type truecolor BMP3:", 24},
                      MadeBmp{"alpha", "-alpha on -define bmp3:alpha=true BMP3:", 32},
                      MadeBmp{"v5", "-colors 16 BMP:", 4},
                      MadeBmp{"v5rgb565", "-define bmp:subtype=RGB565 BMP:", 16},
                      MadeBmp{"v5argb", "-alpha on BMP:", 32},
                      MadeBmp{"core8", "-colors 200 BMP2:", 8},
                      MadeBmp{"core24", "-type truecolor BMP2:", 24}),
    [](const ::testing::TestParamInfo<MadeBmp> &info) { return std::string(info.param.name); });

// Files ImageMagick does not write: 16-bit 5-5-5, masks after a 40-byte header, top-down
// rows, RLE4, and a gap before the pixels. Made by hand, decoded by ImageMagick.
TEST(BmpHandMade, SamePixelsAsImageMagick) {
  TempDir dir;
  std::string rgb555, rgb565;
  for (int y = 0; y < 3; y++) {
    for (int x = 0; x < 5; x++) {
      Put16(&rgb555, (unsigned)((x * 7) << 10 | (y * 9) << 5 | (31 - x)));
      Put16(&rgb565, (unsigned)((x * 7) << 11 | (y * 20) << 5 | (31 - x)));
    }
    rgb555 += std::string(2, '\0');  // rows padded to 12 bytes
    rgb565 += std::string(2, '\0');
  }
  std::string masks;
  Put32(&masks, 0xF800);
  Put32(&masks, 0x07E0);
  Put32(&masks, 0x001F);
  std::string topDown24 = Rows24(3);
  std::string rle4Table;
  for (int i = 0; i < 16; i++) Put32(&rle4Table, (unsigned long)(i * 0x0F0F10));
  // Two rows of 7: a run of 5 alternating 1/2, an absolute run of 2; end of line; end.
  const std::string rle4("\x05\x12\x00\x02\x34\x00\x00\x00\x07\xAB\x00\x01", 12);

  struct {
    const char *name;
    std::string bytes;
  } files[] = {
      {"rgb555", BmpFile(InfoHeader(5, 3, 16), rgb555)},
      {"rgb565", BmpFile(InfoHeader(5, 3, 16, BI_BITFIELDS) + masks, rgb565)},
      {"topdown", BmpFile(InfoHeader(4, -3, 24), topDown24)},
      {"rle4", BmpFile(InfoHeader(7, 2, 4, BI_RLE4, 16, 12) + rle4Table, rle4)},
      {"gap", BmpFile(InfoHeader(4, 3, 24), Rows24(3), 30)},
  };
  for (auto &f : files) {
    SCOPED_TRACE(f.name);
    const std::string file = dir.File(std::string(f.name) + ".bmp");
    WriteBytes(file, f.bytes);
    Block b(ReadBmpFile(file.c_str()));
    ASSERT_TRUE(b);
    const RgbImage reference = DecodeWithImageMagick(file);
    const std::string copy = dir.File("copy.bmp");
    ASSERT_EQ(1, WritePackedBitmapFile(copy.c_str(), b.get()));
    EXPECT_TRUE(SameRgb(reference, DecodeWithImageMagick(copy)));
    if (std::string(f.name) != "rle4") EXPECT_TRUE(SameRgb(reference, PackedBitmapToRgb(b.get())));
  }
}
#endif

}  // namespace

#include "jpegreader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "exiforientation.h"
#include "jpegwriter.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

class JpegReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {}

  // The block must hold exactly libjpeg's own decoding, bottom-up, BGR or grey, padded rows,
  // after its header and colour table.
  void ExpectPixelsOf(const std::string &jpeg, const std::string &bmp) {
    const DecodedJpeg decoded = DecodeJpeg(jpeg);
    ASSERT_GT(decoded.width, 0);
    const int c = decoded.components;
    const size_t rowWidth = ((size_t)decoded.width * c + 3) & ~(size_t)3;
    ASSERT_GE(bmp.size(), 40u);
    const size_t offBits = Dword(bmp, 0) + Dword(bmp, 32) * 4;  // biSize, biClrUsed
    ASSERT_EQ(offBits + rowWidth * decoded.height, bmp.size());
    for (int y = 0; y < decoded.height; y++) {
      const size_t row = offBits + (size_t)(decoded.height - 1 - y) * rowWidth;
      for (int x = 0; x < decoded.width; x++)
        for (int k = 0; k < c; k++)
          ASSERT_EQ(decoded.samples[((size_t)y * decoded.width + x) * c + k],
                    (BYTE)bmp[row + (size_t)x * c + (c - 1 - k)])
              << "pixel (" << x << ", " << y << ") sample " << k;
      for (size_t pad = (size_t)decoded.width * c; pad < rowWidth; pad++)
        ASSERT_EQ(0, bmp[row + pad]);
    }
  }

  // ReadJpegFile on the JPEG bytes: the picture's pixels as RGB, and the block's bytes (or
  // "failed").
  std::string Read(const std::string &jpeg, RgbImage *rgb = nullptr) {
    const std::string in = dir.File("read.jpg");
    WriteBytes(in, jpeg);
    PackedBitmap bitmap = ReadJpegFile(in.c_str());
    if (!bitmap) return "failed";
    if (rgb) *rgb = PackedBitmapToRgb(bitmap);
    std::string bytes(static_cast<const char *>(bitmap), GlobalSize(bitmap));
    GlobalFree(bitmap);
    return bytes;
  }

  TempDir dir;
  TempDir temp;  // the user's temporary folder while the test runs
  TempFolderOverride tempFolder{temp.path()};
};

TEST_F(JpegReaderTest, ColourBecomes24BitRowsBottomUp) {
  const std::string jpeg = MakeJpeg(3, 5);
  const std::string bmp = Read(jpeg);
  ASSERT_NE("failed", bmp);
  ASSERT_EQ(40u + 12 * 5, bmp.size());  // rows of 9 data bytes and 3 pad bytes
  EXPECT_EQ(40u, Dword(bmp, 0));
  EXPECT_EQ(3u, Dword(bmp, 4));
  EXPECT_EQ(5u, Dword(bmp, 8));
  EXPECT_EQ(1, Word(bmp, 12));
  EXPECT_EQ(24, Word(bmp, 14));
  for (size_t at = 16; at < 40; at += 4) EXPECT_EQ(0u, Dword(bmp, at)) << at;
  ExpectPixelsOf(jpeg, bmp);
}

TEST_F(JpegReaderTest, GreyBecomes8BitWithAGreyTable) {
  JpegOptions grey;
  grey.components = 1;
  const std::string jpeg = MakeJpeg(3, 4, grey);
  const std::string bmp = Read(jpeg);
  ASSERT_EQ(1064u + 4 * 4, bmp.size());  // rows of 3 data bytes and 1 pad byte
  EXPECT_EQ(8, Word(bmp, 14));
  EXPECT_EQ(256u, Dword(bmp, 32));
  EXPECT_EQ(0u, Dword(bmp, 36));
  for (int i = 0; i < 256; i++)
    EXPECT_EQ((DWORD)(i | i << 8 | i << 16), Dword(bmp, 40 + i * 4)) << i;
  ExpectPixelsOf(jpeg, bmp);
}

TEST_F(JpegReaderTest, SizesAndCodingsDecodeAsLibjpegDecodesThem) {
  for (int width : {1, 2, 7, 16, 33, 101})
    for (bool progressive : {false, true})
      for (int components : {1, 3}) {
        SCOPED_TRACE(testing::Message() << width << " " << progressive << " " << components);
        JpegOptions options;
        options.progressive = progressive;
        options.components = components;
        const std::string jpeg = MakeJpeg(width, 19, options);
        ExpectPixelsOf(jpeg, Read(jpeg));
      }
  // Wide rows in many batches, the last one partial.
  for (int components : {1, 3}) {
    JpegOptions options;
    options.components = components;
    const std::string jpeg = MakeJpeg(3001, 250, options);
    ExpectPixelsOf(jpeg, Read(jpeg));
  }
}

TEST_F(JpegReaderTest, DensityCountsOnlyInDotsPerCentimetre) {
  JpegOptions options;
  options.densityUnit = 2;
  options.xDensity = 28;
  options.yDensity = 39;
  std::string bmp = Read(MakeJpeg(4, 4, options));
  EXPECT_EQ(2800u, Dword(bmp, 24));
  EXPECT_EQ(3900u, Dword(bmp, 28));
  options.densityUnit = 1;
  bmp = Read(MakeJpeg(4, 4, options));
  EXPECT_EQ(0u, Dword(bmp, 24));
  EXPECT_EQ(0u, Dword(bmp, 28));
}

TEST_F(JpegReaderTest, UndecodablePicturesFailWithoutEndingTheProgram) {
  const std::string good = MakeJpeg(40, 30);
  // The frame header (SOF0): its type, then its height and width.
  const size_t sof = good.find("\xFF\xC0");
  ASSERT_NE(std::string::npos, sof);
  std::string lossless = good;
  lossless[sof + 1] = (char)0xC3;  // a process libjpeg does not decode
  std::string tooLarge = good;
  tooLarge[sof + 5] = tooLarge[sof + 7] = (char)0xFF;
  tooLarge[sof + 6] = tooLarge[sof + 8] = (char)0xDC;  // 65500 x 65500
  const std::string cases[] = {"", "not a JPEG at all", good.substr(0, 100), lossless, tooLarge};
  for (const std::string &jpeg : cases) {
    SCOPED_TRACE(jpeg.size());
    EXPECT_EQ("failed", Read(jpeg));
    EXPECT_EQ(0u, FileNames(temp.path()).size());
  }
  // And the next good picture reads.
  ExpectPixelsOf(good, Read(good));
}

TEST_F(JpegReaderTest, DataCutShortIsDecodedAsFarAsItGoes) {
  const std::string good = MakeJpeg(64, 64);
  const std::string bmp = Read(good.substr(0, good.size() * 2 / 3));
  ASSERT_NE("failed", bmp);
  EXPECT_EQ(40u + 64 * 3 * 64, bmp.size());
}

TEST_F(JpegReaderTest, ReadJpegFileHoldsLibjpegsDecodingAndWritesNoFile) {
  struct Case {
    int width, height, components;
    bool progressive;
    int densityUnit;
  } cases[] = {
      {37, 21, 3, false, 0}, {1, 1, 3, false, 0},      {33, 19, 1, true, 0},
      {101, 7, 3, true, 2},  {3001, 250, 3, false, 0}, {3001, 250, 1, false, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.components);
    JpegOptions options;
    options.components = c.components;
    options.progressive = c.progressive;
    options.densityUnit = c.densityUnit;
    options.xDensity = 31;
    options.yDensity = 17;
    const std::string jpeg = MakeJpeg(c.width, c.height, options);
    const std::string bmp = Read(jpeg);
    ASSERT_NE("failed", bmp);
    ExpectPixelsOf(jpeg, bmp);
    EXPECT_EQ(c.densityUnit == 2 ? 3100u : 0u, Dword(bmp, 24));
    EXPECT_EQ(c.densityUnit == 2 ? 1700u : 0u, Dword(bmp, 28));
    EXPECT_EQ(0u, FileNames(temp.path()).size());
  }
}

TEST_F(JpegReaderTest, ASetCancelFlagStopsTheDecodingAndLeavesNoTemporaryFile) {
  const std::string in = dir.File("photo.jpg");
  WriteBytes(in, MakeJpeg(64, 48));
  std::atomic<bool> cancel{true};
  EXPECT_EQ(nullptr, ReadJpegFile(in.c_str(), &cancel));
  EXPECT_EQ(0u, FileNames(temp.path()).size());
  cancel = false;  // a flag that stays clear changes nothing
  PackedBitmap bitmap = ReadJpegFile(in.c_str(), &cancel);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(64, static_cast<BITMAPINFOHEADER *>(bitmap)->biWidth);
  EXPECT_EQ(0u, FileNames(temp.path()).size());
  GlobalFree(bitmap);
}

// ---- EXIF orientation ----

TEST_F(JpegReaderTest, EveryExifOrientationReadsUpright) {
  // Where the upright picture's pixel (x, y) lies in the stored w x h picture.
  using From = std::pair<int, int> (*)(int x, int y, int w, int h);
  const struct {
    int value;
    From from;
  } cases[] = {
      {1, [](int x, int y, int, int) { return std::make_pair(x, y); }},
      {2, [](int x, int y, int w, int) { return std::make_pair(w - 1 - x, y); }},
      {3, [](int x, int y, int w, int h) { return std::make_pair(w - 1 - x, h - 1 - y); }},
      {4, [](int x, int y, int, int h) { return std::make_pair(x, h - 1 - y); }},
      {5, [](int x, int y, int, int) { return std::make_pair(y, x); }},
      {6, [](int x, int y, int, int h) { return std::make_pair(y, h - 1 - x); }},
      {7, [](int x, int y, int w, int h) { return std::make_pair(w - 1 - y, h - 1 - x); }},
      {8, [](int x, int y, int w, int) { return std::make_pair(w - 1 - y, x); }},
  };
  // Odd sizes, so that stored and turned rows pad differently; sides past a 64-pixel tile; and
  // one decoded in several bands of 256 rows, the last one short.
  const struct {
    int components, width, height;
  } pictures[] = {{3, 70, 9}, {1, 5, 67}, {3, 67, 530}};
  for (const auto &p : pictures) {
    JpegOptions options;
    options.components = p.components;
    RgbImage stored, upright;
    ASSERT_NE("failed", Read(MakeJpeg(p.width, p.height, options), &stored));
    ASSERT_EQ(p.width, stored.width);
    for (const auto &c : cases)
      for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(testing::Message()
                     << "orientation " << c.value << (bigEndian ? " MM " : " II ") << p.components
                     << " components");
        options.exif = ExifBlock(c.value, bigEndian);
        const std::string read = Read(MakeJpeg(p.width, p.height, options), &upright);
        ASSERT_NE("failed", read);
        EXPECT_EQ(p.components * 8, (BYTE)read[14]);  // biBitCount
        const bool sideways = c.value >= 5;
        ASSERT_EQ(sideways ? p.height : p.width, upright.width);
        ASSERT_EQ(sideways ? p.width : p.height, upright.height);
        for (int y = 0; y < upright.height; y++)
          for (int x = 0; x < upright.width; x++) {
            const std::pair<int, int> s = c.from(x, y, p.width, p.height);
            ASSERT_EQ(stored.At(s.first, s.second), upright.At(x, y)) << x << ", " << y;
          }
      }
  }
}

TEST_F(JpegReaderTest, BrokenOrientationTagsReadAsStored) {
  const std::string picture = MakeJpeg(7, 5);
  JpegOptions options;
  const std::string stored = Read(picture);
  ASSERT_NE("failed", stored);
  const size_t tag = kExifOrientationAt;
  const struct {
    const char *what;
    size_t at;  // where to change the block of orientation 6; 0 for no change
    unsigned long value;
    int bytes;
    size_t keep;  // bytes of the block to keep; 0 for all
  } cases[] = {
      {"IFD0 past the end", kExifIfdOffsetAt, 0xFFFFFFF0, 4, 0},
      {"IFD0 on the last byte", kExifIfdOffsetAt, 37, 4, 0},
      {"IFD0 in the TIFF header", kExifIfdOffsetAt, 2, 4, 0},
      {"no entries", kExifEntryCountAt, 0, 2, 0},
      {"huge count of values", tag + 4, 0xFFFFFFFF, 4, 0},
      {"two values", tag + 4, 2, 4, 0},
      {"type LONG", tag + 2, 4, 2, 0},
      {"value 0", tag + 8, 0, 2, 0},
      {"value 9", tag + 8, 9, 2, 0},
      {"value 65535", tag + 8, 0xFFFF, 2, 0},
      {"not 42", 8, 43, 2, 0},
      {"no byte order", 7, 'X', 1, 0},
      {"block cut inside the tag", 0, 0, 0, tag + 9},
      {"block cut inside the TIFF header", 0, 0, 0, 12},
      {"signature only", 0, 0, 0, 6},
  };
  for (const auto &c : cases)
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (bigEndian ? " MM" : " II"));
      std::string block = ExifBlock(kOrientationTurnedClockwise, bigEndian);
      if (c.at) PutExifNumber(block, c.at, c.value, c.bytes);
      if (c.keep) block.resize(c.keep);
      options.exif = block;
      EXPECT_EQ(
          kOrientationAsStored,
          ExifOrientation(reinterpret_cast<const unsigned char *>(block.data()), block.size()));
      EXPECT_TRUE(Read(MakeJpeg(7, 5, options)) == stored);
    }
}

// Only the first APP1 block that starts "Exif\0\0" counts, read whole up to the largest a
// marker holds; other APP1 blocks, however many and large, are skipped.
TEST_F(JpegReaderTest, TheFirstExifBlockAmongApp1BlocksGivesTheOrientation) {
  const std::string xmp = "http://ns.adobe.com/xap/1.0/" + std::string(60000, 'x');
  std::string largest = ExifBlock(3, true);
  largest.resize(65533);
  std::vector<std::string> many(100, xmp);
  many.push_back(ExifBlock(7, false));
  const struct {
    const char *what;
    std::string raw;                  // bytes right after SOI, before the blocks
    std::vector<std::string> blocks;  // APP1 data in file order
    int expected;
  } cases[] = {
      {"after an XMP block", "", {xmp, ExifBlock(6, false)}, 6},
      {"first of two", "", {ExifBlock(6, false), ExifBlock(8, true)}, 6},
      {"of the largest size", "", {largest}, 3},
      {"after a block too short for the signature", "", {"Exi", ExifBlock(8, true)}, 8},
      {"after a length too short to count itself",
       std::string("\xFF\xE1\x00\x01", 4),
       {ExifBlock(5, false)},
       5},
      {"after 100 blocks of 60 KB", "", many, 7},
      {"none", "", {xmp}, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    std::string jpeg = MakeJpeg(9, 6);
    for (size_t i = c.blocks.size(); i-- > 0;) jpeg = WithApp1(jpeg, c.blocks[i]);
    jpeg.insert(2, c.raw);
    JpegOptions upright;
    if (c.expected != 1) upright.exif = ExifBlock(c.expected, false);
    const std::string expected = Read(MakeJpeg(9, 6, upright));
    ASSERT_NE("failed", expected);
    EXPECT_TRUE(Read(jpeg) == expected);
  }
}

}  // namespace

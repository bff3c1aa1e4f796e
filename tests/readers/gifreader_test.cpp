#include "gifreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gifwriter.h"
#include "testfiles.h"

namespace {

typedef std::vector<unsigned char> Pixels;

// A deterministic picture with runs as well as noise, values below `colors` (from `low` up).
Pixels Pattern(int width, int height, int colors, int seed, int low = 0) {
  Pixels pixels((size_t)width * height);
  unsigned state = (unsigned)seed * 2654435761u + 1;
  for (size_t i = 0; i < pixels.size(); i++) {
    state = state * 1103515245u + 12345u;
    const bool run = (state >> 20) % 3 != 0 && i > 0;
    pixels[i] =
        run ? pixels[i - 1] : (unsigned char)(low + (state >> 16) % (unsigned)(colors - low));
  }
  return pixels;
}

const BITMAPINFOHEADER *Info(PackedBitmap bitmap) {
  return static_cast<const BITMAPINFOHEADER *>(bitmap);
}

// The colour-table index of the pixel at (x, y), y counted from the top.
int IndexAt(PackedBitmap bitmap, int x, int y) {
  const BITMAPINFOHEADER *info = Info(bitmap);
  const int bits = info->biBitCount;
  const BYTE *row = PackedBitmapPixels(bitmap) +
                    (size_t)(info->biHeight - 1 - y) * PackedRowBytes(info->biWidth, bits);
  switch (bits) {
    case 8: return row[x];
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    default: return (row[x / 8] >> (7 - x % 8)) & 1;
  }
}

// Every pixel of the bitmap against the expected indices; stops at the first difference.
::testing::AssertionResult HasPixels(PackedBitmap bitmap, int width, int height,
                                     const Pixels &expected) {
  if (!bitmap) return ::testing::AssertionFailure() << "no bitmap";
  if (Info(bitmap)->biWidth != width || Info(bitmap)->biHeight != height)
    return ::testing::AssertionFailure()
           << "size " << Info(bitmap)->biWidth << "x" << Info(bitmap)->biHeight;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      if (IndexAt(bitmap, x, y) != expected[(size_t)y * width + x])
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << IndexAt(bitmap, x, y) << ", not "
               << (int)expected[(size_t)y * width + x];
  return ::testing::AssertionSuccess();
}

bool RowIsZero(PackedBitmap bitmap, int y) {
  for (int x = 0; x < Info(bitmap)->biWidth; x++)
    if (IndexAt(bitmap, x, y) != 0) return false;
  return true;
}

class GifReaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (PackedBitmap b : read) GlobalFree(b);
  }

  PackedBitmap Read(const std::string &bytes) {
    const std::string file = dir.File("picture.gif");
    WriteBytes(file, bytes);
    PackedBitmap bitmap = ReadGifFile(file.c_str());
    if (bitmap) read.push_back(bitmap);
    return bitmap;
  }

  TempDir dir;
  std::vector<PackedBitmap> read;
};

TEST_F(GifReaderTest, VersionsOfTheRightShapeAreRead) {
  const Pixels pixels = Pattern(5, 3, 4, 1);
  for (const char *version : {"87a", "89a", "12z", "00A"}) {
    SCOPED_TRACE(version);
    EXPECT_TRUE(HasPixels(Read(MakeGif(5, 3, 4, pixels, false, version)), 5, 3, pixels));
  }
}

TEST_F(GifReaderTest, WrongSignaturesAndFilesEndingBeforeTheImageGiveNull) {
  const Pixels pixels = Pattern(5, 3, 4, 1);
  const std::string good = MakeGif(5, 3, 4, pixels);
  const std::string image = GifImageDescriptor(5, 3, 0, false) + GifLzwData(pixels, 2) + ";";
  ASSERT_TRUE(Read(good));
  for (const char *version : {"8xa", "x9a", "89@", "89{"})
    EXPECT_FALSE(Read(MakeGif(5, 3, 4, pixels, false, version))) << version;
  std::string notGif = good;
  notGif[2] = 'X';
  EXPECT_FALSE(Read(notGif));
  EXPECT_FALSE(Read(GifHeader("89a", 5, 3, 0) + image)) << "no global colour table";
  EXPECT_FALSE(Read(GifHeader("89a", 5, 3, 4) + ";" + image)) << "trailer first";
  EXPECT_FALSE(Read(GifHeader("89a", 5, 3, 4) + std::string(1, '\0') + image)) << "stray byte";
  EXPECT_FALSE(Read(GifHeader("89a", 5, 3, 4) + GifExtension(0xFE, "note"))) << "no image";
  // Cut within the first 13 bytes, the global table, the descriptor, a local table.
  for (size_t length : {0, 6, 12, 13 + 11, 13 + 12 + 8})
    EXPECT_FALSE(Read(good.substr(0, length))) << length;
  EXPECT_FALSE(Read(GifHeader("89a", 5, 3, 4) + GifImageDescriptor(5, 3, 16, false).substr(0, 20)));
  EXPECT_FALSE(ReadGifFile(dir.File("missing.gif").c_str()));
}

TEST_F(GifReaderTest, DepthAndColourTableFollowTheColourCount) {
  struct Case {
    int colors, bits, entries;
  } cases[] = {{2, 1, 2},    {4, 4, 16},    {8, 4, 16},   {16, 4, 16},
               {32, 8, 256}, {128, 8, 256}, {256, 8, 256}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.colors);
    PackedBitmap bitmap = Read(MakeGif(13, 3, c.colors, Pattern(13, 3, c.colors, c.colors)));
    ASSERT_TRUE(bitmap);
    const BITMAPINFOHEADER *info = Info(bitmap);
    EXPECT_EQ(40u, info->biSize);
    EXPECT_EQ(13, info->biWidth);
    EXPECT_EQ(3, info->biHeight);
    EXPECT_EQ(1, info->biPlanes);
    EXPECT_EQ(c.bits, info->biBitCount);
    EXPECT_EQ((DWORD)BI_RGB, info->biCompression);
    EXPECT_EQ(PackedRowBytes(13, c.bits) * 3, info->biSizeImage);
    EXPECT_EQ((DWORD)c.entries, info->biClrUsed);
    EXPECT_EQ((DWORD)c.entries, info->biClrImportant);
    EXPECT_GE(GlobalSize(bitmap), 40 + c.entries * 4 + info->biSizeImage);
    const std::string table = GifColorTable(c.colors);
    const RGBQUAD *colors = reinterpret_cast<const RGBQUAD *>(info + 1);
    for (int i = 0; i < c.colors; i++) {
      EXPECT_EQ((BYTE)table[i * 3], colors[i].rgbRed) << i;
      EXPECT_EQ((BYTE)table[i * 3 + 1], colors[i].rgbGreen) << i;
      EXPECT_EQ((BYTE)table[i * 3 + 2], colors[i].rgbBlue) << i;
      EXPECT_EQ(0, colors[i].rgbReserved) << i;
    }
  }
}

TEST_F(GifReaderTest, PixelsAtEveryDepthAndOddWidths) {
  for (int colors : {2, 4, 16, 64, 256})
    for (int width : {1, 7, 8, 9, 31, 33, 100}) {
      SCOPED_TRACE(testing::Message() << colors << " colours, width " << width);
      const Pixels pixels = Pattern(width, 6, colors, width + colors);
      PackedBitmap bitmap = Read(MakeGif(width, 6, colors, pixels));
      ASSERT_TRUE(HasPixels(bitmap, width, 6, pixels));
      // The bits after the last pixel of each row stay zero.
      const DWORD rowBytes = PackedRowBytes(width, Info(bitmap)->biBitCount);
      const int usedBits = width * Info(bitmap)->biBitCount;
      for (int y = 0; y < 6; y++) {
        const BYTE *row = PackedBitmapPixels(bitmap) + (size_t)y * rowBytes;
        if (usedBits % 8) {
          EXPECT_EQ(0, row[usedBits / 8] & (0xFF >> (usedBits % 8)));
        }
        for (DWORD i = (DWORD)(usedBits + 7) / 8; i < rowBytes; i++) EXPECT_EQ(0, row[i]);
      }
    }
}

TEST_F(GifReaderTest, LocalColourTableIsUsedForTheImage) {
  // A 256-colour global table and a 4-colour local one: the picture is 4 bits deep, coloured
  // from the local table, and the table's bytes are not taken as image data.
  const Pixels pixels = Pattern(21, 5, 4, 3);
  PackedBitmap bitmap = Read(GifHeader("89a", 21, 5, 256) + GifImageDescriptor(21, 5, 4, false) +
                             GifLzwData(pixels, 2) + ";");
  ASSERT_TRUE(HasPixels(bitmap, 21, 5, pixels));
  EXPECT_EQ(4, Info(bitmap)->biBitCount);
  const std::string local = GifImageDescriptor(21, 5, 4, false).substr(10);
  const RGBQUAD *colors = reinterpret_cast<const RGBQUAD *>(Info(bitmap) + 1);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ((BYTE)local[i * 3], colors[i].rgbRed);
    EXPECT_EQ((BYTE)local[i * 3 + 1], colors[i].rgbGreen);
    EXPECT_EQ((BYTE)local[i * 3 + 2], colors[i].rgbBlue);
  }
  // A larger local table than the global one raises the depth.
  const Pixels wide = Pattern(9, 4, 200, 5);
  EXPECT_TRUE(HasPixels(Read(GifHeader("89a", 9, 4, 2) + GifImageDescriptor(9, 4, 256, false) +
                             GifLzwData(wide, 8) + ";"),
                        9, 4, wide));
}

TEST_F(GifReaderTest, InterlacedImagesAreStoredDeinterlaced) {
  for (int height = 1; height <= 19; height++) {
    SCOPED_TRACE(height);
    const Pixels pixels = Pattern(3, height, 16, height, 1);
    EXPECT_TRUE(HasPixels(Read(MakeGif(3, height, 16, pixels, true)), 3, height, pixels));
  }
}

TEST_F(GifReaderTest, WideImagesDecode) {
  const Pixels pixels = Pattern(5000, 3, 256, 7);
  EXPECT_TRUE(HasPixels(Read(MakeGif(5000, 3, 256, pixels)), 5000, 3, pixels));
  const Pixels line = Pattern(65535, 1, 2, 8);
  EXPECT_TRUE(HasPixels(Read(MakeGif(65535, 1, 2, line)), 65535, 1, line));
}

TEST_F(GifReaderTest, ExtensionsAndLaterImagesHaveNoEffect) {
  const Pixels pixels = Pattern(11, 4, 16, 9);
  const Pixels other = Pattern(11, 4, 16, 10);
  const std::string gce = std::string("\x05\x00\x0A\x00\x02", 4);  // transparent index 2
  const std::string plainText(12, '\x01');
  PackedBitmap bitmap =
      Read(GifHeader("89a", 11, 4, 16) + GifExtension(0xF9, gce) +
           GifExtension(0xFE, std::string(600, 'c')) +
           GifExtension(0xFF, std::string("NETSCAPE2.0") + std::string("\x01\x00\x00", 3)) +
           GifExtension(0x01, plainText) + GifExtension(0x77, "unknown label") +
           GifImageDescriptor(11, 4, 0, false) + GifLzwData(pixels, 4) + GifExtension(0xF9, gce) +
           GifImageDescriptor(11, 4, 0, false) + GifLzwData(other, 4) + ";");
  EXPECT_TRUE(HasPixels(bitmap, 11, 4, pixels));
}

TEST_F(GifReaderTest, LzwCodingVariantsDecodeTheSame) {
  // Long runs fill the string table (long chains, 12-bit codes) many times over.
  Pixels pixels = Pattern(3000, 40, 3, 11);
  for (size_t i = 20000; i < 60000; i++) pixels[i] = 1;
  const int size = MinCodeSizeFor(4);
  LzwOptions deferred;
  deferred.clearWhenFull = false;
  LzwOptions noClear;
  noClear.clearFirst = false;
  LzwOptions tiny;
  tiny.blockSize = 1;
  LzwOptions noEnd;
  noEnd.endCode = false;
  noEnd.terminator = false;
  for (const LzwOptions &options : {LzwOptions(), deferred, noClear, tiny, noEnd}) {
    SCOPED_TRACE(testing::Message() << options.clearWhenFull << options.clearFirst
                                    << options.blockSize << options.endCode);
    EXPECT_TRUE(
        HasPixels(Read(GifHeader("89a", 3000, 40, 4) + GifImageDescriptor(3000, 40, 0, false) +
                       GifLzwData(pixels, size, options) + ";"),
                  3000, 40, pixels));
  }
  // An empty sub-block amid the data does not end it.
  const Pixels small = Pattern(40, 10, 16, 12);
  std::string data = GifLzwData(small, 4, tiny);
  data.insert(41, 1, '\0');  // before the length of the 21st sub-block
  EXPECT_TRUE(HasPixels(
      Read(GifHeader("89a", 40, 10, 16) + GifImageDescriptor(40, 10, 0, false) + data + ";"), 40,
      10, small));
}

TEST_F(GifReaderTest, TruncatedDataLeavesTheRemainingRowsAtColourZero) {
  const Pixels pixels = Pattern(50, 30, 16, 13, 1);  // no pixel is 0
  const std::string file = MakeGif(50, 30, 16, pixels);
  for (size_t cut : {file.size() / 2, file.size() - 40, (size_t)13 + 48 + 10 + 3}) {
    SCOPED_TRACE(cut);
    PackedBitmap bitmap = Read(file.substr(0, cut));
    ASSERT_TRUE(bitmap);
    int y = 0;
    while (y < 30 && !RowIsZero(bitmap, y)) {
      for (int x = 0; x < 50; x++) ASSERT_EQ(pixels[(size_t)y * 50 + x], IndexAt(bitmap, x, y));
      y++;
    }
    EXPECT_LT(y, 30);
    for (; y < 30; y++) EXPECT_TRUE(RowIsZero(bitmap, y)) << y;
  }
}

TEST_F(GifReaderTest, BadMinimumCodeSizeGivesAPictureOfColourZero) {
  const Pixels pixels = Pattern(8, 4, 16, 14, 1);
  for (int size : {0, 1, 10, 255}) {
    std::string data = GifLzwData(pixels, 4);
    data[0] = (char)size;
    PackedBitmap bitmap =
        Read(GifHeader("89a", 8, 4, 16) + GifImageDescriptor(8, 4, 0, false) + data + ";");
    EXPECT_TRUE(HasPixels(bitmap, 8, 4, Pixels(32, 0))) << size;
  }
}

TEST_F(GifReaderTest, CodeBeyondTheTableEndsDecoding) {
  // Minimum code size 2: clear 4, end 5, first free code 6. "1 1" fills row 0; code 6 (the
  // string 1 1) row 1 and widens the codes to 4 bits; code 6 again would fill row 2, but 15
  // lies beyond the table and ends the image.
  const std::vector<std::pair<int, int>> codes = {{4, 3},  {1, 3}, {1, 3}, {6, 3},
                                                  {15, 4}, {6, 4}, {6, 4}, {5, 4}};
  PackedBitmap bitmap = Read(GifHeader("89a", 2, 4, 4) + GifImageDescriptor(2, 4, 0, false) +
                             GifRawCodes(2, codes) + ";");
  EXPECT_TRUE(HasPixels(bitmap, 2, 4, {1, 1, 1, 1, 0, 0, 0, 0}));
  // The code equal to the next free one is the previous string and its first pixel again.
  const std::vector<std::pair<int, int>> kwkwk = {{4, 3}, {2, 3}, {6, 3}, {7, 3}, {5, 4}};
  EXPECT_TRUE(HasPixels(Read(GifHeader("89a", 6, 1, 4) + GifImageDescriptor(6, 1, 0, false) +
                             GifRawCodes(2, kwkwk) + ";"),
                        6, 1, {2, 2, 2, 2, 2, 2}));
  // After a clear code, a first code that is no literal counts as 0.
  const std::vector<std::pair<int, int>> afterClear = {{4, 3}, {7, 3}, {3, 3}, {5, 3}};
  EXPECT_TRUE(HasPixels(Read(GifHeader("89a", 2, 1, 4) + GifImageDescriptor(2, 1, 0, false) +
                             GifRawCodes(2, afterClear) + ";"),
                        2, 1, {0, 3}));
}

TEST_F(GifReaderTest, DataBeyondTheLastRowIsDropped) {
  Pixels pixels = Pattern(9, 5, 16, 15);
  Pixels longer = pixels;
  longer.insert(longer.end(), 5000, 7);
  PackedBitmap bitmap = Read(GifHeader("89a", 9, 5, 16) + GifImageDescriptor(9, 5, 0, false) +
                             GifLzwData(longer, 4) + ";");
  EXPECT_TRUE(HasPixels(bitmap, 9, 5, pixels));
}

TEST_F(GifReaderTest, EmptyAndOversizedImagesGiveNull) {
  const std::string data = GifLzwData(Pattern(4, 4, 4, 16), 2) + ";";
  EXPECT_FALSE(Read(GifHeader("89a", 4, 4, 4) + GifImageDescriptor(0, 4, 0, false) + data));
  EXPECT_FALSE(Read(GifHeader("89a", 4, 4, 4) + GifImageDescriptor(4, 0, 0, false) + data));
  EXPECT_FALSE(
      Read(GifHeader("89a", 4, 4, 256) + GifImageDescriptor(65535, 65535, 0, false) + data));
  // Within the limit, a picture larger than its data is allocated and left at colour 0.
  PackedBitmap big = Read(GifHeader("89a", 4, 4, 2) + GifImageDescriptor(65535, 2000, 0, false) +
                          GifLzwData(Pattern(4, 4, 2, 17), 2) + ";");
  ASSERT_TRUE(big);
  EXPECT_TRUE(RowIsZero(big, 1999));
}

}  // namespace

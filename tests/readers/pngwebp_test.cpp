// The PNG and WebP readers on files written by libspng's and libwebp's own encoders: the packed
// bitmap they give, alpha over black, reduced decoding for a fit, and refused files. Natively
// and under Wine.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include <string>
#include <vector>

#include "pixels.h"
#include "pngreader.h"
#include "pngwriter.h"
#include "testfiles.h"
#include "webpreader.h"
#include "webpwriter.h"

namespace {

class PngWebpTest : public ::testing::Test {
 protected:
  // The reader's picture of the bytes (null when it refuses them).
  Block Read(const std::string &bytes, bool webp, PictureFit *fit = nullptr) {
    const std::string path = dir.File(webp ? "in.webp" : "in.png");
    WriteBytes(path, bytes);
    return Block(webp ? ReadWebpFile(path.c_str(), nullptr, fit)
                      : ReadPngFile(path.c_str(), nullptr, fit));
  }
  TempDir dir;
};

const BITMAPINFOHEADER *Header(const Block &b) {
  return static_cast<const BITMAPINFOHEADER *>(b.get());
}

// Red x * 10, green y * 10, blue 0: a box average shows which pixels went into it.
std::vector<unsigned> Ramps(int width, int height) {
  std::vector<unsigned> rgb;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) rgb.insert(rgb.end(), {(unsigned)x * 10, (unsigned)y * 10, 0});
  return rgb;
}

// The PNG with its header's width and height changed (and its CRC made to match).
std::string WithSize(std::string png, uint32_t width, uint32_t height) {
  for (int i = 0; i < 4; i++) {
    png[16 + i] = (char)(width >> (24 - 8 * i));
    png[20 + i] = (char)(height >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(png.data() + 12), 17);
  for (int i = 0; i < 4; i++) png[29 + i] = (char)(crc >> (24 - 8 * i));
  return png;
}

// Every colour type and depth, as two pixels: bottom-up 24-bit rows of the colours the PNG
// stores, transparency over black, 16-bit samples rounded (not cut) to 8 bits.
TEST_F(PngWebpTest, EveryPngKindGivesTwentyFourBitPixelsOverBlack) {
  PngOptions palette;
  palette.colorType = 3;
  palette.palette = {10, 20, 30, 200, 150, 100};
  PngOptions paletteTrns = palette;
  paletteTrns.trns = {0, 128};
  struct Case {
    int colorType, depth;
    std::vector<unsigned> samples;
    unsigned long first, second;  // 0xRRGGBB
    PngOptions options;
  } cases[] = {
      {0, 1, {1, 0}, 0xFFFFFF, 0x000000, {}},
      {0, 2, {1, 3}, 0x555555, 0xFFFFFF, {}},
      {0, 4, {3, 15}, 0x333333, 0xFFFFFF, {}},
      {0, 16, {0x01FF, 0x0081}, 0x020202, 0x010101, {}},
      {4, 8, {200, 128, 200, 0}, 0x646464, 0x000000, {}},
      {4, 16, {65535, 32768, 1000, 65535}, 0x808080, 0x040404, {}},
      {2, 8, {10, 20, 30, 1, 1, 1}, 0x0A141E, 0x000000, {}},  // tRNS key 1, 1, 1
      {2, 16, {0x0100, 0x8000, 0xFFFF, 0, 0, 0}, 0x0180FF, 0x000000, {}},
      {6, 8, {255, 0, 10, 0, 200, 100, 50, 128}, 0x000000, 0x643219, {}},
      {6, 16, {65535, 32768, 0, 32768, 1, 2, 3, 65535}, 0x804000, 0x000000, {}},
      {3, 1, {1, 0}, 0xC89664, 0x0A141E, palette},
      {3, 8, {0, 1}, 0x000000, 0x644B32, paletteTrns},
  };
  cases[6].options.trns = {1, 1, 1};
  for (Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "colour type " << c.colorType << ", " << c.depth << " bits");
    c.options.colorType = c.colorType;
    c.options.bitDepth = c.depth;
    for (bool interlaced : {false, true}) {
      c.options.interlaced = interlaced;
      Block b = Read(MakePng(2, 1, c.samples, c.options), false);
      ASSERT_TRUE(b);
      EXPECT_EQ(24, Header(b)->biBitCount);
      const RgbImage rgb = PackedBitmapToRgb(b.get());
      EXPECT_EQ(c.first, rgb.At(0, 0));
      EXPECT_EQ(c.second, rgb.At(1, 0));
    }
  }
}

// A fit reduces the rows as they come by the largest whole factor whose result still covers
// the fitted size, by the best-fit rule as well as the proportional fit; each pixel is its
// box's average, the boxes at the right and bottom edges as far as the picture goes.
TEST_F(PngWebpTest, PngFittedIntoABoxIsReducedByWholeBoxes) {
  struct Case {
    int width, height;
    LONG boxWidth, boxHeight;
    LONG outWidth, outHeight;
    int factor;  // for the 10 x 10 ramps, whose averages are checked
  } cases[] = {
      {10, 10, 3, 3, 3, 3, 4},  // boxes of 4, 4 and 2
      {10, 10, 5, 5, 5, 5, 2},       {10, 10, 6, 6, 10, 10, 1}, {10, 10, 0, 0, 10, 10, 1},
      {360, 300, 80, 60, 90, 75, 0},  // the rule's 80 x 20 keeps the width at 80: 4, not 5
  };
  for (const Case &c : cases)
    for (bool interlaced : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " into " << c.boxWidth << "x"
                                      << c.boxHeight << (interlaced ? " interlaced" : ""));
      PngOptions options;
      options.interlaced = interlaced;
      std::vector<unsigned> rgb = Ramps(c.width, c.height);
      for (unsigned &v : rgb) v %= 256;
      PictureFit fit = {c.boxWidth, c.boxHeight, 0, 0};
      Block b = Read(MakePng(c.width, c.height, rgb, options), false, &fit);
      ASSERT_TRUE(b);
      EXPECT_EQ(c.outWidth, Header(b)->biWidth);
      EXPECT_EQ(c.outHeight, Header(b)->biHeight);
      EXPECT_EQ(c.width, fit.fullWidth);
      EXPECT_EQ(c.height, fit.fullHeight);
      if (!c.factor) continue;
      const RgbImage out = PackedBitmapToRgb(b.get());
      for (int i = 0; i < c.outWidth; i++) {
        const int first = i * c.factor, last = std::min(first + c.factor, 10) - 1;
        const unsigned long mean = (first + last) * 5;  // of the ramp's values 10 * x
        EXPECT_EQ(mean << 16, out.At(i, 0) & 0xFF0000) << "column " << i;
        EXPECT_EQ(mean << 8, out.At(0, i) & 0x00FF00) << "row " << i;
      }
    }
}

// Opaque pictures in 24 bits, pictures with alpha over black in 32 bits whose fourth byte is 0;
// a fit scales the picture in libwebp to the least size that still covers the fitted size (by
// the best-fit rule's 80 x 20 as well: 80 wide).
TEST_F(PngWebpTest, WebpGivesItsPixelsOverBlackWholeOrFitted) {
  std::vector<unsigned char> bgra;  // blue, green, red, alpha
  for (int i = 0; i < 360 * 300; i++) bgra.insert(bgra.end(), {50, 100, 200, 255});
  Block opaque = Read(MakeWebp(360, 300, bgra, true), true);
  ASSERT_TRUE(opaque);
  EXPECT_EQ(24, Header(opaque)->biBitCount);
  EXPECT_EQ(0xC86432ul, PackedBitmapToRgb(opaque.get()).At(359, 299));
  bgra[3] = 128;  // the top-left pixel half transparent, the one after it invisible
  bgra[7] = 0;
  Block alpha = Read(MakeWebp(360, 300, bgra, true), true);
  ASSERT_TRUE(alpha);
  EXPECT_EQ(32, Header(alpha)->biBitCount);
  const RgbImage rgb = PackedBitmapToRgb(alpha.get());
  EXPECT_EQ(0x643219ul, rgb.At(0, 0));
  EXPECT_EQ(0ul, rgb.At(1, 0));
  EXPECT_EQ(0, PackedBitmapPixels(alpha.get())[(size_t)299 * 360 * 4 + 3]);  // top row
  PictureFit fit = {80, 60, 0, 0};
  Block fitted = Read(MakeWebp(360, 300, bgra, false), true, &fit);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(80, Header(fitted)->biWidth);
  EXPECT_EQ(67, Header(fitted)->biHeight);
  EXPECT_EQ(360, fit.fullWidth);
  EXPECT_EQ(300, fit.fullHeight);
}

// Damaged files and pictures beyond the limit are refused, with the fit's size cleared.
TEST_F(PngWebpTest, DamagedAndOversizedFilesAreRefused) {
  const std::string png = MakePng(30, 20, Ramps(30, 20));
  std::string badCrc = png, badData = png;
  badCrc[png.size() - 20] ^= 1;  // in the IDAT chunk's data: its CRC no longer holds
  badData[33 + 8 + 2] ^= 0x40;   // the first deflate block's header
  std::vector<unsigned char> bgra(64 * 64 * 4, 255);
  const std::string webp = MakeWebp(64, 64, bgra, false);
  const struct {
    std::string bytes;
    bool webp;
  } files[] = {{badCrc, false},
               {badData, false},
               {png.substr(0, png.size() / 2), false},
               {png.substr(0, png.size() - 12), false},  // no IEND
               {"not a picture", false},
               {WithSize(png, 20000, 20000), false},  // 1.2 GB at 24 bits
               {WithSize(png, 0, 20), false},
               {webp.substr(0, webp.size() - 10), true},
               {std::string("RIFF\x04\0\0\0WEBP", 12), true},
               {png, true}};
  for (const auto &f : files) {
    PictureFit fit = {100, 100, 1, 1};
    EXPECT_FALSE(Read(f.bytes, f.webp, &fit)) << &f - files;
    EXPECT_EQ(0, fit.fullWidth);
  }
  EXPECT_TRUE(Read(png, false));
  EXPECT_TRUE(Read(webp, true));
}

}  // namespace

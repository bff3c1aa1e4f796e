// The system's decoders (WIC) under Wine, which decodes TIFF and ICO: files ImageMagick made at
// build time against ImageMagick's own decoding of them (over black, upright); fits; files
// refused or cancelled; the choice between the own readers and the system's; the file
// dialogs' picture filter.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gifwriter.h"
#include "picturefile.h"
#include "pixels.h"
#include "systemdecoders.h"
#include "systempicture.h"
#include "testfiles.h"
#include "wicreader.h"

namespace {

// A picture of the samples folder, as a path on Wine's Z: drive.
std::string Sample(const std::string &name) {
  std::string path = std::string("Z:") + LUMORA_WIC_SAMPLES + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

RgbImage Reference(const std::string &name) {
  return ParsePnm(ReadBytes(Sample(name + ".ppm")));
}

int BitCount(PackedBitmap bitmap) {
  return static_cast<const BITMAPINFOHEADER *>(bitmap)->biBitCount;
}

// Every colour channel's mean over the picture.
std::vector<double> Means(const RgbImage &image) {
  std::vector<double> sums(3);
  for (size_t i = 0; i < image.rgb.size(); i++) sums[i % 3] += image.rgb[i];
  for (double &sum : sums) sum /= (double)image.width * image.height;
  return sums;
}

TEST(WicReader, TiffAndIcoMatchImageMagick) {
  // Alpha: ImageMagick composites at 16 bits, WIC's samples are 8.
  const struct {
    const char *name;
    int tolerance;
  } cases[] = {
      {"rgb.tiff", 0},           {"lzw.tiff", 0},   {"zip.tiff", 0},      {"grey.tiff", 0},
      {"palette.tiff", 0},       {"alpha.tiff", 1}, {"mirrored.tiff", 0}, {"clockwise.tiff", 0},
      {"anticlockwise.tiff", 0}, {"icon.ico", 1},   {"icon8.ico", 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    PackedBitmap bitmap = nullptr;
    PictureFit fit = {0, 0, 0, 0};  // no box: whole, own size reported
    ASSERT_EQ(kWicDecoded, ReadWicFile(Sample(c.name).c_str(), &bitmap, nullptr, &fit));
    EXPECT_EQ(24, BitCount(bitmap));
    EXPECT_TRUE(PackedBitmapIsWhole(bitmap));
    const RgbImage reference = Reference(c.name);
    EXPECT_EQ(reference.width, fit.fullWidth);
    EXPECT_EQ(reference.height, fit.fullHeight);
    EXPECT_TRUE(SameRgb(reference, PackedBitmapToRgb(bitmap), c.tolerance));
    GlobalFree(bitmap);
  }
}

// Reduced for a fit to the least size that still covers the fitted size, by the upright size;
// the picture still the same picture (its colour means), its own size reported.
TEST(WicReader, AFitDecodesReducedNeverBelowTheFittedSize) {
  const struct {
    const char *name;
    LONG boxWidth, boxHeight, width, height, fullWidth, fullHeight;
  } cases[] = {
      {"big.tiff", 100, 100, 100, 75, 640, 480},
      {"big.tiff", 320, 240, 320, 240, 640, 480},
      {"big.tiff", 800, 600, 640, 480, 640, 480},  // fits whole: as stored
      {"clockwise.tiff", 20, 20, 13, 20, 43, 67},  // stored 67 x 43, turned upright
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " into " << c.boxWidth << "x" << c.boxHeight);
    PackedBitmap bitmap = nullptr;
    PictureFit fit = {c.boxWidth, c.boxHeight, 0, 0};
    ASSERT_EQ(kWicDecoded, ReadWicFile(Sample(c.name).c_str(), &bitmap, nullptr, &fit));
    const RgbImage got = PackedBitmapToRgb(bitmap);
    EXPECT_EQ(c.width, got.width);
    EXPECT_EQ(c.height, got.height);
    EXPECT_EQ(c.fullWidth, fit.fullWidth);
    EXPECT_EQ(c.fullHeight, fit.fullHeight);
    const std::vector<double> expected = Means(Reference(c.name)), means = Means(got);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(expected[i], means[i], 12.0) << "channel " << i;
    GlobalFree(bitmap);
  }
}

TEST(WicReader, RefusedCutAndCancelledFilesGiveNoPicture) {
  TempDir dir;
  WriteBytes(dir.File("notes.txt"), "not a picture at all\n");
  const struct {
    std::string path;
    bool cancelled;
    WicResult expected;  // kWicFailed: failed or no decoder, never decoded
  } cases[] = {
      {dir.File("notes.txt"), false, kWicNoDecoder},
      {dir.File("missing.tiff"), false, kWicNoDecoder},
      {Sample("cut.tiff"), false, kWicFailed},
      {Sample("big.tiff"), true, kWicFailed},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    std::atomic<bool> cancel{c.cancelled};
    PackedBitmap bitmap = reinterpret_cast<PackedBitmap>(1);
    PictureFit fit = {100, 100, 1, 1};
    const WicResult result = ReadWicFile(c.path.c_str(), &bitmap, &cancel, &fit);
    EXPECT_NE(kWicDecoded, result);
    if (c.expected == kWicNoDecoder) {
      EXPECT_EQ(kWicNoDecoder, result);
    }
    EXPECT_EQ(nullptr, bitmap);
    EXPECT_EQ(0, fit.fullWidth);
  }
}

// The own readers take what their signatures show, whatever the name (a GIF stays a 4-bit
// picture, which the system's decoder would not give); the system the rest, whatever the name;
// a file neither reads gives nothing.
TEST(SystemPicture, OwnReadersByContentTheSystemForTheRest) {
  TempDir dir;
  const std::string gif = MakeGif(30, 20, 16, std::vector<unsigned char>(30 * 20, 5));
  const std::string tiff = ReadBytes(Sample("lzw.tiff"));
  const struct {
    const char *name;
    const std::string &bytes;
    int bitCount;  // 4 from the GIF reader, 24 from the system
  } cases[] = {
      {"a.tif", gif, 4},   {"a.gif", gif, 4},   {"a.jpg", tiff, 24},
      {"a.bmp", tiff, 24}, {"a.tif", tiff, 24}, {"a", tiff, 24},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    WriteBytes(path, c.bytes);
    Block bitmap(ReadAnyPictureFile(path.c_str()));
    ASSERT_NE(nullptr, bitmap.get());
    EXPECT_EQ(c.bitCount, BitCount(bitmap.get()));
    if (c.bitCount == 24) {
      EXPECT_TRUE(SameRgb(Reference("lzw.tiff"), PackedBitmapToRgb(bitmap.get())));
    }
  }
  WriteBytes(dir.File("text.gif"), "GIF? no\n");
  EXPECT_EQ(nullptr, ReadAnyPictureFile(dir.File("text.gif").c_str()));
}

TEST(PictureFilter, OwnTypesThenTheSystemsOthersThenAllFiles) {
  const std::vector<SystemDecoder> decoders = {
      {"BMP Decoder", {".bmp", ".dib", ".rle"}},
      {"TIFF Decoder", {".tiff", ".tif"}},
      {"ICO Decoder", {".ico"}},
  };
  const std::string expected(
      "All known image formats\0*.bmp;*.gif;*.pcx;*.jpg;*.jpeg;*.png;*.webp;*.dib;*.rle;*.tiff;"
      "*.tif;*.ico\0"
      "Bitmap files\0*.bmp\0GIF files\0*.gif\0PCX files\0*.pcx\0JPEG files\0*.jpg;*.jpeg\0"
      "PNG files\0*.png\0WebP files\0*.webp\0TIFF Decoder\0*.tiff;*.tif\0ICO Decoder\0*.ico\0"
      "All files\0*.*\0",
      266);
  EXPECT_EQ(expected, PictureFilter(decoders));
  // The system's own list, under Wine: TIFF and ICO among them.
  bool tiff = false, ico = false;
  for (const SystemDecoder &decoder : SystemDecoders())
    for (const std::string &type : decoder.types) {
      tiff = tiff || type == ".tif";
      ico = ico || type == ".ico";
    }
  EXPECT_TRUE(tiff);
  EXPECT_TRUE(ico);
}

}  // namespace

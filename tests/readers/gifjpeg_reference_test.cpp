// GIF and JPEG pictures made by ImageMagick (and our own GIF writer), read by our readers and
// compared pixel by pixel with an independent decoding: ImageMagick's for GIF, libjpeg's own
// djpeg for JPEG. Native only: the reference decoders are outside programs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gifreader.h"
#include "gifwriter.h"
#include "jpegreader.h"
#include "jpegwriter.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

class ReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TMP", windir.path().c_str(), 1); }
  void TearDown() override { unsetenv("TMP"); }

  // ImageMagick writes `name` from the picture built by `source` (arguments before the file).
  std::string Make(const std::string &source, const std::string &name,
                   const std::string &prefix = "") {
    const std::string file = dir.File(name);
    EXPECT_TRUE(RunShell("convert " + source + " " + Quote(prefix + file)));
    return file;
  }

  ::testing::AssertionResult GifMatchesImageMagick(const std::string &file) {
    PackedBitmap bitmap = ReadGifFile(file.c_str());
    if (!bitmap) return ::testing::AssertionFailure() << "no bitmap from " << file;
    ::testing::AssertionResult same =
        SameRgb(DecodeWithImageMagick(file), PackedBitmapToRgb(bitmap));
    GlobalFree(bitmap);
    return same;
  }

  ::testing::AssertionResult JpegMatchesDjpeg(const std::string &file) {
    PackedBitmap bitmap = ReadJpegFile(file.c_str());
    if (!bitmap) return ::testing::AssertionFailure() << "no bitmap from " << file;
    ::testing::AssertionResult same =
        SameRgb(DecodeWithCommand("djpeg -pnm " + Quote(file)), PackedBitmapToRgb(bitmap));
    GlobalFree(bitmap);
    return same;
  }

  TempDir dir;
  TempDir windir;
};

std::string Plasma(const std::string &size) {
  return "-seed 7 -size " + size + " plasma:fractal";
}

TEST_F(ReferenceTest, GifColourCountsAndOddWidths) {
  for (int colors : {2, 4, 16, 256})
    for (const char *size : {"1x1", "7x3", "33x17", "257x40"}) {
      SCOPED_TRACE(testing::Message() << colors << " colours, " << size);
      const std::string file = Make(Plasma(size) + " -colors " + std::to_string(colors), "c.gif");
      EXPECT_TRUE(GifMatchesImageMagick(file));
    }
}

TEST_F(ReferenceTest, GifVersionsInterlacingAndExtensions) {
  EXPECT_TRUE(GifMatchesImageMagick(Make(Plasma("99x41") + " -colors 64", "a.gif", "GIF87:")));
  EXPECT_TRUE(GifMatchesImageMagick(Make(Plasma("99x41") + " -colors 64", "b.gif")));  // dithered
  EXPECT_TRUE(GifMatchesImageMagick(
      Make(Plasma("131x77") + " -dither None -colors 200 -interlace GIF", "i.gif")));
  EXPECT_TRUE(GifMatchesImageMagick(
      Make(Plasma("50x20") + " -dither None -colors 8 -comment 'a comment block'", "comment.gif")));
  // An animation (graphic-control and application extensions, several frames): the first.
  const std::string first = Make(Plasma("60x30") + " -dither None -colors 32", "f1.gif");
  const std::string second =
      Make("-seed 8 -size 60x30 plasma:fractal -dither None -colors 32", "f2.gif");
  EXPECT_TRUE(GifMatchesImageMagick(
      Make("-delay 20 -loop 0 " + Quote(first) + " " + Quote(second), "anim.gif")));
}

TEST_F(ReferenceTest, GifCodingsImageMagickAgreesWith) {
  // Files no ImageMagick option writes: a local colour table, no leading clear code, a full
  // table coded on without a clear, a very wide picture.
  std::vector<unsigned char> pixels(3000 * 20);
  for (size_t i = 0; i < pixels.size(); i++) pixels[i] = (unsigned char)((i / 7 + i / 3001) % 4);
  LzwOptions noClear;
  noClear.clearFirst = false;
  LzwOptions deferred;
  deferred.clearWhenFull = false;
  const std::string files[] = {
      GifHeader("89a", 3000, 20, 256) + GifImageDescriptor(3000, 20, 4, false) +
          GifLzwData(pixels, 2) + ";",
      GifHeader("89a", 3000, 20, 4) + GifImageDescriptor(3000, 20, 0, false) +
          GifLzwData(pixels, 2, noClear) + ";",
      GifHeader("89a", 3000, 20, 4) + GifImageDescriptor(3000, 20, 16, true) +
          GifLzwData(InterlaceRows(pixels, 3000, 20), 4, deferred) + ";",
  };
  for (const std::string &bytes : files) {
    const std::string file = dir.File("made.gif");
    WriteBytes(file, bytes);
    EXPECT_TRUE(GifMatchesImageMagick(file));
  }
}

TEST_F(ReferenceTest, JpegGreyColourProgressiveAndOddWidths) {
  for (const char *size : {"1x1", "3x5", "17x9", "101x67"}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(JpegMatchesDjpeg(Make(Plasma(size), "c.jpg")));
    EXPECT_TRUE(JpegMatchesDjpeg(Make(Plasma(size) + " -colorspace Gray", "g.jpg")));
    EXPECT_TRUE(JpegMatchesDjpeg(Make(Plasma(size) + " -interlace JPEG", "p.jpg")));
    for (const char *sampling : {"1x1", "2x1", "2x2"})
      EXPECT_TRUE(JpegMatchesDjpeg(Make(Plasma(size) + " -sampling-factor " + sampling, "s.jpg")))
          << sampling;
  }
}

// The BMP file of a JPEG picture (as the converter and the wallpaper write it) is djpeg's.
TEST_F(ReferenceTest, JpegWrittenAsBmpIsDjpegsBmpFile) {
  for (const char *colour : {"", " -colorspace Gray"}) {
    const std::string jpeg =
        Make(Plasma("45x23") + colour + " -density 28 -units PixelsPerCentimeter", "d.jpg");
    const std::string bmp = dir.File("d.bmp"), reference = dir.File("ref.bmp");
    Block bitmap(ReadJpegFile(jpeg.c_str()));
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(1, WritePackedBitmapFile(bmp.c_str(), bitmap.get()));
    ASSERT_TRUE(RunShell("djpeg -bmp " + Quote(jpeg) + " > " + Quote(reference)));
    EXPECT_EQ(ReadBytes(reference), ReadBytes(bmp)) << colour;
  }
}

// A picture shown fitted into a box is decoded at the smallest of libjpeg's 1/2, 1/4, 1/8 that
// still covers the fitted size, with djpeg's pixels at that scale; a fit that reduces by less
// than 2 decodes it whole. A photo to be turned a quarter is fitted, and reported, by its
// upright size.
TEST_F(ReferenceTest, JpegFittedIntoABoxIsDecodedAtTheScaleThatStillCoversIt) {
  struct Case {
    const char *size;  // upright
    LONG boxWidth, boxHeight;
    const char *scale;  // djpeg's
    LONG width, height;
    int orientation;
  } cases[] = {
      {"600x400", 80, 60, "1/4", 150, 100, 1},   {"600x400", 80, 50, "1/8", 75, 50, 1},
      {"600x400", 150, 400, "1/4", 150, 100, 1}, {"601x401", 150, 100, "1/4", 151, 101, 1},
      {"600x400", 300, 300, "1/2", 300, 200, 1}, {"600x400", 301, 600, "1/1", 600, 400, 1},
      {"97x61", 10, 10, "1/8", 13, 8, 1},        {"600x400", 80, 60, "1/4", 150, 100, 6},
      {"401x601", 60, 80, "1/4", 101, 151, 8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " into " << c.boxWidth << "x" << c.boxHeight
                                    << " orientation " << c.orientation);
    std::string file = Make(Plasma(c.size), "fit.jpg");
    std::string reference = "djpeg -pnm -scale " + std::string(c.scale) + " %s";
    if (c.orientation != 1) {
      // The same picture stored sideways, with the tag that turns it back.
      const char *stored = c.orientation == 6 ? "-rotate -90" : "-rotate 90";
      file = Make(Plasma(c.size) + " " + stored, "turned.jpg");
      WriteBytes(file, WithApp1(ReadBytes(file), ExifBlock(c.orientation, false)));
      reference += c.orientation == 6 ? " | pnmflip -cw" : " | pnmflip -ccw";
    }
    PictureFit fit = {c.boxWidth, c.boxHeight, 0, 0};
    PackedBitmap bitmap = ReadJpegFile(file.c_str(), nullptr, &fit);
    ASSERT_TRUE(bitmap);
    const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
    EXPECT_EQ(c.width, info->biWidth);
    EXPECT_EQ(c.height, info->biHeight);
    EXPECT_EQ(atoi(c.size), fit.fullWidth);
    EXPECT_EQ(atoi(strchr(c.size, 'x') + 1), fit.fullHeight);
    char command[512];
    snprintf(command, sizeof command, reference.c_str(), Quote(file).c_str());
    EXPECT_TRUE(SameRgb(DecodeWithCommand(command), PackedBitmapToRgb(bitmap)));
    GlobalFree(bitmap);
  }
}

// CMYK and YCCK pictures (Adobe, inverted as Adobe writes them) against djpeg, which turns
// them into RGB itself: ImageMagick's CMYK files, libjpeg's YCCK ones, progressive, turned by
// their EXIF tag and reduced for a fit.
TEST_F(ReferenceTest, CmykAndYcckJpegMatchDjpeg) {
  JpegOptions ycck;
  ycck.components = 4;
  ycck.ycck = true;
  JpegOptions turned = ycck;
  turned.ycck = false;
  turned.exif = ExifBlock(6, false);
  JpegOptions progressive = ycck;
  progressive.progressive = true;
  struct {
    const char *name;
    std::string file;  // made by ImageMagick when `make` is given
    const char *make, *reference;
    LONG boxWidth, boxHeight;  // a fit, or 0
  } cases[] = {
      {"k.jpg", "", "-colorspace CMYK", "djpeg -pnm %s", 0, 0},
      {"kodd.jpg", "", "-resize 37x23! -colorspace CMYK -quality 60", "djpeg -pnm %s", 0, 0},
      {"kp.jpg", "", "-colorspace CMYK -interlace JPEG", "djpeg -pnm %s", 0, 0},
      {"kfit.jpg", "", "-colorspace CMYK", "djpeg -pnm -scale 1/4 %s", 40, 40},
      {"y.jpg", MakeJpeg(53, 31, ycck), nullptr, "djpeg -pnm %s", 0, 0},
      {"yp.jpg", MakeJpeg(53, 31, progressive), nullptr, "djpeg -pnm %s", 0, 0},
      {"kturned.jpg", MakeJpeg(301, 97, turned), nullptr, "djpeg -pnm %s | pnmflip -cw", 0, 0},
      {"kturnedfit.jpg", MakeJpeg(301, 97, turned), nullptr,
       "djpeg -pnm -scale 1/4 %s | pnmflip -cw", 60, 60},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = dir.File(c.name);
    if (c.make)
      file = Make(Plasma("160x120") + " " + c.make, c.name);
    else
      WriteBytes(file, c.file);
    PictureFit fit = {c.boxWidth, c.boxHeight, 0, 0};
    PackedBitmap bitmap = ReadJpegFile(file.c_str(), nullptr, c.boxWidth ? &fit : nullptr);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(24, static_cast<const BITMAPINFOHEADER *>(bitmap)->biBitCount);
    char command[512];
    snprintf(command, sizeof command, c.reference, Quote(file).c_str());
    EXPECT_TRUE(SameRgb(DecodeWithCommand(command), PackedBitmapToRgb(bitmap)));
    GlobalFree(bitmap);
  }
}

}  // namespace

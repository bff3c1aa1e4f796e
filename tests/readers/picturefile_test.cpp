#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "picturefile.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

TEST(PictureFormatOfName, LastCharactersPickTheReaderInAnyCase) {
  for (const char *name : {"photo.JPeG", "photo.jpg", "PHOTO.JPG", "a.gif.jpeg", ".jpg"})
    EXPECT_EQ(kPictureJpeg, PictureFormatOfName(name)) << name;
  for (const char *name : {"picture.bmp.gif", "C:\\pics\\x.GIF", ".gif"})
    EXPECT_EQ(kPictureGif, PictureFormatOfName(name)) << name;
  for (const char *name : {"scan.pcx", "SCAN.Pcx"})
    EXPECT_EQ(kPicturePcx, PictureFormatOfName(name)) << name;
  for (const char *name : {"photo.jpe", "photo.jfif", "picture", "picture.dib", "x.bmp", "jpg",
                           "gif", "", "photo.jpg ", "photo.jpg.bak"})
    EXPECT_EQ(kPictureBmp, PictureFormatOfName(name)) << name;
}

#ifndef _WIN32
// The converter program: lumora-convert IN OUT.bmp.
class ConverterTest : public ::testing::Test {
 protected:
  // Runs the converter; returns its exit status and keeps its standard error. The JPEG path's
  // temporary file goes to the test's own folder, so parallel runs cannot share it.
  int Convert(const std::string &in, const std::string &out) {
    const std::string errors = dir.File("stderr.txt");
    const int status =
        std::system(("LUMORA_WINDIR=" + Quote(dir.path()) + " " + Quote(LUMORA_CONVERT) + " " +
                     Quote(in) + " " + Quote(out) + " 2>" + Quote(errors))
                        .c_str());
    stderrText = ReadBytes(errors);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  TempDir dir;
  std::string stderrText;
};

TEST_F(ConverterTest, EveryFormatBecomesTheSamePixelsInABmpFile) {
  struct {
    const char *name, *make, *reference;
  } files[] = {
      {"a.bmp", "convert rose: -colors 100 -compress RLE BMP3:", "convert %s ppm:-"},
      {"a.gif", "convert rose: -resize 41x23! -colors 64 GIF:", "convert %s ppm:-"},
      {"a.PCX", "convert rose: -resize 41x23! -colors 64 PCX:", "pcxtoppm %s"},
      {"a.jpeg", "convert rose: -quality 85 JPEG:", "djpeg -pnm %s"},
      {"grey.jpg", "convert rose: -colorspace gray -quality 85 JPEG:", "djpeg -pnm %s"},
  };
  for (auto &f : files) {
    SCOPED_TRACE(f.name);
    const std::string in = dir.File(f.name), out = dir.File("out.bmp");
    ASSERT_TRUE(RunShell(std::string(f.make) + Quote(in)));
    ASSERT_EQ(0, Convert(in, out)) << stderrText;
    EXPECT_EQ("", stderrText);
    char command[1024];
    snprintf(command, sizeof command, f.reference, Quote(in).c_str());
    EXPECT_TRUE(SameRgb(DecodeWithCommand(std::string(command) + " 2>/dev/null"),
                        DecodeWithImageMagick(out)));
  }
}

TEST_F(ConverterTest, UnreadablePictureExitsWithOneLine) {
  const std::string text = dir.File("notes.gif");
  WriteBytes(text, "not a picture\n");
  for (const std::string &in : {text, dir.File("missing.bmp")}) {
    EXPECT_EQ(1, Convert(in, dir.File("out.bmp")));
    ASSERT_FALSE(stderrText.empty());
    EXPECT_EQ(stderrText.size() - 1, stderrText.find('\n')) << stderrText;
  }
}
#endif

}  // namespace

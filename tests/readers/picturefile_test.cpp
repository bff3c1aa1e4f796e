#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "gifwriter.h"
#include "jpegreader.h"
#include "jpegwriter.h"
#include "pcxwriter.h"
#include "picturefile.h"
#include "pixels.h"
#include "pngwriter.h"
#include "testfiles.h"
#include "webpwriter.h"

namespace {

TEST(PictureFormatOfName, LastCharactersPickTheReaderInAnyCase) {
  for (const char *name : {"photo.JPeG", "photo.jpg", "PHOTO.JPG", "a.gif.jpeg", ".jpg"})
    EXPECT_EQ(kPictureJpeg, PictureFormatOfName(name)) << name;
  for (const char *name : {"picture.bmp.gif", "C:\\pics\\x.GIF", ".gif"})
    EXPECT_EQ(kPictureGif, PictureFormatOfName(name)) << name;
  for (const char *name : {"scan.pcx", "SCAN.Pcx"})
    EXPECT_EQ(kPicturePcx, PictureFormatOfName(name)) << name;
  for (const char *name : {"shot.png", "SHOT.PnG"})
    EXPECT_EQ(kPicturePng, PictureFormatOfName(name)) << name;
  for (const char *name : {"web.webp", "WEB.WebP"})
    EXPECT_EQ(kPictureWebp, PictureFormatOfName(name)) << name;
  for (const char *name : {"photo.jpe", "photo.jfif", "picture", "picture.dib", "x.bmp", "jpg",
                           "gif", "", "photo.jpg ", "photo.jpg.bak"})
    EXPECT_EQ(kPictureBmp, PictureFormatOfName(name)) << name;
}

// The first bytes pick the reader; the name only where they show none of the formats (a
// file too short, an unknown PCX version, text). Each signature alone, and a near miss of it.
TEST(PictureFormatOfFile, ContentFirstThenTheName) {
  const std::string png("\x89PNG\r\n\x1a\n", 8), jpeg("\xFF\xD8\xFF\xE0", 4);
  struct {
    const char *name;
    std::string bytes;
    PictureFormat expected;
  } cases[] = {
      {"a.jpg", png + "rest", kPicturePng},
      {"a.gif", jpeg, kPictureJpeg},
      {"a.png", "BM....", kPictureBmp},
      {"a", "GIF89a", kPictureGif},
      {"a.bmp", std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), kPictureWebp},
      {"a.jpg", std::string("\x0A\x05\x01\x08", 4), kPicturePcx},
      {"a.webp", std::string("\x0A\x00\x01", 3), kPicturePcx},
      // Near misses (from here on): the name decides.
      {"a.pcx", std::string("\x0A\x07\x01", 3), kPicturePcx},
      {"a.gif", std::string("\x0A\x05\x00", 3), kPictureGif},
      {"a.png", std::string("RIFF\x10\0\0\0WAVE", 12), kPicturePng},
      {"a.webp", png.substr(0, 7), kPictureWebp},
      {"a.jpeg", "\xFF\xD8", kPictureJpeg},
      {"a.tif", std::string("II*\0", 4), kPictureBmp},
      {"a.gif", "", kPictureGif},
      {"a.pcx", "GIF7", kPicturePcx},
  };
  const ptrdiff_t kByContent = 7;
  TempDir dir;
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " " << testing::PrintToString(c.bytes));
    const std::string path = dir.File(c.name);
    WriteBytes(path, c.bytes);
    EXPECT_EQ(c.expected, PictureFormatOfFile(path.c_str()));
    PictureFormat format = kPictureBmp;
    EXPECT_EQ(&c - cases < kByContent, PictureFormatOfFileContent(path.c_str(), &format));
  }
  EXPECT_EQ(kPictureGif, PictureFormatOfFile(dir.File("missing.gif").c_str()));
}

// A set cancel flag stops every reader (null); a clear one changes nothing. The pictures span
// several batches of rows (the BMP file several pieces).
TEST(ReadPictureFile, ACancelFlagStopsEveryReader) {
  TempDir dir;
  WriteBytes(dir.File("p.jpg"), MakeJpeg(700, 600));
  Block jpeg(ReadJpegFile(dir.File("p.jpg").c_str()));
  ASSERT_EQ(1, WritePackedBitmapFile(dir.File("p.bmp").c_str(), jpeg.get()));
  WriteBytes(dir.File("p.pcx"), MakePcx(300, 200));
  WriteBytes(dir.File("p.gif"), MakeGif(300, 200, 256, std::vector<unsigned char>(300 * 200, 7)));
  WriteBytes(dir.File("p.png"), MakePng(300, 200, std::vector<unsigned>(300 * 200 * 3, 9)));
  std::vector<unsigned char> bgra(700 * 600 * 4);
  for (size_t i = 0; i < bgra.size(); i++) bgra[i] = (unsigned char)(i * 7 / 3);
  WriteBytes(dir.File("p.webp"), MakeWebp(700, 600, bgra, false));
  for (const char *name : {"p.jpg", "p.bmp", "p.pcx", "p.gif", "p.png", "p.webp"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    std::atomic<bool> cancel{true};
    PackedBitmap bitmap = ReadPictureFile(path.c_str(), &cancel);
    EXPECT_EQ(nullptr, bitmap);
    if (bitmap) GlobalFree(bitmap);
    cancel = false;
    bitmap = ReadPictureFile(path.c_str(), &cancel);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_TRUE(PackedBitmapIsWhole(bitmap));
    GlobalFree(bitmap);
  }
}

#ifndef _WIN32
// The converter program: lumora-convert IN OUT.bmp.
class ConverterTest : public ::testing::Test {
 protected:
  // Runs the converter; returns its exit status and keeps its standard error. The JPEG path's
  // temporary file goes to the test's own folder, so parallel runs cannot share it.
  int Convert(const std::string &in, const std::string &out) {
    const std::string errors = dir.File("stderr.txt");
    const int status = std::system(("TMP=" + Quote(dir.path()) + " " + Quote(LUMORA_CONVERT) + " " +
                                    Quote(in) + " " + Quote(out) + " 2>" + Quote(errors))
                                       .c_str());
    stderrText = ReadBytes(errors);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  TempDir dir;
  std::string stderrText;
};

TEST_F(ConverterTest, EveryFormatBecomesTheSamePixelsInABmpFile) {
  // Photos with an EXIF orientation come out upright; djpeg leaves them as stored.
  JpegOptions clockwise, anticlockwise;
  clockwise.exif = ExifBlock(6, false);
  anticlockwise.exif = ExifBlock(8, true);
  anticlockwise.components = 1;
  struct {
    const char *name, *make, *reference;
    std::string bytes;  // the file, when no command makes it
  } files[] = {
      {"a.bmp", "convert rose: -colors 100 -compress RLE BMP3:", "convert %s ppm:-", ""},
      {"a.gif", "convert rose: -resize 41x23! -colors 64 GIF:", "convert %s ppm:-", ""},
      {"a.PCX", "convert rose: -resize 41x23! -colors 64 PCX:", "pcxtoppm %s", ""},
      {"a.jpeg", "convert rose: -quality 85 JPEG:", "djpeg -pnm %s", ""},
      {"a.png", "convert rose: -alpha set -channel A -fx i/w PNG32:",
       "pngtopnm -mix -background black %s", ""},
      {"a.WebP", "convert rose: -quality 80 WEBP:", "dwebp -quiet %s -ppm -o -", ""},
      {"grey.jpg", "convert rose: -colorspace gray -quality 85 JPEG:", "djpeg -pnm %s", ""},
      {"portrait.jpg", nullptr, "djpeg -pnm %s | pnmflip -cw", MakeJpeg(41, 23, clockwise)},
      {"left.jpg", nullptr, "djpeg -pnm %s | pnmflip -ccw", MakeJpeg(23, 41, anticlockwise)},
  };
  for (auto &f : files) {
    SCOPED_TRACE(f.name);
    const std::string in = dir.File(f.name), out = dir.File("out.bmp");
    if (f.make)
      ASSERT_TRUE(RunShell(std::string(f.make) + Quote(in)));
    else
      WriteBytes(in, f.bytes);
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

// The converter beside this test program (Windows) or built with it (natively).
std::string ConverterPath() {
#ifdef _WIN32
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, n);
  return path.substr(0, path.rfind('\\') + 1) + "lumora-convert.exe";
#else
  return LUMORA_CONVERT;
#endif
}

// Runs the converter on each (in, out) pair, all at the same moment, with tmp as their
// temporary folder; true when every one exited with 0.
bool ConvertTogether(const std::vector<std::pair<std::string, std::string>> &jobs,
                     const std::string &tmp) {
#ifdef _WIN32
  TempFolderOverride folder(tmp);  // inherited by the children
  std::vector<PROCESS_INFORMATION> started;
  for (const auto &job : jobs) {
    std::string line = "\"" + ConverterPath() + "\" \"" + job.first + "\" \"" + job.second + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    started.push_back(pi);
  }
  bool ok = true;
  for (PROCESS_INFORMATION &pi : started) {
    DWORD code = 1;
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &code);
    ok = ok && code == 0;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  return ok;
#else
  std::string script = "export TMP='" + tmp + "'; status=0; ";
  for (size_t i = 0; i < jobs.size(); i++)
    script += "'" + ConverterPath() + "' '" + jobs[i].first + "' '" + jobs[i].second + "' & p" +
              std::to_string(i) + "=$!; ";
  for (size_t i = 0; i < jobs.size(); i++)
    script += "wait $p" + std::to_string(i) + " || status=1; ";
  script += "exit $status";
  int status = std::system(("sh -c \"" + script + "\"").c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

// Two programs converting JPEG pictures at the same moment each get their own pixels, and
// leave no temporary file behind.
TEST(ConverterProcesses, TwoConvertingAtOnceKeepTheirOwnPictures) {
  TempDir dir, tmp;
  const std::string a = dir.File("a.jpg"), b = dir.File("b.jpg");
  WriteBytes(a, MakeJpeg(320, 200));
  WriteBytes(b, MakeJpeg(200, 320, JpegOptions{1}));
  const std::string aAlone = dir.File("a-alone.bmp"), bAlone = dir.File("b-alone.bmp");
  ASSERT_TRUE(ConvertTogether({{a, aAlone}}, tmp.path()));
  ASSERT_TRUE(ConvertTogether({{b, bAlone}}, tmp.path()));
  const std::string aPixels = ReadBytes(aAlone), bPixels = ReadBytes(bAlone);
  ASSERT_GT(aPixels.size(), 320u * 200 * 3);
  for (int round = 0; round < 8; round++) {
    SCOPED_TRACE(round);
    const std::string aOut = dir.File("a-out.bmp"), bOut = dir.File("b-out.bmp");
    ASSERT_TRUE(ConvertTogether({{a, aOut}, {b, bOut}, {a, aOut + "2"}}, tmp.path()));
    EXPECT_TRUE(ReadBytes(aOut) == aPixels);
    EXPECT_TRUE(ReadBytes(aOut + "2") == aPixels);
    EXPECT_TRUE(ReadBytes(bOut) == bPixels);
  }
  EXPECT_EQ(0u, FileNames(tmp.path()).size());
}

}  // namespace

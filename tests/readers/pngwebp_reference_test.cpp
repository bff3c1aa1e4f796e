// PNG and WebP files from outside, read by our readers and compared pixel by pixel with an
// independent decoding: the PNG test suite of libpng's source package (copied into
// .deps/samples by tools/build-deps.sh) against netpbm's pngtopnm, composited over black; WebP
// files made by cwebp, img2webp and webpmux, and libwebp's sample, against dwebp. Native only:
// the reference decoders are outside programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pixels.h"
#include "pngreader.h"
#include "testfiles.h"
#include "webpreader.h"

namespace {

const std::string kSamples = LUMORA_SAMPLES;

std::string Command(const char *format, const std::string &a, const std::string &b = "") {
  char command[2048];
  snprintf(command, sizeof command, format, Quote(a).c_str(), Quote(b).c_str());
  return command;
}

// The PNG file's chunks: type and data, in file order.
std::vector<std::pair<std::string, std::string>> Chunks(const std::string &png) {
  std::vector<std::pair<std::string, std::string>> chunks;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = (size_t)(BYTE)png[at] << 24 | (BYTE)png[at + 1] << 16 |
                          (BYTE)png[at + 2] << 8 | (BYTE)png[at + 3];
    if (length > png.size() - at - 12) break;
    chunks.emplace_back(png.substr(at + 4, 4), png.substr(at + 8, length));
    at += 12 + length;
  }
  return chunks;
}

// pngtopnm composited over black, at 8 bits (rounded). netpbm 11.1 leaves an RGB picture's
// tRNS colour opaque: ppmchange makes it black.
std::string PngReference(const std::string &file) {
  std::string command = Command("pngtopnm -mix -background black %s", file);
  const auto chunks = Chunks(ReadBytes(file));
  for (const auto &chunk : chunks)
    if (chunk.first == "tRNS" && chunks[0].second[9] == 2 && chunk.second.size() == 6) {
      const bool wide = chunks[0].second[8] == 16;
      char key[64];
      snprintf(
          key, sizeof key,
          wide ? " | ppmchange rgb:%04x/%04x/%04x black" : " | ppmchange rgb:%02x/%02x/%02x black",
          (BYTE)chunk.second[0] << 8 | (BYTE)chunk.second[1],
          (BYTE)chunk.second[2] << 8 | (BYTE)chunk.second[3],
          (BYTE)chunk.second[4] << 8 | (BYTE)chunk.second[5]);
      command += key;
    }
  return command + " | pnmdepth 255 2>/dev/null";
}

::testing::AssertionResult MatchesReference(PackedBitmap bitmap, const std::string &command) {
  if (!bitmap) return ::testing::AssertionFailure() << "no bitmap";
  ::testing::AssertionResult same = SameRgb(DecodeWithCommand(command), PackedBitmapToRgb(bitmap));
  GlobalFree(bitmap);
  return same;
}

std::vector<std::string> PngFiles(const std::string &folder) {
  std::vector<std::string> files;
  for (const std::string &name : FileNames(folder))
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
      files.push_back(folder + "/" + name);
  return files;
}

// The corruptions of the full PNG suite's x* files, made from its valid files: the
// signature's bytes, a wrong IHDR or IDAT CRC, impossible colour types
// and depths (with their CRC right), no IDAT chunk.
std::vector<std::string> Corruptions(const std::string &png) {
  std::vector<std::string> bad;
  auto withByte = [&](size_t at, char value, bool fixCrc) {
    std::string b = png;
    b[at] = value;
    if (fixCrc) {  // the IHDR CRC, recomputed by the one generic CRC-32 of zlib's kind
      unsigned long crc = 0xFFFFFFFFul;
      for (size_t i = 12; i < 29; i++) {
        crc ^= (BYTE)b[i];
        for (int k = 0; k < 8; k++) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320ul : crc >> 1;
      }
      crc ^= 0xFFFFFFFFul;
      for (int i = 0; i < 4; i++) b[29 + i] = (char)(crc >> (24 - 8 * i));
    }
    return b;
  };
  bad.push_back(withByte(0, 0x09, false));          // xs1: the first byte's top bit cleared
  bad.push_back(withByte(1, 'Q', false));           // xs2
  bad.push_back(withByte(3, 'g', false));           // xs4: lower case
  bad.push_back(withByte(6, ' ', false));           // xs7: a space for control-Z
  bad.push_back(withByte(29, png[29] ^ 1, false));  // xhd: IHDR CRC
  bad.push_back(withByte(25, 1, true));             // xc1: colour type 1
  bad.push_back(withByte(25, 9, true));             // xc9: colour type 9
  bad.push_back(withByte(24, 0, true));             // xd0: depth 0
  bad.push_back(withByte(24, 3, true));             // xd3: depth 3
  bad.push_back(withByte(24, 99, true));            // xd9: depth 99
  std::string noIdat = png.substr(0, 33), idatCrc = png;
  size_t at = 33;
  for (const auto &chunk : Chunks(png)) {
    if (chunk.first == "IHDR") continue;
    const size_t size = chunk.second.size() + 12;
    if (chunk.first != "IDAT") noIdat += png.substr(at, size);
    if (chunk.first == "IDAT") idatCrc[at + size - 1] = png[at + size - 1] ^ 1;
    at += size;
  }
  bad.push_back(noIdat);                         // xdt
  bad.push_back(idatCrc);                        // xcs: the IDAT chunks' CRC
  bad.push_back(png.substr(0, png.size() / 2));  // cut short in the image data
  return bad;
}

// Every valid file of the suite and of libpng's test pictures (every colour type and depth,
// interlaced, palettes with tRNS, gamma and sRGB chunks that leave the samples as stored).
TEST(PngReferenceTest, EveryValidSuiteFileMatchesPngtopnm) {
  std::vector<std::string> files = PngFiles(kSamples + "/pngsuite");
  for (const std::string &more : {"/pngsuite/interlaced", "/testpngs"})
    for (const std::string &file : PngFiles(kSamples + more)) files.push_back(file);
  ASSERT_GE(files.size(), 160u) << "the suite is missing: tools/build-deps.sh copies it";
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(MatchesReference(ReadPngFile(file.c_str()), PngReference(file)));
  }
}

// The suite's corruptions of its basic files, and libpng's crash collection (bad CRC, bad
// Adler-32, chunks of impossible lengths), are refused without a fault (this test runs under
// ASan and UBSan).
TEST(PngReferenceTest, CorruptFilesAreRefused) {
  TempDir dir;
  std::vector<std::string> files = PngFiles(kSamples + "/testpngs/crashers");
  ASSERT_GE(files.size(), 20u);
  int made = 0;
  for (const char *name : {"basn0g01", "basn0g04", "basn0g08", "basn2c08", "basn3p08"})
    for (const std::string &bytes :
         Corruptions(ReadBytes(kSamples + "/pngsuite/" + name + ".png"))) {
      files.push_back(dir.File("x" + std::to_string(made++) + ".png"));
      WriteBytes(files.back(), bytes);
    }
  for (const std::string &file : files) {
    PackedBitmap bitmap = ReadPngFile(file.c_str());
    EXPECT_EQ(nullptr, bitmap) << file;
    if (bitmap) GlobalFree(bitmap);
  }
}

class WebpReferenceTest : public ::testing::Test {
 protected:
  std::string Make(const std::string &magick, const std::string &cwebp, const std::string &name) {
    const std::string png = dir.File(name + ".png"), webp = dir.File(name + ".webp");
    EXPECT_TRUE(RunShell("convert " + magick + " " + Quote(png)));
    EXPECT_TRUE(RunShell("cwebp -quiet " + cwebp + " " + Quote(png) + " -o " + Quote(webp)));
    return webp;
  }
  TempDir dir;
};

// dwebp's RGBA composited over black by ImageMagick.
const char *const kDwebp =
    "dwebp -quiet %s -pam -o - | convert pam:- -background black -alpha remove -alpha off ppm:-";

TEST_F(WebpReferenceTest, LossyLosslessAndAlphaMatchDwebp) {
  std::vector<std::string> files = {kSamples + "/test.webp"};
  for (const char *size : {"1x1", "7x3", "301x203"}) {
    const std::string plasma = "-seed 5 -size " + std::string(size) + " plasma:fractal";
    const std::string alpha = plasma + " \\( -size " + size +
                              " gradient: \\) -alpha off -compose copy_opacity -composite";
    files.push_back(Make(plasma, "-q 80", "lossy"));
    files.push_back(Make(plasma, "-lossless", "lossless"));
    files.push_back(Make(alpha, "-q 70", "lossyalpha"));
    files.push_back(Make(alpha, "-lossless -exact", "losslessalpha"));
  }
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(MatchesReference(ReadWebpFile(file.c_str()), Command(kDwebp, file)));
  }
}

// Fitted: libwebp's scaling to the size the reader chose is dwebp's -scale to that size.
TEST_F(WebpReferenceTest, FittedPicturesMatchDwebpScaled) {
  for (const char *options : {"-q 80", "-lossless"}) {
    const std::string file = Make("-seed 3 -size 640x480 plasma:fractal", options, "fit");
    PictureFit fit = {150, 100, 0, 0};
    PackedBitmap bitmap = ReadWebpFile(file.c_str(), nullptr, &fit);
    ASSERT_TRUE(bitmap);
    const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
    EXPECT_EQ(134, info->biWidth);  // the proportional 134 x 100 covers the rule's 150 x -40
    EXPECT_EQ(100, info->biHeight);
    const std::string scale =
        " -scale " + std::to_string(info->biWidth) + " " + std::to_string(info->biHeight);
    EXPECT_TRUE(MatchesReference(bitmap, Command("dwebp -quiet %s -ppm -o -", file) + scale));
  }
}

// An animation shows its first frame: one from img2webp covering the canvas, and one that
// webpmux places at an offset on a larger canvas, the rest of it black.
TEST_F(WebpReferenceTest, AnimationsShowTheirFirstFrame) {
  const std::string a = Make("-seed 1 -size 60x40 plasma:fractal", "-lossless", "a"),
                    b = Make("-seed 2 -size 90x70 plasma:fractal", "-q 80", "b");
  Make("-seed 3 -size 90x70 plasma:fractal", "-q 80", "c");
  const std::string anim = dir.File("anim.webp"), offset = dir.File("offset.webp");
  ASSERT_TRUE(RunShell(Command("img2webp -lossy -q 80 %s -d 100 -lossless %s -o ",
                               dir.File("b.png"), dir.File("c.png")) +
                       Quote(anim) + " >/dev/null 2>&1"));
  ASSERT_TRUE(RunShell(Command("webpmux -frame %s +100+20+10 -frame %s +100 -o ", a, b) +
                       Quote(offset) + " >/dev/null"));
  const std::string first = dir.File("first.webp"), canvas = dir.File("canvas.ppm");
  ASSERT_TRUE(RunShell(Command("webpmux -get frame 1 %s -o %s >/dev/null", anim, first)));
  EXPECT_TRUE(MatchesReference(ReadWebpFile(anim.c_str()), Command(kDwebp, first)));
  ASSERT_TRUE(RunShell("ppmmake black 90 70 > " + Quote(canvas)));
  EXPECT_TRUE(
      MatchesReference(ReadWebpFile(offset.c_str()),
                       Command("dwebp -quiet %s -ppm -o - | pnmpaste - 20 10 %s", a, canvas)));
}

}  // namespace

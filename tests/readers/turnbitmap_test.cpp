#include "turnbitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "bmpreader.h"
#include "testfiles.h"

namespace {

struct BlockDeleter {
  void operator()(void *block) const { GlobalFree(block); }
};
using Block = std::unique_ptr<void, BlockDeleter>;

std::string BlockBytes(const Block &block) {
  if (!block) return "(null)";
  return std::string(static_cast<const char *>(block.get()), GlobalSize(block.get()));
}

// A BMP file of a patterned picture: `gap` bytes between the colour table and the pixels
// (named by bfOffBits), the file cut `cut` bytes short.
std::string BmpFile(LONG width, LONG height, int bits, int colors, DWORD gap = 0, size_t cut = 0) {
  Block block(AllocPackedBitmap(width, height, bits, colors));
  BYTE *start = static_cast<BYTE *>(block.get()) + sizeof(BITMAPINFOHEADER);
  BYTE *end = static_cast<BYTE *>(block.get()) + GlobalSize(block.get());
  for (BYTE *p = start; p < end; p++) *p = (BYTE)((p - start) * 37 % 251);
  static_cast<BITMAPINFOHEADER *>(block.get())->biXPelsPerMeter = 2835;
  const std::string whole = BlockBytes(block);
  const DWORD pixelsAt = 14 + 40 + colors * 4;
  std::string file = "BM" + std::string(12, '\0') + whole.substr(0, pixelsAt - 14) +
                     std::string(gap, 'g') + whole.substr(pixelsAt - 14);
  const DWORD offBits = pixelsAt + gap;
  memcpy(&file[10], &offBits, 4);
  file.resize(file.size() - cut);
  return file;
}

// Reading a BMP file upright band by band gives what reading it whole and turning it gives.
TEST(ReadUprightBmpFile, SameAsTurningTheWholePicture) {
  const struct {
    const char *what;
    std::string file;
  } cases[] = {
      {"24 bits, odd sizes", BmpFile(37, 23, 24, 0)},
      {"8 bits with a colour table", BmpFile(13, 70, 8, 256)},
      {"16 bits", BmpFile(9, 4, 16, 0)},
      {"32 bits", BmpFile(5, 6, 32, 0)},
      {"24 bits, several bands", BmpFile(700, 401, 24, 0)},
      {"a gap before the pixels", BmpFile(11, 7, 24, 0, 6)},
      {"pixels cut short", BmpFile(700, 401, 24, 0, 0, 300000)},
      {"one pixel", BmpFile(1, 1, 8, 2)},
      {"colour table cut short", BmpFile(3, 3, 8, 256, 0, 1000)},
      {"not a BMP file", "PK\3\4 and more"},
  };
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  for (const auto &c : cases) {
    WriteBytes(path, c.file);
    for (int orientation = 0; orientation <= 9; orientation++) {
      SCOPED_TRACE(testing::Message() << c.what << ", orientation " << orientation);
      Block turned(TurnPackedBitmap(ReadBmpFile(path.c_str()), orientation));
      Block upright(ReadUprightBmpFile(path.c_str(), orientation));
      EXPECT_TRUE(BlockBytes(turned) == BlockBytes(upright));
    }
  }
}

}  // namespace

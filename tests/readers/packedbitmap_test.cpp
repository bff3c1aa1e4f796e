#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "packedbitmap.h"
#include "pixels.h"
#include "testfiles.h"

namespace {

Block CoreBlock(int bits, int width, int height, size_t extra) {
  BITMAPCOREHEADER core = {sizeof core, (WORD)width, (WORD)height, 1, (WORD)bits};
  const size_t colors = bits <= 8 ? (size_t)1 << bits : 0;
  Block b(GlobalAlloc(GPTR, sizeof core + colors * 3 + extra));
  memcpy(b.get(), &core, sizeof core);
  return b;
}

size_t PixelOffset(const Block &b) {
  return (size_t)(PackedBitmapPixels(b.get()) - static_cast<BYTE *>(b.get()));
}

TEST(PackedBitmap, ColorTableFollowsTheHeaderKind) {
  Block core = CoreBlock(8, 3, 2, 8);
  EXPECT_EQ(256, PackedBitmapColorCount(core.get()));
  EXPECT_EQ(12u + 256u * 3u, PixelOffset(core));
  EXPECT_TRUE(PackedBitmapIsWhole(core.get()));

  Block info(AllocPackedBitmap(3, 2, 24, 0));
  EXPECT_EQ(0, PackedBitmapColorCount(info.get()));
  EXPECT_EQ(40u, PixelOffset(info));
  Block withColors(AllocPackedBitmap(3, 2, 24, 5));
  EXPECT_EQ(5, PackedBitmapColorCount(withColors.get()));
  EXPECT_EQ(40u + 20u, PixelOffset(withColors));

  BITMAPINFOHEADER *h = static_cast<BITMAPINFOHEADER *>(info.get());
  h->biBitCount = 4;
  EXPECT_EQ(16, PackedBitmapColorCount(info.get()));
  h->biBitCount = 16;
  h->biCompression = BI_BITFIELDS;
  EXPECT_EQ(40u + 12u, PixelOffset(info));
}

TEST(PackedBitmap, RowsArePaddedAndBounded) {
  EXPECT_EQ(8u, PackedRowBytes(33, 1));
  EXPECT_EQ(8u, PackedRowBytes(9, 4));
  EXPECT_EQ(12u, PackedRowBytes(3, 24));
  EXPECT_EQ(0u, PackedRowBytes(0, 8));
  EXPECT_EQ(0u, PackedRowBytes(-5, 8));
  EXPECT_EQ(0u, PackedRowBytes(0x7FFFFFFF, 32));
  EXPECT_FALSE(AllocPackedBitmap(8192, 8193, 32, 0));
  EXPECT_FALSE(AllocPackedBitmap(8, 8, 8, 257));
  Block largest(AllocPackedBitmap(8192, 8192, 32, 0));
  ASSERT_TRUE(largest);
  EXPECT_TRUE(PackedBitmapIsWhole(largest.get()));
}

TEST(PackedBitmap, ShortOrUnboundedBlocksAreNotWhole) {
  Block info(AllocPackedBitmap(5, 3, 8, 256));
  ASSERT_TRUE(PackedBitmapIsWhole(info.get()));
  BITMAPINFOHEADER *h = static_cast<BITMAPINFOHEADER *>(info.get());
  h->biHeight = 4;  // one row more than the block holds
  EXPECT_FALSE(PackedBitmapIsWhole(info.get()));
  h->biHeight = -3;  // top-down is fine
  EXPECT_TRUE(PackedBitmapIsWhole(info.get()));
  h->biClrUsed = 0x40000000;  // a colour table far past the block
  EXPECT_FALSE(PackedBitmapIsWhole(info.get()));
  h->biClrUsed = 256;
  h->biCompression = BI_RLE8;
  h->biSizeImage = 3 * 8 + 1;
  EXPECT_FALSE(PackedBitmapIsWhole(info.get()));
  h->biSizeImage = 3 * 8;
  EXPECT_TRUE(PackedBitmapIsWhole(info.get()));
  h->biSize = 0xFFFFFFF0;
  EXPECT_FALSE(PackedBitmapIsWhole(info.get()));

  Block empty(GlobalAlloc(GPTR, 0));
  EXPECT_FALSE(PackedBitmapIsWhole(empty.get()));
  EXPECT_FALSE(PackedBitmapIsWhole(nullptr));
  Block core = CoreBlock(24, 3, 2, 15);  // rows of 12 bytes: 24 needed
  EXPECT_FALSE(PackedBitmapIsWhole(core.get()));
}

TEST(PackedBitmap, WrittenFileIsFileHeaderAndBlock) {
  TempDir dir;
  const std::string path = dir.File("out.bmp");
  Block b(AllocPackedBitmap(3, 2, 8, 4));
  memset(PackedBitmapPixels(b.get()), 0x11, 8);
  ASSERT_EQ(1, WritePackedBitmapFile(path.c_str(), b.get()));
  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(14 + GlobalSize(b.get()), bytes.size());
  BITMAPFILEHEADER fh;
  memcpy(&fh, bytes.data(), 14);
  const unsigned type = fh.bfType, size = fh.bfSize, offset = fh.bfOffBits;
  EXPECT_EQ(0x4D42u, type);
  EXPECT_EQ(bytes.size(), size);
  EXPECT_EQ(14u + 40u + 16u, offset);
  EXPECT_EQ(0, memcmp(bytes.data() + 14, b.get(), GlobalSize(b.get())));

  EXPECT_EQ(0, WritePackedBitmapFile(path.c_str(), nullptr));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(0u, ReadBytes(path).size());
  EXPECT_EQ(0, WritePackedBitmapFile(dir.File("no/such/folder.bmp").c_str(), b.get()));
}

}  // namespace

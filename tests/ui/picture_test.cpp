// Device bitmaps from packed bitmaps and picture files: what reaches the display bitmap is read
// back with GetDIBits and compared pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "jpegreader.h"
#include "jpegwriter.h"
#include "picture.h"
#include "picturefile.h"
#include "pixels.h"
#include "pngwriter.h"
#include "testfiles.h"
#include "webpwriter.h"

namespace {

struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using Bitmap = std::unique_ptr<std::remove_pointer<HBITMAP>::type, BitmapDeleter>;

// A packed bitmap of the given depth whose pixels and colours vary with x and y.
Block Pattern(LONG width, LONG height, int bits, int colors) {
  Block b(AllocPackedBitmap(width, height, bits, colors));
  RGBQUAD *table = reinterpret_cast<RGBQUAD *>(static_cast<BYTE *>(b.get()) + 40);
  for (int i = 0; i < colors; i++)
    table[i] = RGBQUAD{(BYTE)(i * 37), (BYTE)(255 - i), (BYTE)(i * 11 + 3), 0};
  const DWORD row = PackedRowBytes(width, bits);
  BYTE *pixels = PackedBitmapPixels(b.get());
  for (DWORD i = 0; i < row * (DWORD)height; i++) pixels[i] = (BYTE)(i * 13 + i / row * 7);
  return b;
}

Bitmap Device(const Block &b) {
  return Bitmap(PackedBitmapToDevice(b.get()));
}

TEST(PackedBitmapToDevice, CarriesEveryDepthsPixels) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    Block b = Pattern(13, 7, bits, bits <= 8 ? 1 << bits : 0);
    Bitmap device = Device(b);
    ASSERT_TRUE(device);
    EXPECT_TRUE(SameRgb(PackedBitmapToRgb(b.get()), DeviceBitmapToRgb(device.get())));
  }
}

TEST(PackedBitmapToDevice, ReadsOtherLayouts) {
  Block shortTable = Pattern(9, 5, 8, 20);  // biClrUsed 20: pixel values above 19 are black
  BYTE *pixels = PackedBitmapPixels(shortTable.get());
  for (DWORD i = 0; i < 12 * 5; i++) pixels[i] %= 20;
  Bitmap fromShort = Device(shortTable);
  ASSERT_TRUE(fromShort);
  EXPECT_TRUE(SameRgb(PackedBitmapToRgb(shortTable.get()), DeviceBitmapToRgb(fromShort.get())));

  Block topDown = Pattern(6, 4, 24, 0);
  static_cast<BITMAPINFOHEADER *>(topDown.get())->biHeight = -4;
  Bitmap fromTopDown = Device(topDown);
  ASSERT_TRUE(fromTopDown);
  EXPECT_TRUE(SameRgb(PackedBitmapToRgb(topDown.get()), DeviceBitmapToRgb(fromTopDown.get())));

  // 5-6-5 masks after a 40-byte header: the masks are not pixels.
  Block masked(GlobalAlloc(GPTR, 40 + 12 + 8));
  BITMAPINFOHEADER info = {40, 2, 2, 1, 16, BI_BITFIELDS, 8, 0, 0, 0, 0};
  const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
  const WORD colors[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};  // red, green, blue, white
  memcpy(masked.get(), &info, 40);
  memcpy(static_cast<BYTE *>(masked.get()) + 40, masks, 12);
  memcpy(static_cast<BYTE *>(masked.get()) + 52, colors, 8);
  Bitmap fromMasked = Device(masked);
  ASSERT_TRUE(fromMasked);
  RgbImage rgb = DeviceBitmapToRgb(fromMasked.get());
  ASSERT_FALSE(rgb.empty());
  EXPECT_EQ(0x0000FFul, rgb.At(0, 0));  // the top row is the second in the block
  EXPECT_EQ(0xFFFFFFul, rgb.At(1, 0));
  EXPECT_EQ(0xFF0000ul, rgb.At(0, 1));
  EXPECT_EQ(0x00FF00ul, rgb.At(1, 1));

  Block core(GlobalAlloc(GPTR, 12 + 16 * 3 + 8));
  BITMAPCOREHEADER coreHeader = {12, 3, 2, 1, 4};
  memcpy(core.get(), &coreHeader, 12);
  for (int i = 0; i < 48; i++) static_cast<BYTE *>(core.get())[12 + i] = (BYTE)(i * 5);
  memcpy(static_cast<BYTE *>(core.get()) + 60, "\x01\x2F\0\0\xE4\x50\0\0", 8);
  Bitmap fromCore = Device(core);
  ASSERT_TRUE(fromCore);
  EXPECT_TRUE(SameRgb(PackedBitmapToRgb(core.get()), DeviceBitmapToRgb(fromCore.get())));
}

TEST(PackedBitmapToDevice, RefusesNullShortAndUnknownBlocks) {
  EXPECT_FALSE(PackedBitmapToDevice(nullptr));
  Block b = Pattern(8, 8, 8, 256);
  static_cast<BITMAPINFOHEADER *>(b.get())->biHeight = 9;  // a row more than the block holds
  EXPECT_FALSE(Device(b));
  Block twoBits = Pattern(8, 2, 2, 4);
  EXPECT_FALSE(Device(twoBits));
  Block empty(GlobalAlloc(GPTR, 0));
  EXPECT_FALSE(Device(empty));
}

class LoadPictureTest : public ::testing::Test {
 protected:
  // Writes the block as a BMP file under the name and loads it back.
  Bitmap LoadAs(const Block &b, const std::string &path) {
    EXPECT_EQ(1, WritePackedBitmapFile(path.c_str(), b.get()));
    return Bitmap(LoadPicture(path.c_str()));
  }
  TempDir dir;
};

TEST_F(LoadPictureTest, ReadsByContentAndMakesTheDeviceBitmap) {
  Block b = Pattern(11, 6, 8, 256);
  const RgbImage expected = PackedBitmapToRgb(b.get());
  // Its content picks the BMP reader whatever the name, .gif, .pcx and .jpg included.
  for (const char *name : {"plain.bmp", "picture", "picture.dib", "photo.jpe", "picture.bmp.gif",
                           "x.PCX", "photo.JPeG"}) {
    SCOPED_TRACE(name);
    Bitmap loaded = LoadAs(b, dir.File(name));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(SameRgb(expected, DeviceBitmapToRgb(loaded.get())));
  }
}

// A JPEG picture is decoded straight into a DIB section holding the rows ReadJpegFile gives,
// whole or reduced for a fit, upright as its EXIF tag says; a set cancel flag leaves nothing.
TEST_F(LoadPictureTest, JpegIsDecodedIntoADibSectionOfTheReadersRows) {
  JpegOptions grey, turned;
  grey.components = 1;
  turned.exif = ExifBlock(8, true);
  struct Case {
    const char *name;
    std::string jpeg;
    LONG boxWidth;  // 0: no fit
  } cases[] = {
      {"colour.jpg", MakeJpeg(37, 21), 0},
      {"grey.jpeg", MakeJpeg(30, 17, grey), 0},
      {"fitted.jpg", MakeJpeg(400, 300), 100},
      {"turned.jpg", MakeJpeg(37, 21, turned), 0},             // upright 21 x 37
      {"turned fitted.jpg", MakeJpeg(300, 400, turned), 100},  // upright 400 x 300: 1/4
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    WriteBytes(path, c.jpeg);
    PictureFit fit = {c.boxWidth, c.boxWidth, 0, 0}, readerFit = fit;
    Bitmap loaded(LoadPicture(path.c_str(), nullptr, c.boxWidth ? &fit : nullptr));
    Block packed(ReadJpegFile(path.c_str(), nullptr, c.boxWidth ? &readerFit : nullptr));
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(packed);
    DIBSECTION section = {};
    ASSERT_EQ((int)sizeof section, GetObjectA(loaded.get(), sizeof section, &section));
    EXPECT_TRUE(section.dsBm.bmBits);
    EXPECT_EQ(readerFit.fullWidth, fit.fullWidth);
    EXPECT_EQ(readerFit.fullHeight, fit.fullHeight);
    EXPECT_TRUE(SameRgb(PackedBitmapToRgb(packed.get()), DeviceBitmapToRgb(loaded.get())));
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(LoadPicture(path.c_str(), &cancel));
  }
}

// PNG and WebP pictures (with alpha: 24 and 32 bits) reach the display bitmap as their readers
// give them, whole or reduced for a fit.
TEST_F(LoadPictureTest, PngAndWebpCarryTheirReadersRows) {
  std::vector<unsigned> rgba;
  std::vector<unsigned char> bgra;
  for (int i = 0; i < 400 * 300; i++) {
    rgba.insert(rgba.end(), {(unsigned)i % 256, (unsigned)i / 400 % 256, 90, (unsigned)i % 199});
    bgra.insert(bgra.end(), {90, (unsigned char)(i / 400), (unsigned char)i, (unsigned char)i});
  }
  PngOptions withAlpha;
  withAlpha.colorType = 6;
  WriteBytes(dir.File("a.png"), MakePng(400, 300, rgba, withAlpha));
  WriteBytes(dir.File("a.webp"), MakeWebp(400, 300, bgra, true));
  for (const char *name : {"a.png", "a.webp"})
    for (LONG box : {0, 100}) {
      SCOPED_TRACE(testing::Message() << name << " into " << box);
      const std::string path = dir.File(name);
      PictureFit fit = {box, box, 0, 0}, readerFit = fit;
      Bitmap loaded(LoadPicture(path.c_str(), nullptr, box ? &fit : nullptr));
      Block packed(ReadPictureFile(path.c_str(), nullptr, box ? &readerFit : nullptr));
      ASSERT_TRUE(loaded);
      ASSERT_TRUE(packed);
      EXPECT_EQ(readerFit.fullWidth, fit.fullWidth);
      EXPECT_TRUE(SameRgb(PackedBitmapToRgb(packed.get()), DeviceBitmapToRgb(loaded.get())));
    }
}

TEST_F(LoadPictureTest, MissingFilesAndFoldersGiveNull) {
  EXPECT_FALSE(LoadPicture(dir.File("missing.bmp").c_str()));
  EXPECT_FALSE(LoadPicture(dir.path().c_str()));
  EXPECT_FALSE(LoadPicture(nullptr));
}

TEST_F(LoadPictureTest, PathsLongerThanAnOpenFileRecordLoad) {
  std::string folder = dir.File(std::string(90, 'f'));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  folder += "\\" + std::string(60, 'g');
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string path = folder + "\\picture.bmp";
  ASSERT_GT(path.size(), 160u);
  Block b = Pattern(5, 5, 24, 0);
  Bitmap loaded = LoadAs(b, path);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(SameRgb(PackedBitmapToRgb(b.get()), DeviceBitmapToRgb(loaded.get())));
}

}  // namespace

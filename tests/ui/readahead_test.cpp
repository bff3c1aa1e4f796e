// Reading ahead: what the worker hands over (only the same entry and path, only an unchanged
// file), the placed drawings it makes (the same pixels as drawing at the change), waiting for
// a read under way, the switch that turns it off, and stopping during a large JPEG.
#include "readahead.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "jpegwriter.h"
#include "picture.h"
#include "pixels.h"
#include "placedraw.h"
#include "testfiles.h"
#include "uidriver.h"

namespace {

const int kScreenWidth = 320, kScreenHeight = 240;

// A 24-bit BMP file whose pixels vary with x, y and the seed.
std::string BmpBytes(int width, int height, int seed) {
  const int row = (width * 3 + 3) & ~3;
  std::string file(54 + (size_t)row * height, '\0');
  auto dword = [&](int at, DWORD value) {
    for (int i = 0; i < 4; i++) file[at + i] = (char)(value >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  dword(2, (DWORD)file.size());
  dword(10, 54);
  dword(14, 40);
  dword(18, (DWORD)width);
  dword(22, (DWORD)height);
  file[26] = 1, file[28] = 24;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      for (int c = 0; c < 3; c++)
        file[54 + (size_t)y * row + x * 3 + c] = (char)(x * (c + 1) * 7 + y * 5 + seed * 40);
  return file;
}

// The screen as drawn by `draw` on a black kScreenWidth x kScreenHeight bitmap.
template <typename Draw>
RgbImage Screen(Draw draw) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HDC dc = CreateCompatibleDC(display);
  HBITMAP screen = CreateCompatibleBitmap(display, kScreenWidth, kScreenHeight);
  HGDIOBJ old = SelectObject(dc, screen);
  PatBlt(dc, 0, 0, kScreenWidth, kScreenHeight, BLACKNESS);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteDC(display);
  RgbImage rgb = DeviceBitmapToRgb(screen);
  DeleteObject(screen);
  return rgb;
}

class ReadAheadTest : public ::testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr); }

  void WaitIdle() {
    while (!ahead.Idle()) Sleep(1);
  }

  TempDir dir;
  ReadAhead ahead;
  ListEntry one = {}, two = {};
};

TEST_F(ReadAheadTest, PlacedCopiesShowWhatDrawingAtTheChangeShows) {
  const std::string small = dir.File("small.bmp"), large = dir.File("large.bmp"),
                    flat = dir.File("flat.bmp");
  WriteBytes(small, BmpBytes(70, 40, 1));    // best fit enlarges it
  WriteBytes(large, BmpBytes(900, 500, 2));  // best fit reduces it (halftone)
  WriteBytes(flat, BmpBytes(2000, 30, 3));   // best fit scales it proportionally
  for (const std::string &path : {small, large, flat}) {
    for (PlacementMode mode : {kModeCentred, kModeTiled, kModeStretched}) {
      SCOPED_TRACE(path + " mode " + std::to_string(mode));
      PreparedPicture p = PreparePicture(path.c_str(), mode, kScreenWidth, kScreenHeight);
      ASSERT_TRUE(p.bitmap);
      EXPECT_EQ(mode != kModeCentred, p.placed != nullptr);
      RgbImage expected = Screen(
          [&](HDC dc) { DrawPlacedPicture(dc, p.bitmap, mode, kScreenWidth, kScreenHeight); });
      RgbImage copied = Screen([&](HDC dc) {
        if (!DrawPlacedCopy(dc, p, mode))
          DrawPlacedPicture(dc, p.bitmap, mode, kScreenWidth, kScreenHeight);
      });
      EXPECT_TRUE(SameRgb(expected, copied));
      // A copy made for one placement is never drawn for another.
      EXPECT_FALSE(DrawPlacedCopy(nullptr, p, mode == kModeTiled ? kModeStretched : kModeTiled));
      FreePreparedPicture(&p);
      EXPECT_FALSE(p.bitmap || p.placed);
    }
  }
  PreparedPicture missing = PreparePicture(dir.File("none.bmp").c_str(), kModeTiled, 10, 10);
  EXPECT_FALSE(missing.bitmap || missing.placed);
}

// The picture shown before is kept for a step back and handed over under the same checks as
// one read ahead, and only for a placement it holds the pixels for; otherwise it is read again.
TEST_F(ReadAheadTest, AStepBackTakesThePictureShownBeforeOnlyWhileItStillFits) {
  struct Case {
    const char *what;
    std::function<void(const std::string &path, ListEntry *entry)> change;
    bool handedOver;
    LONG width;  // of the picture shown after the step back; 0 for none
  } cases[] = {
      {"unchanged", [](const std::string &, ListEntry *) {}, true, 320},
      {"rewritten, same size, later time",
       [](const std::string &path, ListEntry *) {
         WriteBytes(path, MakeJpeg(1280, 960));
         HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr);
         FILETIME written;
         GetFileTime(file, nullptr, nullptr, &written);
         written.dwHighDateTime += 1;
         SetFileTime(file, nullptr, nullptr, &written);
         CloseHandle(file);
       },
       false, 320},
      {"replaced by another size",
       [](const std::string &path, ListEntry *) { WriteBytes(path, MakeJpeg(640, 480)); }, false,
       320},
      {"removed", [](const std::string &path, ListEntry *) { DeleteFileA(path.c_str()); }, false,
       0},
      {"now centred", [](const std::string &, ListEntry *entry) { entry->mode = kModeCentred; },
       false, 1280},
  };
  ASSERT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
  PreparedPicture shown = {};
  auto show = [&](const PreparedPicture &p) {
    PreparedPicture replaced = shown;
    shown = p;
    return replaced;
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string a = dir.File("a.jpg"), b = dir.File("b.bmp"), other = dir.File("c.bmp");
    WriteBytes(a, MakeJpeg(1280, 960));  // reduced by 4 for the best fit
    WriteBytes(b, BmpBytes(31, 21, 2));
    WriteBytes(other, BmpBytes(32, 22, 3));
    ImageList list = {};
    AddListEntry(&list, other.c_str(), kModeCentred);
    AddListEntry(&list, b.c_str(), kModeCentred);
    AddListEntry(&list, a.c_str(), kModeStretched);
    ListEntry *first = FindListEntry(&list, 0), *second = FindListEntry(&list, 1);
    ahead.Change(first, list, show);
    WaitIdle();
    ahead.Change(second, list, show);
    WaitIdle();
    c.change(a, first);
    const int before = ahead.HandOvers();
    ahead.Change(first, list, show);
    EXPECT_EQ(c.handedOver ? 1 : 0, ahead.HandOvers() - before);
    BITMAP info = {};
    if (shown.bitmap) GetObjectA(shown.bitmap, sizeof info, &info);
    EXPECT_EQ(c.width, info.bmWidth);
    // And forward again: the picture just left is behind.
    const int back = ahead.HandOvers();
    ahead.Change(second, list, show);
    EXPECT_EQ(1, ahead.HandOvers() - back);
    ahead.Discard();
    FreePreparedPicture(&shown);
    FreeImageList(&list);
  }
}

TEST_F(ReadAheadTest, HandsOverOnlyTheSameEntryAndPathOfAnUnchangedFile) {
  ASSERT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
  const std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
  WriteBytes(a, BmpBytes(30, 20, 1));
  WriteBytes(b, BmpBytes(31, 21, 2));
  PreparedPicture p = {};
  auto width = [&] {
    BITMAP info = {};
    GetObjectA(p.bitmap, sizeof info, &info);
    return info.bmWidth;
  };

  ahead.Request(&one, a.c_str(), kModeTiled);
  ASSERT_TRUE(ahead.Take(&one, a.c_str(), &p));
  EXPECT_EQ(30, width());
  EXPECT_TRUE(p.placed);
  FreePreparedPicture(&p);
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p)) << "handed over twice";

  // Another entry, or the same entry with another path, drops what was read.
  ahead.Request(&one, a.c_str(), kModeCentred);
  WaitIdle();
  EXPECT_FALSE(ahead.Take(&two, a.c_str(), &p));
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));
  ahead.Request(&one, a.c_str(), kModeCentred);
  EXPECT_FALSE(ahead.Take(&one, b.c_str(), &p));
  ahead.Request(&one, a.c_str(), kModeCentred);
  ahead.Discard();
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));

  // Replaced with another size; rewritten at the same size with a later write time; removed.
  ahead.Request(&one, a.c_str(), kModeCentred);
  WaitIdle();
  WriteBytes(a, BmpBytes(40, 20, 3));
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));
  ahead.Request(&one, a.c_str(), kModeCentred);
  WaitIdle();
  WriteBytes(a, BmpBytes(40, 20, 4));
  HANDLE file =
      CreateFileA(a.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  FILETIME later;
  GetFileTime(file, nullptr, nullptr, &later);
  later.dwHighDateTime += 1;  // some seven minutes on
  SetFileTime(file, nullptr, nullptr, &later);
  CloseHandle(file);
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));
  ahead.Request(&one, a.c_str(), kModeCentred);
  WaitIdle();
  ASSERT_TRUE(DeleteFileA(a.c_str()));
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));

  // A file still missing, or still unreadable, hands over its empty picture: black as before.
  ahead.Request(&two, a.c_str(), kModeCentred);
  ASSERT_TRUE(ahead.Take(&two, a.c_str(), &p));
  EXPECT_FALSE(p.bitmap);
  WriteBytes(b, "BM but not a bitmap");
  ahead.Request(&two, b.c_str(), kModeCentred);
  ASSERT_TRUE(ahead.Take(&two, b.c_str(), &p));
  EXPECT_FALSE(p.bitmap);
  // ...and one that appears meanwhile is read.
  ahead.Request(&two, a.c_str(), kModeCentred);
  WaitIdle();
  WriteBytes(a, BmpBytes(30, 20, 5));
  EXPECT_FALSE(ahead.Take(&two, a.c_str(), &p));

  // A picture handed back is freed by the worker, or by Stop at the latest.
  p = PreparePicture(a.c_str(), kModeTiled, kScreenWidth, kScreenHeight);
  const HBITMAP bitmap = p.bitmap, placed = p.placed;
  ASSERT_TRUE(bitmap && placed);
  ahead.Dispose(&p);
  EXPECT_FALSE(p.bitmap || p.placed);
  ahead.Stop();
  EXPECT_EQ(0u, GetObjectType(bitmap));
  EXPECT_EQ(0u, GetObjectType(placed));
}

TEST_F(ReadAheadTest, ATakeDuringTheReadWaitsForIt) {
  const std::string photo = dir.File("photo.jpg");
  WriteBytes(photo, MakeJpeg(2400, 1800));
  ASSERT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
  ahead.Request(&one, photo.c_str(), kModeStretched);
  EXPECT_FALSE(ahead.Idle());
  PreparedPicture p = {};
  one.mode = kModeCentred;  // a reduced picture is not handed over for another placement
  EXPECT_FALSE(ahead.Take(&one, photo.c_str(), &p));
  ahead.Request(&one, photo.c_str(), kModeStretched);
  one.mode = kModeStretched;
  ASSERT_TRUE(ahead.Take(&one, photo.c_str(), &p));
  BITMAP info = {};
  GetObjectA(p.bitmap, sizeof info, &info);
  // Decoded reduced for the fit: the smallest power-of-two reduction still as wide as shown.
  const LONG shown = p.placedRect.right - p.placedRect.left;
  EXPECT_TRUE(p.reduced);
  EXPECT_GE(info.bmWidth, shown);
  EXPECT_LT(info.bmWidth, 2 * shown);
  EXPECT_TRUE(p.placed);
  FreePreparedPicture(&p);
  EXPECT_TRUE(ahead.Idle());
}

// A picture decoded reduced for the best fit covers the best-fit rule's rectangle on every
// monitor size, also on one beyond those the placed drawings are made for: that one is drawn
// from the bitmap.
TEST_F(ReadAheadTest, AReducedPictureCoversTheBestFitOnEveryMonitorSize) {
  const std::string photo = dir.File("photo.jpg");
  WriteBytes(photo, MakeJpeg(2400, 1800));
  // 1/4 would do for the screen and the first three; the last is fitted 840 x 240.
  const ScreenSize others[] = {{200, 150}, {160, 120}, {100, 100}, {960, 240}};
  ahead.PlaceAlsoFor(others, 4);
  ASSERT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
  one.mode = kModeStretched;
  ahead.Request(&one, photo.c_str(), kModeStretched);
  PreparedPicture p = {};
  ASSERT_TRUE(ahead.Take(&one, photo.c_str(), &p));
  BITMAP info = {};
  GetObjectA(p.bitmap, sizeof info, &info);
  EXPECT_TRUE(p.reduced);
  EXPECT_EQ(3, p.otherCount);
  for (ScreenSize size :
       {ScreenSize{kScreenWidth, kScreenHeight}, others[0], others[1], others[2], others[3]}) {
    const PlaceRect fitted = BestFitRect(size.width, size.height, 2400, 1800);
    EXPECT_GE(info.bmWidth, fitted.right - fitted.left) << size.width << " x " << size.height;
    EXPECT_GE(info.bmHeight, fitted.bottom - fitted.top) << size.width << " x " << size.height;
  }
  FreePreparedPicture(&p);
}

TEST_F(ReadAheadTest, StopDuringALargeJpegEndsTheWorkerAndLeavesNoTemporaryFile) {
  TempDir temp;
  TempFolderOverride tempFolder{temp.path()};
  const std::string photo = dir.File("photo.jpg");
  WriteBytes(photo, MakeJpeg(4000, 3000));
  ASSERT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
  // The worker runs below normal priority: on a busy machine it may start late. Probing the
  // file's use could miss the read (or make its open fail); the worker's own state cannot. A
  // read over before the first look is asked for again.
  bool reading = false;
  for (int attempt = 0; attempt < 3 && !reading; attempt++) {
    ahead.Discard();
    ahead.Request(&one, photo.c_str(), kModeCentred);
    const DWORD start = GetTickCount();
    while (!(reading = ahead.ReadingAJob()) && !ahead.Idle() && GetTickCount() - start < 30000)
      Sleep(1);
  }
  EXPECT_TRUE(reading) << "the decoding had not begun";
  ahead.Stop();
  EXPECT_FALSE(ahead.Running());
  EXPECT_EQ(0u, FileNames(temp.path()).size());
  PreparedPicture p = {};
  EXPECT_FALSE(ahead.Take(&one, photo.c_str(), &p));
}

TEST_F(ReadAheadTest, TheEnvironmentSwitchTurnsItOff) {
  const std::string a = dir.File("a.bmp");
  WriteBytes(a, BmpBytes(30, 20, 1));
  SetEnvironmentVariableA("LUMORA_READAHEAD", "0");
  EXPECT_FALSE(ReadAheadWanted());
  EXPECT_FALSE(ahead.Start(kScreenWidth, kScreenHeight));
  ahead.Request(&one, a.c_str(), kModeCentred);
  PreparedPicture p = {};
  EXPECT_FALSE(ahead.Take(&one, a.c_str(), &p));
  SetEnvironmentVariableA("LUMORA_READAHEAD", "1");
  EXPECT_TRUE(ReadAheadWanted());
  EXPECT_TRUE(ahead.Start(kScreenWidth, kScreenHeight));
}

}  // namespace

// Reading ahead in the viewer: the same screens in the same order with and without it, over a
// list with missing, corrupt and replaced files, wrap-around, Previous, Random, Enter, the
// File list, "Mix images", a zoom and a reload; and Escape while the real Lumora.exe reads a
// large JPEG ahead ends it with no temporary file left.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "fixedclock.h"
#include "gifwriter.h"
#include "jpegwriter.h"
#include "pcxwriter.h"
#include "random.h"
#include "resource.h"
#include "settings.h"
#include "testfiles.h"
#include "uidriver.h"
#include "view.h"
#include "viewerdriver.h"
#include "window.h"

namespace {

// What the viewer shows: the current entry's path and every pixel of its window.
struct Shown {
  std::string path;
  std::vector<DWORD> pixels;
};

Shown Capture() {
  UpdateWindow(gViewerWindow);
  Pump();
  Shown shown;
  shown.path = gShow.CurrentEntry ? gShow.CurrentEntry->path : "(none)";
  shown.pixels = ClientPixels(gViewerWindow);
  return shown;
}

class ViewerReadAhead : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gShow.ReadDisplaySize();
    RegisterViewerClass();
  }
  void TearDown() override {
    SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr);
    SetRandomClock(nullptr);
  }

  // A list file whose entries come in the order given (entries are put in at the front).
  void WriteOrderedList(const std::string &path, std::vector<std::string> lines) {
    WriteList(path, std::vector<std::string>(lines.rbegin(), lines.rend()));
  }

  // Writes the pictures and lists afresh, so that both runs start from the same files.
  void WriteFiles() {
    for (const std::string &name : FileNames(dir.path())) DeleteFileA(dir.File(name).c_str());
    WriteBmp(dir.File("a.bmp"), 160, 120, Quadrants);
    WriteBytes(dir.File("b.gif"), MakeGif(37, 23, 16, std::vector<unsigned char>(37 * 23, 5)));
    WriteBytes(dir.File("c.pcx"), MakePcx(90, 40));
    WriteBytes(dir.File("d.jpg"), MakeJpeg(200, 150));
    WriteBytes(dir.File("broken.gif"), "GIF89a and nothing more");
    WriteSolidBmp(dir.File("e.bmp"), 300, 100, kBlue);
    JpegOptions grey;
    grey.components = 1;
    WriteBytes(dir.File("f.jpg"), MakeJpeg(64, 64, grey));
    WriteOrderedList(dir.File("one.wcl"),
                     {"centred=" + dir.File("a.bmp"), "tiled=" + dir.File("b.gif"),
                      "stretched=" + dir.File("c.pcx"), "centred=" + dir.File("d.jpg"),
                      "centred=" + dir.File("broken.gif"), "centred=" + dir.File("missing.bmp"),
                      "stretched=" + dir.File("e.bmp"), "tiled=" + dir.File("f.jpg")});
    WriteOrderedList(dir.File("two.wcl"),
                     {"stretched=" + dir.File("f.jpg"), "tiled=" + dir.File("a.bmp"),
                      "centred=" + dir.File("c.pcx"), "stretched=" + dir.File("d.jpg"),
                      "tiled=" + dir.File("e.bmp")});
  }

  // The worker has finished what it was asked (at once without reading ahead).
  static void Settle() {
    while (!gShow.ReadAheadIdle()) Sleep(1);
  }

  static void Command(int id) { SendMessageA(gViewerWindow, WM_COMMAND, id, 0); }
  static void Tick() { SendMessageA(gViewerWindow, WM_TIMER, 1, 0); }

  // One show, driven the same way in both runs; what was shown after every step.
  std::vector<Shown> Run(bool readAhead, int *handOvers) {
    SetEnvironmentVariableA("LUMORA_READAHEAD", readAhead ? nullptr : "0");
    UseFixedClock(15, 30, 45, 123);
    WriteFiles();
    ResetViewerSettings();
    std::vector<Shown> shown;
    if (!CreateViewerWindow()) return shown;
    ShowWindow(gViewerWindow, SW_SHOWNORMAL);
    gShow.Images = ImageList{};
    LoadImageList(dir.File("one.wcl").c_str(), &gShow.Images, AddListEntry);
    auto step = [&](const std::function<void()> &action) {
      action();
      shown.push_back(Capture());
    };
    auto path = [&](const char *name) { return dir.File(name); };

    step([] { GoToPicture(kGoFirst); });  // a
    step(Tick);                           // b
    step(Tick);                           // c, with d read ahead: d is replaced
    Settle();
    WriteBytes(path("d.jpg"), MakeJpeg(120, 90));
    step(Tick);  // the new d
    step(Tick);  // broken, with missing.bmp read ahead: it appears
    Settle();
    WriteSolidBmp(path("missing.bmp"), 50, 50, kGreen);
    step(Tick);  // missing.bmp
    Settle();    // e read ahead, then rewritten at the same size with a later write time
    WriteSolidBmp(path("e.bmp"), 300, 100, kRed);
    HANDLE file = CreateFileA(path("e.bmp").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    FILETIME written;
    GetFileTime(file, nullptr, nullptr, &written);
    written.dwHighDateTime += 1;
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    step(Tick);                       // e, red
    step([] { Command(IDM_NEXT); });  // f
    step(Tick);                       // a, round again
    Settle();
    EXPECT_TRUE(DeleteFileA(path("b.gif").c_str()));  // b read ahead, then removed
    step(Tick);                                       // black
    step([] { Command(IDM_PREVIOUS); });
    step([] { Command(IDM_RANDOM); });
    step([] { Command(IDM_RANDOM); });
    step([] { SendMessageA(gViewerWindow, WM_KEYDOWN, VK_RETURN, 0); });
    step([] { Command(IDM_LAST); });
    step([] { Command(IDM_NEXT); });  // round to the first
    step([] { Command(IDM_FILEENTRY + 3); });
    step([] { Command(IDM_ZOOMIN); });
    step(Tick);
    step([] { Command(IDM_MIX); });
    for (int i = 0; i < 9; i++) step(i % 3 ? Tick : [] { Command(IDM_NEXT); });
    // A reload from Settings, as confirmed there: the list is freed, read again, shuffled.
    Settle();
    step([&] {
      ForgetCurrentEntry();
      FreeImageList(&gShow.Images);
      LoadImageList(path("two.wcl").c_str(), &gShow.Images, AddListEntry);
      ShuffleImageList(&gShow.Images);
      GoToPicture(kGoFirst);
    });
    for (int i = 0; i < 6; i++) step(Tick);
    Settle();
    if (gShow.CurrentEntry && gShow.CurrentEntry->next) {  // the next one read ahead, then gone
      DeleteFileA(gShow.CurrentEntry->next->path);
      step(Tick);
    }
    step(Tick);
    *handOvers = gShow.ReadAheadHandOvers();
    DestroyWindow(gViewerWindow);
    Pump();
    FreeImageList(&gShow.Images);
    return shown;
  }

  TempDir dir;
};

TEST_F(ViewerReadAhead, ShowsTheSameScreensInTheSameOrderAsWithout) {
  int handOversOff = 0, handOversOn = 0;
  std::vector<Shown> without = Run(false, &handOversOff);
  std::vector<Shown> with = Run(true, &handOversOn);
  ASSERT_GT(without.size(), 35u);
  ASSERT_EQ(without.size(), with.size());
  EXPECT_EQ(0, handOversOff);
  EXPECT_GT(handOversOn, 15) << "the steps forward should take pictures read ahead";
  for (size_t i = 0; i < without.size(); i++) {
    EXPECT_EQ(without[i].path, with[i].path) << "step " << i;
    EXPECT_TRUE(without[i].pixels == with[i].pixels) << "step " << i << " " << with[i].path;
  }
  // The replaced and reappearing files were shown as they were at their step.
  auto at = [&](size_t i, int x, int y) {
    return with[i].pixels[(size_t)y * gShow.ScreenWidth + x];
  };
  EXPECT_EQ(0u, at(3, 310, 230) & 0xffffff) << "the new d is 120 x 90, not 200 x 150";
  EXPECT_NE(0u, at(3, 400, 300) & 0xffffff);
  EXPECT_EQ(0x00ff00u, at(5, 400, 300) & 0xffffff) << "missing.bmp appeared, green";
  EXPECT_EQ(0xff0000u, at(6, 400, 300) & 0xffffff) << "e.bmp was rewritten red";
  EXPECT_EQ(0u, at(9, 10, 10) & 0xffffff) << "b.gif was removed: black";
}

// A JPEG decoded reduced for the best fit is read whole again when a zoom or another placement
// needs its pixels: the screen is then what the same picture shown centred gives.
TEST_F(ViewerReadAhead, AReducedBestFitPictureIsReadWholeForAZoomOrAnotherPlacement) {
  const std::string big = dir.File("big.jpg");
  WriteBytes(big, MakeJpeg(2400, 1800));
  ResetViewerSettings();
  ASSERT_TRUE(CreateViewerWindow());
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  AddListEntry(&gShow.Images, big.c_str(), kModeCentred);    // 1
  AddListEntry(&gShow.Images, big.c_str(), kModeStretched);  // 0
  for (int command : {IDM_ZOOMIN, IDM_ZOOMOUT, IDM_ACTUALSIZE, IDM_TILED}) {
    SCOPED_TRACE(command);
    FindListEntry(&gShow.Images, 0)->mode = kModeStretched;
    FindListEntry(&gShow.Images, 1)->mode = kModeCentred;
    GoToPicture(0);
    Settle();
    Command(command);
    const Shown fromFit = Capture();
    EXPECT_EQ(2400, gView.PictureWidth);
    GoToPicture(1);
    Settle();
    Command(command);
    EXPECT_TRUE(Capture().pixels == fromFit.pixels);
  }
  DestroyWindow(gViewerWindow);
  Pump();
  FreeImageList(&gShow.Images);
}

TEST(ViewerReadAheadProcess, EscapeWhileAJpegIsReadAheadEndsAtOnceWithoutTemporaryFile) {
  TempDir dir, temp;
  TempFolderOverride tempFolder{temp.path()};  // the viewer's temporary folder, inherited
  WriteSolidBmp(dir.File("first.bmp"), 64, 48, kWhite);
  WriteBytes(dir.File("photo.jpg"), MakeJpeg(4000, 3000));
  // Entries go in at the front: the small picture is shown first, the JPEG read ahead.
  WriteList(dir.File("list.wcl"),
            {"centred=" + dir.File("photo.jpg"), "centred=" + dir.File("first.bmp")});
  ResetViewerSettings();
  // A read over before the first probe, or one whose open met a probe (the reader opens the
  // file twice: once to look at its first bytes, once to decode), is missed: start again.
  bool reading = false;
  for (int attempt = 0; attempt < 6 && !reading; attempt++) {
    ViewerProcess viewer(dir.File("list.wcl"));
    ASSERT_NE(nullptr, viewer.StartShow());
    reading = WaitUntilInUse(dir.File("photo.jpg"), 5000);
    viewer.Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(0u, viewer.WaitForExit());
  }
  ASSERT_TRUE(reading) << "the JPEG was not being read ahead";
  for (const std::string &name : FileNames(temp.path())) ADD_FAILURE() << name << " left behind";
}

// A one-picture list reads its own entry ahead. Its placement changed while that picture is
// held: a picture decoded reduced for the best fit is not taken for the actual size, and Enter
// shows the middle of the whole picture (black), not the reduced one (a white frame).
TEST(ViewerReadAheadProcess, AReducedPictureReadAheadIsNotShownAtActualSize) {
  TempDir dir;
  const int width = 3200, height = 2400;  // decoded at 1/4 for the best fit on 800 x 600
  JpegOptions framed;
  framed.components = 1;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      const bool middle =
          x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4;
      framed.samples.push_back(middle ? 0 : 255);
    }
  WriteBytes(dir.File("big.jpg"), MakeJpeg(width, height, framed));
  WriteList(dir.File("list.wcl"), {"stretched=" + dir.File("big.jpg")});
  ResetViewerSettings();
  ViewerProcess viewer(dir.File("list.wcl"));
  ASSERT_NE(nullptr, viewer.StartShow());
  viewer.Settle();
  EXPECT_TRUE(Near(ScreenPixel(400, 20), kWhite)) << "best fit: the frame at the top";
  ASSERT_NE(nullptr, OpenPopupMenu(600, 100));
  ChooseMenuItem(6);  // Actual size
  MoveMouse(799, 599);
  viewer.Settle();
  for (int step = 0; step < 2; step++) {
    SCOPED_TRACE(step ? "after Enter" : "after Actual size");
    ScreenShot shot;
    for (POINT p : {POINT{20, 20}, POINT{780, 580}, POINT{400, 300}})
      EXPECT_TRUE(Near(shot.At(p.x, p.y), kBlack))
          << p.x << ", " << p.y << " " << Hex(shot.At(p.x, p.y));
    viewer.Send(WM_KEYDOWN, VK_RETURN);
    viewer.Settle();
  }
}

}  // namespace

// The real viewer's popup menu, pausing and resuming, the settings reload and the left
// button's click, hold and drag, driven by real input.
#include <gtest/gtest.h>
#include <windows.h>

#include "resource.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const COLORREF kColours[] = {RGB(200, 40, 40), RGB(40, 200, 40), RGB(40, 40, 200)};
const int kSlideSeconds = 1;
// Main menu positions and "Select" positions.
const int kFileList = 0, kSelect = 1, kWallpaper = 2, kSettings = 11, kResume = 12, kMix = 13,
          kExit = 15;
const int kNext = 2, kPrevious = 1;

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewerSettings(kSlideSeconds);
    // Index 0, 1, 2 show the colours in order (the list is read from its last line up).
    for (int i = 0; i < 3; i++) {
      paths[i] = dir.File("p" + std::to_string(i) + ".bmp");
      WriteSolidBmp(paths[i], 200, 200, kColours[i]);
    }
    list = dir.File("list.wcl");
    WriteList(list, {"centred=" + paths[2], "centred=" + paths[1], "centred=" + paths[0]});
    viewer = new ViewerProcess(list);
    ASSERT_NE(nullptr, viewer->StartShow());
  }
  void TearDown() override {
    CloseMenus();
    delete viewer;
  }

  // The index of the picture in the middle of the screen; -1 for none (black).
  int Shown() {
    viewer->Settle();
    COLORREF c = ScreenPixel(400, 300);
    for (int i = 0; i < 3; i++)
      if (Near(c, kColours[i])) return i;
    return -1;
  }
  // True when the picture changes within ms.
  bool Advances(DWORD ms) {
    int first = Shown();
    return WaitFor([&] { return Shown() != first; }, ms);
  }
  void Choose(int mainIndex, int subIndex = -1) {
    ASSERT_NE(nullptr, OpenPopupMenu(600, 100));
    ChooseMenuItem(mainIndex, subIndex);
    MoveMouse(799, 599);
    viewer->Settle();
  }
  // Runs the settings dialog from the menu: Ok (true) or Cancel; the button texts it showed.
  std::string Settings(bool ok) {
    Choose(kSettings);
    HWND dialog = viewer->WaitForSettings();
    if (!dialog) return "(no dialog)";
    std::string texts = WindowText(GetDlgItem(dialog, IDC_ACCEPT)) + "/" +
                        WindowText(GetDlgItem(dialog, IDC_DISMISS));
    viewer->ClickSettingsButton(ok);
    WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
    MoveMouse(799, 599);
    viewer->Settle();
    return texts;
  }

  TempDir dir;
  std::string paths[3], list;
  ViewerProcess *viewer = nullptr;
};

TEST_F(MenuTest, RightClickPausesNavigationKeepsItPausedResumeRuns) {
  ASSERT_TRUE(Advances(3000 * kSlideSeconds));  // the show runs
  ASSERT_NE(nullptr, OpenPopupMenu(600, 100));  // and stops as the menu opens
  int before = Shown();
  ChooseMenuItem(kSelect, kNext);
  MoveMouse(799, 599);
  EXPECT_EQ((before + 1) % 3, Shown());
  EXPECT_FALSE(Advances(1600 * kSlideSeconds));  // paused
  Choose(kResume);
  EXPECT_TRUE(Advances(1600 * kSlideSeconds));
}

TEST_F(MenuTest, NextAndPreviousWrapAround) {
  PressKey(VK_SHIFT);  // any key pauses, one that does nothing else too
  EXPECT_FALSE(Advances(1600 * kSlideSeconds));
  PressKey(VK_HOME);
  ASSERT_EQ(0, Shown());
  Choose(kSelect, kPrevious);
  EXPECT_EQ(2, Shown());
  Choose(kSelect, kNext);
  EXPECT_EQ(0, Shown());
}

TEST_F(MenuTest, FileListItemsShowTheirEntry) {
  Choose(kFileList, 2);
  EXPECT_EQ(2, Shown());
  Choose(kFileList, 1);
  EXPECT_EQ(1, Shown());
  EXPECT_FALSE(Advances(1600 * kSlideSeconds));
}

TEST_F(MenuTest, MixImagesRunsTheShow) {
  PressKey(VK_SHIFT);
  Choose(kMix);
  EXPECT_TRUE(Advances(1600 * kSlideSeconds));
}

TEST_F(MenuTest, SettingsCancelStaysPausedOkReloadsAndRuns) {
  PressKey(VK_HOME);
  EXPECT_EQ("Ok/Cancel", Settings(false));
  EXPECT_EQ(0, Shown());
  EXPECT_FALSE(Advances(1600 * kSlideSeconds));
  EXPECT_EQ("Ok/Cancel", Settings(true));
  EXPECT_NE(-1, Shown());
  EXPECT_TRUE(Advances(1600 * kSlideSeconds));
}

TEST_F(MenuTest, FailedReloadLeavesABlackPausedShowAndSettingsStillWork) {
  ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY));
  Choose(kSettings);
  viewer->ClickSettingsButton(true);
  HWND box = WaitForProcessWindow(viewer->Process(), "#32770", "Error");
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("I cat't load your images list file!", MessageBoxText(box));
  EXPECT_EQ(viewer->Window(), GetWindow(box, GW_OWNER));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !IsWindow(box); });
  EXPECT_EQ(-1, Shown());
  EXPECT_FALSE(Advances(1600 * kSlideSeconds));
  Choose(kSelect, kNext);  // nothing to show, nothing touched
  Choose(kMix);
  EXPECT_EQ(-1, Shown());
  EXPECT_TRUE(IsWindow(viewer->Window()));

  SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
  Settings(true);
  EXPECT_NE(-1, Shown());
  EXPECT_TRUE(Advances(1600 * kSlideSeconds));
}

TEST_F(MenuTest, SetAsWallpaperHandsABmpOverAndExitEnds) {
  PressKey(VK_HOME);
  Choose(kWallpaper);
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key));
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1;
  RegQueryValueExA(key, "Wallpaper", nullptr, nullptr, (BYTE *)value, &size);
  RegCloseKey(key);
  EXPECT_EQ(paths[0], value);
  Choose(kExit);
  EXPECT_EQ(0u, viewer->WaitForExit());
}

// A list of 20,000 entries starts, and an entry near its end is reached through the File
// list's ranges. Entry 19,990 (line 10 of the file: the list is read from its last line up)
// is red, every other one blue: "15626 - 20000" (item 1), "19376 - 20000" (item 6),
// "19976 - 20000" (item 24), then its 16th entry.
TEST(BigListTest, TwentyThousandEntriesStartAndOneNearTheEndIsChosen) {
  TempDir dir;
  ResetViewerSettings();
  const std::string blue = dir.File("blue.bmp"), red = dir.File("red.bmp");
  WriteSolidBmp(blue, 200, 200, kBlue);
  WriteSolidBmp(red, 200, 200, kRed);
  std::vector<std::string> lines(20000, "centred=" + blue);
  lines[9] = "centred=" + red;
  WriteList(dir.File("big.wcl"), lines);
  ViewerProcess viewer(dir.File("big.wcl"));
  ASSERT_NE(nullptr, viewer.StartShow());
  viewer.Settle();
  EXPECT_TRUE(Near(ScreenPixel(400, 300), kBlue));
  ASSERT_NE(nullptr, OpenPopupMenu(100, 50));
  ChooseMenuPath({kFileList, 1, 6, 24, 15});
  MoveMouse(799, 599);
  viewer.Settle();
  EXPECT_TRUE(Near(ScreenPixel(400, 300), kRed)) << Hex(ScreenPixel(400, 300));
  CloseMenus();
}

// The cursor on the screen, whichever program set it.
HCURSOR ShownCursor() {
  CURSORINFO info = {};
  info.cbSize = sizeof info;
  GetCursorInfo(&info);
  return info.hCursor;
}

class MouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewerSettings();
    WriteBmp(dir.File("quad.bmp"), 640, 480, Quadrants);
    WriteList(dir.File("list.wcl"), {"centred=" + dir.File("quad.bmp")});
    viewer = new ViewerProcess(dir.File("list.wcl"));
    ASSERT_NE(nullptr, viewer->StartShow());
  }
  void TearDown() override { delete viewer; }

  // The picture's top-left corner, found along the screen's middle row and column.
  POINT Corner() {
    viewer->Settle();
    ScreenShot s;
    POINT p = {-1, -1};
    for (int x = 0; x < 800 && p.x < 0; x++)
      if (!Near(s.At(x, 299), kBlack)) p.x = x;
    for (int y = 0; y < 600 && p.y < 0; y++)
      if (!Near(s.At(399, y), kBlack)) p.y = y;
    return p;
  }

  TempDir dir;
  ViewerProcess *viewer = nullptr;
};

TEST_F(MouseTest, HoldingFlipsTheClickToZoomOut) {
  MoveMouse(400, 300);
  const HCURSOR before = ShownCursor();
  MouseButton(true);
  HCURSOR pressed = before;
  EXPECT_TRUE(WaitFor([&] { return (pressed = ShownCursor()) != before; }));  // zoom in
  // Held still until the 800 ms toggle shows the other magnifier, however late it comes.
  EXPECT_TRUE(WaitFor([&] { return ShownCursor() != pressed; }));
  const HCURSOR held = ShownCursor();
  MouseButton(false);
  EXPECT_EQ(240, Corner().x);  // zoomed out: 320 x 240 at (240, 180)
  EXPECT_EQ(180, Corner().y);
  ClickAt(400, 300);  // the next short click zooms out again: zoom -3, 213 x 160
  EXPECT_EQ(294, Corner().x);
  EXPECT_EQ(220, Corner().y);
  EXPECT_NE(held, ShownCursor());  // the magnifier while held, the arrow after
}

TEST_F(MouseTest, DraggingAFittingPictureMovesNothingAndDoesNotZoom) {
  MoveMouse(400, 300);
  MouseButton(true);
  MoveMouse(450, 330);
  MoveMouse(500, 360);
  MouseButton(false);
  EXPECT_EQ(80, Corner().x);
  EXPECT_EQ(60, Corner().y);
}

TEST_F(MouseTest, DraggingAZoomedPictureMovesIt) {
  viewer->Send(WM_COMMAND, IDM_ZOOMIN);  // Zoom In: 1280 x 960 at (-240, -180)
  MoveMouse(400, 300);
  MouseButton(true);
  MoveMouse(420, 310);
  MoveMouse(440, 320);
  MouseButton(false);
  viewer->Settle();
  // The quadrants now meet at (400 + 40, 300 + 20).
  ScreenShot s;
  EXPECT_TRUE(Near(s.At(439, 319), kRed)) << Hex(s.At(439, 319));
  EXPECT_TRUE(Near(s.At(440, 320), kWhite)) << Hex(s.At(440, 320));
}

// Drags released outside the window: the window is moved to (100, 100) so that the pointer can
// leave it past its left and top edges. The drag follows the pointer there (negative window
// points) and ends at the release outside, so that the next click zooms again.
TEST_F(MouseTest, DragsReleasedPastTheLeftAndTopEdgesPanAndEnd) {
  const int kLeft = 100, kTop = 100;
  struct Row {
    const char *name;
    POINT end;   // window point of the move and the release
    POINT meet;  // where the quadrants then meet, in the window
  } rows[] = {
      {"past the left and top", {-60, -40}, {240, 180}},
      {"past the left", {-60, 100}, {240, 320}},
      {"past the top", {160, -40}, {460, 180}},
  };
  delete viewer;  // again with clicks that zoom out, since 1280 x 960 is as far in as it goes
  ResetViewerSettings(1000, 8);
  viewer = new ViewerProcess(dir.File("list.wcl"));
  ASSERT_NE(nullptr, viewer->StartShow());
  SetWindowPos(viewer->Window(), nullptr, kLeft, kTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    viewer->Send(WM_COMMAND, IDM_ACTUALSIZE);  // then Centre, Zoom In: 1280 x 960 at (-240, -180)
    viewer->Send(WM_COMMAND, IDM_CENTER);
    viewer->Send(WM_COMMAND, IDM_ZOOMIN);
    MoveMouse(kLeft + 100, kTop + 80);
    MouseButton(true);
    MoveMouse(kLeft + 60, kTop + 40);
    MoveMouse(kLeft + row.end.x, kTop + row.end.y);
    MouseButton(false);
    viewer->Settle();
    const int x = kLeft + row.meet.x, y = kTop + row.meet.y;
    ScreenShot dragged;
    EXPECT_TRUE(Near(dragged.At(x - 1, y - 1), kRed)) << Hex(dragged.At(x - 1, y - 1));
    EXPECT_TRUE(Near(dragged.At(x, y), kWhite)) << Hex(dragged.At(x, y));

    ClickAt(x, y);  // no drag left on: the click zooms out
    viewer->Settle();
    ScreenShot zoomed;
    bool changed = false;
    for (int sy = kTop; sy < 600; sy += 10)
      for (int sx = kLeft; sx < 800; sx += 10) changed |= zoomed.At(sx, sy) != dragged.At(sx, sy);
    EXPECT_TRUE(changed) << "the click after the drag did not zoom";
  }
}

TEST_F(MouseTest, DoubleClickZoomsTwoSteps) {
  viewer->Send(WM_COMMAND, IDM_ZOOMOUT);  // Zoom Out: 320 x 240 at (240, 180)
  ASSERT_EQ(240, Corner().x);
  MoveMouse(400, 300);
  for (int i = 0; i < 2; i++) {  // no CS_DBLCLKS: two presses and releases
    MouseButton(true);
    MouseButton(false);
  }
  POINT c = Corner();  // -2, -1, then 2: 1280 x 960 covers the screen
  EXPECT_EQ(0, c.x);
  EXPECT_EQ(0, c.y);
  ScreenShot s;
  EXPECT_TRUE(Near(s.At(399, 299), kRed));
  EXPECT_TRUE(Near(s.At(400, 300), kWhite));
}

}  // namespace

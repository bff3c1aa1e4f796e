// Where the real viewer draws: centred, zoomed, panned, fitted and tiled pictures on the
// 800 x 600 test screen, checked as screen pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include "jpegwriter.h"
#include "resource.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const int kW = 800, kH = 600;

// The quadrant picture's corners and centre as drawn at (x, y), w x h: each corner inside,
// the pixel diagonally outside it black (unless `framed` is false, for tiles, or it is off the
// screen), the quadrants meeting at the middle.
::testing::AssertionResult DrawnAt(int x, int y, int w, int h, bool framed = true) {
  ScreenShot s;
  struct Probe {
    int x, y;
    COLORREF want;
  } probes[] = {
      {x, y, kRed},
      {x + w - 1, y, kGreen},
      {x, y + h - 1, kBlue},
      {x + w - 1, y + h - 1, kWhite},
      {x - 1, y - 1, kBlack},
      {x + w, y + h, kBlack},
      {x + w / 2 - 1, y + h / 2 - 1, kRed},
      {x + w / 2, y + h / 2 - 1, kGreen},
      {x + w / 2 - 1, y + h / 2, kBlue},
      {x + w / 2, y + h / 2, kWhite},
  };
  for (const Probe &p : probes) {
    if (p.x < 0 || p.y < 0 || p.x >= kW || p.y >= kH) continue;
    if (!framed && p.want == kBlack) continue;
    if (!Near(s.At(p.x, p.y), p.want))
      return ::testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ") is "
                                           << Hex(s.At(p.x, p.y)) << ", want " << Hex(p.want);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult EventuallyDrawnAt(int x, int y, int w, int h, bool framed = true) {
  ::testing::AssertionResult last = ::testing::AssertionFailure();
  WaitFor([&] { return bool(last = DrawnAt(x, y, w, h, framed)); }, 3000);
  return last;
}

class LayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir;
    WriteBmp(dir->File("quad.bmp"), 640, 480, Quadrants);
    WriteBmp(dir->File("small.bmp"), 100, 50, Quadrants);
    WriteBmp(dir->File("large.bmp"), 1600, 1000, Quadrants);
    WriteBmp(dir->File("tile.bmp"), 300, 250, Quadrants);
    WriteBmp(dir->File("wide.bmp"), 1280, 480, Quadrants);
    // Shown from the last line up: quad, small, large, tile, wide.
    WriteList(dir->File("list.wcl"),
              {"centred=" + dir->File("wide.bmp"), "tiled=" + dir->File("tile.bmp"),
               "stretched=" + dir->File("large.bmp"), "stretched=" + dir->File("small.bmp"),
               "centred=" + dir->File("quad.bmp")});
  }
  static void TearDownTestSuite() { delete dir; }

  void SetUp() override {
    ResetViewerSettings();
    viewer = new ViewerProcess(dir->File("list.wcl"));
    ASSERT_NE(nullptr, viewer->StartShow());
  }
  void TearDown() override { delete viewer; }

  void Key(WORD vk) {
    PressKey(vk);
    viewer->Settle();
  }
  void Command(int id) {
    viewer->Send(WM_COMMAND, id);
    viewer->Settle();
  }
  void Click(int x, int y) {
    ClickAt(x, y);
    MoveMouse(kW - 1, kH - 1);
    viewer->Settle();
  }

  static TempDir *dir;
  ViewerProcess *viewer = nullptr;
};
TempDir *LayoutTest::dir;

const int kZoomIn = IDM_ZOOMIN, kZoomOut = IDM_ZOOMOUT, kActualSize = IDM_ACTUALSIZE,
          kBestFit = IDM_BESTFIT, kTiled = IDM_TILED, kCenter = IDM_CENTER;

TEST_F(LayoutTest, MenuZoomStepsAndTheirLimit) {
  EXPECT_TRUE(EventuallyDrawnAt(80, 60, 640, 480));
  Command(kZoomIn);
  EXPECT_TRUE(EventuallyDrawnAt(-240, -180, 1280, 960));
  Command(kZoomIn);  // 1920 x 1440 would exceed twice the screen: refused
  EXPECT_TRUE(DrawnAt(-240, -180, 1280, 960));
  Command(kZoomOut);  // back to actual size, the uncovered border erased
  EXPECT_TRUE(EventuallyDrawnAt(80, 60, 640, 480));
  Command(kZoomOut);
  EXPECT_TRUE(EventuallyDrawnAt(240, 180, 320, 240));
  EXPECT_TRUE(Near(ScreenShot().At(100, 100), kBlack));  // the old picture is erased
  Command(kZoomIn);
  EXPECT_TRUE(EventuallyDrawnAt(80, 60, 640, 480));
}

TEST_F(LayoutTest, KeypadZoomAndClickZoomAboutAPoint) {
  Key(VK_ADD);
  EXPECT_TRUE(EventuallyDrawnAt(-240, -180, 1280, 960));
  Key(VK_SUBTRACT);
  EXPECT_TRUE(EventuallyDrawnAt(80, 60, 640, 480));
  Click(100, 300);  // the centre moves to (700, 300); zoomed, the left part stays in view
  EXPECT_TRUE(EventuallyDrawnAt(0, -180, 1280, 960));
}

TEST_F(LayoutTest, ArrowsPanOnlyWhereNoGapOpens) {
  Key(VK_LEFT);  // a picture smaller than the screen does not move
  Key(VK_UP);
  EXPECT_TRUE(DrawnAt(80, 60, 640, 480));
  Command(kZoomIn);
  Key(VK_LEFT);
  EXPECT_TRUE(EventuallyDrawnAt(-250, -180, 1280, 960));
  for (int i = 0; i < 26; i++) Key(VK_RIGHT);  // up to x = 0, then refused
  EXPECT_TRUE(EventuallyDrawnAt(0, -180, 1280, 960));
  Key(VK_DOWN);
  EXPECT_TRUE(EventuallyDrawnAt(0, -170, 1280, 960));

  Key(VK_END);  // the 1280 x 480 picture moves sideways only
  EXPECT_TRUE(EventuallyDrawnAt(-240, 60, 1280, 480));
  Key(VK_LEFT);
  Key(VK_DOWN);
  EXPECT_TRUE(EventuallyDrawnAt(-250, 60, 1280, 480));
}

TEST_F(LayoutTest, BestFitAddsTheSameToBothSides) {
  Key(VK_RETURN);  // small.bmp, 100 x 50: m = 550
  EXPECT_TRUE(EventuallyDrawnAt(75, 0, 650, 600));
  Key(VK_RETURN);  // large.bmp, 1600 x 1000: m = -800
  EXPECT_TRUE(EventuallyDrawnAt(0, 200, 800, 200));
  Command(kCenter);  // nothing in fitted placement
  EXPECT_TRUE(DrawnAt(0, 200, 800, 200));
  Command(kActualSize);  // back to centred at zoom 1
  EXPECT_TRUE(EventuallyDrawnAt(-400, -200, 1600, 1000));
}

// Keypad plus on a fitted picture blacks the screen out at once and switches to centred; when
// the step is then refused the picture is still drawn, centred at its drawn factor.
TEST_F(LayoutTest, RefusedKeypadZoomFromBestFitStillShowsThePicture) {
  Key(VK_RETURN);
  Key(VK_RETURN);  // large.bmp, 1600 x 1000, fitted
  EXPECT_TRUE(EventuallyDrawnAt(0, 200, 800, 200));
  Key(VK_ADD);  // 3200 x 2000 would exceed twice the screen: refused
  EXPECT_TRUE(EventuallyDrawnAt(-400, -200, 1600, 1000));
}

TEST_F(LayoutTest, TiledRepeatsFromTheTopLeftCorner) {
  Key(VK_RETURN);
  Key(VK_RETURN);
  Key(VK_RETURN);  // tile.bmp, 300 x 250
  for (int x : {0, 300, 600})
    for (int y : {0, 250, 500})
      EXPECT_TRUE(EventuallyDrawnAt(x, y, 300, 250, false)) << x << ", " << y;
  Command(kCenter);  // nothing in tiled placement
  EXPECT_TRUE(DrawnAt(300, 250, 300, 250, false));
  Command(kZoomIn);  // switches the entry to centred
  EXPECT_TRUE(EventuallyDrawnAt(100, 50, 600, 500));
  Key(VK_HOME);
  Key(VK_END);
  Key(VK_BACK);  // the entry keeps the placement the zoom gave it
  EXPECT_TRUE(EventuallyDrawnAt(250, 175, 300, 250));
}

TEST_F(LayoutTest, ZoomAfterBestFitRendersAfresh) {
  Command(kZoomIn);
  Command(kBestFit);
  EXPECT_TRUE(EventuallyDrawnAt(20, 0, 760, 600));  // 640 x 480 and 120 on both sides
  Command(kZoomIn);
  EXPECT_TRUE(EventuallyDrawnAt(-240, -180, 1280, 960));
  Command(kTiled);
  for (int x : {0, 640})
    for (int y : {0, 480}) EXPECT_TRUE(EventuallyDrawnAt(x, y, 640, 480, false));
}

// A phone photo held upright: stored as 480 x 320 landscape pixels with EXIF orientation 6,
// shown as the 320 x 480 quadrant picture, centred and then fitted.
TEST(PortraitPhotoTest, ShownUprightCentredAndFitted) {
  TempDir dir;
  const int w = 320, h = 480;  // upright; the quadrants meet on whole 16-pixel blocks
  JpegOptions options;
  options.quality = 100;
  options.halfChroma = false;  // no chroma smoothed across the quadrants' edges
  options.exif = ExifBlock(6, false);
  for (int y = 0; y < w; y++)
    for (int x = 0; x < h; x++) {
      const COLORREF c = Quadrants(w - 1 - y, x, w, h);  // upright pixel of stored (x, y)
      options.samples.insert(options.samples.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  const std::string photo = dir.File("portrait.jpg");
  WriteBytes(photo, MakeJpeg(h, w, options));
  WriteList(dir.File("list.wcl"), {"stretched=" + photo, "centred=" + photo});
  ResetViewerSettings();
  ViewerProcess viewer(dir.File("list.wcl"));
  ASSERT_NE(nullptr, viewer.StartShow());
  EXPECT_TRUE(EventuallyDrawnAt((kW - w) / 2, (kH - h) / 2, w, h));
  PressKey(VK_RETURN);
  viewer.Settle();
  EXPECT_TRUE(EventuallyDrawnAt(180, 0, 440, 600));  // 120 added to both sides
}

}  // namespace

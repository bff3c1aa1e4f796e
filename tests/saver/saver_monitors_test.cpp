// The real Lumora.scr /s on two monitors (the harness's second test screen: an 800 x 600
// primary and a 640 x 480 monitor left of it, LUMORA_SCREENS=2 of the harness's Wine session): each
// monitor shows the picture laid out within its own rectangle, black elsewhere, with and
// without read-ahead.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "placement.h"
#include "scrnsave.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";
const DWORD kNoTick = 30000;  // a time-out that never elapses in a test: ticks are sent

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
  reinterpret_cast<std::vector<RECT> *>(data)->push_back(*rect);
  return TRUE;
}

std::vector<RECT> Monitors() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

// What one entry shows at (x, y) of a monitor of width x height, in monitor coordinates.
struct Layout {
  const char *name;
  const char *entry;  // list line without the path
  const char *file;
  COLORREF (*at)(int x, int y, int width, int height);
};

COLORREF CentredRed(int x, int y, int width, int height) {
  int left = CentredOffset(width, 100), top = CentredOffset(height, 100);
  return x >= left && x < left + 100 && y >= top && y < top + 100 ? kRed : kBlack;
}

COLORREF TiledQuadrants(int x, int y, int, int) {
  return Quadrants(x % 30, y % 20, 30, 20);
}

COLORREF FittedBlue(int x, int y, int width, int height) {
  PlaceRect r = BestFitRect(width, height, 100, 50);
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom ? kBlue : kBlack;
}

const Layout kLayouts[] = {
    {"centred", "centred=", "red.bmp", CentredRed},
    {"tiled", "tiled=", "tile.bmp", TiledQuadrants},
    {"best fit", "stretched=", "wide.bmp", FittedBlue},
};

// The differences between the desktop and the layout on every monitor (black outside them),
// sampled every 3 pixels and on each monitor's edges; at most a few, described.
std::string Differences(const ScreenShot &shot, const Layout &layout,
                        const std::vector<RECT> &monitors) {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  std::ostringstream out;
  int count = 0;
  auto check = [&](int x, int y) {
    COLORREF want = kBlack;
    for (const RECT &m : monitors)
      if (x >= m.left && x < m.right && y >= m.top && y < m.bottom)
        want = layout.at(x - m.left, y - m.top, m.right - m.left, m.bottom - m.top);
    COLORREF got = shot.At(x, y);
    if (got != want && ++count <= 5)
      out << " (" << x << "," << y << ") " << Hex(got) << " not " << Hex(want);
  };
  for (int y = top; y < bottom; y += 3)
    for (int x = left; x < right; x += 3) check(x, y);
  for (const RECT &m : monitors)
    for (int i = 0; i < 4; i++) {
      int x = i & 1 ? m.right - 1 : m.left, y = i & 2 ? m.bottom - 1 : m.top;
      for (int d = 0; d < 40; d++) check(x + (i & 1 ? -d : d), y), check(x, y + (i & 2 ? -d : d));
    }
  if (count) out << " (" << count << " in all)";
  return out.str();
}

class SaverMonitorsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    DeleteUserKey(kSaverKey);
    MoveMouse(400, 300);
    WriteSolidBmp(dir.File("red.bmp"), 100, 100, kRed);
    WriteBmp(dir.File("tile.bmp"), 30, 20, Quadrants);
    WriteSolidBmp(dir.File("wide.bmp"), 100, 50, kBlue);
    // Entries go in at the front: the file holds them last to first.
    std::vector<std::string> lines;
    for (int i = 2; i >= 0; i--) lines.push_back(kLayouts[i].entry + dir.File(kLayouts[i].file));
    WriteList(dir.File("saver.wcl"), lines);
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(kNoTick));
    SetUserValue(kSaverKey, "MixFiles", REG_DWORD, DwordBytes(0));
    SetUserValue(kSaverKey, "LastFile", REG_SZ, dir.File("saver.wcl") + '\0');
    SetEnvironmentVariableA("LUMORA_READAHEAD", GetParam() ? nullptr : "0");
  }
  void TearDown() override {
    SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr);
    DeleteUserKey(kSaverKey);
  }
  TempDir dir;
};

TEST_P(SaverMonitorsTest, EachMonitorShowsThePictureLaidOutForItself) {
  std::vector<RECT> monitors = Monitors();
  ASSERT_EQ(2u, monitors.size()) << "the two-monitor test screen";
  ASSERT_LT(GetSystemMetrics(SM_XVIRTUALSCREEN), 0) << "a monitor left of the primary";

  ViewerProcess saver("/s", "Lumora.scr");
  HWND window = saver.AttachWindow(kSaverClassName, kSaverWindowTitle);
  ASSERT_NE(nullptr, window);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), r.left);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), r.right - r.left);

  // The first entry is read at once; the ones after it come from read-ahead when it is on;
  // the fourth is the first again.
  for (int shown = 0; shown < 4; shown++) {
    const Layout &layout = kLayouts[shown % 3];
    SCOPED_TRACE(layout.name);
    if (shown) saver.Send(WM_TIMER, 1);
    std::string differences;
    WaitFor([&] {
      return (differences = Differences(ScreenShot::Desktop(), layout, monitors)).empty();
    });
    EXPECT_EQ("", differences);
  }
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, SaverMonitorsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                           return info.param ? "On" : "Off";
                         });

}  // namespace

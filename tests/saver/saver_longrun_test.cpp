// The saver's long run: ten thousand ticks in one Lumora.scr over every placement, three
// formats and files that cannot be read, with the window redrawn among them; then the same
// through ScreenSaverProc in this process, where GDI handles can be watched. GDI objects and
// private memory must stay flat; the figures are printed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "processwatch.h"
#include "saver.h"
#include "scrnsave.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const int kTicks = 10000;
const int kSampleEvery = 1000;
const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";

class SaverLongRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string list = dir.File("list.wcl");
    WriteList(list, WriteLongRunPictures(dir));
    DeleteUserKey(kSaverKey);
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(30000));  // ticks are sent
    SetUserValue(kSaverKey, "LastFile", REG_SZ, list + '\0');
    MoveMouse(400, 300);
  }
  void TearDown() override { DeleteUserKey(kSaverKey); }

  TempDir dir;
};

TEST_F(SaverLongRun, RealSaverKeepsItsMemoryFlat) {
  ViewerProcess saver("/s", "Lumora.scr");
  ASSERT_NE(nullptr, saver.AttachWindow(kSaverClassName, kSaverWindowTitle));
  std::vector<Sample> samples;
  DWORD start = GetTickCount();
  for (int i = 1; i <= kTicks; i++) {
    saver.Send(WM_TIMER, SlideTimer);
    if (i % 3 == 0) saver.Send(WM_ERASEBKGND);
    if (i % kSampleEvery == 0) samples.push_back(Measure(saver.Process(), i, false));
  }
  DWORD elapsed = GetTickCount() - start;
  Report("Lumora.scr", "ticks", kTicks, samples, elapsed);
  ExpectFlat(samples);
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
  saver.Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(0u, saver.WaitForExit());
}

TEST_F(SaverLongRun, TicksReleaseEveryGdiObject) {
  // The library's preview window in this process, where GDI handles can be watched; a host as
  // large as the screen gets the full-screen drawing, and input and activation in this process
  // leave a preview alone.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = hMainInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SaverLongRunHost";
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND host = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                              0, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
  HWND window = CreateScreenSaverWindow(host);
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(8, gShow.Images.count);

  std::vector<Sample> samples;
  DWORD start = GetTickCount();
  for (int i = 1; i <= kTicks; i++) {
    SendMessageA(window, WM_TIMER, SlideTimer, 0);
    if (i % 3 == 0) SendMessageA(window, WM_ERASEBKGND, 0, 0);
    Pump();
    if (i % kSampleEvery == 0) samples.push_back(Measure(GetCurrentProcess(), i, true));
  }
  DWORD elapsed = GetTickCount() - start;
  Report("ScreenSaverProc in process", "ticks", kTicks, samples, elapsed);
  ExpectFlat(samples);
  DestroyWindow(host);
  EXPECT_EQ(nullptr, gShow.CurrentBitmap());
  EXPECT_EQ(0, gShow.Images.count);
  Pump();
}

}  // namespace

// The long run: ten thousand slide changes in one Lumora.exe over a list of all four formats,
// three placements and files that cannot be read, with zoom steps among them. GDI objects and
// private memory must stay flat; the figures are printed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "processwatch.h"
#include "resource.h"
#include "settings.h"
#include "testfiles.h"
#include "view.h"
#include "viewerdriver.h"
#include "window.h"

namespace {

const int kSlideChanges = 10000;
const int kSampleEvery = 1000;

// A leaked bitmap of the smallest picture alone would add 9000 * 37 * 23 * 4 bytes (30 MB)
// between the first and the last sample; ExpectFlat allows 2 MB.

// A list of every format and placement, with files that cannot be read among them.
class LongRun : public ::testing::Test {
 protected:
  void SetUp() override {
    list = dir.File("list.wcl");
    WriteList(list, WriteLongRunPictures(dir));
  }

  TempDir dir;
  std::string list;
};

TEST_F(LongRun, RealViewerKeepsItsMemoryFlat) {
  ResetViewerSettings();
  ViewerProcess viewer(list);
  ASSERT_NE(nullptr, viewer.StartShow());
  HWND window = viewer.Window();

  std::vector<Sample> samples;
  DWORD start = GetTickCount();
  for (int i = 1; i <= kSlideChanges; i++) {
    viewer.Send(WM_TIMER, 1);
    if (i % 7 == 0) viewer.Send(WM_COMMAND, IDM_ZOOMIN);  // Zoom In: renders into the zoom buffer
    if (i % 11 == 0) viewer.Send(WM_COMMAND, IDM_ZOOMOUT);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    if (i % kSampleEvery == 0) samples.push_back(Measure(viewer.Process(), i, false));
  }
  DWORD elapsed = GetTickCount() - start;
  ASSERT_TRUE(IsWindow(window));

  Report("Lumora.exe", "slide changes", kSlideChanges, samples, elapsed);
  ExpectFlat(samples);
  viewer.Send(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(0u, viewer.WaitForExit());
}

TEST_F(LongRun, SlideChangesReleaseEveryGdiObject) {
  // The viewer's window and drawing in this process, where GDI handles can be watched.
  ResetViewerSettings();
  gShow.ReadDisplaySize();
  ASSERT_TRUE(RegisterViewerClass());
  ASSERT_NE(nullptr, CreateViewerWindow());
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  ASSERT_TRUE(LoadImageList(list.c_str(), &gShow.Images, AddListEntry));
  GoToPicture(kGoFirst);

  std::vector<Sample> samples;
  DWORD start = GetTickCount();
  for (int i = 1; i <= kSlideChanges; i++) {
    SendMessageA(gViewerWindow, WM_TIMER, 1, 0);
    if (i % 7 == 0) SendMessageA(gViewerWindow, WM_COMMAND, IDM_ZOOMIN, 0);
    if (i % 11 == 0) SendMessageA(gViewerWindow, WM_COMMAND, IDM_ZOOMOUT, 0);
    UpdateWindow(gViewerWindow);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (i % kSampleEvery == 0) samples.push_back(Measure(GetCurrentProcess(), i, true));
  }
  DWORD elapsed = GetTickCount() - start;
  Report("viewer in process", "slide changes", kSlideChanges, samples, elapsed);
  ExpectFlat(samples);
  DestroyWindow(gViewerWindow);
  FreeImageList(&gShow.Images);
}

}  // namespace

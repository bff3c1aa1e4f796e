// Start-up and shutdown of the real Lumora.exe: the first dialog, the list load and its
// messages, the command line, and the exit codes.
#include <gtest/gtest.h>
#include <windows.h>

#include "commonres.h"
#include "jpegwriter.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewerSettings();
    picture = dir.File("a.bmp");
    WriteBmp(picture, 64, 48, Quadrants);
    list = dir.File("list.wcl");
    WriteList(list, {"centred=" + picture});
  }

  // The message box the process shows with this title, its text, and OK pressed on it.
  std::string ConfirmMessage(ViewerProcess &viewer, const char *title) {
    HWND box = WaitForProcessWindow(viewer.Process(), "#32770", title);
    if (!box) return "(no message box)";
    std::string text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
  }

  TempDir dir;
  std::string picture, list;
};

TEST_F(StartupTest, ExitInTheFirstDialogShowsNoWindowAndGivesOne) {
  ViewerProcess viewer(list);
  ASSERT_NE(nullptr, viewer.WaitForSettings());
  viewer.ClickSettingsButton(false);
  HWND shown = WaitForProcessWindow(viewer.Process(), kViewerClassName, nullptr, 500);
  EXPECT_EQ(1u, viewer.WaitForExit());
  EXPECT_EQ(nullptr, shown);
}

TEST_F(StartupTest, ReadOnlyListIsReportedAndGivesOne) {
  ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY));
  ViewerProcess viewer(list);
  viewer.ClickSettingsButton(true);
  EXPECT_EQ("I cat't load your images list file!", ConfirmMessage(viewer, "Error"));
  EXPECT_EQ(1u, viewer.WaitForExit());
  SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StartupTest, ListWithoutEntriesIsReportedAndGivesOne) {
  WriteList(list, {});
  WriteBytes(dir.File("lf.wcl"), "centred=" + picture + "\n");  // LF alone: no entry either
  for (const std::string &path : {list, dir.File("lf.wcl")}) {
    ViewerProcess viewer(path);
    viewer.ClickSettingsButton(true);
    EXPECT_EQ("Your images list file names no pictures!", ConfirmMessage(viewer, "Error"));
    EXPECT_EQ(1u, viewer.WaitForExit());
  }
}

// A tail past 260 characters is a path like any other: kept whole, never cut down to another
// file's name (a tail longer than any path cannot reach a program at all).
TEST_F(StartupTest, LongCommandLineIsKeptWhole) {
  const std::string tail = list + std::string(300, 'x');
  ViewerProcess viewer(tail);
  HWND dialog = viewer.WaitForSettings();
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(tail, ControlText(GetDlgItem(dialog, IDC_LISTPATH)));
  viewer.ClickSettingsButton(false);
  EXPECT_EQ(1u, viewer.WaitForExit());
}

TEST_F(StartupTest, EscapeEndsWithZeroAndWritesNothing) {
  ViewerProcess viewer(list);
  ASSERT_NE(nullptr, viewer.StartShow());
  EXPECT_TRUE(WaitForPixel(400 - 32, 300 - 24, kRed));  // the 64 x 48 picture, centred
  ASSERT_TRUE(ViewerKeyExists());                       // Start wrote the settings
  ResetViewerSettings();
  RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel\\Lumora");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(0u, viewer.WaitForExit());
  EXPECT_FALSE(ViewerKeyExists());
}

// A standard user cannot write the Windows directory: the JPEG path's temporary file goes to
// the user's temporary folder, so the picture still shows.
TEST_F(StartupTest, JpegShowsWhenTheWindowsDirectoryIsReadOnly) {
  const std::string jpeg = MakeJpeg(64, 48);
  const DecodedJpeg decoded = DecodeJpeg(jpeg);
  ASSERT_EQ(3, decoded.components);
  const std::string photo = dir.File("photo.jpg");
  WriteBytes(photo, jpeg);
  WriteList(list, {"centred=" + photo});
  ReadOnlyWindowsDirectory readOnly;
  ASSERT_TRUE(readOnly.active());
  ViewerProcess viewer(list);
  ASSERT_NE(nullptr, viewer.StartShow());
  viewer.Settle();
  const ScreenShot screen;
  for (POINT p : {POINT{5, 5}, POINT{32, 24}, POINT{60, 40}}) {
    const unsigned char *rgb = &decoded.samples[(p.y * 64 + p.x) * 3];
    const COLORREF expected = RGB(rgb[0], rgb[1], rgb[2]);
    const COLORREF shown = screen.At(400 - 32 + p.x, 300 - 24 + p.y);
    EXPECT_TRUE(Near(expected, shown)) << p.x << "," << p.y << ": " << Hex(shown);
  }
  PressKey(VK_ESCAPE);
  EXPECT_EQ(0u, viewer.WaitForExit());
}

}  // namespace

// A folder where a list goes: its pictures in Explorer's order, subfolders after, each centred;
// one with no pictures is reported as an empty list is.
TEST_F(StartupTest, AFolderIsShownInOrderAndOneWithoutPicturesIsAnEmptyList) {
  const std::string folder = dir.File("photos"), empty = dir.File("nothing");
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
  CreateDirectoryA(empty.c_str(), nullptr);
  WriteBytes(empty + "\\notes.txt", "not a picture");
  WriteSolidBmp(folder + "\\IMG_10.bmp", 100, 100, kBlue);
  WriteSolidBmp(folder + "\\IMG_2.bmp", 100, 100, kGreen);
  WriteSolidBmp(folder + "\\sub\\a.bmp", 100, 100, kRed);
  {
    ViewerProcess viewer(empty);
    viewer.ClickSettingsButton(true);
    EXPECT_EQ("Your images list file names no pictures!", ConfirmMessage(viewer, "Error"));
    EXPECT_EQ(1u, viewer.WaitForExit());
  }
  ViewerProcess viewer(folder);
  ASSERT_NE(nullptr, viewer.StartShow());
  std::vector<std::string> shown;
  for (int step = 0; step < 4; step++) {
    if (step > 0) viewer.Send(WM_KEYDOWN, VK_RETURN);  // Next
    viewer.Settle();
    COLORREF centre = kBlack;
    WaitFor([&] { return (centre = ScreenPixel(400, 300)) != kBlack; }, 5000);
    shown.push_back(Hex(centre));
  }
  EXPECT_EQ((std::vector<std::string>{Hex(kGreen), Hex(kBlue), Hex(kRed), Hex(kGreen)}), shown);
  EXPECT_EQ(kBlack, ScreenPixel(340, 300)) << "centred, not fitted";
  PressKey(VK_ESCAPE);
  EXPECT_EQ(0u, viewer.WaitForExit());
}

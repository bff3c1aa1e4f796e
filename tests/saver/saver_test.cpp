// The real Lumora.scr under Wine on the 800 x 600 test screen: the command line, the show read
// from the screen, the preview inside a window of this process, the configuration dialog, and
// the input that ends the saver.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commonres.h"
#include "jpegwriter.h"
#include "saver.h"
#include "scrnsave.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";
const char kConfigTitle[] = "Lumora Screen Saver Configuration";
const DWORD kExitBadCommand = (DWORD)-1;
const DWORD kNoTick = 30000;  // a time-out that never elapses in a test: ticks are sent

class SaverProcess : public ViewerProcess {
 public:
  explicit SaverProcess(const std::string &tail) : ViewerProcess(tail, "Lumora.scr") {}

  HWND WaitForSaver(DWORD ms = 5000) {
    return AttachWindow(kSaverClassName, kSaverWindowTitle, ms);
  }

  // One tick of the slide timer, then the screen's centre once it shows something other than
  // `before` (a colour, or black for a picture that could not be loaded).
  COLORREF Tick(COLORREF before) {
    Send(WM_TIMER, 1);
    COLORREF now = before;
    WaitFor([&] { return (now = ScreenPixel(400, 300)) != before; }, 1000);
    return now;
  }

  // Waits for the end; true when no saver window was ever seen meanwhile.
  bool EndsWithoutWindow(DWORD *code) {
    bool seen = false;
    WaitFor(
        [&] {
          seen = seen || WaitForProcessWindow(Process(), kSaverClassName, nullptr, 0);
          return WaitForExit(0) != STILL_ACTIVE;
        },
        10000);
    *code = WaitForExit(0);
    return !seen;
  }
};

// Puts the pointer at (x, y) before a saver starts. Wine moves its own cursor at once, but the
// X server's pointer only on a move that changes Wine's cursor and while no other program's
// full-screen window holds the pointer (the last test's may still hold it). A window made
// later takes Wine's cursor from the X server's pointer, which the saver takes for a real move.
// Once the cursor has been still for a moment, GetCursorPos answers from the X server: the
// pointer is in place when it then still reads so.
void PlacePointer(int x, int y) {
  auto elsewhere = [&] {
    POINT p;
    GetCursorPos(&p);
    return p.x != x || p.y != y;
  };
  WaitFor(
      [&] {
        MoveMouse(x + 1, y);
        MoveMouse(x, y);
        return !WaitFor(elsewhere, 250);
      },
      10000);
}

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteUserKey(kSaverKey);
    list = dir.File("saver.wcl");
    PlacePointer(400, 300);
  }
  void TearDown() override { DeleteUserKey(kSaverKey); }

  void Configure(const std::string &listPath, DWORD timeOut, DWORD mix = 0) {
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(timeOut));
    SetUserValue(kSaverKey, "MixFiles", REG_DWORD, DwordBytes(mix));
    SetUserValue(kSaverKey, "LastFile", REG_SZ, listPath + '\0');
  }

  // A list whose entries come in the given order: entries are added at the front, so the
  // file holds them last to first.
  void WriteSaverList(const std::vector<std::string> &entries) {
    WriteList(list, std::vector<std::string>(entries.rbegin(), entries.rend()));
  }

  // Three solid 100 x 100 pictures, centred.
  void WriteRedGreenBlue() {
    WriteSolidBmp(dir.File("r.bmp"), 100, 100, kRed);
    WriteSolidBmp(dir.File("g.bmp"), 100, 100, kGreen);
    WriteSolidBmp(dir.File("b.bmp"), 100, 100, kBlue);
    WriteSaverList({"centred=" + dir.File("r.bmp"), "centred=" + dir.File("g.bmp"),
                    "centred=" + dir.File("b.bmp")});
  }

  TempDir dir;
  std::string list;
};

// Which entry of the ordering test the screen shows, by the pixels its placement decides.
std::string ShownLayout(const ScreenShot &s) {
  // 640 x 480 quadrants, centred: at (80, 60) to (720, 540).
  if (s.At(79, 59) == kBlack && s.At(80, 60) == kRed && s.At(719, 539) == kWhite &&
      s.At(720, 540) == kBlack)
    return "centred";
  // 100 x 50, best fit on 800 x 600: 650 x 600 at (75, 0).
  if (s.At(74, 300) == kBlack && s.At(75, 0) == kBlue && s.At(724, 599) == kBlue &&
      s.At(725, 300) == kBlack)
    return "stretched";
  // 30 x 20 quadrants repeated from (0, 0).
  if (s.At(0, 0) == kRed && s.At(15, 0) == kGreen && s.At(30, 0) == kRed && s.At(0, 10) == kBlue &&
      s.At(799, 599) == kWhite)
    return "tiled";
  return "";
}

TEST_F(SaverTest, FullScreenShowsTheListInOrderOnePerTickAndWraps) {
  WriteBmp(dir.File("quad.bmp"), 640, 480, Quadrants);
  WriteSolidBmp(dir.File("wide.bmp"), 100, 50, kBlue);
  WriteBmp(dir.File("tile.bmp"), 30, 20, Quadrants);
  WriteSaverList({"centred=" + dir.File("quad.bmp"), "stretched=" + dir.File("wide.bmp"),
                  "tiled=" + dir.File("tile.bmp")});
  Configure(list, 1);
  SaverProcess saver("/s");
  HWND window = saver.WaitForSaver();
  ASSERT_NE(nullptr, window);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(0, r.top);
  EXPECT_EQ(800, r.right);
  EXPECT_EQ(600, r.bottom);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // The real timer, one second: each entry shows for a period, the first again after the last.
  std::vector<std::string> shown;
  WaitFor(
      [&] {
        std::string now = ShownLayout(ScreenShot());
        if (!now.empty() && (shown.empty() || shown.back() != now)) shown.push_back(now);
        return shown.size() >= 4;
      },
      8000);
  EXPECT_EQ((std::vector<std::string>{"centred", "stretched", "tiled", "centred"}), shown);
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
}

TEST_F(SaverTest, MixFilesShufflesEachPassWithoutARepeatAtTheSeam) {
  WriteRedGreenBlue();
  Configure(list, kNoTick, 1);
  SaverProcess saver("/s");
  ASSERT_NE(nullptr, saver.WaitForSaver());
  std::vector<COLORREF> shown;
  COLORREF now = kBlack;
  ASSERT_TRUE(WaitFor([&] { return (now = ScreenPixel(400, 300)) != kBlack; }));
  shown.push_back(now);
  for (int i = 0; i < 11; i++) shown.push_back(now = saver.Tick(now));
  // A shuffle of three always moves the first entry away.
  EXPECT_NE(kRed, shown[0]);
  for (size_t pass = 0; pass < 4; pass++) {
    for (COLORREF c : {kRed, kGreen, kBlue})
      EXPECT_EQ(1, std::count(shown.begin() + 3 * pass, shown.begin() + 3 * pass + 3, c))
          << "pass " << pass << " " << Hex(c);
    if (pass > 0) {
      EXPECT_NE(Hex(shown[3 * pass - 1]), Hex(shown[3 * pass])) << "pass " << pass;
    }
  }
}

// A folder as the show: its tree in Explorer's order, a folder loop listed once, a picture
// removed meanwhile skipped, one added shown from the next pass on.
TEST_F(SaverTest, AFolderShowsItsTreeInOrderAndWhatChangesFromTheNextPass) {
  const std::string folder = dir.File("photos");
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
  WriteSolidBmp(folder + "\\IMG_10.bmp", 100, 100, kBlue);
  WriteSolidBmp(folder + "\\IMG_2.bmp", 100, 100, kGreen);
  WriteSolidBmp(folder + "\\IMG_7.bmp", 100, 100, kWhite);
  WriteSolidBmp(folder + "\\sub\\a.bmp", 100, 100, kRed);
  ASSERT_TRUE(MakeFolderLink(folder + "\\sub\\loop", folder));
  Configure(folder, kNoTick);
  {
    SaverProcess saver("/s");
    ASSERT_NE(nullptr, saver.WaitForSaver());
    COLORREF now = kBlack;
    ASSERT_TRUE(WaitFor([&] { return (now = ScreenPixel(400, 300)) != kBlack; }));
    std::vector<std::string> shown = {Hex(now)};
    DeleteFileA((folder + "\\IMG_7.bmp").c_str());
    WriteSolidBmp(folder + "\\IMG_3.bmp", 100, 100, RGB(255, 255, 0));
    for (int i = 0; i < 6; i++) {
      if (i == 2) Sleep(500);  // on the last: the folder is listed again meanwhile
      shown.push_back(Hex(now = saver.Tick(now)));
    }
    EXPECT_EQ((std::vector<std::string>{Hex(kGreen), Hex(kBlue), Hex(kRed), Hex(kGreen),
                                        Hex(RGB(255, 255, 0)), Hex(kBlue), Hex(kRed)}),
              shown);
  }
  RemoveFolderLink(folder + "\\sub\\loop");
}

TEST_F(SaverTest, MissingOrEmptyListEndsWithoutWindow) {
  WriteList(list, {});
  for (const std::string &path : {dir.File("missing.wcl"), list, std::string()}) {
    if (path.empty())
      DeleteUserKey(kSaverKey);  // no settings: the empty list path
    else
      Configure(path, 1);
    SaverProcess saver("/s");
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(saver.EndsWithoutWindow(&code)) << path;
    EXPECT_EQ(0u, code) << path;
  }
}

// Pictures only the system's decoders read (made at build time by
// tests/harness/make-system-samples.sh): a 320 x 240 quadrant TIFF and a 64 x 64 quadrant ICO,
// centred, one per tick.
TEST_F(SaverTest, ShowsTiffAndIcoThroughTheSystemsDecoders) {
  auto sample = [](const char *name) {
    std::string path = std::string("Z:") + LUMORA_WIC_SAMPLES + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  };
  WriteSaverList({"centred=" + sample("quad.tiff"), "centred=" + sample("quad.ico")});
  Configure(list, kNoTick);
  SaverProcess saver("/s");
  ASSERT_NE(nullptr, saver.WaitForSaver());
  // The quadrants' corners, and black outside them.
  auto shows = [](int x, int y, int w, int h) {
    ScreenShot s;
    return s.At(x, y) == kRed && s.At(x + w - 1, y) == kGreen && s.At(x, y + h - 1) == kBlue &&
           s.At(x + w - 1, y + h - 1) == kWhite && s.At(x - 1, y - 1) == kBlack &&
           s.At(x + w, y + h) == kBlack;
  };
  EXPECT_TRUE(WaitFor([&] { return shows(240, 180, 320, 240); }, 3000));
  saver.Send(WM_TIMER, 1);
  EXPECT_TRUE(WaitFor([&] { return shows(368, 268, 64, 64); }, 3000));
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
}

TEST_F(SaverTest, UnreadablePicturesGiveOneBlackPeriodAndNeverEndTheSaver) {
  WriteSolidBmp(dir.File("r.bmp"), 100, 100, kRed);
  WriteSolidBmp(dir.File("g.bmp"), 100, 100, kGreen);
  // Cut after 20 bytes: fatal to libjpeg, which must not take the saver with it.
  WriteBytes(dir.File("cut.jpg"), MakeJpeg(64, 64).substr(0, 20));
  WriteSaverList({"centred=" + dir.File("r.bmp"), "centred=" + dir.File("missing.bmp"),
                  "centred=" + dir.File("g.bmp"), "centred=" + dir.File("cut.jpg")});
  Configure(list, kNoTick);
  SaverProcess saver("/s");
  ASSERT_NE(nullptr, saver.WaitForSaver());
  ASSERT_TRUE(WaitForPixel(400, 300, kRed));
  EXPECT_EQ(Hex(kBlack), Hex(saver.Tick(kRed)));  // the missing file
  EXPECT_EQ(Hex(kGreen), Hex(saver.Tick(kBlack)));
  EXPECT_EQ(Hex(kBlack), Hex(saver.Tick(kGreen)));  // the cut JPEG
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
  EXPECT_EQ(Hex(kRed), Hex(saver.Tick(kBlack)));  // wrapped to the first
}

TEST_F(SaverTest, KeyButtonOrRealMoveEndsTheSaverButJitterDoesNot) {
  WriteRedGreenBlue();
  Configure(list, kNoTick);
  for (int way = 0; way < 3; way++) {
    PlacePointer(400, 300);
    SaverProcess saver("/s");
    ASSERT_NE(nullptr, saver.WaitForSaver())
        << "way " << way << ", the saver's exit code " << saver.WaitForExit(0);
    ASSERT_TRUE(WaitForPixel(400, 300, kRed));
    saver.Settle();
    if (way == 0) {
      for (POINT p : {POINT{401, 300}, POINT{401, 301}, POINT{399, 299}, POINT{400, 300}})
        MoveMouse(p.x, p.y);
      EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(500)) << "a one-pixel jitter ended the saver";
      MoveMouse(412, 300);
    } else if (way == 1) {
      PressKey('A');
    } else {
      MouseButton(true);
      MouseButton(false);
    }
    EXPECT_EQ(0u, saver.WaitForExit(5000)) << way;
    EXPECT_FALSE(IsWindow(saver.Window())) << way;
  }
}

// The preview's host: a plain top-level window of this process, as the display settings
// would give one.
HWND MakePreviewHost(int x, int y, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  wc.lpszClassName = "SaverPreviewHost";
  RegisterClassA(&wc);
  return CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Host",
                         WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

// Lumora.scr's "Preview" child in a window of this process. (Wine gives a child window of
// another process's window no drawable, so its pixels are read in the next test, where the
// same library makes the preview in this process.)
TEST_F(SaverTest, PreviewRunsInAChildFillingItsParentUntilTheParentGoes) {
  WriteRedGreenBlue();
  Configure(list, kNoTick);
  HWND host = MakePreviewHost(300, 200, 200, 150);
  ASSERT_NE(nullptr, host);
  SaverProcess saver("/p " + std::to_string((ULONG_PTR)host));
  HWND preview = nullptr;
  WaitFor([&] {
    Pump();  // the child's creation notifies this thread's window
    preview = FindWindowExA(host, nullptr, kSaverClassName, "Preview");
    return preview && IsWindowVisible(preview);
  });
  ASSERT_NE(nullptr, preview);
  RECT r;
  GetWindowRect(preview, &r);
  RECT filled = {300, 200, 500, 350};
  EXPECT_TRUE(EqualRect(&filled, &r));
  EXPECT_TRUE(GetWindowLongA(preview, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(nullptr, WaitForProcessWindow(saver.Process(), kSaverClassName, nullptr, 0));

  // Input over a preview belongs to the display settings: the preview goes on.
  for (POINT p : {POINT{400, 275}, POINT{320, 220}, POINT{100, 100}}) MoveMouse(p.x, p.y);
  ClickAt(400, 275);
  PressKey('A');
  WaitFor(
      [] {
        Pump();
        return false;
      },
      300);
  EXPECT_EQ(STILL_ACTIVE, saver.WaitForExit(0));
  // The host going away ends the preview.
  DestroyWindow(host);
  EXPECT_EQ(0u, saver.WaitForExit(5000));
}

TEST_F(SaverTest, PreviewLaysThePictureOutForTheWholeScreen) {
  WriteBmp(dir.File("quad.bmp"), 640, 480, Quadrants);
  WriteSaverList({"centred=" + dir.File("quad.bmp")});
  Configure(list, kNoTick);
  const int x = 300, y = 200;
  HWND host = MakePreviewHost(x, y, 200, 150);
  hMainInstance = GetModuleHandleA(nullptr);
  HWND preview = CreateScreenSaverWindow(host);
  ASSERT_NE(nullptr, preview);
  EXPECT_TRUE(fChildPreview);
  // Centred at (80, 60) as on the full screen, not in the 200 x 150 window: the preview
  // shows the top-left quadrant's corner.
  WaitFor([&] {
    Pump();
    return ScreenPixel(x + 80, y + 60) == kRed;
  });
  ScreenShot shot;
  EXPECT_EQ(Hex(kBlack), Hex(shot.At(x + 79, y + 59)));
  EXPECT_EQ(Hex(kRed), Hex(shot.At(x + 80, y + 60)));
  EXPECT_EQ(Hex(kRed), Hex(shot.At(x + 199, y + 149)));
  EXPECT_EQ(Hex(kBlack), Hex(shot.At(x, y)));
  DestroyWindow(host);  // takes the preview with it, which frees the show
  EXPECT_EQ(0, gShow.Images.count);
  Pump();
}

TEST_F(SaverTest, CommandsThatRunNothingEndQuietly) {
  WriteRedGreenBlue();
  Configure(list, 1);
  struct Case {
    const char *tail;
    DWORD code;
  };
  for (const Case &c :
       {Case{"/p 123456789", kExitBadCommand}, Case{"/p", kExitBadCommand},
        Case{"-l x", kExitBadCommand}, Case{"/x", kExitBadCommand}, Case{"/a 1234", 0}}) {
    SaverProcess saver(c.tail);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(saver.EndsWithoutWindow(&code)) << c.tail;
    EXPECT_EQ(c.code, code) << c.tail;
    EXPECT_EQ(nullptr, WaitForProcessWindow(saver.Process(), "#32770", nullptr, 0)) << c.tail;
  }
}

TEST_F(SaverTest, ConfigureAndEmptyCommandLineOpenTheDialog) {
  WriteRedGreenBlue();
  for (const char *tail : {"/c", "", "  -C"}) {
    DeleteUserKey(kSaverKey);
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(25));
    SetUserValue(kSaverKey, "LastFile", REG_SZ, list + '\0');
    SaverProcess saver(tail);
    HWND dialog = saver.AttachWindow("#32770", kConfigTitle, 10000);
    ASSERT_NE(nullptr, dialog) << tail;
    EXPECT_EQ(nullptr, WaitForProcessWindow(saver.Process(), kSaverClassName, nullptr, 0));
    EXPECT_EQ("Ok", ControlText(GetDlgItem(dialog, IDC_ACCEPT)));
    EXPECT_EQ("Cancel", ControlText(GetDlgItem(dialog, IDC_DISMISS)));
    EXPECT_EQ(list, ControlText(GetDlgItem(dialog, IDC_LISTPATH)));
    EXPECT_EQ("25", ControlText(GetDlgItem(dialog, IDC_TIMEOUT)));
    // Ok writes all three settings ("MixFiles" was missing); Cancel writes nothing.
    bool accept = *tail == '/';
    SetForegroundWindow(dialog);
    ClickControl(GetDlgItem(dialog, accept ? IDC_ACCEPT : IDC_DISMISS));
    EXPECT_EQ(0u, saver.WaitForExit()) << tail;
    DWORD type = 0;
    std::string bytes;
    EXPECT_EQ(accept, QueryUserValue(kSaverKey, "MixFiles", &type, &bytes)) << tail;
  }
}

TEST_F(SaverTest, CarriesWhatTheDisplaySettingsRead) {
  HMODULE saver = ProgramResources("Lumora.scr");
  ASSERT_NE(nullptr, saver);
  char text[64] = "";
  LoadStringA(saver, 1, text, sizeof text);
  EXPECT_STREQ("Lumora Screen saver", text);
  EXPECT_NE(nullptr, FindResourceA(saver, MAKEINTRESOURCEA(IDD_SETTINGS), MAKEINTRESOURCEA(5)));
  EXPECT_NE(nullptr, FindResourceA(saver, MAKEINTRESOURCEA(ID_APP), MAKEINTRESOURCEA(14)));
  HRSRC manifest = FindResourceA(saver, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, manifest);
  std::string xml((const char *)LockResource(LoadResource(saver, manifest)),
                  SizeofResource(saver, manifest));
  EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\"")) << xml;
  EXPECT_NE(std::string::npos, xml.find("WindowsSettings\">true</longPathAware>")) << xml;
  FreeLibrary(saver);
}

}  // namespace

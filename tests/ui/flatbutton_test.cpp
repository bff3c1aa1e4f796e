// FlatButton under real mouse input: hot, pressed and idle looks read back from the screen,
// the click sequences, the posted notification, and the link's shell call.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "uidriver.h"

namespace {

const int kParentX = 100, kParentY = 120, kButtonX = 20, kButtonY = 30;
const int kButtonW = 100, kButtonH = 28;

struct ShellCall {
  std::string verb, file;
  bool owner, params, folder;
  INT show;
};
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR folder,
                                 INT show) {
  shellCalls.push_back({verb, file, owner != nullptr, params != nullptr, folder != nullptr, show});
  return (HINSTANCE)42;
}

LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(w, &r);
    FillRect((HDC)wp, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    return 1;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

class FlatButtonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ProgramInstance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(ProgramInstance, kFlatButtonClass, &wc)) {
      ASSERT_NE(0, RegisterFlatButtonClass());
    }
    wc = WNDCLASSA{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = ProgramInstance;
    wc.lpszClassName = "FlatButtonTestParent";
    ASSERT_NE(0, RegisterClassA(&wc));
  }

  void SetUp() override {
    shellCalls.clear();
    SetLinkOpener(RecordShellCall);
    MoveMouse(5, 5);
    parent =
        CreateWindowExA(WS_EX_TOPMOST, "FlatButtonTestParent", "parent", WS_POPUP | WS_VISIBLE,
                        kParentX, kParentY, 300, 150, nullptr, nullptr, ProgramInstance, nullptr);
    button = CreateWindowExA(0, kFlatButtonClass, "Ok", WS_CHILD | WS_VISIBLE, kButtonX, kButtonY,
                             kButtonW, kButtonH, parent, (HMENU)(INT_PTR)IDB_CHECK, ProgramInstance,
                             nullptr);
    ASSERT_NE(nullptr, button);
    UpdateWindow(parent);
    Settle();
  }

  void TearDown() override {
    MouseButton(false);
    DestroyWindow(parent);
    Pump();
    SetLinkOpener(nullptr);
  }

  // Lets the input and the paints it caused be handled, collecting posted commands.
  void Settle() {
    for (int i = 0; i < 5; i++) {
      Pump([&](const MSG &m) { commands.push_back(m); });
      Sleep(15);
    }
  }

  int X(int dx) const { return kParentX + kButtonX + dx; }
  int Y(int dy) const { return kParentY + kButtonY + dy; }
  void MoveTo(int dx, int dy) {
    MoveMouse(X(dx), Y(dy));
    Settle();
  }
  void Button(bool down) {
    MouseButton(down);
    Settle();
  }
  LONG_PTR Flags() const { return GetWindowLongPtrA(button, GWLP_USERDATA); }
  int Clicks() const {
    int n = 0;
    for (const MSG &m : commands)
      if (m.hwnd == parent) n++;
    return n;
  }

  // The four frame edges: left, top, right, bottom.
  std::vector<COLORREF> Frame() {
    GdiFlush();
    return {ScreenPixel(X(0), Y(kButtonH / 2)), ScreenPixel(X(kButtonW / 2), Y(0)),
            ScreenPixel(X(kButtonW - 1), Y(kButtonH / 2)),
            ScreenPixel(X(kButtonW / 2), Y(kButtonH - 1))};
  }

  HWND parent = nullptr, button = nullptr;
  std::vector<MSG> commands;
};

const COLORREF kGlyphGreen = RGB(0, 128, 0);  // the check mark's dark outline pixel (13, 2)

TEST_F(FlatButtonTest, LooksIdleHotAndPressed) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  COLORREF back = GetSysColor(COLOR_MENU);
  EXPECT_TRUE(WaitForPixel(X(4 + 13), Y(3 + 2), kGlyphGreen)) << "glyph at (4, 3)";
  EXPECT_EQ(std::vector<COLORREF>(4, back), Frame()) << "idle: no frame";

  MoveTo(50, 14);
  EXPECT_EQ(FB_HOT, Flags());
  EXPECT_EQ(button, GetCapture());
  EXPECT_TRUE(WaitForPixel(X(0), Y(kButtonH / 2), light));
  EXPECT_EQ((std::vector<COLORREF>{light, light, dark, dark}), Frame()) << "raised";

  Button(true);
  EXPECT_EQ(FB_HOT | FB_PRESSED, Flags());
  EXPECT_TRUE(WaitForPixel(X(0), Y(kButtonH / 2), dark));
  EXPECT_EQ((std::vector<COLORREF>{dark, dark, light, light}), Frame()) << "sunken";
  EXPECT_EQ(kGlyphGreen, ScreenPixel(X(6 + 13), Y(5 + 2))) << "glyph moved to (6, 5)";

  MoveTo(kButtonW + 30, 14);  // dragged off with the button held: like idle, capture kept
  EXPECT_EQ(FB_PRESSED, Flags());
  EXPECT_EQ(button, GetCapture());
  EXPECT_TRUE(WaitForPixel(X(0), Y(kButtonH / 2), back));
  EXPECT_EQ(kGlyphGreen, ScreenPixel(X(4 + 13), Y(3 + 2)));
}

TEST_F(FlatButtonTest, ClickSequences) {
  // Onto the button, press, off, back on, release inside: one click.
  MoveTo(50, 14);
  Button(true);
  MoveTo(kButtonW + 30, 14);
  MoveTo(50, 14);
  EXPECT_EQ(FB_HOT | FB_PRESSED, Flags());
  Button(false);
  ASSERT_EQ(1, Clicks());
  EXPECT_EQ(MAKEWPARAM(IDB_CHECK, BN_CLICKED), commands[0].wParam);
  EXPECT_EQ((LPARAM)button, commands[0].lParam);
  MoveTo(51, 14);
  EXPECT_EQ(FB_HOT, Flags());

  // Press, leave, release outside: no click, idle, capture released.
  commands.clear();
  Button(true);
  MoveTo(kButtonW + 30, 14);
  Button(false);
  EXPECT_EQ(0, Clicks());
  EXPECT_EQ(0, Flags());
  EXPECT_EQ(nullptr, GetCapture());

  // Press outside any control, move onto the button held, release over it: a click.
  MoveTo(kButtonW + 40, 60);
  Button(true);
  MoveTo(30, 10);
  Button(false);
  EXPECT_EQ(1, Clicks());
}

// Read before anything else is handled: the release leaves the button idle without the
// capture, and the click waits in the parent's queue (posted, not sent). The system's own
// mouse move after the capture is released makes it hot again only when that move arrives.
TEST_F(FlatButtonTest, ReleaseIsIdleAtOnceAndClickIsPosted) {
  MoveTo(50, 14);
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 14));
  EXPECT_EQ(FB_HOT | FB_PRESSED, Flags());
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(50, 14));
  EXPECT_EQ(0, Flags());
  EXPECT_EQ(nullptr, GetCapture());
  MSG queued;
  ASSERT_TRUE(PeekMessageA(&queued, parent, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  EXPECT_EQ(MAKEWPARAM(IDB_CHECK, 0), queued.wParam);
  EXPECT_EQ((LPARAM)button, queued.lParam);

  // The unsigned point test: negative coordinates (possible under capture) are outside, and
  // so is anything past the right or bottom edge.
  commands.clear();
  Settle();
  commands.clear();
  for (LPARAM outside : {MAKELPARAM(-1, 5), MAKELPARAM(5, -1), MAKELPARAM(kButtonW + 1, 5),
                         MAKELPARAM(5, kButtonH + 1)})
    SendMessageA(button, WM_LBUTTONUP, 0, outside);
  Settle();
  EXPECT_EQ(0, Clicks());
}

TEST_F(FlatButtonTest, NoKeyboardInterface) {
  SetForegroundWindow(parent);
  SetFocus(button);
  PressKey(VK_SPACE);
  PressKey(VK_RETURN);
  Settle();
  EXPECT_EQ(0, Clicks());
}

TEST_F(FlatButtonTest, LinkOpensMailOrWebAddress) {
  struct Case {
    const char *text, *target;
  } cases[] = {
      {"someone@example.org", "mailto:someone@example.org"},
      {"http://www.example.org/", "http://www.example.org/"},
      {"HTTP://WWW.EXAMPLE.ORG/", "mailto:HTTP://WWW.EXAMPLE.ORG/"},
  };
  MakeFlatButtonLink(button);
  HCURSOR hand = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_LINKHAND));
  ASSERT_NE(nullptr, hand);
  for (const Case &c : cases) {
    shellCalls.clear();
    SetWindowTextA(button, c.text);
    MoveTo(30, 10);
    EXPECT_EQ(FB_LINK | FB_HOT, Flags());
    EXPECT_EQ(hand, GetCursor());
    Button(true);
    Button(false);
    ASSERT_EQ(1u, shellCalls.size()) << c.text;
    EXPECT_EQ("open", shellCalls[0].verb);
    EXPECT_EQ(c.target, shellCalls[0].file);
    EXPECT_FALSE(shellCalls[0].owner || shellCalls[0].params || shellCalls[0].folder);
    EXPECT_EQ(SW_SHOWNORMAL, shellCalls[0].show);
    MoveTo(kButtonW + 30, 60);
  }
  EXPECT_EQ(0, Clicks()) << "a link notifies nobody";
}

TEST_F(FlatButtonTest, LinkUnderlinedInBlueWhileHot) {
  MakeFlatButtonLink(button);
  SetWindowTextA(button, "someone@example.org");
  InvalidateRect(button, nullptr, TRUE);
  Settle();
  COLORREF back = GetSysColor(COLOR_MENU);
  EXPECT_TRUE(WaitForPixel(X(kButtonW / 2), Y(kButtonH - 1), back));
  MoveTo(30, 10);
  EXPECT_TRUE(WaitForPixel(X(kButtonW / 2), Y(kButtonH - 1), RGB(0, 0, 255)));
  EXPECT_EQ(RGB(0, 0, 255), ScreenPixel(X(0), Y(kButtonH - 1)));
}

TEST(LinkTarget, LongTextsAreRefusedNotCut) {
  char target[256];
  std::string mail(248, 'a');
  EXPECT_EQ(1, LinkTarget(mail.c_str(), target, sizeof target));
  EXPECT_EQ("mailto:" + mail, target);
  mail += 'a';  // 249 characters and "mailto:" no longer fit in 256 bytes
  EXPECT_EQ(0, LinkTarget(mail.c_str(), target, sizeof target));
  EXPECT_STREQ("", target);
  std::string web = "http:" + std::string(250, 'x');
  EXPECT_EQ(1, LinkTarget(web.c_str(), target, sizeof target));
  web += 'x';
  EXPECT_EQ(0, LinkTarget(web.c_str(), target, sizeof target));
}

TEST_F(FlatButtonTest, OverlongLinkTextOpensNothing) {
  MakeFlatButtonLink(button);
  SetWindowTextA(button, std::string(300, 'a').c_str());
  MoveTo(30, 10);
  Button(true);
  Button(false);
  EXPECT_TRUE(shellCalls.empty());
}

}  // namespace

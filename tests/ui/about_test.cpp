// The About box: the caller's texts, its links, and which keys and buttons close it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "about.h"
#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "uidriver.h"

namespace {

std::vector<std::string> opened;

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  opened.push_back(file);
  return (HINSTANCE)42;
}

class AboutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ProgramInstance = GetModuleHandleA(nullptr);
    RegisterFlatButtonClass();
  }
  void SetUp() override {
    opened.clear();
    SetLinkOpener(RecordOpen);
    MoveMouse(5, 5);
  }
  void TearDown() override { SetLinkOpener(nullptr); }

  // Shows the box with drive() acting on it; false when drive() left it open.
  bool Run(const std::function<void(HWND)> &drive) {
    bool leftOpen = false;
    INT_PTR result = RunModal([] { return ShowAboutDialog(nullptr, "Product X", "Build 7"); },
                              [&] {
                                HWND box = WaitForWindow("About");
                                if (box) drive(box);
                              },
                              "About", &leftOpen);
    EXPECT_EQ(0, result);
    return !leftOpen;
  }
};

TEST_F(AboutTest, ShowsTheCallersTextsAndLinks) {
  std::string product, version, mail, web;
  LONG_PTR mailFlags = 0, webFlags = 0;
  EXPECT_TRUE(Run([&](HWND box) {
    product = WindowText(GetDlgItem(box, IDC_ABOUT_PRODUCT));
    version = WindowText(GetDlgItem(box, IDC_ABOUT_VERSION));
    mail = WindowText(GetDlgItem(box, IDC_ABOUT_MAIL));
    web = WindowText(GetDlgItem(box, IDC_ABOUT_WEB));
    mailFlags = GetWindowLongPtrA(GetDlgItem(box, IDC_ABOUT_MAIL), GWLP_USERDATA);
    webFlags = GetWindowLongPtrA(GetDlgItem(box, IDC_ABOUT_WEB), GWLP_USERDATA);
    ClickControl(GetDlgItem(box, IDC_ABOUT_MAIL));
    ClickControl(GetDlgItem(box, IDC_ABOUT_WEB));
    WaitFor([] { return opened.size() == 2; }, 2000);
    PressKey(VK_ESCAPE);
  }));
  EXPECT_EQ("Product X", product);
  EXPECT_EQ("Build 7", version);
  EXPECT_EQ(FB_LINK, mailFlags);
  EXPECT_EQ(FB_LINK, webFlags);
  EXPECT_NE(0u, mail.rfind("http:", 0)) << "the mail address must not look like a web one";
  EXPECT_EQ(0u, web.rfind("http:", 0));
  EXPECT_EQ((std::vector<std::string>{"mailto:" + mail, web}), opened);
}

TEST_F(AboutTest, OkTheCloseBoxAndEscapeCloseItEnterDoesNot) {
  struct Case {
    const char *how;
    std::function<void(HWND)> close;
  };
  const Case cases[] = {
      {"Ok", [](HWND box) { ClickControl(GetDlgItem(box, IDC_ABOUT_OK)); }},
      {"close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case &c : cases) EXPECT_TRUE(Run(c.close)) << c.how;
  // Enter leaves it open; Escape then closes it.
  bool openAfterEnter = false;
  EXPECT_TRUE(Run([&](HWND box) {
    SetForegroundWindow(box);
    PressKey(VK_RETURN);
    Sleep(300);
    openAfterEnter = IsWindow(box) && IsWindowVisible(box);
    PressKey(VK_ESCAPE);
  }));
  EXPECT_TRUE(openAfterEnter);
}

}  // namespace

// The screen saver's settings in Wine's real registry and its configuration dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "saversettings.h"
#include "testfiles.h"
#include "uidriver.h"

using namespace std::string_literals;

namespace {

const char kKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";
const char kViewerKey[] = "SOFTWARE\\Ostrel\\Lumora";
const char kTitle[] = "Lumora Screen Saver Configuration";

class SaverSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramInstance = GetModuleHandleA(nullptr);
    WNDCLASSA wc;
    if (!GetClassInfoA(ProgramInstance, kFlatButtonClass, &wc)) RegisterFlatButtonClass();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    Clean();
    TimeOut = 10;
    MixFiles = 0;
    LastFile[0] = 0;
    MoveMouse(5, 5);
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteUserKey(kKey);
    DeleteUserKey(kViewerKey);
    DeleteUserKey("SOFTWARE\\Ostrel");
  }

  std::string Value(const char *name) {
    DWORD type = 0;
    std::string bytes;
    if (!QueryUserValue(kKey, name, &type, &bytes)) return "<missing>";
    return std::to_string(type) + ":" + bytes;
  }

  // The library runs the template with DialogBox and this procedure.
  INT_PTR Show(const std::function<void(HWND)> &drive) {
    return RunModal(
        [] {
          return DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                 SaverSettingsDialogProc, 0);
        },
        [&] {
          HWND dialog = WaitForWindow(kTitle);
          ASSERT_NE(nullptr, dialog);
          drive(dialog);
        },
        kTitle);
  }

  TempDir dir;
};

TEST_F(SaverSettingsTest, DefaultsWithoutKeyAndOkCancelTexts) {
  std::string accept, dismiss, path, seconds;
  UINT mix = 99;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              accept = WindowText(GetDlgItem(dialog, IDC_ACCEPT));
              dismiss = WindowText(GetDlgItem(dialog, IDC_DISMISS));
              path = WindowText(GetDlgItem(dialog, IDC_LISTPATH));
              seconds = WindowText(GetDlgItem(dialog, IDC_TIMEOUT));
              mix = IsDlgButtonChecked(dialog, IDC_MIXFILES);
              ClickControl(GetDlgItem(dialog, IDC_DISMISS));
            }));
  EXPECT_EQ("Ok", accept);
  EXPECT_EQ("Cancel", dismiss);
  EXPECT_EQ("", path);
  EXPECT_EQ("10", seconds);
  EXPECT_EQ((UINT)BST_UNCHECKED, mix);
  EXPECT_FALSE(UserKeyExists(kKey)) << "Cancel writes nothing";
}

TEST_F(SaverSettingsTest, StoredListIsAlwaysRead) {
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\saver.wcl\0"s);
  SetUserValue(kKey, "MixFiles", REG_DWORD, DwordBytes(1));
  SetUserValue(kKey, "TimeOut", REG_DWORD, DwordBytes(45));
  strcpy(LastFile, "C:\\something else.wcl");
  ReadSaverSettings();
  EXPECT_STREQ("C:\\saver.wcl", LastFile);
  EXPECT_EQ(1u, MixFiles);
  EXPECT_EQ(45u, TimeOut);
}

TEST_F(SaverSettingsTest, ViewerListDoesNotReachTheSaver) {
  SetUserValue(kViewerKey, "LastFile", REG_SZ, "C:\\viewer.wcl\0"s);
  SetUserValue(kViewerKey, "TimeOut", REG_DWORD, DwordBytes(99));
  ReadSaverSettings();
  EXPECT_STREQ("", LastFile);
  EXPECT_EQ(10u, TimeOut);
}

TEST_F(SaverSettingsTest, MissingFileErrorThenOkWritesTheThreeValues) {
  std::string list = dir.File("saver list.wcl");
  WriteBytes(list, "centred=C:\\a.bmp\r\n");
  std::string missing = dir.File("gone.wcl"), text;
  EXPECT_EQ(1, Show([&](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_LISTPATH, missing.c_str());
              ClickControl(GetDlgItem(dialog, IDC_ACCEPT));
              HWND box = WaitForWindow("Error");
              if (!box) return;
              text = MessageBoxText(box);
              PostMessageA(box, WM_COMMAND, IDOK, 0);
              WaitFor([&] { return !IsWindow(box); });
              SetDlgItemTextA(dialog, IDC_LISTPATH, list.c_str());
              SendDlgItemMessageA(dialog, IDC_TIMEOUT_SPIN, UDM_SETPOS, 0, 300);
              ClickControl(GetDlgItem(dialog, IDC_MIXFILES));
              ClickControl(GetDlgItem(dialog, IDC_ACCEPT));
            }));
  EXPECT_EQ("The file \"" + missing + "\" is not existing!", text);
  EXPECT_EQ(std::to_string(REG_DWORD) + ":" + DwordBytes(300), Value("TimeOut"));
  EXPECT_EQ(std::to_string(REG_DWORD) + ":" + DwordBytes(1), Value("MixFiles"));
  EXPECT_EQ(std::to_string(REG_SZ) + ":" + list + '\0', Value("LastFile"));
  EXPECT_FALSE(UserKeyExists(kViewerKey));
}

}  // namespace

// The screen saver's settings in Wine's real registry and its configuration dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "commonres.h"
#include "filecalls.h"
#include "flatbutton.h"
#include "instance.h"
#include "saversettings.h"
#include "settingsdriver.h"
#include "testfiles.h"
#include "uidriver.h"

using namespace std::string_literals;

namespace {

const char *const kKey = kSaverKey;
const char kTitle[] = "Lumora Screen Saver Configuration";

class SaverSettingsTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    gSaverSettings.TimeOut = 10;
    gSaverSettings.Flags = 0;
    gSaverSettings.LastFile.clear();
  }

  std::string Value(const char *name) {
    DWORD type = 0;
    std::string bytes;
    if (!QueryUserValue(kKey, name, &type, &bytes)) return "<missing>";
    return std::to_string(type) + ":" + bytes;
  }

  // The library runs the template with DialogBox and this procedure.
  INT_PTR Show(const std::function<void(HWND)> &drive) {
    return SettingsTest::Show(
        [] {
          return DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                 SaverSettingsDialogProc, 0);
        },
        kTitle, drive);
  }
};

TEST_F(SaverSettingsTest, DefaultsWithoutKeyAndOkCancelTexts) {
  SettingsFields f;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              f = ReadFields(dialog);
              ClickControl(GetDlgItem(dialog, IDC_DISMISS));
            }));
  EXPECT_EQ("Ok", f.accept);
  EXPECT_EQ("Cancel", f.dismiss);
  EXPECT_EQ("", f.path);
  EXPECT_EQ("10", f.seconds);
  EXPECT_EQ((UINT)BST_UNCHECKED, f.mix);
  EXPECT_FALSE(UserKeyExists(kKey)) << "Cancel writes nothing";
}

TEST_F(SaverSettingsTest, StoredListIsAlwaysRead) {
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\saver.wcl\0"s);
  SetUserValue(kKey, "MixFiles", REG_DWORD, DwordBytes(1));
  SetUserValue(kKey, "TimeOut", REG_DWORD, DwordBytes(45));
  gSaverSettings.LastFile = "C:\\something else.wcl";
  gSaverSettings.Read();
  EXPECT_EQ("C:\\saver.wcl", gSaverSettings.LastFile);
  EXPECT_EQ(1u, gSaverSettings.Flags);
  EXPECT_EQ(45u, gSaverSettings.TimeOut);
}

TEST_F(SaverSettingsTest, ViewerListDoesNotReachTheSaver) {
  SetUserValue(kViewerKey, "LastFile", REG_SZ, "C:\\viewer.wcl\0"s);
  SetUserValue(kViewerKey, "TimeOut", REG_DWORD, DwordBytes(99));
  gSaverSettings.Read();
  EXPECT_EQ("", gSaverSettings.LastFile);
  EXPECT_EQ(10u, gSaverSettings.TimeOut);
}

TEST_F(SaverSettingsTest, MissingFileErrorThenOkWritesTheThreeValues) {
  std::string list = dir.File("saver list.wcl");
  WriteBytes(list, "centred=C:\\a.bmp\r\n");
  std::string missing = dir.File("gone.wcl"), text;
  EXPECT_EQ(1, Show([&](HWND dialog) {
              text = MissingListThenAccept(dialog, missing, "Error", list, 300);
            }));
  EXPECT_EQ("The file \"" + missing + "\" is not existing!", text);
  EXPECT_EQ(std::to_string(REG_DWORD) + ":" + DwordBytes(300), Value("TimeOut"));
  EXPECT_EQ(std::to_string(REG_DWORD) + ":" + DwordBytes(1), Value("MixFiles"));
  EXPECT_EQ(std::to_string(REG_SZ) + ":" + list + '\0', Value("LastFile"));
  EXPECT_FALSE(UserKeyExists(kViewerKey));
}

// The saver's dialog has the folder button too: a cancelled picker leaves the box alone; a
// missing folder is refused with the path named, an existing one stored.
TEST_F(SaverSettingsTest, FolderPickerCancelledThenAFolderIsStored) {
  const std::string folder = dir.File("saver pictures"), missing = dir.File("gone");
  ASSERT_TRUE(CreateFolder(folder.c_str()));
  std::string text, afterCancel;
  bool answered = false;
  EXPECT_EQ(1, Show([&](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_LISTPATH, folder.c_str());
              answered = AnswerFolderPicker(dialog, nullptr);
              SendMessageA(dialog, WM_NULL, 0, 0);  // the command has been handled
              afterCancel = WindowText(GetDlgItem(dialog, IDC_LISTPATH));
              text = MissingListThenAccept(dialog, missing, "Error", folder, 15);
            }));
  EXPECT_TRUE(answered);
  EXPECT_EQ(folder, afterCancel);
  EXPECT_EQ("The file \"" + missing + "\" is not existing!", text);
  EXPECT_EQ(std::to_string(REG_SZ) + ":" + folder + '\0', Value("LastFile"));
}

}  // namespace

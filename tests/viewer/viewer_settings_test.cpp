// The viewer's settings in Wine's real registry, and its settings dialog driven by real input.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "commonres.h"
#include "filecalls.h"
#include "flatbutton.h"
#include "folderpicker.h"
#include "instance.h"
#include "settings.h"
#include "settingsdialog.h"
#include "settingsdriver.h"
#include "testfiles.h"
#include "uidriver.h"
#include "wintext.h"

using namespace std::string_literals;

namespace {

const char *const kKey = kViewerKey;
const char kTitle[] = "Lumora Settings";

class ViewerSettingsTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    gViewerSettings.TimeOut = 10;
    gViewerSettings.Flags = 0;
    gViewerSettings.LastFile.clear();
  }

  std::string Value(const char *name, DWORD expectType) {
    DWORD type = 0;
    std::string bytes;
    if (!QueryUserValue(kKey, name, &type, &bytes)) return "<missing>";
    EXPECT_EQ(expectType, type) << name;
    return bytes;
  }

  INT_PTR Show(const std::function<void(HWND)> &drive, bool *leftOpen = nullptr) {
    return SettingsTest::Show([] { return ShowSettingsDialog(nullptr); }, kTitle, drive, leftOpen);
  }
};

TEST_F(ViewerSettingsTest, NoKeyKeepsTheDefaults) {
  gViewerSettings.Read();
  EXPECT_EQ(10u, gViewerSettings.TimeOut);
  EXPECT_EQ(0u, gViewerSettings.Flags);
  EXPECT_EQ("", gViewerSettings.LastFile);
}

// A dialog that cannot be made (here: a module without its template) is no confirmation.
TEST_F(ViewerSettingsTest, DialogThatCannotBeMadeIsNotAConfirmation) {
  ProgramInstance = GetModuleHandleA("ntdll.dll");
  ASSERT_NE(nullptr, ProgramInstance);
  ASSERT_EQ(nullptr, FindResourceA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETTINGS), RT_DIALOG));
  EXPECT_EQ(0, ShowSettingsDialog(nullptr));
  EXPECT_FALSE(UserKeyExists(kKey));
}

TEST_F(ViewerSettingsTest, WrittenWithTheirTypesAndSizesAndReadBack) {
  gViewerSettings.TimeOut = 32000;
  gViewerSettings.Flags = 0x8000000B;
  gViewerSettings.LastFile = "C:\\Lists\\my list.wcl";
  gViewerSettings.Write();
  EXPECT_EQ(DwordBytes(32000), Value("TimeOut", REG_DWORD));
  EXPECT_EQ(DwordBytes(0x8000000B), Value("ProgramState", REG_DWORD));
  EXPECT_EQ("C:\\Lists\\my list.wcl\0"s, Value("LastFile", REG_SZ));
  EXPECT_FALSE(UserKeyExists(kSaverKey)) << "the saver's key is its own";

  gViewerSettings.TimeOut = 10;
  gViewerSettings.Flags = 0;
  gViewerSettings.LastFile.clear();
  gViewerSettings.Read();
  EXPECT_EQ(32000u, gViewerSettings.TimeOut);
  EXPECT_EQ(0x8000000Bu, gViewerSettings.Flags) << "the whole word, not only the mix bit";
  EXPECT_EQ("C:\\Lists\\my list.wcl", gViewerSettings.LastFile);
}

TEST_F(ViewerSettingsTest, StoredListDoesNotReplaceAPathAlreadyGiven) {
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\stored.wcl\0"s);
  gViewerSettings.LastFile = "C:\\from the command line.wcl";
  gViewerSettings.Read();
  EXPECT_EQ("C:\\from the command line.wcl", gViewerSettings.LastFile);
}

TEST_F(ViewerSettingsTest, ValuesOfTheWrongKindAreIgnored) {
  SetUserValue(kKey, "TimeOut", REG_SZ, "25\0"s);
  SetUserValue(kKey, "ProgramState", REG_BINARY, "\1\2"s);
  SetUserValue(kKey, "LastFile", REG_BINARY, "C:\\x.wcl\0"s);
  gViewerSettings.Read();
  EXPECT_EQ(10u, gViewerSettings.TimeOut);
  EXPECT_EQ(0u, gViewerSettings.Flags);
  EXPECT_EQ("", gViewerSettings.LastFile);

  for (DWORD outside : {0u, 32001u, 0xFFFFFFFFu}) {
    SetUserValue(kKey, "TimeOut", REG_DWORD, DwordBytes(outside));
    gViewerSettings.Read();
    EXPECT_EQ(10u, gViewerSettings.TimeOut) << outside;
  }
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\no-nul.wcl"s);  // stored without its NUL
  gViewerSettings.Read();
  EXPECT_EQ("C:\\no-nul.wcl", gViewerSettings.LastFile);
}

// Paths of any length and any characters, stored as UTF-16; what the old programs stored in
// the ANSI code page (1252 here) reads the same.
TEST_F(ViewerSettingsTest, ListPathsOfAnyNameAndLength) {
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\\xD0\xA4\xF0\x9F\x93\xB7.wcl";
  gViewerSettings.LastFile = deep;
  gViewerSettings.Write();
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
  wchar_t stored[400] = {};
  DWORD type = 0, size = sizeof stored - sizeof(wchar_t);
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"LastFile", nullptr, &type,
                                            reinterpret_cast<BYTE *>(stored), &size));
  RegCloseKey(key);
  EXPECT_EQ((DWORD)REG_SZ, type);
  EXPECT_EQ(L"C:\\" + std::wstring(300, L'd') + L"\\\x0424\xD83D\xDCF7.wcl", stored);
  gViewerSettings.LastFile.clear();
  gViewerSettings.Read();
  EXPECT_EQ(deep, gViewerSettings.LastFile);

  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\caf\xE9.wcl\0"s);
  gViewerSettings.LastFile.clear();
  gViewerSettings.Read();
  EXPECT_EQ("C:\\caf\xC3\xA9.wcl", gViewerSettings.LastFile);
}

TEST_F(ViewerSettingsTest, FirstShowingSaysStartExitAndExitWritesNothing) {
  SettingsFields first, later;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              first = ReadFields(dialog);
              ClickControl(GetDlgItem(dialog, IDC_DISMISS));
            }));
  EXPECT_EQ("Start", first.accept);
  EXPECT_EQ("Exit", first.dismiss);
  EXPECT_EQ("", first.path);
  EXPECT_EQ("10", first.seconds);
  EXPECT_EQ((UINT)BST_UNCHECKED, first.mix);
  EXPECT_FALSE(UserKeyExists(kKey));

  EXPECT_EQ(0, Show([&](HWND dialog) {
              later = ReadFields(dialog);
              PressKey(VK_ESCAPE);
            }));
  EXPECT_EQ("Ok", later.accept);
  EXPECT_EQ("Cancel", later.dismiss);
  EXPECT_FALSE(UserKeyExists(kKey));
}

TEST_F(ViewerSettingsTest, MissingFileWarnsThenStartStoresEverything) {
  std::string list = dir.File("show.wcl");
  WriteBytes(list, "centred=C:\\a.bmp\r\n");
  std::string text, missing = dir.File("nothing here.wcl");
  gViewerSettings.Flags = ZoomOutOnClick;
  EXPECT_EQ(1, Show([&](HWND dialog) {
              text = MissingListThenAccept(dialog, missing, "Warning", list, 1234);
            }));
  EXPECT_EQ("The file that you have selected is invalid! Please choose a valid file!", text);
  EXPECT_EQ(1234u, gViewerSettings.TimeOut);
  EXPECT_EQ(list, gViewerSettings.LastFile);
  EXPECT_EQ(DwordBytes(1234), Value("TimeOut", REG_DWORD));
  // Nothing was stored to reload: the word keeps its other bits and gains the mix bit.
  EXPECT_EQ(DwordBytes(MixOnLoad | ZoomOutOnClick), Value("ProgramState", REG_DWORD));
  EXPECT_EQ(list + '\0', Value("LastFile", REG_SZ));
}

// A folder is a show too: a missing one warns as a missing list does; an existing one is
// stored as typed, its closing separator kept.
TEST_F(ViewerSettingsTest, MissingFolderWarnsThenAFolderIsStoredAsTyped) {
  ASSERT_TRUE(CreateFolder(dir.File("pictures").c_str()));
  const std::string folder = dir.File("pictures") + "\\";
  std::string text;
  EXPECT_EQ(1, Show([&](HWND dialog) {
              text = MissingListThenAccept(dialog, dir.File("no pictures") + "\\", "Warning",
                                           folder, 20);
            }));
  EXPECT_EQ("The file that you have selected is invalid! Please choose a valid file!", text);
  EXPECT_EQ(folder, gViewerSettings.LastFile);
  EXPECT_EQ(folder + '\0', Value("LastFile", REG_SZ));
}

// The folder button's picker starts in the folder the box names, or in the folder of the list
// file it names: a name typed into it is taken from there. Where the item dialog cannot be made
// the folder browser stands in, starting on that folder, which its OK returns. The chosen folder
// fills the box; a cancel leaves the box alone.
TEST_F(ViewerSettingsTest, FolderPickerStartsWhereTheBoxPointsAndFillsIt) {
  const std::string photos = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE";  // beyond the ANSI code page
  auto in = [&](const std::string &name) { return dir.path() + "\\" + name; };
  const std::string list = in("show.wcl");
  for (const std::string &name : {"holidays"s, "holidays\\summer"s, photos})
    ASSERT_TRUE(CreateFolder(in(name).c_str()));
  struct Row {
    bool browser;
    std::string box;
    const char *typed;  // null: cancelled
    std::string expected;
  } rows[] = {
      {false, list, "holidays", in("holidays")},
      {false, in("holidays\\"), "summer", in("holidays\\summer")},
      {false, dir.path(), photos.c_str(), in(photos)},
      {false, list, nullptr, list},
      {true, in(photos + "\\show.wcl"), "", in(photos)},
      {true, list, nullptr, list},
  };
  std::vector<std::string> shown;
  std::vector<bool> answered;
  Show([&](HWND dialog) {
    for (const Row &row : rows) {
      UseFolderBrowserOnly(row.browser);
      SetDialogItemTextOf(dialog, IDC_LISTPATH, row.box);
      answered.push_back(AnswerFolderPicker(dialog, row.typed));
      WaitFor([&] { return DialogItemTextOf(dialog, IDC_LISTPATH) == row.expected; }, 3000);
      SendMessageA(dialog, WM_NULL, 0, 0);  // the command has been handled
      shown.push_back(DialogItemTextOf(dialog, IDC_LISTPATH));
    }
    PressKey(VK_ESCAPE);
  });
  UseFolderBrowserOnly(false);
  ASSERT_EQ(std::size(rows), shown.size());
  for (size_t i = 0; i < shown.size(); i++) {
    EXPECT_TRUE(answered[i]) << i;
    EXPECT_EQ(rows[i].expected, shown[i]) << i;
  }
}

TEST_F(ViewerSettingsTest, OpeningReloadsTheStoredWordAndShowsTheStoredValues) {
  SetUserValue(kKey, "TimeOut", REG_DWORD, DwordBytes(77));
  SetUserValue(kKey, "ProgramState", REG_DWORD, DwordBytes(MixOnLoad | ZoomOutOnClick));
  SetUserValue(kKey, "LastFile", REG_SZ, "C:\\stored.wcl\0"s);
  std::string path, seconds;
  UINT mix = 0;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              path = WindowText(GetDlgItem(dialog, IDC_LISTPATH));
              seconds = WindowText(GetDlgItem(dialog, IDC_TIMEOUT));
              mix = IsDlgButtonChecked(dialog, IDC_MIXFILES);
              PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }));
  EXPECT_EQ("C:\\stored.wcl", path);
  EXPECT_EQ("77", seconds);
  EXPECT_EQ((UINT)BST_CHECKED, mix);
  EXPECT_EQ(MixOnLoad | ZoomOutOnClick, gViewerSettings.Flags);
  EXPECT_EQ(DwordBytes(77), Value("TimeOut", REG_DWORD)) << "a cancel writes nothing";
}

TEST_F(ViewerSettingsTest, UpDownWrapsAndEnterDoesNothing) {
  int low = 0, high = 0;
  std::string afterUp, afterDown;
  bool openAfterEnter = false;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              HWND spin = GetDlgItem(dialog, IDC_TIMEOUT_SPIN);
              SendMessageA(spin, UDM_GETRANGE32, (WPARAM)&low, (LPARAM)&high);
              RECT r;
              GetWindowRect(spin, &r);
              int x = (r.left + r.right) / 2;
              SendMessageA(spin, UDM_SETPOS, 0, kTimeOutMax);
              ClickAt(x, r.top + 2);
              WaitFor([&] { return WindowText(GetDlgItem(dialog, IDC_TIMEOUT)) == "1"; }, 1000);
              afterUp = WindowText(GetDlgItem(dialog, IDC_TIMEOUT));
              ClickAt(x, r.bottom - 3);
              WaitFor([&] { return WindowText(GetDlgItem(dialog, IDC_TIMEOUT)) == "32000"; }, 1000);
              afterDown = WindowText(GetDlgItem(dialog, IDC_TIMEOUT));
              SetForegroundWindow(dialog);
              SetFocus(GetDlgItem(dialog, IDC_LISTPATH));
              PressKey(VK_RETURN);
              Sleep(300);
              openAfterEnter = IsWindowVisible(dialog);
              PressKey(VK_ESCAPE);
            }));
  EXPECT_EQ(1, low);
  EXPECT_EQ(32000, high);
  EXPECT_EQ("1", afterUp) << "up from 32000 wraps to 1";
  EXPECT_EQ("32000", afterDown) << "down from 1 wraps to 32000";
  EXPECT_TRUE(openAfterEnter);
  EXPECT_FALSE(UserKeyExists(kKey));
}

// The file dialogs themselves, driven through their file-name box (cmb13) and Open/Save.
const int kFileNameBox = 0x47c;

void ChooseInFileDialog(const char *title, const std::string &text) {
  HWND box = WaitForWindow(title);
  ASSERT_NE(nullptr, box) << title;
  SetDlgItemTextA(box, kFileNameBox, text.c_str());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// With the Windows directory read-only, as a standard user has it: the list is written
// beside its final name.
TEST_F(ViewerSettingsTest, NewListFromThreePicturesThenRefusedOverwrite) {
  ReadOnlyWindowsDirectory readOnly;
  ASSERT_TRUE(readOnly.active());
  for (const char *name : {"a.bmp", "b.gif", "c.jpg"}) WriteBytes(dir.File(name), "BM");
  std::string list = dir.File("mylist.wcl"), shown, question;
  // Nothing but the pictures and the list may stay in the folder.
  const std::vector<std::string> withList = {"a.bmp", "b.gif", "c.jpg", "mylist.wcl"};
  std::vector<std::string> afterSave, afterRefusal;
  std::string textAfterRefusal;
  EXPECT_EQ(0, Show([&](HWND dialog) {
              HWND edit = GetDlgItem(dialog, IDC_LISTPATH);
              ClickControl(GetDlgItem(dialog, IDC_NEWLIST));
              ChooseInFileDialog("choose image(s) to add", dir.path());
              Sleep(300);
              ChooseInFileDialog("choose image(s) to add", "\"a.bmp\" \"b.gif\" \"c.jpg\"");
              ChooseInFileDialog("Save As", dir.File("mylist"));
              WaitFor([&] { return WindowText(edit) == list; });
              shown = WindowText(edit);
              afterSave = FileNames(dir.path());

              SetWindowTextA(edit, "unchanged");
              ClickControl(GetDlgItem(dialog, IDC_NEWLIST));
              ChooseInFileDialog("choose image(s) to add", dir.File("a.bmp"));
              ChooseInFileDialog("Save As", list);
              HWND ask = WaitForWindow("Warning!");
              if (!ask) return;
              question = MessageBoxText(ask);
              PostMessageA(ask, WM_COMMAND, IDNO, 0);
              WaitFor([&] { return !IsWindow(ask); });
              Sleep(200);
              afterRefusal = FileNames(dir.path());
              textAfterRefusal = WindowText(edit);
              PressKey(VK_ESCAPE);
            }));
  std::string folder = dir.path();
  EXPECT_EQ(list, shown);
  EXPECT_EQ("centred=" + folder + "\\a.bmp\r\ncentred=" + folder + "\\b.gif\r\ncentred=" + folder +
                "\\c.jpg\r\n",
            ReadBytes(list));
  EXPECT_EQ(withList, afterSave);
  EXPECT_EQ("File " + list + " alredy exist! Overwrite this file?", question);
  EXPECT_EQ(withList, afterRefusal);
  EXPECT_EQ("unchanged", textAfterRefusal);
  EXPECT_EQ("", gViewerSettings.LastFile) << "a cancelled dialog leaves the list path alone";
  EXPECT_FALSE(UserKeyExists(kKey));
}

// A selection of 2,000 pictures, far more than a fixed buffer of a few kilobytes holds, makes
// a list of all of them.
TEST_F(ViewerSettingsTest, NewListFromTwoThousandPictures) {
  std::string names, expected;
  for (int i = 0; i < 2000; i++) {
    const std::string name = "holiday picture number " + std::to_string(10000 + i) + ".bmp";
    WriteBytes(dir.File(name), "BM");
    names += "\"" + name + "\" ";
    expected += "centred=" + dir.File(name) + "\r\n";
  }
  const std::string list = dir.File("many.wcl");
  std::string shown;
  Show([&](HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_LISTPATH);
    ClickControl(GetDlgItem(dialog, IDC_NEWLIST));
    ChooseInFileDialog("choose image(s) to add", dir.path());
    Sleep(300);
    ChooseInFileDialog("choose image(s) to add", names);
    ChooseInFileDialog("Save As", list);
    WaitFor([&] { return WindowText(edit) == list; }, 20000);
    shown = WindowText(edit);
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(list, shown);
  const std::string written = ReadBytes(list);
  EXPECT_EQ(expected.size(), written.size());
  EXPECT_TRUE(written == expected) << written.substr(0, 300);
}

}  // namespace

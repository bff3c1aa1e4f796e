// Names beyond the ANSI code page and paths past 260 characters with the real programs: a
// folder named in Cyrillic, CJK and an emoji, deep enough that every picture's path is longer
// than 300 characters, a list there named on the viewer's command line and stored for the
// saver; and an old list written in code page 1252.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "filecalls.h"
#include "gifwriter.h"
#include "jpegwriter.h"
#include "path.h"
#include "pcxwriter.h"
#include "pngwriter.h"
#include "regvalue.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"
#include "webpwriter.h"

namespace {

const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";

// "Фото 東京 📷" in UTF-8.
const char kOddFolder[] =
    "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x93\xB7";

void WriteFile(const std::string &path, const std::string &bytes) {
  ASSERT_FALSE(path.empty());
  HFILE file = CreatePath(path.c_str());
  ASSERT_NE(HFILE_ERROR, file) << path;
  EXPECT_EQ((UINT)bytes.size(), _lwrite(file, bytes.data(), (UINT)bytes.size()));
  _lclose(file);
}

class NamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewerSettings();
    DeleteUserKey(kSaverKey);
    odd = JoinPath(dir.path(), kOddFolder);
    ASSERT_TRUE(CreateFolder(odd.c_str()));
    deep = JoinPath(odd, std::string(300 - odd.size(), 'd') + "\xD0\xB6");
    ASSERT_TRUE(CreateFolder(deep.c_str())) << "a folder path past 260 characters";
  }
  // The scratch folder's own clean-up reads names in the ANSI code page: what is named beyond
  // it goes first, through the wide calls.
  void TearDown() override {
    DeleteUserKey(kSaverKey);
    for (const std::string &file : made) DeletePath(file.c_str());
    for (const std::string &folder : {deep, odd, cafe})
      if (!folder.empty()) RemoveDirectoryW(WidePath(folder).c_str());
  }

  std::string Made(const std::string &path) {
    made.push_back(path);
    return path;
  }

  // Shows the list with Lumora.exe, its path on the command line; the colour at the screen's
  // centre once the show is on and has drawn something other than black (black after 5 s).
  COLORREF ShowCentre(const std::string &listPath) {
    ViewerProcess viewer(listPath);  // the tail is the path, spaces and all
    if (!viewer.StartShow()) return CLR_INVALID;
    viewer.Settle();
    COLORREF centre = kBlack;
    WaitFor([&] { return (centre = ScreenPixel(400, 300)) != kBlack; }, 5000);
    PressKey(VK_ESCAPE);
    viewer.WaitForExit();
    return centre;
  }

  TempDir dir;
  std::string odd, deep, cafe;
  std::vector<std::string> made;
};

TEST_F(NamesTest, EveryFormatShowsFromAFolderOfAnyNameAndLength) {
  std::vector<unsigned> rgb;
  for (int i = 0; i < 64 * 48; i++) rgb.insert(rgb.end(), {255, 0, 0});
  std::vector<unsigned char> bgra;
  for (int i = 0; i < 64 * 48; i++) bgra.insert(bgra.end(), {0, 0, 255, 255});
  const struct {
    const char *name;
    std::string bytes;
  } pictures[] = {
      {"\xE6\x9D\xB1\xE4\xBA\xAC 2024.jpg", MakeJpeg(64, 48)},
      {"\xD0\xBA.gif", MakeGif(64, 48, 4, std::vector<unsigned char>(64 * 48, 1))},
      {"\xD0\xBA.pcx", MakePcx(64, 48)},
      {"\xF0\x9F\x93\xB7.png", MakePng(64, 48, rgb)},
      {"\xF0\x9F\x93\xB7.webp", MakeWebp(64, 48, bgra, true)},
  };
  const std::string bmp = Made(JoinPath(deep, "\xD0\xA4.bmp"));
  WriteSolidBmp(bmp, 64, 48, kRed);
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, PathAttributes(bmp.c_str()));
  ASSERT_GT(bmp.size(), 300u);
  const std::string list =
      Made(JoinPath(deep, "\xD1\x81\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBE\xD0\xBA.wcl"));
  WriteFile(list,
            "\xEF\xBB\xBF"
            "centred=" +
                bmp + "\r\n");
  EXPECT_TRUE(Near(kRed, ShowCentre(list))) << "BMP";

  for (const auto &p : pictures) {
    SCOPED_TRACE(p.name);
    const std::string path = Made(JoinPath(deep, p.name));
    WriteFile(path, p.bytes);
    WriteFile(list, "centred=" + path + "\r\n");  // UTF-8 without the mark
    const COLORREF centre = ShowCentre(list);
    EXPECT_NE(CLR_INVALID, centre);
    EXPECT_FALSE(Near(kBlack, centre, 2)) << "nothing drawn: " << Hex(centre);
  }

  // The converter, both its names beyond the ANSI code page and past 300 characters.
  const std::string converted = Made(JoinPath(deep, "\xD0\xB2.bmp"));
  std::wstring line = WideFromUtf8("\"" + ProgramBesideTests("lumora-convert.exe") + "\" \"" +
                                   JoinPath(deep, pictures[0].name) + "\" \"" + converted + "\"");
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &start, &process));
  DWORD code = 99;
  WaitForSingleObject(process.hProcess, 30000);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(0u, code);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, PathAttributes(converted.c_str()));

  // The saver, its list stored as the settings dialog stores it.
  WriteFile(list, "centred=" + bmp + "\r\n");
  HKEY key;
  ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kSaverKey, &key));
  SetTextValue(key, "LastFile", list.c_str());
  SetDwordValue(key, "TimeOut", 1000);
  RegCloseKey(key);
  MoveMouse(400, 300);
  Sleep(300);
  ViewerProcess saver("/s", "Lumora.scr");
  ASSERT_NE(nullptr, saver.AttachWindow("WindowsScreenSaverClass", "Screen Saver", 10000));
  EXPECT_TRUE(WaitForPixel(400, 300, kRed, 5000)) << Hex(ScreenPixel(400, 300));
}

// A list of the old programs, in code page 1252: "é" is one byte there.
TEST_F(NamesTest, OldListInTheAnsiCodePageStillShowsItsPicture) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
  cafe = JoinPath(dir.path(), "caf\xC3\xA9");
  ASSERT_TRUE(CreateFolder(cafe.c_str()));
  const std::string bmp = Made(JoinPath(cafe, "a.bmp"));
  WriteSolidBmp(bmp, 64, 48, kRed);
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, PathAttributes(bmp.c_str()));
  const std::string list = dir.File("old.wcl");
  WriteFile(list, "centred=" + dir.path() + "\\caf\xE9\\a.bmp\r\n");
  const COLORREF centre = ShowCentre(list);
  EXPECT_TRUE(Near(kRed, centre)) << Hex(centre);
}

}  // namespace

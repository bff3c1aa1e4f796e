// Reading ahead in the screen saver: the same screens in the same order with and without it,
// with "MixFiles" and with files replaced, removed and appearing between ticks; and a key
// pressed while the real Lumora.scr reads a large JPEG ahead ends it with no temporary file
// left.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "jpegwriter.h"
#include "processwatch.h"
#include "random.h"
#include "saver.h"
#include "scrnsave.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";
const int kWidth = 800, kHeight = 600;

void FixedClock(LPSYSTEMTIME time) {
  *time = SYSTEMTIME{};
  time->wYear = 2026, time->wMonth = 12, time->wDay = 7;
  time->wHour = 9, time->wMinute = 41, time->wSecond = 7, time->wMilliseconds = 512;
}

std::vector<DWORD> Capture(HWND window) {
  return WindowPixels(window, kWidth, kHeight);
}

class SaverReadAhead : public ::testing::Test {
 protected:
  void TearDown() override {
    SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr);
    SetRandomClock(nullptr);
    DeleteUserKey(kSaverKey);
  }

  void WriteFiles() {
    for (const std::string &name : FileNames(dir.path())) DeleteFileA(dir.File(name).c_str());
    const std::vector<std::string> lines = WriteLongRunPictures(dir);
    WriteList(dir.File("list.wcl"), lines);
    DeleteUserKey(kSaverKey);
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(30000));  // ticks are sent
    SetUserValue(kSaverKey, "MixFiles", REG_DWORD, DwordBytes(1));
    SetUserValue(kSaverKey, "LastFile", REG_SZ, dir.File("list.wcl") + '\0');
  }

  static void Settle() {
    while (!SaverReadAheadIdle()) Sleep(1);
  }

  // Three rounds of the shuffled list; before some ticks the file of the entry that comes
  // next (the one read ahead) is replaced, removed or made to appear.
  std::vector<std::vector<DWORD>> Run(bool readAhead, std::vector<std::string> *paths,
                                      int *handOvers) {
    SetEnvironmentVariableA("LUMORA_READAHEAD", readAhead ? nullptr : "0");
    SetRandomClock(FixedClock);
    WriteFiles();
    std::vector<std::vector<DWORD>> shown;
    HWND window = CreateScreenSaverWindow(host);
    if (!window) return shown;
    auto record = [&] {
      SendMessageA(window, WM_ERASEBKGND, 0, 0);
      Pump();
      shown.push_back(Capture(window));
      paths->push_back(CurrentEntry ? CurrentEntry->path : "(none)");
    };
    record();
    for (int tick = 1; tick <= 3 * SaverImages.count; tick++) {
      Settle();
      const ListEntry *next = CurrentEntry->next ? CurrentEntry->next : SaverImages.first;
      const std::string path = next->path;
      if (tick % 4 == 1) {
        WriteSolidBmp(path, 20 + tick, 30, RGB(tick * 9, 200, 40));  // any name reads as BMP
      } else if (tick % 4 == 2) {
        DeleteFileA(path.c_str());
      } else if (tick == 7) {
        WriteSolidBmp(dir.File("missing.bmp"), 50, 50, kGreen);
      }
      SendMessageA(window, WM_TIMER, SlideTimer, 0);
      record();
    }
    *handOvers = SaverReadAheadHandOvers();
    DestroyWindow(window);
    Pump();
    return shown;
  }

  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = hMainInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SaverReadAheadHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    MoveMouse(400, 300);
  }

  TempDir dir;
  HWND host = nullptr;
};

TEST_F(SaverReadAhead, ShowsTheSameScreensInTheSameOrderAsWithout) {
  ASSERT_TRUE(host);
  std::vector<std::string> pathsOff, pathsOn;
  int handOversOff = 0, handOversOn = 0;
  auto without = Run(false, &pathsOff, &handOversOff);
  auto with = Run(true, &pathsOn, &handOversOn);
  DestroyWindow(host);
  ASSERT_EQ(25u, without.size());  // the first and three rounds of 8
  ASSERT_EQ(without.size(), with.size());
  EXPECT_EQ(0, handOversOff);
  EXPECT_GT(handOversOn, 5);
  EXPECT_EQ(pathsOff, pathsOn);
  for (size_t i = 0; i < without.size(); i++)
    EXPECT_TRUE(without[i] == with[i]) << "tick " << i << " " << pathsOn[i];
}

TEST_F(SaverReadAhead, AKeyWhileAJpegIsReadAheadEndsAtOnceWithoutTemporaryFile) {
  DestroyWindow(host);
  TempDir temp;
  TempFolderOverride tempFolder{temp.path()};  // inherited by the saver
  WriteSolidBmp(dir.File("first.bmp"), 64, 48, kWhite);
  WriteBytes(dir.File("photo.jpg"), MakeJpeg(4000, 3000));
  // Entries go in at the front: the small picture is shown first, the JPEG read ahead.
  WriteList(dir.File("list.wcl"),
            {"centred=" + dir.File("photo.jpg"), "centred=" + dir.File("first.bmp")});
  SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(30000));
  SetUserValue(kSaverKey, "LastFile", REG_SZ, dir.File("list.wcl") + '\0');
  ViewerProcess saver("/s", "Lumora.scr");
  ASSERT_NE(nullptr, saver.AttachWindow(kSaverClassName, kSaverWindowTitle));
  WaitFor([&] { return !FileNames(temp.path()).empty(); }, 60000);
  ASSERT_EQ(1u, FileNames(temp.path()).size()) << "the JPEG was not being read ahead";
  saver.Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(0u, saver.WaitForExit());
  for (const std::string &name : FileNames(temp.path())) ADD_FAILURE() << name << " left behind";
}

}  // namespace

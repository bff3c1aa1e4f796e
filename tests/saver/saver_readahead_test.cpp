// Reading ahead in the screen saver: the same screens in the same order with and without it,
// with "MixFiles" and with files replaced, removed and appearing between ticks; and a key
// pressed while the real Lumora.scr reads a large picture ahead ends it promptly with no
// temporary file left; and a JPEG show writes no file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fixedclock.h"
#include "gifwriter.h"
#include "jpegwriter.h"
#include "pcxwriter.h"
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
    while (!gShow.ReadAheadIdle()) Sleep(1);
  }

  // Three rounds of the shuffled list; before some ticks the file of the entry that comes
  // next (the one read ahead) is replaced, removed or made to appear.
  std::vector<std::vector<DWORD>> Run(bool readAhead, std::vector<std::string> *paths,
                                      int *handOvers) {
    SetEnvironmentVariableA("LUMORA_READAHEAD", readAhead ? nullptr : "0");
    UseFixedClock(9, 41, 7, 512);
    WriteFiles();
    std::vector<std::vector<DWORD>> shown;
    HWND window = CreateScreenSaverWindow(host);
    if (!window) return shown;
    auto record = [&] {
      SendMessageA(window, WM_ERASEBKGND, 0, 0);
      Pump();
      shown.push_back(ClientPixels(window));
      paths->push_back(gShow.CurrentEntry ? gShow.CurrentEntry->path : "(none)");
    };
    record();
    for (int tick = 1; tick <= 3 * gShow.Images.count; tick++) {
      Settle();
      const ListEntry *next =
          gShow.CurrentEntry->next ? gShow.CurrentEntry->next : gShow.Images.first;
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
    *handOvers = gShow.ReadAheadHandOvers();
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

TEST_F(SaverReadAhead, AKeyWhileALargePictureIsReadAheadEndsPromptlyWithoutTemporaryFile) {
  DestroyWindow(host);
  TempDir temp;
  TempFolderOverride tempFolder{temp.path()};  // inherited by the saver
  WriteSolidBmp(dir.File("first.bmp"), 64, 48, kWhite);
  WriteBmp(dir.File("large.bmp"), 4000, 3000, Quadrants);
  WriteBytes(dir.File("large.jpg"), MakeJpeg(4000, 3000));
  WriteBytes(dir.File("large.pcx"), MakePcx(4000, 3000));
  std::vector<unsigned char> pixels((size_t)4000 * 3000);
  for (size_t i = 0; i < pixels.size(); i++) pixels[i] = (unsigned char)(i % 4000 / 3 ^ i / 4000);
  WriteBytes(dir.File("large.gif"), MakeGif(4000, 3000, 256, pixels));
  for (const char *name : {"large.jpg", "large.pcx", "large.gif", "large.bmp"}) {
    SCOPED_TRACE(name);
    const std::string large = dir.File(name);
    // Entries go in at the front: the small picture is shown first, the large one read ahead.
    WriteList(dir.File("list.wcl"), {"centred=" + large, "centred=" + dir.File("first.bmp")});
    SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(30000));
    SetUserValue(kSaverKey, "LastFile", REG_SZ, dir.File("list.wcl") + '\0');
    // The window comes up and the large picture is opened moments apart: look for both. A read
    // missed (over between two probes, or its open met a probe) starts the saver again.
    std::unique_ptr<ViewerProcess> saver;
    HWND window = nullptr;
    bool reading = false;
    for (int attempt = 0; attempt < 3 && !reading; attempt++) {
      saver.reset(new ViewerProcess("/s", "Lumora.scr"));
      window = nullptr;
      for (int i = 0; i < 2000 && !(window && reading); i++) {
        if (!window) window = WaitForProcessWindow(saver->Process(), kSaverClassName, nullptr, 0);
        reading = FileInUse(large);
        if (!(window && reading)) Sleep(3);
      }
    }
    ASSERT_TRUE(window);
    ASSERT_TRUE(reading) << "the picture was not being read ahead";
    const DWORD start = GetTickCount();
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(0u, saver->WaitForExit());
    const DWORD elapsed = GetTickCount() - start;
    printf("%s: ended %lu ms after the key\n", name, (unsigned long)elapsed);
    EXPECT_LT(elapsed, 1000u) << "the read was not cancelled";
    for (const std::string &file : FileNames(temp.path())) ADD_FAILURE() << file << " left behind";
  }
}

TEST_F(SaverReadAhead, ATwentySlideJpegShowWritesNothingToTheTemporaryFolder) {
  DestroyWindow(host);
  TempDir temp;
  TempFolderOverride tempFolder{temp.path()};  // inherited by the saver
  std::vector<std::string> lines;
  for (int i = 0; i < 4; i++)
    WriteBytes(dir.File("p" + std::to_string(i) + ".jpg"), MakeJpeg(1200 + 8 * i, 900));
  for (int i = 0; i < 20; i++)
    lines.push_back((i % 2 ? "centred=" : "stretched=") +
                    dir.File("p" + std::to_string(i % 4) + ".jpg"));
  WriteList(dir.File("list.wcl"), lines);
  SetUserValue(kSaverKey, "TimeOut", REG_DWORD, DwordBytes(30000));
  SetUserValue(kSaverKey, "LastFile", REG_SZ, dir.File("list.wcl") + '\0');
  HANDLE watch = FindFirstChangeNotificationA(
      temp.path().c_str(), TRUE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  ASSERT_NE(INVALID_HANDLE_VALUE, watch);
  ViewerProcess saver("/s", "Lumora.scr");
  ASSERT_NE(nullptr, saver.AttachWindow(kSaverClassName, kSaverWindowTitle));
  for (int tick = 1; tick < 20; tick++) saver.Send(WM_TIMER, SlideTimer);
  saver.Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(0u, saver.WaitForExit());
  EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(watch, 0)) << "a file was written";
  FindCloseChangeNotification(watch);
}

}  // namespace

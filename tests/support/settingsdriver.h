// What the viewer's and the saver's settings tests share: a clean registry and a registered
// FlatButton class for each test, reading the dialog's fields, answering the folder picker,
// and the missing-list round that both variants go through before they store their values.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "testfiles.h"

extern const char kViewerKey[];  // "SOFTWARE\Ostrel\Lumora"
extern const char kSaverKey[];   // "SOFTWARE\Ostrel\ScreenSaver"

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override { Clean(); }
  // Deletes both programs' keys and "SOFTWARE\Ostrel" when nothing else is left in it.
  static void Clean();

  // Runs the modal dialog that show() opens, titled title; drive gets it once it is on the
  // screen.
  static INT_PTR Show(const std::function<INT_PTR()> &show, const char *title,
                      const std::function<void(HWND)> &drive, bool *leftOpen = nullptr);

  TempDir dir;
};

// The texts and state of the dialog's fields.
struct SettingsFields {
  std::string accept, dismiss, path, seconds;
  UINT mix = 99;
};
SettingsFields ReadFields(HWND dialog);

// Clicks the folder button and answers the folder picker it opens (the first visible window
// the dialog owns): types typed (unless empty) into its file-name box and presses its OK
// button, or cancels when typed is null. False when no picker came or it did not close (it is
// then cancelled).
bool AnswerFolderPicker(HWND dialog, const char *typed);

// Enters a list path that names no file or folder and accepts; answers the message box titled
// boxTitle; then enters list (a list file or a folder), sets the seconds with the up-down control,
// ticks the mix box and accepts. Returns the message box's text, or "<no box>".
std::string MissingListThenAccept(HWND dialog, const std::string &missing, const char *boxTitle,
                                  const std::string &list, int seconds);

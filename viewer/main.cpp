// Lumora.exe: the list named on the command line (or chosen in the settings dialog) shown
// picture by picture on a full-screen window, advancing on the slide timer.
#include <windows.h>

#include <string>

#include "commands.h"
#include "flatbutton.h"
#include "instance.h"
#include "menus.h"
#include "path.h"
#include "settings.h"
#include "view.h"
#include "window.h"
#include "wintext.h"

namespace {

const char kPathTooLongText[] =
    "The images list file name on the command line is too long (at most 32767 characters)!";

// Exit codes: the show ran and its window was closed; the run ended before anything was shown.
const int kExitShown = 0;
const int kExitNotShown = 1;

// The wide command line after the program's name, as WinMain's tail is cut: the name ends at
// its closing quote when it starts with one, else at the first space or tab; the spaces and
// tabs after it are skipped.
std::string CommandLineTail(const wchar_t *line) {
  if (!line) return "";
  if (*line == L'"') {
    line++;
    while (*line && *line != L'"') line++;
    if (*line) line++;
  } else {
    while (*line && *line != L' ' && *line != L'\t') line++;
  }
  while (*line == L' ' || *line == L'\t') line++;
  return Utf8FromWide(line);
}

// Keeps the command-line tail, unchanged, as the list path. One longer than any path is
// refused rather than cut into another file's name.
int TakeCommandLine(const std::string &tail) {
  if (tail.empty()) return 1;
  if (Utf16Length(tail) > kLongestPath) return 0;
  gViewerSettings.LastFile = tail;
  return 1;
}

void Initialise() {
  LoadViewerCursors();
  gShow.Images = ImageList{};
  RegisterFlatButtonClass();
  gShow.ReadDisplaySize();
  RegisterViewerClass();
  CreatePopupMenus();
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return kExitShown;
}

void ShutDown() {
  ReleaseMenuEntries(gMainMenu);
  ClearFileListMenu();
  ReleaseMenuEntries(gSelectMenu);
  DestroyMenu(gMainMenu);  // takes its two submenus with it
  gShow.FreeList();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ProgramInstance = instance;
  if (!TakeCommandLine(CommandLineTail(GetCommandLineW()))) {
    ShowMessageBox(nullptr, kPathTooLongText, kErrorTitle, MB_OK | MB_ICONERROR);
    return kExitNotShown;
  }
  Initialise();
  if (!ShowSettingsDialog(nullptr) || !LoadViewerList(nullptr)) {
    ShutDown();
    return kExitNotShown;
  }
  if (gViewerSettings.Flags & MixOnLoad) gShow.Shuffle();
  BuildFileListMenu();
  if (!CreateViewerWindow()) {
    ShutDown();
    return kExitNotShown;
  }
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  GoToPicture(kGoFirst);
  StartSlideTimer();
  int code = RunMessageLoop();
  ShutDown();
  return code;
}

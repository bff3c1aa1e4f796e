// Lumora.exe: the list named on the command line (or chosen in the settings dialog) shown
// picture by picture on a full-screen window, advancing on the slide timer.
#include <windows.h>

#include <cstring>

#include "commands.h"
#include "flatbutton.h"
#include "instance.h"
#include "menus.h"
#include "settings.h"
#include "view.h"
#include "window.h"

namespace {

const char kPathTooLongText[] =
    "The images list file name on the command line is too long (at most 259 characters)!";

// Exit codes: the show ran and its window was closed; the run ended before anything was shown.
const int kExitShown = 0;
const int kExitNotShown = 1;

// Keeps the command-line tail, unchanged, as the list path. A tail that does not fit is
// refused rather than cut into another file's name.
int TakeCommandLine(const char *tail) {
  if (!tail || !*tail) return 1;
  if (strlen(tail) >= sizeof gViewerSettings.LastFile) return 0;
  strcpy(gViewerSettings.LastFile, tail);
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
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  ProgramInstance = instance;
  if (!TakeCommandLine(commandLine)) {
    MessageBoxA(nullptr, kPathTooLongText, kErrorTitle, MB_OK | MB_ICONERROR);
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

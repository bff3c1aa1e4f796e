// vantiro-setup: installs Lumora.exe, the screen saver Lumora.scr and Vantiro.exe from the
// payload carried at the end of its own file, registers the ".wcl" list type and makes the
// shortcuts the user chooses; with /S the same without a window (exit code 0 on success). With
// /uninstall it is the uninstaller that the installation leaves in its folder.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "commandline.h"
#include "dialogs.h"
#include "flatbutton.h"
#include "install.h"
#include "instance.h"
#include "packagepieces.h"
#include "packagesizes.h"
#include "path.h"
#include "uninstall.h"

namespace {

// Libraries loaded later come from the system folder (or, asked for by full path, from their
// own folder), never from the current or the program's folder.
void RestrictLibrarySearch() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault =
      (SetDefaultDllDirectoriesProc)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  gLibraryPieceLength = PACKAGE_LIBRARY_LENGTH;
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  TakeSetupFilePath();
  ProgramInstance = instance;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  SetupCommand command;
  // false: /D= too long
  bool parsed = ParseSetupCommand(Utf8FromWide(GetCommandLineW()).c_str(), &command);
  int exitCode = 0;
  if (command.uninstall) {
    exitCode = RunUninstaller(command);
  } else if (command.silent) {
    exitCode = parsed && InstallSilently(command.folder.c_str()) ? 0 : 1;
  } else {
    RegisterFlatButtonClass();
    RunSetup();
  }
  CoUninitialize();
  return exitCode;
}

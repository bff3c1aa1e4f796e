// Vantiro.exe: the program that the ".wcl" list type and the installer's shortcuts name.
// Given a list path as its first argument it starts Lumora.exe from its own folder on that
// list; with no argument it starts Lumora.exe alone.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "path.h"

namespace {

// The folder of this program, without the trailing backslash; empty when unknown.
std::string OwnFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "";
  return std::string(FolderOf(path));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  std::string viewer = JoinPath(OwnFolder(), "Lumora.exe");
  // The viewer takes the whole of its command-line tail, unquoted, as the list path.
  std::string commandLine = "\"" + viewer + "\"";
  if (__argc > 1 && __argv[1][0]) commandLine += std::string(" ") + __argv[1];

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = WORD(show);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(viewer.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    MessageBoxA(nullptr, "Lumora.exe could not be started.", "Vantiro", MB_OK | MB_ICONERROR);
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

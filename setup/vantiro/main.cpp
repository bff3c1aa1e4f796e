// Vantiro.exe: the program that the ".wcl" list type and the installer's shortcuts name.
// Given a list path as its first argument it starts Lumora.exe from its own folder on that
// list; with no argument it starts Lumora.exe alone. Names of any kind pass through as UTF-16.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

// The folder of this program, without the trailing backslash; empty when unknown.
std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return L"";
    path.resize(path.size() * 2);  // cut short: a longer buffer
  }
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

// The first argument after the program's own path, as the shell split the line; "" for none.
std::wstring FirstArgument() {
  int count = 0;
  LPWSTR *arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return L"";
  std::wstring first = count > 1 ? arguments[1] : L"";
  LocalFree(arguments);
  return first;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  const std::wstring viewer = OwnFolder() + L"\\Lumora.exe";
  // The viewer takes the whole of its command-line tail, unquoted, as the list path.
  std::wstring commandLine = L"\"" + viewer + L"\"";
  const std::wstring list = FirstArgument();
  if (!list.empty()) commandLine += L" " + list;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = WORD(show);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(viewer.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    MessageBoxW(nullptr, L"Lumora.exe could not be started.", L"Vantiro", MB_OK | MB_ICONERROR);
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

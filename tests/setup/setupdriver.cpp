#include "setupdriver.h"

#include <aclapi.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <cstdlib>

#include "path.h"
#include "uidriver.h"

std::string BinFile(const char *name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1) + name;
}

std::string HostPath(const std::string &unixPath) {
  std::string s = "Z:" + unixPath;
  for (char &c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string SystemSaverPath() {
  char system[MAX_PATH];
  BOOL wow64 = FALSE;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
    GetSystemWow64DirectoryA(system, sizeof system);  // syswow64, where system32 leads
  else
    GetSystemDirectoryA(system, sizeof system);
  return std::string(system) + "\\Lumora.scr";
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

void ForgetInstallation() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".wcl");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "*wclfile");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKeyPath);
  SetFileAttributesA(SystemSaverPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(SystemSaverPath().c_str());
  std::string programs = ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro";
  DeleteFileA((programs + "\\Kordax.lnk").c_str());
  DeleteFileA((programs + "\\Lumora.lnk").c_str());
  RemoveDirectoryA(programs.c_str());
  DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk").c_str());
  DeleteFileA((ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk").c_str());
}

std::string LinkTarget(const std::string &link) {
  CoInitialize(nullptr);
  std::string target;
  IShellLinkW *shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void **>(&shellLink)))) {
    IPersistFile *file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      // The item list names the target as the shell keeps it, in UTF-16; the path string
      // beside it may be ANSI (Wine writes it so).
      WCHAR path[MAX_PATH];
      PIDLIST_ABSOLUTE list = nullptr;
      if (SUCCEEDED(file->Load(WideFromUtf8(link).c_str(), STGM_READ))) {
        if (SUCCEEDED(shellLink->GetIDList(&list)) && list && SHGetPathFromIDListW(list, path))
          target = Utf8FromWide(path);
        else if (SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
          target = Utf8FromWide(path);
        CoTaskMemFree(list);
      }
      file->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return target;
}

bool ReadString(HKEY root, const char *subkey, const char *name, std::string *value) {
  HKEY key;
  if (RegOpenKeyExW(root, WideFromUtf8(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  WCHAR data[2048];
  DWORD size = sizeof data, type = 0;
  LONG status = RegQueryValueExW(key, name ? WideFromUtf8(name).c_str() : nullptr, nullptr, &type,
                                 reinterpret_cast<BYTE *>(data), &size);
  RegCloseKey(key);
  const size_t units = size / sizeof(WCHAR);
  if (status != ERROR_SUCCESS || type != REG_SZ || units == 0 || data[units - 1] != 0) return false;
  *value = Utf8FromWide(std::wstring_view(data, units - 1));
  return true;
}

bool KeyExists(HKEY root, const char *subkey) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string AccessList(const std::string &path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
    return "";
  char *text = nullptr;
  std::string sddl;
  if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    sddl = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return sddl;
}

std::vector<std::string> AllowedTrustees(const std::string &sddl) {
  std::vector<std::string> trustees;
  for (size_t open = sddl.find('('); open != std::string::npos; open = sddl.find('(', open + 1)) {
    size_t close = sddl.find(')', open);
    if (close == std::string::npos) break;
    std::string entry = sddl.substr(open + 1, close - open - 1);
    if (entry.rfind("A;", 0) == 0) trustees.push_back(entry.substr(entry.rfind(';') + 1));
  }
  return trustees;
}

std::vector<std::string> Writers(const std::string &sddl) {
  const DWORD writing = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                        FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                        GENERIC_ALL;
  std::vector<std::string> writers;
  for (size_t open = sddl.find('('); open != std::string::npos; open = sddl.find('(', open + 1)) {
    size_t close = sddl.find(')', open);
    if (close == std::string::npos) break;
    // type;flags;rights;object;inherited object;trustee
    std::string fields[6];
    std::string entry = sddl.substr(open + 1, close - open - 1);
    for (size_t i = 0, at = 0; i < 6; i++) {
      size_t end = i < 5 ? entry.find(';', at) : entry.size();
      if (end == std::string::npos) break;
      fields[i] = entry.substr(at, end - at);
      at = end + 1;
    }
    if (fields[0] != "A") continue;
    const std::string &rights = fields[2];
    bool writes =
        rights.rfind("0x", 0) == 0 ? (strtoul(rights.c_str(), nullptr, 16) & writing) != 0 : false;
    for (size_t i = 0; i + 1 < rights.size() && rights.rfind("0x", 0) != 0; i += 2) {
      const std::string code = rights.substr(i, 2);
      for (const char *w : {"FA", "FW", "GA", "GW", "WD", "WO", "SD", "DC", "CC", "WP"})
        if (code == w) writes = true;
    }
    if (writes) writers.push_back(fields[5]);
  }
  return writers;
}

bool SetAccessList(const std::string &path, const char *sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  PACL list = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  std::string name = path;
  bool ok = GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) &&
            SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, list, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return ok;
}

std::string CurrentUserSid() {
  HANDLE token;
  std::string sid;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return sid;
  BYTE buffer[256];
  DWORD length = 0;
  char *text = nullptr;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

bool CanOpen(const std::string &path, DWORD access) {
  HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::vector<std::string> SetupTempFolders(const char *pattern) {
  WCHAR temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::vector<std::string> found;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((temp + WideFromUtf8(pattern)).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do found.push_back(Utf8FromWide(data.cFileName));
  while (FindNextFileW(search, &data));
  FindClose(search);
  return found;
}

std::string RunToEnd(const std::string &commandLine, DWORD *exitCode, DWORD ms) {
  *exitCode = STILL_ACTIVE;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::wstring line = WideFromUtf8(commandLine);
  std::string output;
  bool started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(writeEnd);
  if (started) {
    char block[4096];
    DWORD read = 0;
    // The pipe ends when the program (and whatever inherited its output) has closed it.
    while (ReadFile(readEnd, block, sizeof block, &read, nullptr) && read)
      output.append(block, read);
    if (WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0)
      GetExitCodeProcess(process.hProcess, exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return output;
}

void TypeText(const std::string &text) {
  for (wchar_t c : WideFromUtf8(text)) {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wScan = keys[1].ki.wScan = WORD(c);
    keys[0].ki.dwFlags = KEYEVENTF_UNICODE;
    keys[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
  }
  Sleep(100);
}

SetupProcess::SetupProcess(const std::string &folder, const std::string &package,
                           const std::string &commandLine) {
  std::string exe = package.empty() ? BinFile("vantiro-setup.exe") : package;
  std::wstring line = WideFromUtf8(commandLine.empty() ? "\"" + exe + "\"" : commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(WideFromUtf8(exe).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : WideFromUtf8(folder).c_str(), &startup, &process_))
    process_ = PROCESS_INFORMATION{};
}

SetupProcess::~SetupProcess() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

namespace {

struct WindowSearch {
  DWORD process;
  const char *title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto *search = reinterpret_cast<WindowSearch *>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  if (search->title && WindowText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindProcessWindow(DWORD process, const char *title) {
  WindowSearch search{process, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND SetupProcess::WaitForDialog(const char *title, DWORD ms) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindProcessWindow(process_.dwProcessId, title)) != nullptr; }, ms);
  if (found) Sleep(200);  // let it paint and take input
  return found;
}

DWORD SetupProcess::WaitForExit(DWORD ms) {
  if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool SetupProcess::HasWindow() {
  return FindProcessWindow(process_.dwProcessId, nullptr);
}

HWND SetupProcess::ClickInstall() {
  HWND setup = WaitForDialog("Setup");
  if (!setup) return nullptr;
  ClickControl(GetDlgItem(setup, kInstallButton));
  return WaitForDialog("Choose install path");
}

void SetupProcess::ChooseTyped(HWND chooser, const std::string &folder) {
  HWND edit = GetDlgItem(chooser, kFolderEdit);
  ClickControl(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  TypeText(folder);
  ClickControl(GetDlgItem(chooser, kChooserOk));
}

bool SamePath(const std::string &a, const std::string &b) {
  const std::wstring first = WideFromUtf8(a), second = WideFromUtf8(b);
  return CompareStringOrdinal(first.c_str(), int(first.size()), second.c_str(), int(second.size()),
                              TRUE) == CSTR_EQUAL;
}

namespace {

struct ImageSearch {
  const char *title;
  const std::string *image;
  HWND found;
  HANDLE process;
};

BOOL CALLBACK MatchImageWindow(HWND window, LPARAM lParam) {
  auto *search = reinterpret_cast<ImageSearch *>(lParam);
  if (!IsWindowVisible(window) || WindowText(window) != search->title) return TRUE;
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  HANDLE process =
      OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
  if (!process) return TRUE;
  WCHAR path[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  if (QueryFullProcessImageNameW(process, 0, path, &size) &&
      SamePath(Utf8FromWide(path), *search->image)) {
    search->found = window;
    search->process = process;
    return FALSE;
  }
  CloseHandle(process);
  return TRUE;
}

}  // namespace

OtherProcessWindow::OtherProcessWindow(const char *title, const std::string &image, DWORD ms) {
  ImageSearch search{title, &image, nullptr, nullptr};
  WaitFor(
      [&] {
        EnumWindows(MatchImageWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      ms);
  window_ = search.found;
  process_ = search.process;
}

OtherProcessWindow::~OtherProcessWindow() {
  if (!process_) return;
  TerminateProcess(process_, 0);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

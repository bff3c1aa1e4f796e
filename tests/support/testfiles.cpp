#include "testfiles.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  for (;;) {
    fs::path p = fs::temp_directory_path() /
                 ("lumora-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto &entry : fs::recursive_directory_iterator(path_, ec))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string &name) const {
  return (fs::path(path_) / name).string();
}

void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
  WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::string ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string &path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

#ifdef _WIN32
bool FileInUse(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

bool WaitUntilInUse(const std::string &path, unsigned long ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (FileInUse(path)) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(3);
  }
}
#endif

namespace {

void SetTmp(const std::string *value) {
#ifdef _WIN32
  SetEnvironmentVariableA("TMP", value ? value->c_str() : nullptr);
#else
  if (value)
    setenv("TMP", value->c_str(), 1);
  else
    unsetenv("TMP");
#endif
}

}  // namespace

TempFolderOverride::TempFolderOverride(const std::string &folder) {
#ifdef _WIN32
  char old[32768];
  DWORD n = GetEnvironmentVariableA("TMP", old, sizeof old);
  had_ = n > 0 && n < sizeof old;
  if (had_) old_.assign(old, n);
#else
  const char *old = getenv("TMP");
  had_ = old != nullptr;
  if (old) old_ = old;
#endif
  SetTmp(&folder);
}

TempFolderOverride::~TempFolderOverride() {
  SetTmp(had_ ? &old_ : nullptr);
}

std::vector<std::string> FileNames(const std::string &folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto &entry : fs::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

#ifdef _WIN32
namespace {

std::wstring Wide(const std::string &text) {
  std::wstring wide(text.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], (int)wide.size());
  wide.resize(n > 0 ? (size_t)n - 1 : 0);
  return wide;
}

bool Exists(const std::string &path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

typedef char *(CDECL *UnixNameCall)(LPCWSTR);

// Under Wine, the Unix name of a path ("" elsewhere).
std::wstring UnixName(const std::string &path) {
  auto call = reinterpret_cast<UnixNameCall>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!call) return L"";
  char *name = call(Wide(path).c_str());
  std::wstring wide = name ? Wide(name) : L"";
  HeapFree(GetProcessHeap(), 0, name);
  return wide;
}

// Under Wine, runs a Unix program with its arguments and waits for it.
void RunUnix(const wchar_t *program, std::wstring command) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return;
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Waits until something is at the path (true) or nothing is (false), up to two seconds.
bool WaitForPath(const std::string &path, bool there) {
  for (int i = 0; i < 200; i++) {
    if (Exists(path) == there) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

// A link from `link` to the folder `target` as the system makes one: a Unix symbolic link
// under Wine (where CreateSymbolicLink makes none), a directory symbolic link elsewhere.
bool MakeFolderLink(const std::string &link, const std::string &target) {
  if (UnixName(link).empty())
    return CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY) != 0;
  RunUnix(L"Z:\\bin\\ln", L"/bin/ln -s \"" + UnixName(target) + L"\" \"" + UnixName(link) + L"\"");
  return WaitForPath(link, true);
}

// Removes the link alone (a recursive delete would follow it round the loop).
void RemoveFolderLink(const std::string &link) {
  if (UnixName(link).empty())
    RemoveDirectoryW(Wide(link).c_str());
  else
    RunUnix(L"Z:\\bin\\rm", L"/bin/rm -f \"" + UnixName(link) + L"\"");
  WaitForPath(link, false);
}

#endif

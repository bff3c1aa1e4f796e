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

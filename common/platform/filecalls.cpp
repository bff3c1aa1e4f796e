#include "filecalls.h"

#include <cstring>

#include "path.h"
#include "textformat.h"

#ifndef _WIN32
#include <fcntl.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace {

#ifdef _WIN32
HFILE FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? HFILE_ERROR : (HFILE)(INT_PTR)handle;
}

HANDLE CreateShared(const char *path, DWORD access, DWORD disposition) {
  if (!path) return INVALID_HANDLE_VALUE;
  return CreateFileW(WidePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

enum NewFileResult { kNewFileMade, kNewFileExists, kNewFileFailed };

// Creates a file that must not exist yet and closes it again.
NewFileResult CreateNewFile(const std::string &path) {
#ifdef _WIN32
  HANDLE file = CreateShared(path.c_str(), GENERIC_WRITE, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS
               ? kNewFileExists
               : kNewFileFailed;
  CloseHandle(file);
#else
  std::string native(path);
  for (char &c : native)
    if (c == '\\') c = '/';
  const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? kNewFileExists : kNewFileFailed;
  close(fd);
#endif
  return kNewFileMade;
}

// A starting number of this process and moment; the exclusive create decides.
unsigned FirstTemporaryNumber() {
#ifdef _WIN32
  return (unsigned)(GetCurrentProcessId() * 2654435761u ^ GetTickCount()) & 0xffff;
#else
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return (unsigned)(getpid() * 2654435761u ^ (unsigned)ts.tv_nsec) & 0xffff;
#endif
}

}  // namespace

#ifdef _WIN32

HFILE OpenPath(const char *path, int mode) {
  DWORD access = GENERIC_READ;
  if ((mode & 3) == OF_WRITE) access = GENERIC_WRITE;
  if ((mode & 3) == OF_READWRITE) access = GENERIC_READ | GENERIC_WRITE;
  return FromHandle(CreateShared(path, access, OPEN_EXISTING));
}

HFILE CreatePath(const char *path) {
  return FromHandle(CreateShared(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS));
}

FILE *OpenPathStream(const char *path, const char *mode) {
  return path && mode ? _wfopen(WidePath(path).c_str(), WideFromUtf8(mode).c_str()) : nullptr;
}

bool DeletePath(const char *path) {
  return path && DeleteFileW(WidePath(path).c_str());
}

bool MovePath(const char *from, const char *to) {
  return from && to && MoveFileW(WidePath(from).c_str(), WidePath(to).c_str());
}

bool ReplacePath(const char *from, const char *to) {
  return from && to &&
         MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING);
}

DWORD PathAttributes(const char *path) {
  return path ? GetFileAttributesW(WidePath(path).c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool CreateFolder(const char *path) {
  return path && (CreateDirectoryW(WidePath(path).c_str(), nullptr) ||
                  GetLastError() == ERROR_ALREADY_EXISTS);
}

bool PathAttributeData(const char *path, WIN32_FILE_ATTRIBUTE_DATA *data) {
  return path && GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, data);
}

#else

HFILE OpenPath(const char *path, int mode) {
  return path ? _lopen(path, mode) : HFILE_ERROR;
}

HFILE CreatePath(const char *path) {
  return path ? _lcreat(path, 0) : HFILE_ERROR;
}

// stdio takes '\' as a folder separator only on Windows; the other file calls of the stand-in
// accept it everywhere.
FILE *OpenPathStream(const char *path, const char *mode) {
  if (!path || !mode) return nullptr;
  std::string native(path);
  for (char &c : native)
    if (c == '\\') c = '/';
  return fopen(native.c_str(), mode);
}

bool DeletePath(const char *path) {
  return path && DeleteFileA(path);
}

bool MovePath(const char *from, const char *to) {
  return from && to && MoveFileA(from, to);
}

bool ReplacePath(const char *from, const char *to) {
  return from && to && MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
}

DWORD PathAttributes(const char *path) {
  return GetFileAttributesA(path);
}

#endif

std::string CreateTemporaryFile(std::string_view folder, const char *prefix) {
  if (folder.empty()) return "";
  char start[4] = {};
  strncpy(start, prefix ? prefix : "", 3);
  const unsigned first = FirstTemporaryNumber();
  for (unsigned i = 0; i < 0x10000; i++) {
    const unsigned number = (first + i) & 0xffff;
    if (number == 0) continue;
    char file[16];
    FormatInto(file, sizeof file, "%s%04X.TMP", start, number);
    const std::string candidate =
        EndsWithSeparator(folder) ? std::string(folder) + file : JoinPath(folder, file);
    switch (CreateNewFile(candidate)) {
      case kNewFileMade: return candidate;
      case kNewFileExists: continue;
      case kNewFileFailed: return "";
    }
  }
  return "";
}

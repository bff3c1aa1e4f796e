// POSIX implementation of the Win32 stand-in; see winshim.h.
#include "winshim.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "path.h"
#include "textformat.h"

namespace {

std::string NativePath(LPCSTR path) {
  std::string p(path ? path : "");
  for (char &c : p)
    if (c == '\\') c = '/';
  return p;
}

bool IsReadOnly(const struct stat &st) {
  return (st.st_mode & 0222) == 0;
}

HFILE OpenNative(const std::string &path, int flags, mode_t perm) {
  struct stat st;
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return HFILE_ERROR;
  if (exists && (flags & (O_WRONLY | O_RDWR)) && IsReadOnly(st)) return HFILE_ERROR;
  int fd = open(path.c_str(), flags | O_CLOEXEC, perm);
  return fd < 0 ? HFILE_ERROR : fd;
}

// Global-heap blocks carry their requested size in front of the caller's bytes.
struct alignas(16) BlockHeader {
  SIZE_T size;
};

}  // namespace

HFILE _lopen(LPCSTR path, int mode) {
  int flags;
  switch (mode & 3) {
    case OF_WRITE: flags = O_WRONLY; break;
    case OF_READWRITE: flags = O_RDWR; break;
    default: flags = O_RDONLY; break;
  }
  return OpenNative(NativePath(path), flags, 0);
}

HFILE _lcreat(LPCSTR path, int attributes) {
  mode_t perm = (attributes & 1) ? 0444 : 0644;
  return OpenNative(NativePath(path), O_RDWR | O_CREAT | O_TRUNC, perm);
}

UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
  UINT done = 0;
  while (done < bytes) {
    ssize_t n = read(file, static_cast<char *>(buffer) + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return (UINT)HFILE_ERROR;
    }
    if (n == 0) break;
    done += (UINT)n;
  }
  return done;
}

UINT _lwrite(HFILE file, LPCCH buffer, UINT bytes) {
  UINT done = 0;
  while (done < bytes) {
    ssize_t n = write(file, buffer + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return (UINT)HFILE_ERROR;
    }
    done += (UINT)n;
  }
  return done;
}

LONG _llseek(HFILE file, LONG offset, int origin) {
  int whence = origin == FILE_END ? SEEK_END : origin == FILE_CURRENT ? SEEK_CUR : SEEK_SET;
  off_t pos = lseek(file, offset, whence);
  if (pos < 0) return HFILE_ERROR;
  return (LONG)(uint32_t)pos;  // like Win32: the low 32 bits of the new position
}

HFILE _lclose(HFILE file) {
  return close(file) == 0 ? 0 : HFILE_ERROR;
}

HFILE OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style) {
  std::string p = NativePath(path);
  if (info) {
    memset(info, 0, sizeof *info);
    info->cBytes = sizeof *info;
    strncpy(info->szPathName, path ? path : "", OFS_MAXPATHNAME - 1);
  }
  if (style & OF_EXIST) {
    struct stat st;
    if (stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      if (info) info->nErrCode = 2;  // ERROR_FILE_NOT_FOUND
      return HFILE_ERROR;
    }
    return 1;
  }
  return _lopen(path, (int)(style & 0x73));
}

BOOL DeleteFileA(LPCSTR path) {
  std::string p = NativePath(path);
  struct stat st;
  if (stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || IsReadOnly(st)) return FALSE;
  return unlink(p.c_str()) == 0;
}

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  std::string src = NativePath(from), dst = NativePath(to);
  HFILE in = OpenNative(src, O_RDONLY, 0);
  if (in == HFILE_ERROR) return FALSE;
  HFILE out = OpenNative(dst, O_WRONLY | O_CREAT | (failIfExists ? O_EXCL : O_TRUNC), 0644);
  if (out == HFILE_ERROR) {
    close(in);
    return FALSE;
  }
  char buf[65536];
  BOOL ok = TRUE;
  for (;;) {
    UINT n = _lread(in, buf, sizeof buf);
    if (n == (UINT)HFILE_ERROR) ok = FALSE;
    if (n == 0 || !ok) break;
    if (_lwrite(out, buf, n) != n) {
      ok = FALSE;
      break;
    }
  }
  close(in);
  if (close(out) != 0) ok = FALSE;
  if (!ok) unlink(dst.c_str());
  return ok;
}

BOOL MoveFileA(LPCSTR from, LPCSTR to) {
  std::string src = NativePath(from), dst = NativePath(to);
  struct stat st;
  if (lstat(src.c_str(), &st) != 0 || lstat(dst.c_str(), &st) == 0) return FALSE;
  if (rename(src.c_str(), dst.c_str()) == 0) return TRUE;
  if (errno != EXDEV || !CopyFileA(from, to, TRUE)) return FALSE;
  unlink(src.c_str());
  return TRUE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) return MoveFileA(from, to);
  std::string src = NativePath(from), dst = NativePath(to);
  struct stat st;
  if (lstat(src.c_str(), &st) != 0) return FALSE;
  if (stat(dst.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || IsReadOnly(st))) return FALSE;
  return rename(src.c_str(), dst.c_str()) == 0;
}

DWORD GetFileAttributesA(LPCSTR path) {
  struct stat st;
  if (!path || stat(NativePath(path).c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return IsReadOnly(st) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > (SIZE_T)-1 - sizeof(BlockHeader)) return nullptr;
  void *raw = (flags & GMEM_ZEROINIT) ? calloc(1, sizeof(BlockHeader) + bytes)
                                      : malloc(sizeof(BlockHeader) + bytes);
  if (!raw) return nullptr;
  static_cast<BlockHeader *>(raw)->size = bytes;
  return static_cast<BlockHeader *>(raw) + 1;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (block) free(static_cast<BlockHeader *>(block) - 1);
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL block) {
  return block ? (static_cast<BlockHeader *>(block) - 1)->size : 0;
}

void GetSystemTime(LPSYSTEMTIME time) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm tm;
  gmtime_r(&ts.tv_sec, &tm);
  time->wYear = (WORD)(tm.tm_year + 1900);
  time->wMonth = (WORD)(tm.tm_mon + 1);
  time->wDayOfWeek = (WORD)tm.tm_wday;
  time->wDay = (WORD)tm.tm_mday;
  time->wHour = (WORD)tm.tm_hour;
  time->wMinute = (WORD)tm.tm_min;
  time->wSecond = (WORD)tm.tm_sec;
  time->wMilliseconds = (WORD)(ts.tv_nsec / 1000000);
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  return strcasecmp(a ? a : "", b ? b : "");
}

int lstrlenA(LPCSTR s) {
  return s ? (int)strlen(s) : 0;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char *dir = nullptr;
  for (const char *name : {"TMP", "TEMP", "TMPDIR"}) {
    dir = getenv(name);
    if (dir && *dir) break;
  }
  if (!dir || !*dir) dir = "/tmp";
  size_t len = strlen(dir);
  while (len > 1 && dir[len - 1] == '/') len--;
  if (!buffer || len + 2 > size) return (DWORD)(len + 2);
  memcpy(buffer, dir, len);
  buffer[len] = '/';
  buffer[len + 1] = 0;
  return (DWORD)(len + 1);
}

UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
  if (!folder || !name || unique != 0) return 0;
  char start[4] = {};
  strncpy(start, prefix ? prefix : "", 3);
  // Start at a number of this process and moment; the exclusive create decides.
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  unsigned first = (unsigned)(getpid() * 2654435761u ^ (unsigned)ts.tv_nsec) & 0xffff;
  for (unsigned i = 0; i < 0x10000; i++) {
    unsigned number = (first + i) & 0xffff;
    if (number == 0) continue;
    char file[16];
    FormatInto(file, sizeof file, "%s%04X.TMP", start, number);
    const std::string candidate =
        EndsWithSeparator(folder) ? std::string(folder) + file : JoinPath(folder, file);
    if (candidate.size() >= MAX_PATH) return 0;
    int fd =
        open(NativePath(candidate.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      memcpy(name, candidate.c_str(), candidate.size() + 1);
      return number;
    }
    if (errno != EEXIST) return 0;
  }
  return 0;
}

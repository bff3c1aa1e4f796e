#include "unrarlibrary.h"

#include <windows.h>

#include <string>

#include "dll.hpp"
#include "path.h"

namespace {

const DWORD kCommentBufferSize = 16384;

typedef HANDLE(PASCAL *OpenArchiveProc)(RAROpenArchiveDataEx *);
typedef int(PASCAL *CloseArchiveProc)(HANDLE);
typedef int(PASCAL *ReadHeaderProc)(HANDLE, RARHeaderDataEx *);
typedef int(PASCAL *ProcessFileProc)(HANDLE, int, wchar_t *, wchar_t *);
typedef void(PASCAL *SetChangeVolProc)(HANDLE, CHANGEVOLPROC);
typedef void(PASCAL *SetCallbackProc)(HANDLE, UNRARCALLBACK, LPARAM);

HMODULE gUnrarModule;
OpenArchiveProc gOpenArchive;
CloseArchiveProc gCloseArchive;
ReadHeaderProc gReadHeader;
ProcessFileProc gProcessFile;
SetChangeVolProc gSetChangeVolProc;
SetCallbackProc gSetCallback;

// The package is one volume: the library never has to ask for another.
int PASCAL ChangeVolumeCallback(char *, int) {
  return 1;
}

// The library's questions during an extraction. -1 gives the extraction up: when the user
// asked to stop, or when the library asks for another volume or a password, which the
// package never needs.
int CALLBACK ExtractionCallback(UINT msg, LPARAM userData, LPARAM, LPARAM mode) {
  StopQuestion *stop = reinterpret_cast<StopQuestion *>(userData);
  switch (msg) {
    case UCM_PROCESSDATA: return stop && stop->StopRequested() ? -1 : 1;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW: return mode == RAR_VOL_NOTIFY ? 1 : -1;
    default: return -1;
  }
}

}  // namespace

int LoadUnrarLibrary(const char *libraryPath) {
  UnloadUnrarLibrary();
  // By its full path; what the library itself imports comes from the system folder only.
  const std::wstring path = WideFromUtf8(libraryPath);
  gUnrarModule = LoadLibraryExW(path.c_str(), nullptr,
                                LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without those search flags: its own folder first, still by its full path.
  if (!gUnrarModule && GetLastError() == ERROR_INVALID_PARAMETER)
    gUnrarModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!gUnrarModule) return 0;
  // The wide entry points: names in UTF-16, whatever the system's ANSI code page holds.
  gOpenArchive = (OpenArchiveProc)(void *)GetProcAddress(gUnrarModule, "RAROpenArchiveEx");
  gCloseArchive = (CloseArchiveProc)(void *)GetProcAddress(gUnrarModule, "RARCloseArchive");
  gReadHeader = (ReadHeaderProc)(void *)GetProcAddress(gUnrarModule, "RARReadHeaderEx");
  gProcessFile = (ProcessFileProc)(void *)GetProcAddress(gUnrarModule, "RARProcessFileW");
  gSetChangeVolProc = (SetChangeVolProc)(void *)GetProcAddress(gUnrarModule, "RARSetChangeVolProc");
  gSetCallback = (SetCallbackProc)(void *)GetProcAddress(gUnrarModule, "RARSetCallback");
  if (gOpenArchive && gCloseArchive && gReadHeader && gProcessFile && gSetChangeVolProc &&
      gSetCallback)
    return 1;
  UnloadUnrarLibrary();
  return 0;
}

void UnloadUnrarLibrary() {
  if (gUnrarModule) FreeLibrary(gUnrarModule);
  gUnrarModule = nullptr;
  gOpenArchive = nullptr;
  gCloseArchive = nullptr;
  gReadHeader = nullptr;
  gProcessFile = nullptr;
  gSetChangeVolProc = nullptr;
  gSetCallback = nullptr;
}

bool UnrarLibraryLoaded() {
  return gUnrarModule != nullptr;
}

int ExtractArchive(const char *archiveName, const char *destinationFolder, StopQuestion *stop) {
  if (!gUnrarModule) return 0;
  // The library's records take writable names; it gives long ones the "\\?\" form itself.
  std::wstring arcName = WideFromUtf8(archiveName), destPath = WideFromUtf8(destinationFolder);

  static char comment[kCommentBufferSize];
  RAROpenArchiveDataEx open{};
  open.ArcNameW = &arcName[0];
  open.OpenMode = RAR_OM_EXTRACT;
  open.CmtBuf = comment;
  open.CmtBufSize = kCommentBufferSize;
  HANDLE archive = gOpenArchive(&open);
  if (!archive) return 0;
  if (open.OpenResult != 0) {
    gCloseArchive(archive);
    return 0;
  }
  gSetChangeVolProc(archive, ChangeVolumeCallback);
  gSetCallback(archive, ExtractionCallback, reinterpret_cast<LPARAM>(stop));

  RARHeaderDataEx header{};
  int result;
  while ((result = gReadHeader(archive, &header)) == ERAR_SUCCESS) {
    if (stop && stop->StopRequested()) break;
    if (gProcessFile(archive, RAR_EXTRACT, &destPath[0], nullptr) != ERAR_SUCCESS) {
      gCloseArchive(archive);
      return 0;
    }
  }
  gCloseArchive(archive);
  // Only the ordinary end counts: any other code means members that were not reached.
  return result == ERAR_END_ARCHIVE;
}

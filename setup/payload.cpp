#include "payload.h"

#include <cstring>

#include "dll.hpp"
#include "security.h"
#include "textformat.h"

uint32_t LibraryPieceLength = 0;
uint32_t ArchivePieceLength = 0;
char SetupFilePath[MAX_PATH];
char PayloadFolder[MAX_PATH];
char ArchiveFile[MAX_PATH];
char LibraryFile[MAX_PATH];

namespace {

const char kArchiveName[] = "kordax.rar";
const char kLibraryName[] = "unrar.dll";
const DWORD kCommentBufferSize = 16384;

typedef HANDLE(PASCAL *OpenArchiveProc)(RAROpenArchiveData *);
typedef int(PASCAL *CloseArchiveProc)(HANDLE);
typedef int(PASCAL *ReadHeaderProc)(HANDLE, RARHeaderData *);
typedef int(PASCAL *ProcessFileProc)(HANDLE, int, char *, char *);
typedef void(PASCAL *SetChangeVolProc)(HANDLE, CHANGEVOLPROC);
typedef void(PASCAL *SetCallbackProc)(HANDLE, UNRARCALLBACK, LPARAM);

HMODULE unrarModule;
OpenArchiveProc openArchive;
CloseArchiveProc closeArchive;
ReadHeaderProc readHeader;
ProcessFileProc processFile;
SetChangeVolProc setChangeVolProc;
SetCallbackProc setCallback;

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

void RemoveOrMarkFile(const char *path) {
  if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
  MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The setup file's length, or -1.
LONG FileLength(HFILE file) {
  LONG end = _llseek(file, 0, FILE_END);
  return end == HFILE_ERROR ? -1 : end;
}

// Reads length bytes at distanceFromEnd before the end of the setup file into block.
int ReadPiece(uint32_t distanceFromEnd, uint32_t length, void *block) {
  HFILE file = _lopen(SetupFilePath, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) return 0;
  LONG size = FileLength(file);
  int ok = size >= 0 && distanceFromEnd <= uint32_t(size) && length <= distanceFromEnd &&
           _llseek(file, size - LONG(distanceFromEnd), FILE_BEGIN) != HFILE_ERROR &&
           _lread(file, block, length) == length;
  _lclose(file);
  return ok;
}

// Writes the piece into a new file that nobody else may open while it is written.
bool WritePiece(const char *outputName, const void *block, uint32_t length) {
  HANDLE out = CreateFileA(outputName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, block, length, &written, nullptr) && written == length;
  if (!CloseHandle(out)) ok = false;
  if (!ok) DeleteFileA(outputName);
  return ok;
}

// Opens the written piece again for reading, with nobody else allowed to write it from now
// on, and reads it back: what is then used is the piece as the package carries it, even if
// someone swapped the file between the write and this open.
HANDLE HoldPiece(const char *outputName, const void *block, uint32_t length) {
  HANDLE held = CreateFileA(outputName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return nullptr;
  void *check = GlobalAlloc(GPTR, length + 1);
  DWORD read = 0;
  bool same = check && ReadFile(held, check, length + 1, &read, nullptr) && read == length &&
              memcmp(check, block, length) == 0;
  if (check) GlobalFree(check);
  if (same) return held;
  CloseHandle(held);
  return nullptr;
}

}  // namespace

int TakeSetupFilePath() {
  DWORD n = GetModuleFileNameA(nullptr, SetupFilePath, sizeof SetupFilePath);
  if (n == 0 || n >= sizeof SetupFilePath) {
    SetupFilePath[0] = 0;
    return 0;
  }
  return 1;
}

bool CreateOwnTempFolder(const char *prefix, char *folder, size_t size) {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return false;
  if (temp[n - 1] == '\\') temp[n - 1] = 0;
  // A name that exists already, whoever made it, is never reused: the folder must be ours.
  for (unsigned attempt = 0; attempt < 100; attempt++) {
    if (!FormatInto(folder, size, "%s\\%s-%lu-%lu-%u", temp, prefix, GetCurrentProcessId(),
                    GetTickCount(), attempt))
      break;
    if (CreatePrivateFolder(folder)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  if (size) folder[0] = 0;
  return false;
}

int CreatePayloadFolder() {
  if (!CreateOwnTempFolder("vantiro-setup", PayloadFolder, sizeof PayloadFolder)) return 0;
  if (FormatInto(ArchiveFile, sizeof ArchiveFile, "%s\\%s", PayloadFolder, kArchiveName) &&
      FormatInto(LibraryFile, sizeof LibraryFile, "%s\\%s", PayloadFolder, kLibraryName))
    return 1;
  RemovePayloadFolder();
  return 0;
}

bool CopySetupImage(const char *outputName) {
  HFILE file = _lopen(SetupFilePath, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) return false;
  LONG size = FileLength(file);
  _lclose(file);
  uint64_t pieces = uint64_t(LibraryPieceLength) + ArchivePieceLength;
  if (size < 0 || uint64_t(size) <= pieces) return false;
  uint32_t image = uint32_t(uint64_t(size) - pieces);
  void *block = GlobalAlloc(GPTR, image);
  if (!block) return false;
  bool ok = ReadPiece(uint32_t(size), image, block) && WritePiece(outputName, block, image);
  GlobalFree(block);
  return ok;
}

void RemovePayloadFolder() {
  if (!PayloadFolder[0]) return;
  if (LibraryFile[0]) RemoveOrMarkFile(LibraryFile);
  if (ArchiveFile[0]) RemoveOrMarkFile(ArchiveFile);
  if (!RemoveDirectoryA(PayloadFolder))
    MoveFileExA(PayloadFolder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  PayloadFolder[0] = ArchiveFile[0] = LibraryFile[0] = 0;
}

int CopyPayloadPiece(uint32_t distanceFromEnd, uint32_t length, const char *outputName,
                     HANDLE *held) {
  if (held) *held = nullptr;
  if (length == 0 || length > distanceFromEnd) return 0;
  void *block = GlobalAlloc(GPTR, length);
  if (!block) return 0;
  int ok = ReadPiece(distanceFromEnd, length, block) && WritePiece(outputName, block, length);
  if (ok && held) {
    *held = HoldPiece(outputName, block, length);
    ok = *held != nullptr;
  }
  GlobalFree(block);
  return ok;
}

int LoadUnrarLibrary(const char *libraryPath) {
  UnloadUnrarLibrary();
  // By its full path; what the library itself imports comes from the system folder only.
  unrarModule = LoadLibraryExA(libraryPath, nullptr,
                               LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without those search flags: its own folder first, still by its full path.
  if (!unrarModule && GetLastError() == ERROR_INVALID_PARAMETER)
    unrarModule = LoadLibraryExA(libraryPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!unrarModule) return 0;
  openArchive = (OpenArchiveProc)(void *)GetProcAddress(unrarModule, "RAROpenArchive");
  closeArchive = (CloseArchiveProc)(void *)GetProcAddress(unrarModule, "RARCloseArchive");
  readHeader = (ReadHeaderProc)(void *)GetProcAddress(unrarModule, "RARReadHeader");
  processFile = (ProcessFileProc)(void *)GetProcAddress(unrarModule, "RARProcessFile");
  setChangeVolProc = (SetChangeVolProc)(void *)GetProcAddress(unrarModule, "RARSetChangeVolProc");
  setCallback = (SetCallbackProc)(void *)GetProcAddress(unrarModule, "RARSetCallback");
  if (openArchive && closeArchive && readHeader && processFile && setChangeVolProc && setCallback)
    return 1;
  UnloadUnrarLibrary();
  return 0;
}

void UnloadUnrarLibrary() {
  if (unrarModule) FreeLibrary(unrarModule);
  unrarModule = nullptr;
  openArchive = nullptr;
  closeArchive = nullptr;
  readHeader = nullptr;
  processFile = nullptr;
  setChangeVolProc = nullptr;
  setCallback = nullptr;
}

bool UnrarLibraryLoaded() {
  return unrarModule != nullptr;
}

int ExtractArchive(const char *archiveName, const char *destinationFolder, StopQuestion *stop) {
  if (!unrarModule) return 0;
  char arcName[MAX_PATH], destPath[MAX_PATH];
  if (strlen(archiveName) >= sizeof arcName || strlen(destinationFolder) >= sizeof destPath)
    return 0;
  strcpy(arcName, archiveName);
  strcpy(destPath, destinationFolder);

  static char comment[kCommentBufferSize];
  RAROpenArchiveData open{};
  open.ArcName = arcName;
  open.OpenMode = RAR_OM_EXTRACT;
  open.CmtBuf = comment;
  open.CmtBufSize = kCommentBufferSize;
  HANDLE archive = openArchive(&open);
  if (!archive) return 0;
  if (open.OpenResult != 0) {
    closeArchive(archive);
    return 0;
  }
  setChangeVolProc(archive, ChangeVolumeCallback);
  setCallback(archive, ExtractionCallback, reinterpret_cast<LPARAM>(stop));

  RARHeaderData header{};
  int result;
  while ((result = readHeader(archive, &header)) == ERAR_SUCCESS) {
    if (stop && stop->StopRequested()) break;
    if (processFile(archive, RAR_EXTRACT, destPath, nullptr) != ERAR_SUCCESS) {
      closeArchive(archive);
      return 0;
    }
  }
  closeArchive(archive);
  // Only the ordinary end counts: any other code means members that were not reached.
  return result == ERAR_END_ARCHIVE;
}

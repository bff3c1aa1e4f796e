#include "packagepieces.h"

#include <cstring>

#include "filecalls.h"
#include "path.h"

uint32_t gLibraryPieceLength = 0;
uint32_t gArchivePieceLength = 0;
std::string gSetupFilePath;

namespace {

// The setup file's length, or -1.
LONG FileLength(HFILE file) {
  LONG end = _llseek(file, 0, FILE_END);
  return end == HFILE_ERROR ? -1 : end;
}

// The setup file, for reading, nobody allowed to write it while it is open; as the old file
// calls' handle (HFILE_ERROR when it cannot be opened).
HFILE OpenSetupFile() {
  HANDLE file = CreateFileW(WidePath(gSetupFilePath).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : HFILE(reinterpret_cast<INT_PTR>(file));
}

// Reads length bytes at distanceFromEnd before the end of the setup file into block.
int ReadPiece(uint32_t distanceFromEnd, uint32_t length, void *block) {
  HFILE file = OpenSetupFile();
  if (file == HFILE_ERROR) return 0;
  LONG size = FileLength(file);
  int ok = size >= 0 && distanceFromEnd <= uint32_t(size) && length <= distanceFromEnd &&
           _llseek(file, size - LONG(distanceFromEnd), FILE_BEGIN) != HFILE_ERROR &&
           _lread(file, block, length) == length;
  _lclose(file);
  return ok;
}

// Writes the piece into a new file that nobody else may open while it is written. A file of
// that name goes first: the new one takes its folder's permissions, where a file truncated in
// place would keep its own.
bool WritePiece(const char *outputName, const void *block, uint32_t length) {
  if (!DeletePath(outputName) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  HANDLE out = CreateFileW(WidePath(outputName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, block, length, &written, nullptr) && written == length;
  if (!CloseHandle(out)) ok = false;
  if (!ok) DeletePath(outputName);
  return ok;
}

// Opens the written piece again for reading, with nobody else allowed to write it from now
// on, and reads it back: what is then used is the piece as the package carries it, even if
// someone swapped the file between the write and this open.
HANDLE HoldPiece(const char *outputName, const void *block, uint32_t length) {
  HANDLE held = CreateFileW(WidePath(outputName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  gSetupFilePath = ModuleFilePath();
  return !gSetupFilePath.empty();
}

std::string ModuleFilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (n == 0) return "";
    if (n < path.size()) {
      path.resize(n);
      return Utf8FromWide(path);
    }
    if (path.size() >= kLongestPath) return "";
    path.resize(path.size() * 2);  // cut short: a longer buffer
  }
}

bool CopySetupImage(const char *outputName) {
  HFILE file = OpenSetupFile();
  if (file == HFILE_ERROR) return false;
  LONG size = FileLength(file);
  _lclose(file);
  uint64_t pieces = uint64_t(gLibraryPieceLength) + gArchivePieceLength;
  if (size < 0 || uint64_t(size) <= pieces) return false;
  uint32_t image = uint32_t(uint64_t(size) - pieces);
  void *block = GlobalAlloc(GPTR, image);
  if (!block) return false;
  bool ok = ReadPiece(uint32_t(size), image, block) && WritePiece(outputName, block, image);
  GlobalFree(block);
  return ok;
}

bool CopyWholeSetupFile(const char *outputName, HANDLE *held) {
  HFILE file = OpenSetupFile();
  if (file == HFILE_ERROR) return false;
  LONG size = FileLength(file);
  _lclose(file);
  return size > 0 && CopyPayloadPiece(uint32_t(size), uint32_t(size), outputName, held);
}

bool SetupFileCarriesPayload() {
  static const char kRarSignature[] = "Rar!\x1a\x07";  // and a NUL: the older block format
  char start[sizeof kRarSignature] = "";
  return gArchivePieceLength >= sizeof start &&
         ReadPiece(gArchivePieceLength, sizeof start, start) &&
         memcmp(start, kRarSignature, sizeof start) == 0;
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

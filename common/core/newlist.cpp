#include "newlist.h"

#include <cstring>
#include <string>

#include "fileexists.h"
#include "imagelist.h"
#include "path.h"
#include "textformat.h"

namespace {

const char kTempListPrefix[] = "wcl";
const char kListExtension[] = ".wcl";
const size_t kListExtensionLength = 4;
const size_t kLineOverhead = 10;  // "centred=" and CR LF around each path

// The length of the NUL-ended string at text, or `available` when no NUL comes first.
size_t BoundedLength(const char *text, size_t available) {
  const void *nul = memchr(text, 0, available);
  return nul ? (size_t)(static_cast<const char *>(nul) - text) : available;
}

struct ListWriter {
  HFILE file;
  LONG expected;  // the file position every line so far should have left
};

// Writes one line and checks, by the file position, that all of it reached the file.
int WriteCheckedLine(const char *path, void *context) {
  ListWriter *writer = static_cast<ListWriter *>(context);
  WriteListLine(writer->file, path);
  writer->expected += (LONG)(strlen(path) + kLineOverhead);
  return _llseek(writer->file, 0, FILE_CURRENT) == writer->expected;
}

}  // namespace

int TemporaryListPath(const char *target, char *path, size_t size) {
  if (size) path[0] = 0;
  if (size < MAX_PATH) return 0;
  std::string folder(FolderOf(target));
  if (folder.empty() || folder.size() >= MAX_PATH) return 0;
  if (IsBareDrive(folder)) folder += '\\';  // the drive's root, not its current folder
  char name[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), kTempListPrefix, 0, name)) return 0;
  if (strlen(name) > kJoinedPathMax) {
    DeleteFileA(name);
    return 0;
  }
  return FormatInto(path, size, "%s", name);
}

int JoinPicturePath(char *path, size_t size, const char *folder, const char *name) {
  if (size == 0) return 0;
  path[0] = 0;
  const std::string joined = JoinPath(folder, name);
  return joined.size() <= kJoinedPathMax && FormatInto(path, size, "%s", joined.c_str());
}

NewListResult ForEachSelectedPicture(const char *buffer, size_t size, WORD fileOffset,
                                     VisitPicture visit, void *context, char *badName,
                                     size_t badNameSize) {
  if (badNameSize) badName[0] = 0;
  size_t first = BoundedLength(buffer, size);
  if (first == size) return kNewListWritten;  // no ended string at all: nothing was chosen
  if (fileOffset < first) return visit(buffer, context) ? kNewListWritten : kNewListWriteFailed;

  char joined[kJoinedPathMax + 1];
  for (size_t at = first + 1; at < size;) {
    size_t length = BoundedLength(buffer + at, size - at);
    if (length == 0 || at + length == size) break;  // the empty name, or one left unended
    const char *name = buffer + at;
    if (!JoinPicturePath(joined, sizeof joined, buffer, name)) {
      FormatCut(badName, badNameSize, "%s", name);
      return kNewListPathTooLong;
    }
    if (!visit(joined, context)) return kNewListWriteFailed;
    at += length + 1;
  }
  return kNewListWritten;
}

NewListResult WriteSelectionList(const char *tempPath, const char *buffer, size_t size,
                                 WORD fileOffset, char *badName, size_t badNameSize) {
  if (badNameSize) badName[0] = 0;
  ListWriter writer = {_lcreat(tempPath, 0), 0};
  if (writer.file == HFILE_ERROR) return kNewListCreateFailed;
  NewListResult result = ForEachSelectedPicture(buffer, size, fileOffset, WriteCheckedLine, &writer,
                                                badName, badNameSize);
  if (_lclose(writer.file) == HFILE_ERROR && result == kNewListWritten)
    result = kNewListWriteFailed;
  if (result != kNewListWritten) DeleteFileA(tempPath);
  return result;
}

int EnsureListExtension(char *path, size_t size) {
  size_t length = strnlen(path, size);
  if (length == size) return 0;
  if (HasExtension(path, kListExtension)) return 1;
  if (length + kListExtensionLength + 1 > size) return 0;
  memcpy(path + length, kListExtension, kListExtensionLength + 1);
  return 1;
}

NewListResult MoveListIntoPlace(const char *tempPath, const char *target,
                                ConfirmOverwrite confirmOverwrite, void *context) {
  if (FileExists(target)) {
    if (!confirmOverwrite(target, context)) {
      DeleteFileA(tempPath);
      return kNewListDeclined;
    }
    // One rename replaces the old list: when it fails, both lists are still there.
    return MoveFileExA(tempPath, target, MOVEFILE_REPLACE_EXISTING) ? kNewListWritten
                                                                    : kNewListReplaceFailed;
  }
  if (MoveFileA(tempPath, target)) return kNewListWritten;
  DeleteFileA(tempPath);
  return kNewListMoveFailed;
}

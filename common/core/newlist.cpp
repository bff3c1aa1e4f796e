#include "newlist.h"

#include <cstring>
#include <string>

#include "filecalls.h"
#include "fileexists.h"
#include "imagelist.h"
#include "path.h"

namespace {

const char kTempListPrefix[] = "wcl";
const char kListExtension[] = ".wcl";
const size_t kListExtensionLength = 4;
const size_t kLineOverhead = 10;  // "centred=" and CR LF around each path
const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

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

std::string TemporaryListPath(const char *target) {
  std::string folder(FolderOf(target));
  if (folder.empty()) return "";
  if (IsBareDrive(folder)) folder += '\\';  // the drive's root, not its current folder
  std::string name = CreateTemporaryFile(folder, kTempListPrefix);
  if (!name.empty() && Utf16Length(name) > kJoinedPathMax) {
    DeletePath(name.c_str());
    name.clear();
  }
  return name;
}

bool JoinPicturePath(std::string *path, const char *folder, const char *name) {
  *path = JoinPath(folder, name);
  if (Utf16Length(*path) <= kJoinedPathMax) return true;
  path->clear();
  return false;
}

NewListResult ForEachSelectedPicture(const char *buffer, size_t size, size_t fileOffset,
                                     VisitPicture visit, void *context, std::string *badName) {
  badName->clear();
  size_t first = BoundedLength(buffer, size);
  if (first == size) return kNewListWritten;  // no ended string at all: nothing was chosen
  if (fileOffset < first) return visit(buffer, context) ? kNewListWritten : kNewListWriteFailed;

  std::string joined;
  for (size_t at = first + 1; at < size;) {
    size_t length = BoundedLength(buffer + at, size - at);
    if (length == 0 || at + length == size) break;  // the empty name, or one left unended
    const char *name = buffer + at;
    if (!JoinPicturePath(&joined, buffer, name)) {
      badName->assign(name, length);
      return kNewListPathTooLong;
    }
    if (!visit(joined.c_str(), context)) return kNewListWriteFailed;
    at += length + 1;
  }
  return kNewListWritten;
}

NewListResult WriteSelectionList(const char *tempPath, const char *buffer, size_t size,
                                 size_t fileOffset, std::string *badName) {
  badName->clear();
  ListWriter writer = {CreatePath(tempPath), 0};
  if (writer.file == HFILE_ERROR) return kNewListCreateFailed;
  NewListResult result = kNewListWritten;
  if (!IsAscii(std::string_view(buffer, size))) {
    writer.expected = (LONG)sizeof kUtf8Mark;
    if (_lwrite(writer.file, reinterpret_cast<LPCCH>(kUtf8Mark), sizeof kUtf8Mark) !=
        sizeof kUtf8Mark)
      result = kNewListWriteFailed;
  }
  if (result == kNewListWritten)
    result = ForEachSelectedPicture(buffer, size, fileOffset, WriteCheckedLine, &writer, badName);
  if (_lclose(writer.file) == HFILE_ERROR && result == kNewListWritten)
    result = kNewListWriteFailed;
  if (result != kNewListWritten) DeletePath(tempPath);
  return result;
}

std::string Utf8Selection(const wchar_t *buffer, size_t size, size_t fileOffset,
                          size_t *utf8Offset) {
  std::string utf8;
  *utf8Offset = 0;
  size_t at = 0;
  while (at < size) {
    size_t length = 0;
    while (at + length < size && buffer[at + length]) length++;
    if (at + length == size) break;  // left unended: not part of the selection
    // The first string is the one full path when the names start inside it.
    if (at == 0 && fileOffset < length) {
      utf8 = Utf8FromWide(std::wstring_view(buffer, length));
      utf8.push_back(0);
      utf8.push_back(0);
      return utf8;
    }
    utf8 += Utf8FromWide(std::wstring_view(buffer + at, length));
    utf8.push_back(0);
    if (at == 0) *utf8Offset = utf8.size();
    if (length == 0) break;  // the empty name that ends the list
    at += length + 1;
  }
  return utf8;
}

bool EnsureListExtension(std::string *path) {
  if (HasExtension(path->c_str(), kListExtension)) return true;
  if (Utf16Length(*path) + kListExtensionLength > kJoinedPathMax) return false;
  path->append(kListExtension);
  return true;
}

NewListResult MoveListIntoPlace(const char *tempPath, const char *target,
                                ConfirmOverwrite confirmOverwrite, void *context) {
  if (FileExists(target)) {
    if (!confirmOverwrite(target, context)) {
      DeletePath(tempPath);
      return kNewListDeclined;
    }
    // One rename replaces the old list: when it fails, both lists are still there.
    return ReplacePath(tempPath, target) ? kNewListWritten : kNewListReplaceFailed;
  }
  if (MovePath(tempPath, target)) return kNewListWritten;
  DeletePath(tempPath);
  return kNewListMoveFailed;
}

#include "foldertree.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <utility>

#include "filecalls.h"
#include "path.h"

namespace {

// What tells one folder from every other: its volume and its file index there.
using FolderId = std::pair<DWORD, ULONGLONG>;

bool ReadFolderId(const std::wstring &folder, FolderId *id) {
  HANDLE handle =
      CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return false;
  *id = {info.dwVolumeSerialNumber, ((ULONGLONG)info.nFileIndexHigh << 32) | info.nFileIndexLow};
  return true;
}

// The folder's absolute path in the "\\?\" form, which takes names of any length below it, and
// without a trailing backslash.
std::wstring ExtendedFolderPath(const std::string &folder) {
  std::wstring wide = WideFromUtf8(folder) + L"\\";  // "D:" alone would name D:'s current folder
  std::wstring full = wide;
  if (wide.compare(0, 4, L"\\\\?\\") != 0 && FullWidePath(wide, &full))
    full = full.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
  while (!full.empty() && full.back() == L'\\') full.pop_back();
  return full;
}

bool NaturalLess(const std::wstring &a, const std::wstring &b) {
  return StrCmpLogicalW(a.c_str(), b.c_str()) < 0;
}

// A link to another name: a junction, a symbolic link, or another reparse point of that kind.
// Other reparse points (files kept in the cloud, deduplicated files) are the files themselves.
bool IsLink(const WIN32_FIND_DATAW &data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (IsReparseTagNameSurrogate(data.dwReserved0) ||
          data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT ||
          data.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
}

class TreeWalk {
 public:
  TreeWalk(const PictureNames &isPicture, std::vector<std::string> *paths,
           const FirstPictureKnown &first, const std::atomic<bool> *cancel)
      : isPicture_(isPicture), paths_(paths), first_(first), cancel_(cancel) {
    offered_ = !first_ || !paths_->empty();
  }

  // Lists one folder and what is below it; false when the folder cannot be read.
  bool List(const std::string &folder, const std::wstring &wide, int depth);
  bool Cancelled() const { return cancelled_; }

 private:
  void Offer(const std::string &path) {
    offered_ = true;
    first_(path);
  }
  bool Full() const { return paths_->size() >= kMaxListedPictures; }

  const PictureNames &isPicture_;
  std::vector<std::string> *paths_;
  const FirstPictureKnown &first_;
  const std::atomic<bool> *cancel_;
  bool offered_;
  bool cancelled_ = false;
  std::set<FolderId> seen_;
};

bool TreeWalk::List(const std::string &folder, const std::wstring &wide, int depth) {
  FolderId id;
  if (ReadFolderId(wide, &id) && !seen_.insert(id).second) return true;  // met before: a loop

  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((wide + L"\\*").c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();  // a drive's empty root has not even "." and ".."
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  std::vector<std::wstring> files, folders, others;
  std::wstring early;  // the picture offered before the names were sorted
  size_t met = 0;
  do {
    if (cancel_ && (++met & 255) == 0 && cancel_->load()) {
      cancelled_ = true;
      break;
    }
    const wchar_t *name = data.cFileName;
    if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (IsLink(data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders.emplace_back(name);
    } else if (!isPicture_.known(name)) {
      others.emplace_back(name);
    } else {
      files.emplace_back(name);
      if (!offered_ && files.size() > kEarlyPictureCount) {
        early = files.front();
        Offer(JoinPath(folder, Utf8FromWide(early)));
      }
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  if (cancelled_) return true;
  for (const std::wstring &name : others)
    if (isPicture_.any(name)) files.push_back(name);

  std::sort(files.begin(), files.end(), NaturalLess);
  if (!early.empty()) {  // it leads, the others follow in order
    auto at = std::find(files.begin(), files.end(), early);
    std::rotate(files.begin(), at, at + 1);
  }
  for (const std::wstring &name : files) {
    if (Full()) return true;
    paths_->push_back(JoinPath(folder, Utf8FromWide(name)));
  }
  if (!offered_ && !paths_->empty()) Offer(paths_->front());

  if (depth >= kMaxFolderDepth) return true;
  std::sort(folders.begin(), folders.end(), NaturalLess);
  for (const std::wstring &name : folders) {
    if (Full() || cancelled_) return true;
    if (cancel_ && cancel_->load()) {
      cancelled_ = true;
      return true;
    }
    List(JoinPath(folder, Utf8FromWide(name)), wide + L"\\" + name, depth + 1);
  }
  return true;
}

}  // namespace

FolderTreeResult ListFolderTree(std::string_view folder, const PictureNames &isPicture,
                                std::vector<std::string> *paths, const FirstPictureKnown &first,
                                const std::atomic<bool> *cancel) {
  // "D:\Photos\" is "D:\Photos"; a drive's root "D:\" is "D:", to which names join as "D:\x".
  while (!folder.empty() && IsPathSeparator(folder.back())) folder.remove_suffix(1);
  if (folder.empty()) return kTreeUnreadable;
  const std::string top(folder);
  TreeWalk walk(isPicture, paths, first, cancel);
  if (!walk.List(top, ExtendedFolderPath(top), 0)) return kTreeUnreadable;
  return walk.Cancelled() ? kTreeCancelled : kTreeListed;
}

bool IsFolder(const char *path) {
  const DWORD attributes = PathAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

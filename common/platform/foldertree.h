// Listing the pictures of a folder and its subfolders, in the order a show takes them: a
// folder's own pictures first, in the order Explorer shows names (StrCmpLogicalW: "IMG_2"
// before "IMG_10"), then each subfolder in that order, depth first. Hidden and system files
// and folders are left out, and so are links (junctions, symbolic links and the other reparse
// points that stand for another name): they are not followed, and a folder met twice (a loop
// the system shows some other way) is listed once. Windows only.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whether a file's name (its extension) names a picture the show can read: `known` answers at
// once for the types always read; `any` for every type and may wait (for the system's list of
// decoders). A listing asks `any` only of the names `known` refused, once it has met all of a
// folder's names, and offers only a picture `known` claimed before then.
using PictureNameTest = std::function<bool(std::wstring_view name)>;
struct PictureNames {
  PictureNameTest known;
  PictureNameTest any;
};

// Called at most once, as soon as the picture that the listing will begin with is known.
using FirstPictureKnown = std::function<void(const std::string &path)>;

// A folder of more pictures than this offers the first one met before its names are sorted:
// the listing then begins with that one.
const size_t kEarlyPictureCount = 256;
// Bounds on what one listing holds and how deep it goes.
const size_t kMaxListedPictures = 1000000;
const int kMaxFolderDepth = 64;

enum FolderTreeResult {
  kTreeListed,      // listed (subfolders that could not be read add nothing)
  kTreeUnreadable,  // the folder itself is missing or cannot be read
  kTreeCancelled,   // the cancel flag was set; what is listed is incomplete
};

// Appends the full paths of the folder's pictures to *paths, in show order. With first given
// (and *paths empty), it is called once with the picture the listing begins with: the first in
// that order as soon as it is known, or in a folder of more than kEarlyPictureCount pictures
// the first one met, which the listing then puts first. The folder is a UTF-8 path of any
// length; trailing separators are dropped. The cancel flag is looked at between names.
FolderTreeResult ListFolderTree(std::string_view folder, const PictureNames &isPicture,
                                std::vector<std::string> *paths,
                                const FirstPictureKnown &first = nullptr,
                                const std::atomic<bool> *cancel = nullptr);

// Whether the path names an existing folder.
bool IsFolder(const char *path);

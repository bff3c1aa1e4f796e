// Building a new image list file from pictures picked in the picture dialog: a temporary list
// of a unique name in the folder of the name the user saves it under, one "centred=" line per
// picture, then renamed to that name (one folder, so one volume). Paths are UTF-8. A list whose
// paths are all plain ASCII is written as lists always were; any other starts with the UTF-8
// byte order mark, by which the list reader knows it. Portable: only the file calls of the
// platform layer are used.
#pragma once

#include <cstddef>
#include <string>

#include "path.h"
#include "platform.h"

// Joined picture paths and list names hold at most this many UTF-16 code units: the longest
// path the wide file calls take.
const size_t kJoinedPathMax = kLongestPath;

enum NewListResult {
  kNewListWritten,        // the list is in place
  kNewListDeclined,       // the user would not overwrite the existing file
  kNewListNoTempName,     // no temporary list could be created beside the target
  kNewListPathTooLong,    // a folder and picture name joined exceed kJoinedPathMax
  kNewListCreateFailed,   // the temporary list could not be created
  kNewListWriteFailed,    // writing the temporary list failed (disk full, ...)
  kNewListNameTooLong,    // the name with its ".wcl" ending exceeds kJoinedPathMax
  kNewListReplaceFailed,  // the existing file could not be replaced; the new list is kept
  kNewListMoveFailed,     // the temporary list could not be moved to the chosen name
};

// Creates a new empty file of a unique name in the folder of target and returns its path; ""
// when target names no folder part or the file cannot be created there.
std::string TemporaryListPath(const char *target);

// Joins folder, one backslash and name (JoinPath: a folder that is a drive's root already ends
// in a backslash, which is kept). Returns false, leaving path empty, when the result exceeds
// kJoinedPathMax.
bool JoinPicturePath(std::string *path, const char *folder, const char *name);

// Calls visit(path, context) for each picture of an open-file dialog's selection, `size` bytes
// of UTF-8. When fileOffset is less than the length of the buffer's first string it holds one
// full path; otherwise a folder, a NUL and the file names, each ended by a NUL, ended by an
// empty name. Strings are never read past the buffer's end. A joined path that is too long
// stops the walk with kNewListPathTooLong, its file name in badName.
typedef int (*VisitPicture)(const char *path, void *context);  // 0 stops the walk
NewListResult ForEachSelectedPicture(const char *buffer, size_t size, size_t fileOffset,
                                     VisitPicture visit, void *context, std::string *badName);

// Creates the temporary list (emptying an old one) and writes a line for each selected
// picture, after the byte order mark when the selection is not plain ASCII. On any failure the
// temporary file is deleted again.
NewListResult WriteSelectionList(const char *tempPath, const char *buffer, size_t size,
                                 size_t fileOffset, std::string *badName);

// The same for a selection that the wide open-file dialog returned: `size` UTF-16 units, its
// file names starting at fileOffset. The result is the selection in UTF-8 for the calls above,
// with its own file offset.
std::string Utf8Selection(const wchar_t *buffer, size_t size, size_t fileOffset,
                          size_t *utf8Offset);

// Appends ".wcl" unless the name already ends so (any case). Returns false, leaving the name as
// it was, when the result would exceed kJoinedPathMax.
bool EnsureListExtension(std::string *path);

// Moves the temporary list to target. An existing target is replaced, in one rename, only when
// confirmOverwrite(target, context) returns non-zero; when that replace fails, both files stay
// as they were (kNewListReplaceFailed). On every other result the temporary file is gone.
typedef int (*ConfirmOverwrite)(const char *target, void *context);
NewListResult MoveListIntoPlace(const char *tempPath, const char *target,
                                ConfirmOverwrite confirmOverwrite, void *context);

// Building a new image list file from pictures picked in the picture dialog: a temporary list
// of a unique name in the folder of the name the user saves it under, one "centred=" line per
// picture, then renamed to that name (one folder, so one volume). Portable: only the old file
// calls are used.
#pragma once

#include <cstddef>

#include "platform.h"

// Temporary names and joined picture paths hold at most this many characters.
const size_t kJoinedPathMax = 255;

enum NewListResult {
  kNewListWritten,        // the list is in place
  kNewListDeclined,       // the user would not overwrite the existing file
  kNewListNoTempName,     // no temporary list could be created beside the target
  kNewListPathTooLong,    // a folder and picture name joined exceed kJoinedPathMax
  kNewListCreateFailed,   // the temporary list could not be created
  kNewListWriteFailed,    // writing the temporary list failed (disk full, ...)
  kNewListNameTooLong,    // no room in the path buffer for the ".wcl" ending
  kNewListReplaceFailed,  // the existing file could not be replaced; the new list is kept
  kNewListMoveFailed,     // the temporary list could not be moved to the chosen name
};

// Creates a new empty file of a unique name (GetTempFileNameA) in the folder of target and
// writes its name into path (size bytes, at least MAX_PATH). Returns 0, leaving path empty,
// when target names no folder part, the name would exceed kJoinedPathMax characters, or the
// file cannot be created there.
int TemporaryListPath(const char *target, char *path, size_t size);

// Joins folder, one backslash and name (JoinPath: a folder that is a drive's root already ends
// in a backslash, which is kept). Returns 0, leaving path empty, when the result exceeds
// kJoinedPathMax characters or size - 1.
int JoinPicturePath(char *path, size_t size, const char *folder, const char *name);

// Calls visit(path, context) for each picture of an open-file dialog's selection buffer of
// `size` bytes. When fileOffset is less than the length of the buffer's first string it holds
// one full path; otherwise a folder, a NUL and the file names, each ended by a NUL, ended by an
// empty name. Strings are never read past the buffer's end. A joined path that is too long
// stops the walk with kNewListPathTooLong, its file name copied (cut to fit) into badName.
typedef int (*VisitPicture)(const char *path, void *context);  // 0 stops the walk
NewListResult ForEachSelectedPicture(const char *buffer, size_t size, WORD fileOffset,
                                     VisitPicture visit, void *context, char *badName,
                                     size_t badNameSize);

// Creates the temporary list (emptying an old one) and writes a line for each selected
// picture. On any failure the temporary file is deleted again.
NewListResult WriteSelectionList(const char *tempPath, const char *buffer, size_t size,
                                 WORD fileOffset, char *badName, size_t badNameSize);

// Appends ".wcl" unless the name already ends so (any case). Returns 0, leaving the name as it
// was, when the ending does not fit in size bytes.
int EnsureListExtension(char *path, size_t size);

// Moves the temporary list to target. An existing target is replaced, in one rename, only when
// confirmOverwrite(target, context) returns non-zero; when that replace fails, both files stay
// as they were (kNewListReplaceFailed). On every other result the temporary file is gone.
typedef int (*ConfirmOverwrite)(const char *target, void *context);
NewListResult MoveListIntoPlace(const char *tempPath, const char *target,
                                ConfirmOverwrite confirmOverwrite, void *context);

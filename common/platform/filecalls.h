// The file calls of every layer, on UTF-8 paths of any length the file system allows. On
// Windows they are the wide calls (CreateFileW and its kin) on WidePath's form of the path; the
// handles they return are those of the old file calls (_lread, _lwrite, _llseek, _lclose).
// Natively the path's bytes go to the system as they are, through the Win32 stand-in.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform.h"

// Opens an existing file as _lopen does: OF_READ, OF_WRITE or OF_READWRITE, shared for reading
// and writing with other opens. HFILE_ERROR when it cannot be opened.
HFILE OpenPath(const char *path, int mode);

// Creates a file, or empties an existing one, for reading and writing, as _lcreat(path, 0).
HFILE CreatePath(const char *path);

// Opens a stdio stream ("rb", "wb", ...); null when it cannot be opened.
FILE *OpenPathStream(const char *path, const char *mode);

// Deletes a file (never a folder); true when it is gone.
bool DeletePath(const char *path);

// Renames a file; never over an existing one (MovePath) or replacing one in one step
// (ReplacePath, which refuses to replace a folder or a read-only file).
bool MovePath(const char *from, const char *to);
bool ReplacePath(const char *from, const char *to);

// FILE_ATTRIBUTE_* bits, or INVALID_FILE_ATTRIBUTES when nothing is at the path.
DWORD PathAttributes(const char *path);

// Creates a new, empty file "<folder>\<up to 3 characters of prefix><4 hex digits>.TMP" that
// did not exist before, as GetTempFileName does but for a folder of any length. Returns its
// path, or "" when none could be created.
std::string CreateTemporaryFile(std::string_view folder, const char *prefix);

#ifdef _WIN32
// Creates a folder; true when it is there afterwards (made now or before).
bool CreateFolder(const char *path);

// The file's attributes, size and times; false when nothing is at the path.
bool PathAttributeData(const char *path, WIN32_FILE_ATTRIBUTE_DATA *data);
#endif

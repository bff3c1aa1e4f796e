// Whether a plain file is at a UTF-8 path of any length. (OpenFile's OF_EXIST holds only 128
// characters of path in its record and fails on longer ones.)
#pragma once

#include "platform.h"

// True when path names an existing file that is not a folder.
bool FileExists(const char *path);

// Install folders in one canonical form: a full path without a trailing separator, except for
// a drive's root, which keeps it ("C:\"; "C:" alone names that drive's current folder). Every
// folder the installer writes down is in this form, and folders are compared in it, as full
// long paths, without regard to case. Paths are UTF-8; the system sees them through the wide
// calls.
#pragma once

#include <string>

// The canonical form of folder (a full path of fewer than MAX_PATH UTF-16 characters, what a
// program's path, a shortcut's target and an open command may hold; repeated separators made
// one) into out; false (out empty) when folder is empty or its full path is longer.
bool CanonicalFolder(const char *folder, std::string *out);

// A name in a canonical folder, with exactly one separator between them ("C:\" + "a.exe" gives
// "C:\a.exe").
std::string InFolder(const std::string &folder, const char *name);

// Whether two paths name the same file or folder: their canonical forms, each made long
// (short 8.3 components expanded) when it exists, are equal without regard to case, as the
// file system compares names (ordinal, each character made upper case).
bool SamePath(const char *a, const char *b);

// Whether two texts are equal as the file system compares names.
bool SameName(const std::string &a, const std::string &b);

// Whether the text, in UTF-16, is shorter than MAX_PATH characters.
bool FitsPath(const std::string &text);

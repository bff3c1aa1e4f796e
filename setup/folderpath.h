// Install folders in one canonical form: a full path without a trailing separator, except for
// a drive's root, which keeps it ("C:\"; "C:" alone names that drive's current folder). Every
// folder the installer writes down is in this form, and folders are compared in it, as full
// long paths, without regard to case.
#pragma once

#include <string>

// The canonical form of folder (a full path of fewer than MAX_PATH characters, repeated
// separators made one) into out (MAX_PATH bytes); false when folder is empty or its full path
// does not fit.
bool CanonicalFolder(const char *folder, char *out);

// A name in a canonical folder, with exactly one separator between them ("C:\" + "a.exe" gives
// "C:\a.exe").
std::string InFolder(const std::string &folder, const char *name);

// Whether two paths name the same file or folder: their canonical forms, each made long
// (short 8.3 components expanded) when it exists, are equal without regard to case.
bool SamePath(const char *a, const char *b);

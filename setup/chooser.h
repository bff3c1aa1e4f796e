// The folder chooser (dialog 402): the folders of one fixed drive as a tree filled one level
// ahead of what is shown, a drop-down list of the fixed drives, and an edit field with the
// resulting path. A non-empty starting path keeps its last component (from its last
// backslash on) and re-attaches it to each folder selected in the tree.
#pragma once

#include <windows.h>

#include <string>

// Runs the chooser modal to owner with this caption. path gives the starting edit text and
// receives the accepted text (UTF-8). 1 on Ok or Enter, 0 on Cancel, Escape or the close box
// (path then unchanged).
int ChooseFolder(HWND owner, const char *title, std::string *path);

// The folder chooser (dialog 402): the folders of one fixed drive as a tree filled one level
// ahead of what is shown, a drop-down list of the fixed drives, and an edit field with the
// resulting path. A non-empty starting path keeps its last component (from its last
// backslash on) and re-attaches it to each folder selected in the tree.
#pragma once

#include <windows.h>

// Runs the chooser modal to owner with this caption. pathBuffer (MAX_PATH bytes) gives the
// starting edit text and receives the accepted text. 1 on Ok or Enter, 0 on Cancel, Escape or
// the close box (pathBuffer then unchanged).
int ChooseFolder(HWND owner, const char *title, char *pathBuffer);

// The edit text after a folder is selected: selected followed by the current text from its
// last backslash on (all of it when it has none); just selected when keepLeaf is false.
// 0 when the result does not fit in size bytes.
int ComposeChosenPath(const char *selected, const char *current, bool keepLeaf, char *out,
                      size_t size);

// The popup menu's commands, and loading the image list with its messages (at start-up and
// after the settings dialog).
#pragma once

#include <windows.h>

extern const char kErrorTitle[];      // "Error"
extern const char kLoadFailedText[];  // "I cat't load your images list file!"
extern const char kEmptyListText[];   // a list that loads with no pictures

// Frees the image list and loads it again from the settings' LastFile. Returns 1 when it holds at
// least one entry; otherwise shows why in a message box owned by `owner` (may be null), leaves the
// list empty and returns 0.
int LoadViewerList(HWND owner);

// WM_COMMAND, by command identifier.
void OnCommand(HWND window, int command);

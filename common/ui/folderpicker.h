// The system's folder picker: the item dialog in its folder mode, or, where that object cannot
// be made, the older folder browser. Paths are UTF-8 of any length.
#pragma once

#include <windows.h>

#include <string>

// The folder a picker for this path starts in: the path itself when it names a folder, else
// the folder of the file it names when that folder exists; "" when neither (the picker's own
// choice).
std::string PickerStartFolder(const std::string &path);

// Where the item dialog's object cannot be made, the folder browser stands in; true makes it
// stand in always (for tests of it).
void UseFolderBrowserOnly(bool only);

// Shows the picker modal to owner, starting in start (when it names a folder) and returns the
// chosen folder's path, "" when the user cancelled or no picker could be shown.
std::string ChooseFolder(HWND owner, const std::string &start);

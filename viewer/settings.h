// The viewer's settings, kept per user under HKEY_CURRENT_USER "SOFTWARE\Ostrel\Lumora":
// "TimeOut", "ProgramState" (the flag word below) and "LastFile".
#pragma once

#include <windows.h>

#include "showsettings.h"

extern const SettingsStore
    kViewerSettingsStore;  // "SOFTWARE\Ostrel\Lumora"; LastFile only while empty

// The viewer's one settings record. Its flag word is the "ProgramState" word: the bits below,
// and whatever other bits were read, which are written back as they were.
extern ShowSettings gViewerSettings;

const DWORD MixOnLoad = 1;       // shuffle the list right after loading it
const DWORD ZoomOutOnClick = 8;  // a click on the picture zooms out instead of in

// The settings dialog: "Start"/"Exit" on its first showing, "Ok"/"Cancel" later. Returns 1
// when the user confirmed (the settings are then stored and written), 0 otherwise.
INT_PTR ShowSettingsDialog(HWND owner);

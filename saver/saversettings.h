// The screen saver's settings, kept per user under HKEY_CURRENT_USER
// "SOFTWARE\Ostrel\ScreenSaver", apart from the viewer's: "TimeOut", "MixFiles" (the flag word:
// non-zero shuffles the list when the saver starts) and "LastFile", always read.
#pragma once

#include <windows.h>

#include "showsettings.h"

extern const SettingsStore kSaverSettingsStore;  // "SOFTWARE\Ostrel\ScreenSaver"

// The saver's one settings record.
extern ShowSettings gSaverSettings;

// The configuration dialog's procedure for template 2003 (saver variant), for the
// screen-saver library to run with DialogBox; the lParam it gets is not looked at.
INT_PTR CALLBACK SaverSettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

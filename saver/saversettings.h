// The screen saver's settings, kept per user under HKEY_CURRENT_USER
// "SOFTWARE\Ostrel\ScreenSaver", apart from the viewer's.
#pragma once

#include <windows.h>

extern const char kSaverSettingsKey[];  // "SOFTWARE\Ostrel\ScreenSaver"

extern DWORD TimeOut;            // seconds between pictures; 10 until a stored value is read
extern DWORD MixFiles;           // non-zero: shuffle the list when the saver starts
extern char LastFile[MAX_PATH];  // the image list to show; empty at first

// Reads "TimeOut", "MixFiles" and "LastFile" (always, whatever LastFile holds). A missing key
// or value, or one of the wrong type or size (or a time-out outside 1 to 32000), leaves the
// setting as it was.
void ReadSaverSettings();

// Stores "TimeOut", "MixFiles" (REG_DWORD) and "LastFile" (REG_SZ), in this order.
void WriteSaverSettings();

// The configuration dialog's procedure for template 2003 (saver variant), for the
// screen-saver library to run with DialogBox; the lParam it gets is not looked at.
INT_PTR CALLBACK SaverSettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The viewer's settings, kept per user under HKEY_CURRENT_USER "SOFTWARE\Ostrel\Lumora", the
// display size everything is laid out against, and the slide timer's identifier.
#pragma once

#include <windows.h>

extern const char kViewerSettingsKey[];  // "SOFTWARE\Ostrel\Lumora"

extern DWORD TimeOut;            // seconds between pictures; 10 until a stored value is read
extern DWORD ProgramState;       // the flags below; other bits are kept as they are
extern char LastFile[MAX_PATH];  // the image list to show; empty at first

const DWORD MixOnLoad = 1;       // shuffle the list right after loading it
const DWORD DragActive = 2;      // the mouse moved with the left button down since the press
const DWORD HoldPending = 4;     // the left button is down and the hold timer runs
const DWORD ZoomOutOnClick = 8;  // a click on the picture zooms out instead of in

extern int ScreenWidth;
extern int ScreenHeight;

const UINT_PTR SlideTimer = 1;  // window timer of the show, period TimeOut * 1000 ms

// Fills TimeOut and ProgramState from the registry, and LastFile only while it is empty (so a
// path from the command line stays). A missing key or value, or one of the wrong type or size
// (or a time-out outside 1 to 32000), leaves the setting as it was.
void ReadSettings();

// Stores "TimeOut" and "ProgramState" (REG_DWORD) and "LastFile" (REG_SZ). Not reported.
void WriteSettings();

// Reads ScreenWidth and ScreenHeight from a device context for "DISPLAY".
void ReadDisplaySize();

// The settings dialog: "Start"/"Exit" on its first showing, "Ok"/"Cancel" later. Returns 1
// when the user confirmed (the settings are then stored and written), 0 otherwise.
INT_PTR ShowSettingsDialog(HWND owner);

// The settings dialog (template 2003) of the viewer and the screen saver: the show's list file
// or folder, the seconds between pictures and the mix choice, with buttons to open a list file,
// to build a new one from pictures and to choose a folder. Each program describes its settings
// with a SettingsVariant.
#pragma once

#include <windows.h>

#include "showsettings.h"

struct SettingsVariant {
  ShowSettings *settings;  // read when the dialog opens, stored and written on confirmation
  // The mix choice in the flag word: any of the mask's bits set ticks the box; a confirmation
  // clears them and, with the box ticked, sets mixOn. The viewer's is its MixOnLoad bit, the
  // other bits kept; the saver's is the whole value, stored as 0 or 1.
  DWORD mixMask;
  DWORD mixOn;
  // Viewer: the first showing keeps "Start" and "Exit" and sets the flag, later ones say "Ok"
  // and "Cancel". Null: the template's texts stay.
  BOOL *shownBefore;
  const char *missingFileText;  // a path naming no file or folder; "%s" (if any) is the path
  const char *missingFileTitle;
  const char *product;  // the About box's product text
};

extern const char kAboutVersion[];  // "Version 1.1"
// The picture dialog's selection buffer, in UTF-16 units: room for tens of thousands of
// pictures of one folder. A selection that still does not fit is reported, never cut.
const size_t kPictureSelectionChars = 1 << 20;

// Runs the dialog modal to owner with the program's instance. Returns 1 when the user accepted
// and the settings were stored and written, 0 when the dialog was cancelled or could not be
// shown.
INT_PTR RunSettingsDialog(HWND owner, const SettingsVariant *variant);

// The dialog procedure itself, for hosts that create the dialog (the screen-saver library):
// the lParam of WM_INITDIALOG must be the variant.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

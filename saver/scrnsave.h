// A small screen-saver library of our own, for the toolchains whose scrnsave library is an
// empty stub. It owns the program entry and reads the command line:
//
//   (blanks, "-" and "/" are skipped, the letter's case does not matter)
//   c            the configuration dialog, owned by the foreground window
//   (nothing)    the configuration dialog without owner
//   s            the saver full screen
//   p N, l N     the saver in a "Preview" child window filling the window whose handle is the
//                decimal number N
//   a            nothing: NT systems change no saver password
//   anything else: exit code -1
//
// The dialog (template IDD_SCRNSAVE_CONFIGURE with ScreenSaverConfigureDialog) opens only after
// RegisterDialogClasses returned TRUE. To run the saver the library registers the window class
// "WindowsScreenSaverClass", creates its window ("Screen Saver", a topmost popup over the whole
// desktop, or the preview child), runs the message loop and passes the window's messages to
// ScreenSaverProc. A window that cannot be made (ScreenSaverProc refusing WM_CREATE among other
// causes), and a preview handle that names no window, end the program quietly. There is no
// password handling: NT systems lock the session themselves.
#pragma once

#include <windows.h>

// Resources the library takes from the program: the configuration dialog's template, run for
// "c" and an empty command line, and the icon of the saver's window class.
#define IDD_SCRNSAVE_CONFIGURE 2003
#define ID_APP 100

// --- Provided by the program --------------------------------------------------------------

// The saver window's procedure; unhandled messages go to DefScreenSaverProc.
LRESULT CALLBACK ScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// The configuration dialog's procedure.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Called before the configuration dialog; FALSE keeps it from opening.
BOOL WINAPI RegisterDialogClasses(HINSTANCE instance);

// --- Provided by the library --------------------------------------------------------------

// Hides the cursor and ends a full-screen saver on a key, a mouse button, deactivation, or a
// move of the pointer more than kSaverMoveSlack pixels (on either axis) from where it was when
// the window was made; a preview ignores input. Everything else goes to DefWindowProc.
LRESULT WINAPI DefScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

const int kSaverMoveSlack = 3;

// Registers "WindowsScreenSaverClass" (once) and makes the saver's window: the "Preview" child
// filling previewParent, or without one the full-screen window. Null when it cannot be made.
// The program entry runs the message loop on it; its destruction posts WM_QUIT.
HWND CreateScreenSaverWindow(HWND previewParent);

extern const char kSaverClassName[];    // "WindowsScreenSaverClass"
extern const char kSaverWindowTitle[];  // "Screen Saver"
extern const char kPreviewTitle[];      // "Preview"

// The library's process-wide state, under the names that screen-saver libraries give it, so
// that a saver written against one builds against this one.
extern HINSTANCE hMainInstance;
extern HWND hMainWindow;    // the saver's window while it exists
extern BOOL fChildPreview;  // TRUE when running as a preview

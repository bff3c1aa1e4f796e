// FlatButton: the owner-painted push button and link of every dialog of the three programs.
// A normal button draws the glyph bitmap of its own control identifier and its caption, flat,
// with a raised frame while the pointer is over it and a sunken one while it is pressed; a
// release over it posts WM_COMMAND (identifier, BN_CLICKED) to the parent. A link draws its
// caption in blue, underlined while hot, shows the hand cursor and opens the caption through
// the shell instead of notifying the parent.
#pragma once

#include <windows.h>

extern const char kFlatButtonClass[];  // "FlatButton"

// The flag word kept in the window's user data (GWLP_USERDATA). Other bits are left alone.
const LONG_PTR FB_HOT = 0x01;      // pointer over the button; the button holds the capture
const LONG_PTR FB_PRESSED = 0x08;  // left button went down and has not come up
const LONG_PTR FB_LINK = 0x10;     // link style, stored by the owner after creation

// Texts drawn and addresses opened: at most this many characters.
const int kFlatButtonTextMax = 255;

// Registers the class with ProgramInstance (which must be set). Returns the atom, 0 on failure.
ATOM RegisterFlatButtonClass();

// Turns an existing button into a link (stores FB_LINK as its flag word).
void MakeFlatButtonLink(HWND button);

// The shell target for a link's text: the text itself when it begins with "http:" (exact
// case), else "mailto:" and the text. Returns 0, leaving target empty, when the result would
// not fit in targetSize bytes or the text is longer than kFlatButtonTextMax.
int LinkTarget(const char *text, char *target, size_t targetSize);

// How a link opens its target; ShellExecuteA unless a test puts something else in its place.
typedef HINSTANCE(WINAPI *ShellOpenProc)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params,
                                         LPCSTR folder, INT show);
void SetLinkOpener(ShellOpenProc opener);  // null: ShellExecuteA again

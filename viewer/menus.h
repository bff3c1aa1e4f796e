// The viewer's three popup menus (the main menu, "File list" and "Select"), all of owner-drawn
// items that each carry a MenuEntry: the item's text and its 16 x 16 picture.
#pragma once

#include <windows.h>

struct MenuEntry {
  char *Text;      // own copy, NUL-terminated
  int Length;      // characters of Text
  HBITMAP Bitmap;  // null for separators and pictures that failed to load
};

extern HMENU MainMenu;
extern HMENU FileListMenu;
extern HMENU SelectMenu;

// Menu item metrics at 96 DPI, scaled to the window's DPI: the text starts this far right of
// the item's left edge and this far down; items are at least this high (separators half of
// it) and as high as the text below that margin; the 16 x 16 picture sits at this offset.
// The text is measured and drawn in the device context's own font, scaled when the window's
// DPI is not the system's.
const int kMenuTextIndent = 24;
const int kMenuTextTop = 2;
const int kMenuMinHeight = 20;
const int kMenuPictureLeft = 2;
const int kMenuPictureTop = 1;

// Appends one owner-drawn item; its picture is the bitmap resource bitmapId, or the command's
// own number when bitmapId is 0. An empty text makes a separator. Returns 0 when the item
// cannot be added (nothing is then kept).
int AppendMenuEntry(HMENU menu, const char *text, UINT command, HMENU submenu, UINT bitmapId);

// Creates the three menus with their fixed items. Returns 0 when a menu cannot be created.
int CreatePopupMenus();

// The name shown for a path: what follows its last backslash, or the whole path.
const char *DisplayName(const char *path);

// Appends one item per entry of the image list, in list order, to "File list".
void BuildFileListMenu();

// Removes every item of "File list", releasing their entries.
void ClearFileListMenu();

// Releases the MenuEntry records, texts and pictures of the menu's items (not of submenus).
void ReleaseMenuEntries(HMENU menu);

// WM_MEASUREITEM and WM_DRAWITEM for the items.
void MeasureMenuEntry(HWND window, MEASUREITEMSTRUCT *item);
void DrawMenuEntry(const DRAWITEMSTRUCT *item);

// Makes the system ask for every item's size again (after a change of DPI).
void RemeasureMenuEntries(HMENU menu);

// The viewer's three popup menus (the main menu, "File list" and "Select"), all of owner-drawn
// items that each carry a MenuEntry: the item's text and its 16 x 16 picture.
//
// "File list" holds one item per list entry when the list has at most kFileListPage entries.
// A longer list is split into ranges: each item is a submenu of the entries it stands for
// ("1 - 625"), again split until a submenu holds at most kFileListPage entries, and a submenu
// is filled when it is first opened. So the start costs the same for any list, every entry
// stays reachable, and the entries of the page open last have the commands IDM_FILEENTRY to
// IDM_FILEENTRY + kFileListPage - 1. All file items share one picture.
#pragma once

#include <windows.h>

struct MenuEntry {
  wchar_t *Text;   // own copy in UTF-16 (GDI draws it with the wide calls), NUL-terminated
  int Length;      // UTF-16 units of Text
  HBITMAP Bitmap;  // null for separators and pictures that failed to load
  LONG First;      // for a range of the File list: its first list index and its length
  LONG Count;
};

extern HMENU gMainMenu;
extern HMENU gFileListMenu;
extern HMENU gSelectMenu;

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

// Appends one owner-drawn item with a UTF-8 text; its picture is the bitmap resource bitmapId, or
// the command's own number when bitmapId is 0. An empty text makes a separator. Returns 0 when the
// item cannot be added (nothing is then kept).
int AppendMenuEntry(HMENU menu, const char *text, UINT command, HMENU submenu, UINT bitmapId);

// Creates the three menus with their fixed items. Returns 0 when a menu cannot be created.
int CreatePopupMenus();

// The name shown for a path: what follows its last backslash, or the whole path.
const char *DisplayName(const char *path);

// Entries of the File list per menu, and so the most items one of its menus holds.
const LONG kFileListPage = 25;

// Fills "File list" for the image list: its entries, in list order, or the ranges of them.
void BuildFileListMenu();

// WM_INITMENUPOPUP: makes the File list again when the show's list changed since, fills a
// range submenu of it on its first opening, and makes a page of entries the one whose
// commands count.
void PrepareFileListMenu(HMENU menu);

// The list index that a File list command chooses, or -1 when it chooses none.
int FileListIndex(int command);

// Removes every item of "File list" with its submenus, releasing their entries and the shared
// picture.
void ClearFileListMenu();

// Releases the MenuEntry records, texts and pictures of the menu's items (not of submenus).
void ReleaseMenuEntries(HMENU menu);

// WM_MEASUREITEM and WM_DRAWITEM for the items.
void MeasureMenuEntry(HWND window, MEASUREITEMSTRUCT *item);
void DrawMenuEntry(const DRAWITEMSTRUCT *item);

// Makes the system ask for the size of every item, in submenus too, again (after a change of
// DPI).
void RemeasureMenuEntries(HMENU menu);

#include "menus.h"

#include <cstring>
#include <string>

#include "dpi.h"
#include "gdiselect.h"
#include "instance.h"
#include "path.h"
#include "resource.h"
#include "textformat.h"
#include "view.h"

HMENU gMainMenu;
HMENU gFileListMenu;
HMENU gSelectMenu;

namespace {

HBITMAP gFileEntryPicture;  // shared by every item of the File list; made on first use
MenuEntry gFileListRange;   // the whole list, the range of "File list" itself
LONG gFileListFirst;        // the list index of IDM_FILEENTRY in the page opened last
int gFileListVersion = -1;  // the show's ListVersion when the File list was made

MenuEntry *EntryOfItem(HMENU menu, UINT position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return nullptr;
  if (!(info.fType & MFT_OWNERDRAW)) return nullptr;
  return reinterpret_cast<MenuEntry *>(info.dwItemData);
}

void FreeEntry(MenuEntry *entry) {
  if (!entry) return;
  if (entry->Text) LocalFree(entry->Text);
  if (entry->Bitmap && entry->Bitmap != gFileEntryPicture) DeleteObject(entry->Bitmap);
  LocalFree(entry);
}

HBITMAP LoadMenuPicture(UINT id) {
  return (HBITMAP)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                             LR_LOADMAP3DCOLORS | LR_DEFAULTSIZE | LR_LOADTRANSPARENT);
}

// Appends an owner-drawn item that owns its entry and, when picture is null, loads its own.
int InsertEntry(HMENU menu, const char *text, UINT command, HMENU submenu, UINT bitmapId,
                HBITMAP picture, LONG first, LONG count) {
  const std::wstring wide = WideFromUtf8(text);
  const size_t length = wide.size();
  MenuEntry *entry = static_cast<MenuEntry *>(LocalAlloc(LPTR, sizeof(MenuEntry)));
  if (!entry) return 0;
  entry->Text = static_cast<wchar_t *>(LocalAlloc(LPTR, (length + 1) * sizeof(wchar_t)));
  if (!entry->Text) {
    FreeEntry(entry);
    return 0;
  }
  memcpy(entry->Text, wide.c_str(), length * sizeof(wchar_t));
  entry->Length = (int)length;
  entry->First = first;
  entry->Count = count;
  if (length) entry->Bitmap = picture ? picture : LoadMenuPicture(bitmapId ? bitmapId : command);
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA | (submenu ? MIIM_SUBMENU : 0);
  info.fType = MFT_OWNERDRAW;
  info.wID = command;
  info.hSubMenu = submenu;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(entry);
  if (!InsertMenuItemW(menu, (UINT)-1, TRUE, &info)) {
    FreeEntry(entry);
    return 0;
  }
  return 1;
}

// The number of list entries each item of a File list menu over `count` entries stands for:
// 1, or the smallest power of kFileListPage that needs at most kFileListPage items.
LONG ItemSpan(LONG count) {
  long long span = 1;
  while ((count + span - 1) / span > kFileListPage) span *= kFileListPage;
  return (LONG)span;
}

// The range of list entries a File list menu stands for, or null for other menus.
const MenuEntry *RangeOfMenu(HMENU menu) {
  MENUINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!menu || !GetMenuInfo(menu, &info)) return nullptr;
  return reinterpret_cast<const MenuEntry *>(info.dwMenuData);
}

void SetRangeOfMenu(HMENU menu, const MenuEntry *range) {
  MENUINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = reinterpret_cast<ULONG_PTR>(range);
  SetMenuInfo(menu, &info);
}

// Appends the items of a File list menu over the range: its entries, or submenus of ranges
// (left empty until opened).
void FillFileList(HMENU menu, const MenuEntry *range) {
  if (!gFileEntryPicture) gFileEntryPicture = LoadMenuPicture(IDB_FILEENTRY);
  const LONG span = ItemSpan(range->Count), end = range->First + range->Count;
  if (span == 1) {
    ListEntry *e = FindListEntry(&gShow.Images, range->First);
    for (LONG i = 0; i < range->Count && e; i++, e = e->next)
      InsertEntry(menu, DisplayName(e->path), IDM_FILEENTRY + (UINT)i, nullptr, 0,
                  gFileEntryPicture, 0, 0);
    return;
  }
  for (LONG first = range->First; first < end; first += span) {
    const LONG count = end - first < span ? end - first : span;
    char text[32];
    FormatInto(text, sizeof text, "%ld - %ld", (long)first + 1, (long)first + count);
    HMENU submenu = CreatePopupMenu();
    if (!submenu) return;
    if (!InsertEntry(menu, text, IDM_FILELIST, submenu, 0, gFileEntryPicture, first, count)) {
      DestroyMenu(submenu);
      return;
    }
    const UINT position = (UINT)GetMenuItemCount(menu) - 1;
    SetRangeOfMenu(submenu, EntryOfItem(menu, position));
  }
}

// Releases the entries of the menu's items and of every submenu below them, and removes them.
void RemoveFileListItems(HMENU menu) {
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
    if (HMENU submenu = GetSubMenu(menu, i)) RemoveFileListItems(submenu);
    FreeEntry(EntryOfItem(menu, (UINT)i));
    DeleteMenu(menu, (UINT)i, MF_BYPOSITION);  // destroys the (now empty) submenu
  }
}

}  // namespace

int AppendMenuEntry(HMENU menu, const char *text, UINT command, HMENU submenu, UINT bitmapId) {
  return InsertEntry(menu, text, command, submenu, bitmapId, nullptr, 0, 0);
}

int CreatePopupMenus() {
  gMainMenu = CreatePopupMenu();
  gFileListMenu = CreatePopupMenu();
  gSelectMenu = CreatePopupMenu();
  if (!gMainMenu || !gFileListMenu || !gSelectMenu) return 0;
  AppendMenuEntry(gMainMenu, "File list", IDM_FILELIST, gFileListMenu, 0);
  AppendMenuEntry(gMainMenu, "Select", IDM_SELECT, gSelectMenu, 0);
  AppendMenuEntry(gMainMenu, "Set as wallpaper", IDM_WALLPAPER, nullptr, 0);
  AppendMenuEntry(gMainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Zoom In", IDM_ZOOMIN, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Zoom Out", IDM_ZOOMOUT, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Actual size", IDM_ACTUALSIZE, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Best fit", IDM_BESTFIT, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Tiled", IDM_TILED, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Center", IDM_CENTER, nullptr, 0);
  AppendMenuEntry(gMainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Settings", IDM_SETTINGS, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Resume", IDM_RESUME, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Mix images", IDM_MIX, nullptr, 0);
  AppendMenuEntry(gMainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(gMainMenu, "Exit", IDM_EXIT, nullptr, 0);

  AppendMenuEntry(gSelectMenu, "First", IDM_FIRST, nullptr, 0);
  AppendMenuEntry(gSelectMenu, "Previous", IDM_PREVIOUS, nullptr, 0);
  AppendMenuEntry(gSelectMenu, "Next", IDM_NEXT, nullptr, 0);
  AppendMenuEntry(gSelectMenu, "Last", IDM_LAST, nullptr, 0);
  AppendMenuEntry(gSelectMenu, "Random", IDM_RANDOM, nullptr, 0);
  return 1;
}

const char *DisplayName(const char *path) {
  return FileNameOf(path).data();  // the end of path, so NUL-ended
}

void BuildFileListMenu() {
  gFileListVersion = gShow.ListVersion();
  gFileListRange.First = 0;
  gFileListRange.Count = gShow.Images.count;
  gFileListFirst = 0;
  SetRangeOfMenu(gFileListMenu, &gFileListRange);
  FillFileList(gFileListMenu, &gFileListRange);
}

void PrepareFileListMenu(HMENU menu) {
  // The list changed since the File list was made (a folder's listing, a new pass's order).
  if (menu == gMainMenu && gFileListVersion != gShow.ListVersion()) {
    ClearFileListMenu();
    BuildFileListMenu();
  }
  const MenuEntry *range = RangeOfMenu(menu);
  if (!range) return;
  if (GetMenuItemCount(menu) == 0) FillFileList(menu, range);
  if (ItemSpan(range->Count) == 1) gFileListFirst = range->First;
}

int FileListIndex(int command) {
  const int offset = command - IDM_FILEENTRY;
  if (offset < 0 || offset >= kFileListPage) return -1;
  const long long index = (long long)gFileListFirst + offset;
  return index < gShow.Images.count ? (int)index : -1;
}

void ClearFileListMenu() {
  RemoveFileListItems(gFileListMenu);
  if (gFileEntryPicture) DeleteObject(gFileEntryPicture);
  gFileEntryPicture = nullptr;
}

void ReleaseMenuEntries(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    FreeEntry(EntryOfItem(menu, (UINT)i));
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    info.dwItemData = 0;
    SetMenuItemInfoW(menu, (UINT)i, TRUE, &info);
    if (HMENU submenu = GetSubMenu(menu, i)) RemeasureMenuEntries(submenu);
  }
}

void MeasureMenuEntry(HWND window, MEASUREITEMSTRUCT *item) {
  const MenuEntry *entry = reinterpret_cast<const MenuEntry *>(item->itemData);
  UINT dpi = WindowDpi(window);
  SIZE size = {0, 0};
  HDC dc = GetDC(window);
  HFONT font = CreateFontForDpi(dc, dpi);
  {
    ScopedSelect selected(dc, font);
    if (entry && dc) GetTextExtentPoint32W(dc, entry->Text, entry->Length, &size);
  }
  if (font) DeleteObject(font);
  if (dc) ReleaseDC(window, dc);
  // The text starts kMenuTextIndent in and kMenuTextTop down (both scaled) and ends inside.
  item->itemWidth = (UINT)(size.cx + ScaleToDpi(kMenuTextIndent, dpi));
  int height = size.cy + ScaleToDpi(kMenuTextTop, dpi);
  int least = ScaleToDpi(kMenuMinHeight, dpi);
  if (height < least) height = least;
  item->itemHeight = (UINT)(entry && entry->Length ? height : height / 2);
}

void DrawMenuEntry(const DRAWITEMSTRUCT *item) {
  const MenuEntry *entry = reinterpret_cast<const MenuEntry *>(item->itemData);
  if (!entry || !entry->Length) return;
  HDC dc = item->hDC;
  const RECT &r = item->rcItem;
  UINT dpi = WindowDpi(WindowFromDC(dc));
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HFONT font = CreateFontForDpi(dc, dpi);
  {
    ScopedSelect selectedFont(dc, font);
    SetBkColor(dc, GetSysColor(COLOR_MENU));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENUTEXT));
    ExtTextOutW(dc, r.left + ScaleToDpi(kMenuTextIndent, dpi),
                r.top + ScaleToDpi(kMenuTextTop, dpi), ETO_OPAQUE, &r, entry->Text,
                (UINT)entry->Length, nullptr);
    ScopedSelect pen(dc, light);
    if (selected) {
      MoveToEx(dc, r.left, r.bottom - 1, nullptr);
      LineTo(dc, r.left, r.top);
      LineTo(dc, r.right - 1, r.top);
      pen.Switch(shadow);
      LineTo(dc, r.right - 1, r.bottom - 1);
      LineTo(dc, r.left, r.bottom - 1);
    }
    DrawPictureForDpi(dc, ScaleToDpi(kMenuPictureLeft, dpi),
                      r.top + ScaleToDpi(kMenuPictureTop, dpi), entry->Bitmap, dpi, SRCCOPY);
  }
  if (font) DeleteObject(font);
  DeleteObject(light);
  DeleteObject(shadow);
}

void RemeasureMenuEntries(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    // Setting the type again drops the size the system keeps for an owner-drawn item.
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_OWNERDRAW;
    SetMenuItemInfoW(menu, (UINT)i, TRUE, &info);
    if (HMENU submenu = GetSubMenu(menu, i)) RemeasureMenuEntries(submenu);
  }
}

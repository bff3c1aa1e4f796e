#include "menus.h"

#include <cstring>

#include "dpi.h"
#include "instance.h"
#include "resource.h"
#include "view.h"

HMENU MainMenu;
HMENU FileListMenu;
HMENU SelectMenu;

namespace {

MenuEntry *EntryOfItem(HMENU menu, UINT position) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return nullptr;
  if (!(info.fType & MFT_OWNERDRAW)) return nullptr;
  return reinterpret_cast<MenuEntry *>(info.dwItemData);
}

void FreeEntry(MenuEntry *entry) {
  if (!entry) return;
  if (entry->Text) LocalFree(entry->Text);
  if (entry->Bitmap) DeleteObject(entry->Bitmap);
  LocalFree(entry);
}

}  // namespace

int AppendMenuEntry(HMENU menu, const char *text, UINT command, HMENU submenu, UINT bitmapId) {
  size_t length = strlen(text);
  MenuEntry *entry = static_cast<MenuEntry *>(LocalAlloc(LPTR, sizeof(MenuEntry)));
  if (!entry) return 0;
  entry->Text = static_cast<char *>(LocalAlloc(LPTR, length + 1));
  if (!entry->Text) {
    FreeEntry(entry);
    return 0;
  }
  memcpy(entry->Text, text, length);
  entry->Length = (int)length;
  if (length) {
    entry->Bitmap = (HBITMAP)LoadImageA(
        ProgramInstance, MAKEINTRESOURCEA(bitmapId ? bitmapId : command), IMAGE_BITMAP, 0, 0,
        LR_LOADMAP3DCOLORS | LR_DEFAULTSIZE | LR_LOADTRANSPARENT);
  }
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA | (submenu ? MIIM_SUBMENU : 0);
  info.fType = MFT_OWNERDRAW;
  info.wID = command;
  info.hSubMenu = submenu;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(entry);
  if (!InsertMenuItemA(menu, (UINT)-1, TRUE, &info)) {
    FreeEntry(entry);
    return 0;
  }
  return 1;
}

int CreatePopupMenus() {
  MainMenu = CreatePopupMenu();
  FileListMenu = CreatePopupMenu();
  SelectMenu = CreatePopupMenu();
  if (!MainMenu || !FileListMenu || !SelectMenu) return 0;
  AppendMenuEntry(MainMenu, "File list", IDM_FILELIST, FileListMenu, 0);
  AppendMenuEntry(MainMenu, "Select", IDM_SELECT, SelectMenu, 0);
  AppendMenuEntry(MainMenu, "Set as wallpaper", IDM_WALLPAPER, nullptr, 0);
  AppendMenuEntry(MainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(MainMenu, "Zoom In", IDM_ZOOMIN, nullptr, 0);
  AppendMenuEntry(MainMenu, "Zoom Out", IDM_ZOOMOUT, nullptr, 0);
  AppendMenuEntry(MainMenu, "Actual size", IDM_ACTUALSIZE, nullptr, 0);
  AppendMenuEntry(MainMenu, "Best fit", IDM_BESTFIT, nullptr, 0);
  AppendMenuEntry(MainMenu, "Tiled", IDM_TILED, nullptr, 0);
  AppendMenuEntry(MainMenu, "Center", IDM_CENTER, nullptr, 0);
  AppendMenuEntry(MainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(MainMenu, "Settings", IDM_SETTINGS, nullptr, 0);
  AppendMenuEntry(MainMenu, "Resume", IDM_RESUME, nullptr, 0);
  AppendMenuEntry(MainMenu, "Mix images", IDM_MIX, nullptr, 0);
  AppendMenuEntry(MainMenu, "", 0, nullptr, 0);
  AppendMenuEntry(MainMenu, "Exit", IDM_EXIT, nullptr, 0);

  AppendMenuEntry(SelectMenu, "First", IDM_FIRST, nullptr, 0);
  AppendMenuEntry(SelectMenu, "Previous", IDM_PREVIOUS, nullptr, 0);
  AppendMenuEntry(SelectMenu, "Next", IDM_NEXT, nullptr, 0);
  AppendMenuEntry(SelectMenu, "Last", IDM_LAST, nullptr, 0);
  AppendMenuEntry(SelectMenu, "Random", IDM_RANDOM, nullptr, 0);
  return 1;
}

const char *DisplayName(const char *path) {
  const char *slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

void BuildFileListMenu() {
  int i = 0;
  for (ListEntry *e = Images.first; e; e = e->next, i++)
    AppendMenuEntry(FileListMenu, DisplayName(e->path), IDM_FILEENTRY + i, nullptr, IDB_FILEENTRY);
}

void ClearFileListMenu() {
  ReleaseMenuEntries(FileListMenu);
  while (GetMenuItemCount(FileListMenu) > 0) DeleteMenu(FileListMenu, 0, MF_BYPOSITION);
}

void ReleaseMenuEntries(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    FreeEntry(EntryOfItem(menu, (UINT)i));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    info.dwItemData = 0;
    SetMenuItemInfoA(menu, (UINT)i, TRUE, &info);
  }
}

void MeasureMenuEntry(HWND window, MEASUREITEMSTRUCT *item) {
  const MenuEntry *entry = reinterpret_cast<const MenuEntry *>(item->itemData);
  UINT dpi = WindowDpi(window);
  SIZE size = {0, 0};
  HDC dc = GetDC(window);
  HFONT font = CreateFontForDpi(dc, dpi);
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  if (entry && dc) GetTextExtentPoint32A(dc, entry->Text, entry->Length, &size);
  if (oldFont) SelectObject(dc, oldFont);
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
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkColor(dc, GetSysColor(COLOR_MENU));
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENUTEXT));
  ExtTextOutA(dc, r.left + ScaleToDpi(kMenuTextIndent, dpi), r.top + ScaleToDpi(kMenuTextTop, dpi),
              ETO_OPAQUE, &r, entry->Text, (UINT)entry->Length, nullptr);
  HGDIOBJ oldPen = SelectObject(dc, light);
  if (selected) {
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, shadow);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
  }
  DrawPictureForDpi(dc, ScaleToDpi(kMenuPictureLeft, dpi), r.top + ScaleToDpi(kMenuPictureTop, dpi),
                    entry->Bitmap, dpi, SRCCOPY);
  SelectObject(dc, oldPen);
  if (oldFont) SelectObject(dc, oldFont);
  if (font) DeleteObject(font);
  DeleteObject(light);
  DeleteObject(shadow);
}

void RemeasureMenuEntries(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    // Setting the type again drops the size the system keeps for an owner-drawn item.
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_OWNERDRAW;
    SetMenuItemInfoA(menu, (UINT)i, TRUE, &info);
  }
}

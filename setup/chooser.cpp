#include "chooser.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "dpi.h"
#include "folderpath.h"
#include "gdiselect.h"
#include "instance.h"
#include "path.h"
#include "resource.h"
#include "wintext.h"

namespace {

// Sizes at 96 DPI, scaled to the dialog's DPI.
const int kDriveItemHeight = 18;
const int kPictureSize = 16;
const int kImageClosed = 0, kImageOpen = 1;
const size_t kDriveEntrySize = 64;  // "C: (label)", the label at most 32 characters

const char *gChooserTitle;
std::string *gChooserPath;
bool gKeepLeaf;
char gDriveRoot[3];
HBITMAP gDrivePicture, gDriveMask;
HTREEITEM gChosenItem;  // the item whose path the edit text took last
HIMAGELIST gFolderImages;

// The edit text after a folder is selected: selected followed by the current text from its
// last backslash on (all of it when it has none); just selected when keepLeaf is false.
std::string ComposeChosenPath(const char *selected, const char *current, bool keepLeaf) {
  if (!keepLeaf) return selected;
  if (!HasSeparator(current)) return std::string(selected) + current;
  return JoinPath(selected, FileNameOf(current));
}

HWND Tree(HWND dialog) {
  return GetDlgItem(dialog, IDC_FOLDERTREE);
}

// The folder path of item: its parent's path, "\", its text; gDriveRoot for no item. False
// when an item cannot be read or the path is too long to install into (folderpath.h).
bool GetItemPath(HWND tree, HTREEITEM item, std::string *out) {
  if (!item) {
    *out = gDriveRoot;
    return true;
  }
  WCHAR text[MAX_PATH];  // a folder's name is shorter
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&tv)) return false;
  HTREEITEM up = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)item);
  std::string parent;
  if (!GetItemPath(tree, up, &parent)) return false;
  *out = JoinPath(parent, Utf8FromWide(text));
  return FitsPath(*out);
}

// Appends the visible folders below folderPath whose names have no extension as children of
// parent, in the order the search returns them.
void AddSubfolders(HWND tree, const char *folderPath, HTREEITEM parent) {
  const std::string pattern = JoinPath(folderPath, "*.");
  if (!FitsPath(pattern)) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WidePath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
    // "*." means names without an extension; not every platform's search applies that
    // old rule, so it is applied here as well (this also drops "." and "..").
    if (wcschr(found.cFileName, L'.')) continue;
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = found.cFileName;
    insert.item.iImage = kImageClosed;
    insert.item.iSelectedImage = kImageOpen;
    insert.item.lParam = 0;
    SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// Adds the item's subfolders once; the item's parameter records that it was done.
void LoadChildren(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&tv) || tv.lParam == 1) return;
  tv.lParam = 1;
  SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&tv);
  std::string path;
  if (GetItemPath(tree, item, &path)) AddSubfolders(tree, path.c_str(), item);
}

void ShowDrive(HWND tree, const wchar_t *root) {
  gDriveRoot[0] = char(root[0] < 0x80 ? root[0] : 0);
  gDriveRoot[1] = gDriveRoot[0] ? ':' : 0;
  gDriveRoot[2] = 0;
  AddSubfolders(tree, gDriveRoot, TVI_ROOT);
  HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
  for (; item;
       item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, (LPARAM)item))
    LoadChildren(tree, item);
}

void FillDriveList(HWND combo) {
  SendMessageW(combo, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  WCHAR roots[256];
  DWORD n = GetLogicalDriveStringsW(256, roots);
  if (n == 0 || n >= 256) return;
  for (const WCHAR *root = roots; *root; root += wcslen(root) + 1) {
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    WCHAR label[MAX_PATH + 1] = L"";  // the largest buffer the call takes
    if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
      label[0] = 0;
    WCHAR letter[3] = {root[0], root[1], 0};
    CharUpperW(letter);
    CharLowerW(label);
    std::wstring entry = std::wstring(letter) + L" (" + label + L")";
    if (entry.size() < kDriveEntrySize) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)entry.c_str());
  }
}

void ShowSelectedDrive(HWND dialog) {
  HWND combo = GetDlgItem(dialog, IDC_DRIVELIST);
  LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  WCHAR entry[kDriveEntrySize];
  if (index == CB_ERR || SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) >= LRESULT(kDriveEntrySize))
    return;
  SendMessageW(combo, CB_GETLBTEXT, index, (LPARAM)entry);
  ShowDrive(Tree(dialog), entry);
}

// The drive and folder pictures at the dialog's DPI: scaled copies of the 16 x 16 ones.
void LoadPictures(HWND dialog) {
  UINT dpi = WindowDpi(dialog);
  if (gDrivePicture) DeleteObject(gDrivePicture);
  if (gDriveMask) DeleteObject(gDriveMask);
  if (gFolderImages) ImageList_Destroy(gFolderImages);
  gDrivePicture = gDriveMask = nullptr;
  HBITMAP drive =
      (HBITMAP)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(IDB_DRIVE), IMAGE_BITMAP, 0, 0, 0);
  HBITMAP mask =
      (HBITMAP)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(IDB_DRIVEMASK), IMAGE_BITMAP, 0, 0, 0);
  gDrivePicture = ScalePictureForDpi(drive, dpi);
  gDriveMask = ScalePictureForDpi(mask, dpi);
  if (drive) DeleteObject(drive);
  if (mask) DeleteObject(mask);
  int size = ScaleToDpi(kPictureSize, dpi);
  gFolderImages = ImageList_Create(size, size, ILC_COLOR, 2, 0);
  for (int id : {IDB_FOLDERCLOSED, IDB_FOLDEROPEN}) {
    HBITMAP picture = (HBITMAP)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                                          LR_LOADTRANSPARENT);
    HBITMAP scaled = ScalePictureForDpi(picture, dpi);
    ImageList_Add(gFolderImages, scaled, nullptr);
    if (scaled) DeleteObject(scaled);
    if (picture) DeleteObject(picture);
  }
}

INT_PTR OnInitDialog(HWND dialog) {
  LoadPictures(dialog);
  SendMessageW(Tree(dialog), TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)gFolderImages);
  FillDriveList(GetDlgItem(dialog, IDC_DRIVELIST));
  SendDlgItemMessageW(dialog, IDC_DRIVELIST, CB_SETCURSEL, 0, 0);
  ShowSelectedDrive(dialog);
  SetDialogItemTextOf(dialog, IDC_FOLDEREDIT, *gChooserPath);
  SetWindowTextOf(dialog, gChooserTitle);
  return TRUE;
}

void OnDestroy() {
  DeleteObject(gDrivePicture);
  DeleteObject(gDriveMask);
  ImageList_Destroy(gFolderImages);
  gDrivePicture = gDriveMask = nullptr;
  gFolderImages = nullptr;
}

void OnSelectionChanged(HWND dialog, HTREEITEM item) {
  if (!item) return;
  gChosenItem = item;
  std::string selected;
  if (!GetItemPath(Tree(dialog), item, &selected)) return;
  const std::string current = DialogItemTextOf(dialog, IDC_FOLDEREDIT);
  const std::string composed = ComposeChosenPath(selected.c_str(), current.c_str(), gKeepLeaf);
  if (FitsPath(composed)) SetDialogItemTextOf(dialog, IDC_FOLDEREDIT, composed);
}

// Folders are loaded one level deeper than shown, so that the expand button appears exactly
// on folders that have subfolders.
void OnItemExpanding(HWND dialog, HTREEITEM item) {
  HWND tree = Tree(dialog);
  HTREEITEM child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
  for (; child; child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child))
    LoadChildren(tree, child);
}

// A click on the item that is selected already but was never chosen: the tree selects its
// first item by itself when it gets the focus, and a click on it reports no change.
void OnTreeClick(HWND dialog) {
  HWND tree = Tree(dialog);
  TVHITTESTINFO hit{};
  GetCursorPos(&hit.pt);
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit);
  if (item && (hit.flags & TVHT_ONITEM) && item != gChosenItem &&
      item == (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0))
    OnSelectionChanged(dialog, item);
}

INT_PTR OnNotify(HWND dialog, const NMHDR *header) {
  if (header->idFrom != IDC_FOLDERTREE) return FALSE;
  // The item handles sit at the same place in the ANSI and the wide form of the record.
  const NMTREEVIEWW *tv = reinterpret_cast<const NMTREEVIEWW *>(header);
  switch (header->code) {
    case NM_CLICK: OnTreeClick(dialog); break;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: OnItemExpanding(dialog, tv->itemNew.hItem); break;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      // Only the user's choice counts: the tree selects its first item by itself when it
      // first gets the focus, and that must not change the edit text.
      if (tv->action == TVC_BYMOUSE || tv->action == TVC_BYKEYBOARD)
        OnSelectionChanged(dialog, tv->itemNew.hItem);
      break;
  }
  return FALSE;  // expansion goes ahead
}

void OnDriveChanged(HWND dialog) {
  gChosenItem = nullptr;
  SendMessageW(Tree(dialog), TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
  ShowSelectedDrive(dialog);
}

void OnAccept(HWND dialog) {
  *gChooserPath = DialogItemTextOf(dialog, IDC_FOLDEREDIT);
  EndDialog(dialog, 1);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDC_CHOOSER_OK: OnAccept(dialog); return TRUE;
    case IDCANCEL:
    case IDC_CHOOSER_CANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_CHOOSER_HELP:
      MessageBoxW(dialog, L"Not available yet!", L"Sorry", MB_OK | MB_ICONERROR);
      return TRUE;
    case IDC_DRIVELIST:
      if (HIWORD(wParam) == CBN_SELCHANGE) OnDriveChanged(dialog);
      return TRUE;
  }
  return FALSE;
}

INT_PTR OnMeasureItem(HWND dialog, MEASUREITEMSTRUCT *measure) {
  if (measure->CtlID != IDC_DRIVELIST) return FALSE;
  UINT least = UINT(ScaleToDpi(kDriveItemHeight, WindowDpi(dialog)));
  if (measure->itemHeight < least) measure->itemHeight = least;
  return TRUE;
}

// Moved to a monitor of another DPI: the pictures and the drive list's item height follow;
// the dialog manager lays the controls out again.
INT_PTR OnDpiChanged(HWND dialog) {
  LoadPictures(dialog);
  SendMessageW(Tree(dialog), TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)gFolderImages);
  HWND drives = GetDlgItem(dialog, IDC_DRIVELIST);
  LRESULT height = SendMessageW(drives, CB_GETITEMHEIGHT, 0, 0);
  int least = ScaleToDpi(kDriveItemHeight, WindowDpi(dialog));
  if (height != CB_ERR && height < least) SendMessageW(drives, CB_SETITEMHEIGHT, 0, least);
  return FALSE;
}

void DrawDrivePicture(HDC dc, int x, int y, int size) {
  BitmapDC memory(dc, gDriveMask);
  BitBlt(dc, x, y, size, size, memory.get(), 0, 0, SRCAND);
  memory.Switch(gDrivePicture);
  BitBlt(dc, x, y, size, size, memory.get(), 0, 0, SRCPAINT);
}

INT_PTR DrawDriveEntry(const DRAWITEMSTRUCT *draw) {
  if (draw->CtlID != IDC_DRIVELIST) return FALSE;
  if (draw->itemID == UINT(-1)) return TRUE;
  bool selected = draw->itemState & ODS_SELECTED;
  COLORREF oldText =
      SetTextColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  COLORREF oldBack = SetBkColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  WCHAR entry[kDriveEntrySize] = L"";
  if (SendMessageW(draw->hwndItem, CB_GETLBTEXTLEN, draw->itemID, 0) < LRESULT(kDriveEntrySize))
    SendMessageW(draw->hwndItem, CB_GETLBTEXT, draw->itemID, (LPARAM)entry);
  int u = LOWORD(GetDialogBaseUnits()) / 4;
  TEXTMETRICW metrics;
  GetTextMetricsW(draw->hDC, &metrics);
  const RECT &r = draw->rcItem;
  UINT dpi = WindowDpi(draw->hwndItem);
  ExtTextOutW(draw->hDC, 2 * u + ScaleToDpi(kPictureSize + 2, dpi),
              (r.top + r.bottom - metrics.tmHeight) / 2, ETO_CLIPPED | ETO_OPAQUE, &r, entry,
              (UINT)wcslen(entry), nullptr);
  SetTextColor(draw->hDC, oldText);
  SetBkColor(draw->hDC, oldBack);
  DrawDrivePicture(draw->hDC, u + ScaleToDpi(2, dpi), r.top + ScaleToDpi(1, dpi),
                   ScaleToDpi(kPictureSize, dpi));
  if (draw->itemState & ODS_FOCUS) DrawFocusRect(draw->hDC, &r);
  return TRUE;
}

INT_PTR CALLBACK ChooserProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MEASUREITEM:
      return OnMeasureItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    case WM_DPICHANGED: return OnDpiChanged(dialog);
    case WM_DRAWITEM: return DrawDriveEntry(reinterpret_cast<DRAWITEMSTRUCT *>(lParam));
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_NOTIFY: return OnNotify(dialog, reinterpret_cast<NMHDR *>(lParam));
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_DESTROY: OnDestroy(); return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int ChooseFolder(HWND owner, const char *title, std::string *path) {
  gChooserTitle = title;
  std::string chosen = *path;
  gChooserPath = &chosen;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  gKeepLeaf = !path->empty();
  gChosenItem = nullptr;
  INT_PTR result =
      DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CHOOSEFOLDER), owner, ChooserProc, 0);
  gChooserPath = nullptr;
  if (result != 1) return 0;
  *path = chosen;
  return 1;
}

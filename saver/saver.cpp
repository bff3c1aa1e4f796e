#include "saver.h"

#include <commctrl.h>

#include "flatbutton.h"
#include "instance.h"
#include "picture.h"
#include "placedraw.h"
#include "resource.h"
#include "saversettings.h"
#include "scrnsave.h"

static_assert(IDI_SAVER == ID_APP, "the library's window class takes the saver's icon");
static_assert(IDD_SETTINGS == IDD_SCRNSAVE_CONFIGURE, "the library runs dialog 2003");

ImageList SaverImages;
ListEntry *CurrentEntry;
HBITMAP CurrentBitmap;
int ScreenWidth;
int ScreenHeight;

namespace {

// Makes the entry current and its picture (or null) the current bitmap.
void ShowEntry(ListEntry *entry) {
  HBITMAP next = LoadPicture(entry->path);
  if (CurrentBitmap) DeleteObject(CurrentBitmap);
  CurrentBitmap = next;
  CurrentEntry = entry;
}

// Black over the window, then the current picture laid out for the whole display.
void DrawShow(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
  if (CurrentEntry)
    DrawPlacedPicture(dc, CurrentBitmap, CurrentEntry->mode, ScreenWidth, ScreenHeight);
  ReleaseDC(window, dc);
}

// A list that fails to load or names no picture refuses the window: the saver does not run.
LRESULT OnCreate(HWND window) {
  ProgramInstance = hMainInstance;
  ReadScreenSize(&ScreenWidth, &ScreenHeight);
  ReadSaverSettings();
  SaverImages = ImageList{};
  if (!LoadImageList(LastFile, &SaverImages, AddListEntry) || !SaverImages.first) return -1;
  if (MixFiles) ShuffleImageList(&SaverImages);
  ShowEntry(SaverImages.first);
  SetTimer(window, SlideTimer, TimeOut * 1000, nullptr);
  return 0;
}

void OnDestroy(HWND window) {
  KillTimer(window, SlideTimer);
  if (CurrentBitmap) DeleteObject(CurrentBitmap);
  CurrentBitmap = nullptr;
  CurrentEntry = nullptr;
  FreeImageList(&SaverImages);
}

void OnTimer(HWND window) {
  if (!CurrentEntry) return;
  ShowEntry(CurrentEntry->next ? CurrentEntry->next : SaverImages.first);
  DrawShow(window);
}

}  // namespace

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_ERASEBKGND: DrawShow(window); return 0;
    case WM_TIMER: OnTimer(window); return 0;
    default: return DefScreenSaverProc(window, msg, wParam, lParam);
  }
}

BOOL WINAPI RegisterDialogClasses(HINSTANCE instance) {
  ProgramInstance = instance;  // the dialog's glyphs, cursor and file dialogs come from it
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  RegisterFlatButtonClass();
  return TRUE;
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SaverSettingsDialogProc(dialog, msg, wParam, lParam);
}

#include "saver.h"

#include <commctrl.h>

#include "flatbutton.h"
#include "instance.h"
#include "placedraw.h"
#include "readahead.h"
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

ReadAhead Ahead;
PreparedPicture Shown;  // Shown.bitmap is CurrentBitmap; Shown.placed its placed drawing

ListEntry *NextEntry(ListEntry *entry) {
  return entry->next ? entry->next : SaverImages.first;
}

// Makes the new current entry's picture (or null) the current bitmap; returns the picture it
// replaces, for the caller to free once the new one is drawn.
PreparedPicture ReplacePicture(const PreparedPicture &picture) {
  PreparedPicture replaced = Shown;
  Shown = picture;
  CurrentBitmap = Shown.bitmap;
  return replaced;
}

// Black over the window, then the current picture laid out for the whole display.
void DrawShow(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
  if (CurrentEntry && !DrawPlacedCopy(dc, Shown, CurrentEntry->mode))
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
  Ahead.Start(ScreenWidth, ScreenHeight);
  CurrentEntry = SaverImages.first;
  Ahead.Change(CurrentEntry, SaverImages, ReplacePicture);  // drawn when the window is erased
  SetTimer(window, SlideTimer, TimeOut * 1000, nullptr);
  return 0;
}

void OnDestroy(HWND window) {
  KillTimer(window, SlideTimer);
  Ahead.Stop();
  FreePreparedPicture(&Shown);
  CurrentBitmap = nullptr;
  CurrentEntry = nullptr;
  FreeImageList(&SaverImages);
}

void OnTimer(HWND window) {
  if (!CurrentEntry) return;
  CurrentEntry = NextEntry(CurrentEntry);
  Ahead.Change(CurrentEntry, SaverImages, [window](const PreparedPicture &picture) {
    PreparedPicture replaced = ReplacePicture(picture);
    DrawShow(window);
    return replaced;
  });
}

}  // namespace

bool SaverReadAheadIdle() {
  return Ahead.Idle();
}

int SaverReadAheadHandOvers() {
  return Ahead.HandOvers();
}

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

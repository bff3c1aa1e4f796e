#include "saver.h"

#include <commctrl.h>

#include "flatbutton.h"
#include "instance.h"
#include "monitors.h"
#include "placedraw.h"
#include "prepared.h"
#include "resource.h"
#include "saversettings.h"
#include "scrnsave.h"

static_assert(IDI_SAVER == ID_APP, "the library's window class takes the saver's icon");
static_assert(IDD_SETTINGS == IDD_SCRNSAVE_CONFIGURE, "the library runs dialog 2003");

Show gShow;

namespace {

MonitorLayout gMonitors;  // where the show is drawn, in the window's client coordinates

// Full screen: every monitor, each showing the picture laid out for its own size. The
// preview: one screen of the display's size at the window's corner, of which the small
// window shows the top-left part.
void ReadShowMonitors(HWND window) {
  if (fChildPreview) {
    gMonitors = MonitorLayout{};
    gMonitors.count = 1;
    gMonitors.rect[0] = RECT{0, 0, gShow.ScreenWidth, gShow.ScreenHeight};
    return;
  }
  ReadMonitorLayout(&gMonitors);
  RECT placed;  // the window covers the virtual screen; monitors are relative to its corner
  GetWindowRect(window, &placed);
  for (int i = 0; i < gMonitors.count; i++)
    OffsetRect(&gMonitors.rect[i], -placed.left, -placed.top);
}

// Begins the show with pictures laid out for the monitors of other sizes than the display's too.
void BeginForMonitors() {
  ScreenSize sizes[kMaxMonitors], others[kMaxMonitors];
  int count = DistinctMonitorSizes(gMonitors, sizes, kMaxMonitors), otherCount = 0;
  for (int i = 0; i < count; i++)
    if (sizes[i].width != gShow.ScreenWidth || sizes[i].height != gShow.ScreenHeight)
      others[otherCount++] = sizes[i];
  gShow.Begin(others, otherCount);
}

// The current picture laid out for the monitor at r: centred in it, tiled from its top-left
// corner or fitted to its size, and cut at its edges.
void DrawOnMonitor(HDC dc, const RECT &r) {
  int width = r.right - r.left, height = r.bottom - r.top;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  SetViewportOrgEx(dc, r.left, r.top, nullptr);
  PlacementMode mode = gShow.CurrentEntry->mode;
  const PreparedPicture &shown = gShow.Picture();
  bool copied = width == gShow.ScreenWidth && height == gShow.ScreenHeight
                    ? DrawPlacedCopy(dc, shown, mode)
                    : DrawPlacedCopyFor(dc, shown, mode, width, height);
  if (!copied) DrawPlacedPicture(dc, shown.bitmap, mode, width, height);
  RestoreDC(dc, saved);
}

// Black over the window, then the current picture on each monitor.
void DrawShow(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
  if (gShow.CurrentEntry)
    for (int i = 0; i < gMonitors.count; i++) DrawOnMonitor(dc, gMonitors.rect[i]);
  ReleaseDC(window, dc);
}

// A list or folder that fails to load or names no picture refuses the window: the saver does
// not run.
LRESULT OnCreate(HWND window) {
  ProgramInstance = hMainInstance;
  gShow.ReadDisplaySize();
  gSaverSettings.Read();
  gShow.ShufflePasses = gSaverSettings.Flags != 0;
  if (gShow.Load(gSaverSettings.LastFile.c_str()) != kShowLoaded) return -1;
  gShow.NotifyListingTo(window);
  if (gSaverSettings.Flags) gShow.Shuffle();
  ReadShowMonitors(window);
  BeginForMonitors();
  gShow.GoTo(kGoFirst, [] {});  // drawn when the window is erased
  SetTimer(window, SlideTimer, gSaverSettings.TimeOut * 1000, nullptr);
  return 0;
}

void OnDestroy(HWND window) {
  KillTimer(window, SlideTimer);
  gShow.NotifyListingTo(nullptr);
  gShow.End();
  gShow.FreeList();
}

void OnTimer(HWND window) {
  if (!gShow.CurrentEntry) return;
  gShow.GoTo(kGoNext, [window] { DrawShow(window); });
}

}  // namespace

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_ERASEBKGND: DrawShow(window); return 0;
    case WM_TIMER: OnTimer(window); return 0;
    case kShowListedMessage: gShow.TakeListing(); return 0;
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

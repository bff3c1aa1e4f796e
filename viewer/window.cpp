#include "window.h"

#include <windowsx.h>

#include "commands.h"
#include "instance.h"
#include "menus.h"
#include "path.h"
#include "resource.h"
#include "settings.h"
#include "view.h"

const char kViewerClass[] = "Lumora_TestWndClass";
const char kViewerTitle[] = "Lumora";
HWND gViewerWindow;

namespace {

HCURSOR gArrowCursor;
HCURSOR gHandCursor;
HCURSOR gZoomInCursor;
HCURSOR gZoomOutCursor;

// What the mouse is doing, as the window's handlers follow it; none of it is stored.
struct MouseState {
  POINT Last;        // where the last mouse message said the pointer was
  bool DragActive;   // the mouse moved with the left button down since the press
  bool HoldPending;  // the left button is down and HoldTimer runs
};
MouseState gMouse;

// Whether a click zooms out: a stored setting, flipped by holding the button.
bool ZoomsOut() {
  return (gViewerSettings.Flags & ZoomOutOnClick) != 0;
}

HCURSOR MagnifierCursor() {
  return ZoomsOut() ? gZoomOutCursor : gZoomInCursor;
}

void EndHold(HWND window) {
  if (!gMouse.HoldPending) return;
  gMouse.HoldPending = false;
  KillTimer(window, HoldTimer);
}

LRESULT OnCreate(HWND window) {
  gViewerWindow = window;
  SetCursor(gArrowCursor);
  if (!CreateDrawingResources(window)) return -1;
  gShow.NotifyListingTo(window);
  return 0;
}

void OnDestroy(HWND window) {
  KillTimer(window, SlideTimer);
  KillTimer(window, HoldTimer);
  ReleaseDrawingResources();
  gShow.NotifyListingTo(nullptr);
  gViewerWindow = nullptr;
  PostQuitMessage(0);
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc) PaintPicture(dc);
  EndPaint(window, &ps);
}

// Paints with the context the message brings (the update region's, clipped).
LRESULT OnEraseBackground(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
  return 1;
}

void OnTimer(HWND window, UINT_PTR id) {
  if (id == SlideTimer) {
    GoToPicture(kGoNext);
  } else if (id == HoldTimer) {
    gViewerSettings.Flags ^= ZoomOutOnClick;
    SetCursor(MagnifierCursor());
    KillTimer(window, HoldTimer);
  }
}

void ZoomFromKeypad(HWND window, LONG zoom) {
  gView.Zoom = zoom;
  CentreView();
  bool erased = false;
  ListEntry *entry = gShow.CurrentEntry;
  if (entry && entry->mode != kModeCentred) {
    entry->mode = kModeCentred;
    EraseScreen();
    erased = true;
  }
  // A refused step draws nothing: the picture just erased is drawn again, centred.
  if (!ApplyZoom() && erased) InvalidateRect(window, nullptr, TRUE);
}

void Pan(LONG dx, LONG dy) {
  gView.PosX += dx;
  gView.PosY += dy;
  ApplyPan();
}

void OnKeyDown(HWND window, WPARAM key) {
  StopSlideTimer();
  switch (key) {
    case VK_BACK: GoToPicture(kGoPrevious); break;
    case VK_RETURN: GoToPicture(kGoNext); break;
    case VK_ESCAPE: DestroyWindow(window); break;
    case VK_END: GoToPicture(kGoLast); break;
    case VK_HOME: GoToPicture(kGoFirst); break;
    case VK_LEFT: Pan(-kPanStep, 0); break;
    case VK_UP: Pan(0, -kPanStep); break;
    case VK_RIGHT: Pan(kPanStep, 0); break;
    case VK_DOWN: Pan(0, kPanStep); break;
    case VK_ADD: ZoomFromKeypad(window, ZoomStepIn(gView.Zoom)); break;
    case VK_SUBTRACT: ZoomFromKeypad(window, ZoomStepOut(gView.Zoom)); break;
    default: break;
  }
}

// A move message that does not move (Windows and X servers send them when windows or the
// capture change) neither cancels a click nor starts a drag.
void OnMouseMove(HWND window, WPARAM keys, POINT at) {
  if (at.x == gMouse.Last.x && at.y == gMouse.Last.y) return;
  EndHold(window);
  if (keys & MK_LBUTTON) {
    bool fits = gView.ZoomedWidth <= gShow.ScreenWidth && gView.ZoomedHeight <= gShow.ScreenHeight;
    if (!gMouse.DragActive) {
      gMouse.DragActive = true;
      SetCursor(fits ? gArrowCursor : gHandCursor);
    }
    if (!fits) {
      gView.PosX += at.x - gMouse.Last.x;
      gView.PosY += at.y - gMouse.Last.y;
      ApplyPan();
    }
  }
  gMouse.Last = at;
}

// The window keeps the mouse from the press to the release, so that a drag released outside
// it (on another monitor) still ends here.
void OnLeftButtonDown(HWND window, POINT at) {
  SetCapture(window);
  SetCursor(MagnifierCursor());
  SetTimer(window, HoldTimer, kHoldMillis, nullptr);
  gMouse.HoldPending = true;
  gMouse.Last = at;
}

void OnLeftButtonUp(HWND window, POINT at) {
  EndHold(window);
  if (!gMouse.DragActive && PointOnPicture(&gView, at.x, at.y)) {
    CentreOnClick(&gView, at.x, at.y);
    gView.Zoom = ZoomsOut() ? ZoomStepOut(gView.Zoom) : ZoomStepIn(gView.Zoom);
    ApplyZoom();
  }
  gMouse.DragActive = gMouse.HoldPending = false;
  SetCursor(gArrowCursor);
  gMouse.Last = at;
  if (GetCapture() == window) ReleaseCapture();
}

// The capture went elsewhere (released above, or taken by another window): no drag or hold
// outlives it.
void OnCaptureChanged(HWND window) {
  EndHold(window);
  if (!gMouse.DragActive) return;
  gMouse.DragActive = false;
  SetCursor(gArrowCursor);
}

void OnRightButtonDown(HWND window, POINT at) {
  StopSlideTimer();
  gMouse.Last = at;
  POINT screen;
  GetCursorPos(&screen);
  SetForegroundWindow(window);  // so that the menu closes when the user clicks elsewhere
  TrackPopupMenu(gMainMenu, 0, screen.x, screen.y, 0, window, nullptr);
}

// Moved to (or the user rescaled) a monitor of another DPI: the window keeps covering the
// screen in physical pixels, so only what is drawn in scaled sizes changes: the menus are
// measured again before they next open.
void OnDpiChanged() {
  RemeasureMenuEntries(gMainMenu);
}

// Signed: with the mouse captured, a point left of or above the window is negative.
POINT MousePoint(LPARAM lParam) {
  POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return p;
}

}  // namespace

void LoadViewerCursors() {
  gArrowCursor = LoadCursorA(nullptr, IDC_ARROW);
  gHandCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_LINKHAND));
  gZoomInCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_ZOOMIN));
  gZoomOutCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_ZOOMOUT));
}

ATOM RegisterViewerClass() {
  WNDCLASSW wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = ViewerWindowProc;
  wc.hInstance = ProgramInstance;
  wc.hIcon = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_LUMORA));
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  const std::wstring name = WideFromUtf8(kViewerClass);
  wc.lpszClassName = name.c_str();
  return RegisterClassW(&wc);
}

HWND CreateViewerWindow() {
  return CreateWindowExW(0, WideFromUtf8(kViewerClass).c_str(), WideFromUtf8(kViewerTitle).c_str(),
                         WS_POPUP, 0, 0, gShow.ScreenWidth, gShow.ScreenHeight, nullptr, nullptr,
                         ProgramInstance, nullptr);
}

void StartSlideTimer() {
  if (gViewerWindow) SetTimer(gViewerWindow, SlideTimer, gViewerSettings.TimeOut * 1000, nullptr);
}

void StopSlideTimer() {
  if (gViewerWindow) KillTimer(gViewerWindow, SlideTimer);
}

LRESULT CALLBACK ViewerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_ERASEBKGND: return OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_MEASUREITEM:
      MeasureMenuEntry(window, reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
      return 0;
    case WM_INITMENUPOPUP: PrepareFileListMenu(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_DRAWITEM: DrawMenuEntry(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)); return 0;
    case WM_DPICHANGED: OnDpiChanged(); return 0;
    case WM_KEYDOWN: OnKeyDown(window, wParam); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return 0;
    case kShowListedMessage: gShow.TakeListing(); return 0;
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, wParam, MousePoint(lParam)); return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(window, MousePoint(lParam)); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(window, MousePoint(lParam)); return 0;
    case WM_RBUTTONDOWN: OnRightButtonDown(window, MousePoint(lParam)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(window); return 0;
    default: return DefWindowProcW(window, msg, wParam, lParam);
  }
}

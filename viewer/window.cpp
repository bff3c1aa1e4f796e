#include "window.h"

#include <windowsx.h>

#include "commands.h"
#include "instance.h"
#include "menus.h"
#include "resource.h"
#include "settings.h"
#include "view.h"

const char kViewerClass[] = "Lumora_TestWndClass";
const char kViewerTitle[] = "Lumora";
HWND ViewerWindow;

namespace {

HCURSOR ArrowCursor;
HCURSOR HandCursor;
HCURSOR ZoomInCursor;
HCURSOR ZoomOutCursor;
POINT LastMouse;

HCURSOR MagnifierCursor() {
  return (ProgramState & ZoomOutOnClick) ? ZoomOutCursor : ZoomInCursor;
}

void EndHold(HWND window) {
  if (!(ProgramState & HoldPending)) return;
  ProgramState &= ~HoldPending;
  KillTimer(window, HoldTimer);
}

LRESULT OnCreate(HWND window) {
  ViewerWindow = window;
  SetCursor(ArrowCursor);
  return CreateDrawingResources(window) ? 0 : -1;
}

void OnDestroy(HWND window) {
  KillTimer(window, SlideTimer);
  KillTimer(window, HoldTimer);
  ReleaseDrawingResources();
  ViewerWindow = nullptr;
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
    ProgramState ^= ZoomOutOnClick;
    SetCursor(MagnifierCursor());
    KillTimer(window, HoldTimer);
  }
}

void ZoomFromKeypad(HWND window, LONG zoom) {
  View.Zoom = zoom;
  CentreView();
  bool erased = false;
  if (View.CurrentEntry && View.CurrentEntry->mode != kModeCentred) {
    View.CurrentEntry->mode = kModeCentred;
    EraseScreen();
    erased = true;
  }
  // A refused step draws nothing: the picture just erased is drawn again, centred.
  if (!ApplyZoom() && erased) InvalidateRect(window, nullptr, TRUE);
}

void Pan(LONG dx, LONG dy) {
  View.PosX += dx;
  View.PosY += dy;
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
    case VK_ADD: ZoomFromKeypad(window, ZoomStepIn(View.Zoom)); break;
    case VK_SUBTRACT: ZoomFromKeypad(window, ZoomStepOut(View.Zoom)); break;
    default: break;
  }
}

// A move message that does not move (Windows and X servers send them when windows or the
// capture change) neither cancels a click nor starts a drag.
void OnMouseMove(HWND window, WPARAM keys, POINT at) {
  if (at.x == LastMouse.x && at.y == LastMouse.y) return;
  EndHold(window);
  if (keys & MK_LBUTTON) {
    bool fits = View.ZoomedWidth <= ScreenWidth && View.ZoomedHeight <= ScreenHeight;
    if (!(ProgramState & DragActive)) {
      ProgramState |= DragActive;
      SetCursor(fits ? ArrowCursor : HandCursor);
    }
    if (!fits) {
      View.PosX += at.x - LastMouse.x;
      View.PosY += at.y - LastMouse.y;
      ApplyPan();
    }
  }
  LastMouse = at;
}

// The window keeps the mouse from the press to the release, so that a drag released outside
// it (on another monitor) still ends here.
void OnLeftButtonDown(HWND window, POINT at) {
  SetCapture(window);
  SetCursor(MagnifierCursor());
  SetTimer(window, HoldTimer, kHoldMillis, nullptr);
  ProgramState |= HoldPending;
  LastMouse = at;
}

void OnLeftButtonUp(HWND window, POINT at) {
  EndHold(window);
  if (!(ProgramState & DragActive) && PointOnPicture(&View, at.x, at.y)) {
    CentreOnClick(&View, at.x, at.y);
    View.Zoom = (ProgramState & ZoomOutOnClick) ? ZoomStepOut(View.Zoom) : ZoomStepIn(View.Zoom);
    ApplyZoom();
  }
  ProgramState &= ~(DragActive | HoldPending);
  SetCursor(ArrowCursor);
  LastMouse = at;
  if (GetCapture() == window) ReleaseCapture();
}

// The capture went elsewhere (released above, or taken by another window): no drag or hold
// outlives it.
void OnCaptureChanged(HWND window) {
  EndHold(window);
  if (!(ProgramState & DragActive)) return;
  ProgramState &= ~DragActive;
  SetCursor(ArrowCursor);
}

void OnRightButtonDown(HWND window, POINT at) {
  StopSlideTimer();
  LastMouse = at;
  POINT screen;
  GetCursorPos(&screen);
  SetForegroundWindow(window);  // so that the menu closes when the user clicks elsewhere
  TrackPopupMenu(MainMenu, 0, screen.x, screen.y, 0, window, nullptr);
}

// Moved to (or the user rescaled) a monitor of another DPI: the window keeps covering the
// screen in physical pixels, so only what is drawn in scaled sizes changes: the menus are
// measured again before they next open.
void OnDpiChanged() {
  RemeasureMenuEntries(MainMenu);
}

// Signed: with the mouse captured, a point left of or above the window is negative.
POINT MousePoint(LPARAM lParam) {
  POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return p;
}

}  // namespace

void LoadViewerCursors() {
  ArrowCursor = LoadCursorA(nullptr, IDC_ARROW);
  HandCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_LINKHAND));
  ZoomInCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_ZOOMIN));
  ZoomOutCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_ZOOMOUT));
}

ATOM RegisterViewerClass() {
  WNDCLASSA wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = ViewerWindowProc;
  wc.hInstance = ProgramInstance;
  wc.hIcon = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_LUMORA));
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = kViewerClass;
  return RegisterClassA(&wc);
}

HWND CreateViewerWindow() {
  return CreateWindowExA(0, kViewerClass, kViewerTitle, WS_POPUP, 0, 0, ScreenWidth, ScreenHeight,
                         nullptr, nullptr, ProgramInstance, nullptr);
}

void StartSlideTimer() {
  if (ViewerWindow) SetTimer(ViewerWindow, SlideTimer, TimeOut * 1000, nullptr);
}

void StopSlideTimer() {
  if (ViewerWindow) KillTimer(ViewerWindow, SlideTimer);
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
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, wParam, MousePoint(lParam)); return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(window, MousePoint(lParam)); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(window, MousePoint(lParam)); return 0;
    case WM_RBUTTONDOWN: OnRightButtonDown(window, MousePoint(lParam)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(window); return 0;
    default: return DefWindowProcA(window, msg, wParam, lParam);
  }
}

#include "flatbutton.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "commonres.h"
#include "instance.h"
#include "picture.h"

const char kFlatButtonClass[] = "FlatButton";

namespace {

const char kWebPrefix[] = "http:";
const int kWebPrefixLength = 5;
const COLORREF kLinkColour = RGB(0, 0, 255);

ShellOpenProc linkOpener;  // null: ShellExecuteA

LONG_PTR Flags(HWND button) {
  return GetWindowLongPtrA(button, GWLP_USERDATA);
}

void StoreFlags(HWND button, LONG_PTR flags, bool repaint) {
  SetWindowLongPtrA(button, GWLP_USERDATA, flags);
  if (repaint) InvalidateRect(button, nullptr, TRUE);
}

// Coordinates are read unsigned, so the negative ones reported while the button holds the
// capture count as outside.
bool PointInside(HWND button, LPARAM lParam) {
  RECT client;
  GetClientRect(button, &client);
  unsigned x = LOWORD(lParam), y = HIWORD(lParam);
  return x <= (unsigned)client.right && y <= (unsigned)client.bottom;
}

void OpenLink(HWND button) {
  char text[kFlatButtonTextMax + 2];
  char target[kFlatButtonTextMax + 1];
  // A text that does not fit is not opened at all rather than opened cut short.
  if (GetWindowTextLengthA(button) > kFlatButtonTextMax) return;
  GetWindowTextA(button, text, sizeof text);
  if (!LinkTarget(text, target, sizeof target)) return;
  ShellOpenProc open = linkOpener ? linkOpener : ShellExecuteA;
  open(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

void PaintLink(HWND button, HDC dc, LONG_PTR flags) {
  RECT client;
  GetClientRect(button, &client);
  char caption[kFlatButtonTextMax + 1];
  int length = GetWindowTextA(button, caption, sizeof caption);
  SetTextColor(dc, kLinkColour);
  TextOutA(dc, 2, 2, caption, length);
  if (flags & FB_HOT) {
    HPEN blue = CreatePen(PS_SOLID, 1, kLinkColour);
    HGDIOBJ old = SelectObject(dc, blue);
    MoveToEx(dc, 0, client.bottom - 1, nullptr);
    LineTo(dc, client.right - 1, client.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(blue);
  }
}

// The one-pixel frame along the client edge: top and left in the first pen, right and bottom
// in the second.
void DrawFrame(HDC dc, int width, int height, HPEN first, HPEN second) {
  HGDIOBJ old = SelectObject(dc, first);
  MoveToEx(dc, 0, height - 1, nullptr);
  LineTo(dc, 0, 0);
  LineTo(dc, width - 1, 0);
  SelectObject(dc, second);
  LineTo(dc, width - 1, height - 1);
  LineTo(dc, 0, height - 1);
  SelectObject(dc, old);
}

void PaintButton(HWND button, HDC dc, LONG_PTR flags) {
  RECT client;
  GetClientRect(button, &client);
  int width = client.right, height = client.bottom;
  // Loaded and deleted on every paint; not shared, so that deleting it is allowed.
  HBITMAP glyph =
      (HBITMAP)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(GetDlgCtrlID(button) & 0xFFFF),
                          IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS | LR_DEFAULTSIZE);
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  char caption[kFlatButtonTextMax + 1];
  GetWindowTextA(button, caption, sizeof caption);

  bool sunken = (flags & FB_PRESSED) && (flags & FB_HOT);
  RECT text = {sunken ? 2 : 0, sunken ? 6 : 4, width, height};
  DrawTextA(dc, caption, -1, &text, DT_CENTER | (sunken ? DT_VCENTER : DT_BOTTOM));
  if (glyph) DrawBitmap(dc, sunken ? 6 : 4, sunken ? 5 : 3, glyph, SRCCOPY);
  if (flags & FB_HOT) {
    bool pressed = (flags & FB_PRESSED) != 0;
    DrawFrame(dc, width, height, pressed ? dark : light, pressed ? light : dark);
  }

  if (glyph) DeleteObject(glyph);
  if (light) DeleteObject(light);
  if (dark) DeleteObject(dark);
}

LRESULT OnCreate(HWND button) {
  HDC dc = GetDC(button);
  SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
  SetBkMode(dc, TRANSPARENT);
  ReleaseDC(button, dc);
  StoreFlags(button, 0, false);
  return 0;
}

LRESULT OnPaint(HWND button) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(button, &ps);
  LONG_PTR flags = Flags(button);
  if (flags & FB_LINK)
    PaintLink(button, dc, flags);
  else
    PaintButton(button, dc, flags);
  EndPaint(button, &ps);
  return 0;
}

LRESULT OnMouseMove(HWND button, WPARAM wParam, LPARAM lParam) {
  LONG_PTR flags = Flags(button);
  bool link = (flags & FB_LINK) != 0;
  if (PointInside(button, lParam)) {
    if (flags & FB_HOT) return 0;
    if (link) SetCursor(LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDCUR_LINKHAND)));
    SetCapture(button);
    StoreFlags(button, flags | FB_HOT, true);
    return 0;
  }
  if (link) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  if (!(wParam & MK_LBUTTON)) ReleaseCapture();
  if (flags & FB_HOT) StoreFlags(button, flags & ~FB_HOT, true);
  return 0;
}

LRESULT OnLButtonDown(HWND button) {
  StoreFlags(button, Flags(button) | FB_PRESSED, true);
  return 0;
}

LRESULT OnLButtonUp(HWND button, LPARAM lParam) {
  LONG_PTR flags = Flags(button);
  StoreFlags(button, flags & ~(FB_HOT | FB_PRESSED), true);
  if (PointInside(button, lParam)) {
    if (flags & FB_LINK) {
      OpenLink(button);
    } else {
      HWND parent = (HWND)GetWindowLongPtrA(button, GWLP_HWNDPARENT);
      WORD id = (WORD)(GetDlgCtrlID(button) & 0xFFFF);
      PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
    }
  }
  ReleaseCapture();
  return 0;
}

LRESULT CALLBACK FlatButtonProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(button);
    case WM_PAINT: return OnPaint(button);
    case WM_MOUSEMOVE: return OnMouseMove(button, wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(button);
    case WM_LBUTTONUP: return OnLButtonUp(button, lParam);
    default: return DefWindowProcA(button, msg, wParam, lParam);
  }
}

}  // namespace

ATOM RegisterFlatButtonClass() {
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = FlatButtonProc;
  wc.hInstance = ProgramInstance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
  wc.lpszClassName = kFlatButtonClass;
  return RegisterClassA(&wc);
}

void MakeFlatButtonLink(HWND button) {
  SetWindowLongPtrA(button, GWLP_USERDATA, FB_LINK);
}

int LinkTarget(const char *text, char *target, size_t targetSize) {
  if (targetSize == 0) return 0;
  target[0] = 0;
  size_t length = strlen(text);
  if (length > (size_t)kFlatButtonTextMax) return 0;
  bool web = strncmp(text, kWebPrefix, kWebPrefixLength) == 0;
  int written = snprintf(target, targetSize, web ? "%s" : "mailto:%s", text);
  if (written < 0 || (size_t)written >= targetSize) {
    target[0] = 0;
    return 0;
  }
  return 1;
}

void SetLinkOpener(ShellOpenProc opener) {
  linkOpener = opener;
}

#include "flatbutton.h"

#include <shellapi.h>

#include <cstring>

#include "commonres.h"
#include "dpi.h"
#include "gdiselect.h"
#include "instance.h"
#include "textformat.h"
#include "wintext.h"

const char kFlatButtonClass[] = "FlatButton";

namespace {

const char kWebPrefix[] = "http:";
const int kWebPrefixLength = 5;
const COLORREF kLinkColour = RGB(0, 0, 255);
// The label font made for a DPI other than 96, kept with the button until it is destroyed.
const wchar_t kFontProperty[] = L"LumoraFlatButtonFont";
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

ShellOpenProc gLinkOpener;  // null: ShellExecuteA

LONG_PTR Flags(HWND button) {
  return GetWindowLongPtrW(button, GWLP_USERDATA);
}

void StoreFlags(HWND button, LONG_PTR flags, bool repaint) {
  SetWindowLongPtrW(button, GWLP_USERDATA, flags);
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
  char target[kFlatButtonTextMax + 1];
  // A text that does not fit is not opened at all rather than opened cut short.
  if (!LinkTarget(WindowTextOf(button).c_str(), target, sizeof target)) return;
  ShellOpenProc open = gLinkOpener ? gLinkOpener : ShellExecuteA;
  open(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

void PaintLink(HWND button, HDC dc, LONG_PTR flags) {
  RECT client;
  GetClientRect(button, &client);
  UINT dpi = WindowDpi(button);
  SetTextColor(dc, kLinkColour);
  TextOutOf(dc, ScaleToDpi(2, dpi), ScaleToDpi(2, dpi), WindowTextOf(button));
  if (flags & FB_HOT) {
    // A pen wider than one pixel is centred on its line: the line moves up by half of it.
    int thickness = ScaleToDpi(1, dpi);
    int y = client.bottom - 1 - thickness / 2;
    HPEN blue = CreatePen(PS_SOLID, thickness, kLinkColour);
    {
      ScopedSelect pen(dc, blue);
      MoveToEx(dc, 0, y, nullptr);
      LineTo(dc, client.right - 1, y);
    }
    DeleteObject(blue);
  }
}

// The one-pixel frame along the client edge: top and left in the first pen, right and bottom
// in the second.
void DrawFrame(HDC dc, int width, int height, HPEN first, HPEN second) {
  ScopedSelect pen(dc, first);
  MoveToEx(dc, 0, height - 1, nullptr);
  LineTo(dc, 0, 0);
  LineTo(dc, width - 1, 0);
  pen.Switch(second);
  LineTo(dc, width - 1, height - 1);
  LineTo(dc, 0, height - 1);
}

void PaintButton(HWND button, HDC dc, LONG_PTR flags) {
  RECT client;
  GetClientRect(button, &client);
  int width = client.right, height = client.bottom;
  UINT dpi = WindowDpi(button);
  // Loaded and deleted on every paint; not shared, so that deleting it is allowed.
  HBITMAP glyph =
      (HBITMAP)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(GetDlgCtrlID(button) & 0xFFFF),
                          IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS | LR_DEFAULTSIZE);
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));

  bool sunken = (flags & FB_PRESSED) && (flags & FB_HOT);
  // Offsets are those at 96 DPI, scaled; the glyph is drawn at its 96-DPI size scaled.
  RECT text = {ScaleToDpi(sunken ? 2 : 0, dpi), ScaleToDpi(sunken ? 6 : 4, dpi), width, height};
  DrawTextOf(dc, WindowTextOf(button), &text, DT_CENTER | (sunken ? DT_VCENTER : DT_BOTTOM));
  DrawPictureForDpi(dc, ScaleToDpi(sunken ? 6 : 4, dpi), ScaleToDpi(sunken ? 5 : 3, dpi), glyph,
                    dpi, SRCCOPY);
  if (flags & FB_HOT) {
    bool pressed = (flags & FB_PRESSED) != 0;
    DrawFrame(dc, width, height, pressed ? dark : light, pressed ? light : dark);
  }

  if (glyph) DeleteObject(glyph);
  if (light) DeleteObject(light);
  if (dark) DeleteObject(dark);
}

// Selects the label font for the button's DPI into its own device context, replacing (and
// deleting) one made for another DPI.
void SelectLabelFont(HWND button) {
  HFONT font = DpiVarFont(WindowDpi(button));
  HDC dc = GetDC(button);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  ReleaseDC(button, dc);
  HFONT previous = (HFONT)RemovePropW(button, kFontProperty);
  if (OwnsDpiFont(previous)) DeleteObject(previous);
  if (OwnsDpiFont(font)) SetPropW(button, kFontProperty, font);
}

LRESULT OnCreate(HWND button) {
  SelectLabelFont(button);
  StoreFlags(button, 0, false);
  return 0;
}

// Moved to a monitor of another DPI (the dialog has been laid out again): new font, repaint.
LRESULT OnDpiChanged(HWND button) {
  SelectLabelFont(button);
  InvalidateRect(button, nullptr, TRUE);
  return 0;
}

LRESULT OnNcDestroy(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
  HFONT font = (HFONT)RemovePropW(button, kFontProperty);
  if (OwnsDpiFont(font)) DeleteObject(font);
  return DefWindowProcW(button, msg, wParam, lParam);
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
    if (link) SetCursor(LoadCursorW(ProgramInstance, MAKEINTRESOURCEW(IDCUR_LINKHAND)));
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
      HWND parent = (HWND)GetWindowLongPtrW(button, GWLP_HWNDPARENT);
      WORD id = (WORD)(GetDlgCtrlID(button) & 0xFFFF);
      PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
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
    case WM_DPICHANGED_AFTERPARENT: return OnDpiChanged(button);
    case WM_NCDESTROY: return OnNcDestroy(button, msg, wParam, lParam);
    default: return DefWindowProcW(button, msg, wParam, lParam);
  }
}

}  // namespace

ATOM RegisterFlatButtonClass() {
  WNDCLASSW wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = FlatButtonProc;
  wc.hInstance = ProgramInstance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
  wc.lpszClassName = L"FlatButton";  // kFlatButtonClass
  return RegisterClassW(&wc);
}

void MakeFlatButtonLink(HWND button) {
  SetWindowLongPtrW(button, GWLP_USERDATA, FB_LINK);
}

int LinkTarget(const char *text, char *target, size_t targetSize) {
  if (targetSize == 0) return 0;
  target[0] = 0;
  size_t length = strlen(text);
  if (length > (size_t)kFlatButtonTextMax) return 0;
  bool web = strncmp(text, kWebPrefix, kWebPrefixLength) == 0;
  return FormatInto(target, targetSize, web ? "%s" : "mailto:%s", text);
}

void SetLinkOpener(ShellOpenProc opener) {
  gLinkOpener = opener;
}

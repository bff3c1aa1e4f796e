#include "dpi.h"

#include "gdiselect.h"

namespace {

typedef UINT(WINAPI *GetDpiForWindowProc)(HWND);

// User32's exports of Windows 10 and later, or null.
void *User32Export(const char *name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? (void *)GetProcAddress(user32, name) : nullptr;
}

}  // namespace

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? (UINT)dpi : kBaseDpi;
}

UINT WindowDpi(HWND window) {
  static GetDpiForWindowProc getDpiForWindow = (GetDpiForWindowProc)User32Export("GetDpiForWindow");
  if (window && getDpiForWindow) {
    UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  return SystemDpi();
}

int ScaleToDpi(int pixels, UINT dpi) {
  return MulDiv(pixels, (int)dpi, (int)kBaseDpi);
}

HFONT DpiVarFont(UINT dpi) {
  HFONT stock = (HFONT)GetStockObject(ANSI_VAR_FONT);
  if (dpi == kBaseDpi) return stock;
  LOGFONTW font = {};
  if (!GetObjectW(stock, sizeof font, &font)) return stock;
  font.lfHeight = ScaleToDpi(font.lfHeight, dpi);
  font.lfWidth = ScaleToDpi(font.lfWidth, dpi);
  HFONT scaled = CreateFontIndirectW(&font);
  return scaled ? scaled : stock;
}

bool OwnsDpiFont(HFONT font) {
  return font && font != (HFONT)GetStockObject(ANSI_VAR_FONT);
}

HFONT CreateFontForDpi(HDC dc, UINT dpi) {
  UINT system = SystemDpi();
  if (!dc || dpi == system) return nullptr;
  LOGFONTW font = {};
  if (!GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font)) return nullptr;
  font.lfHeight = MulDiv(font.lfHeight, (int)dpi, (int)system);
  font.lfWidth = MulDiv(font.lfWidth, (int)dpi, (int)system);
  return CreateFontIndirectW(&font);
}

int DrawPictureForDpi(HDC dc, int x, int y, HBITMAP picture, UINT dpi, DWORD rop) {
  if (!picture) return 0;
  BITMAP info = {};
  if (!GetObjectA(picture, sizeof info, &info)) return 0;
  int width = ScaleToDpi(info.bmWidth, dpi), height = ScaleToDpi(info.bmHeight, dpi);
  BitmapDC memory(dc, picture);
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x, y, width, height, memory.get(), 0, 0, info.bmWidth, info.bmHeight, rop);
  SetStretchBltMode(dc, oldMode);
  return width;
}

HBITMAP ScalePictureForDpi(HBITMAP picture, UINT dpi) {
  BITMAP info = {};
  if (!picture || !GetObjectA(picture, sizeof info, &info)) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP scaled =
      CreateCompatibleBitmap(screen, ScaleToDpi(info.bmWidth, dpi), ScaleToDpi(info.bmHeight, dpi));
  if (scaled) {
    BitmapDC memory(screen, scaled);
    if (memory.get()) DrawPictureForDpi(memory.get(), 0, 0, picture, dpi, SRCCOPY);
  }
  ReleaseDC(nullptr, screen);
  return scaled;
}

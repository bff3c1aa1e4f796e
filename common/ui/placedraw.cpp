#include "placedraw.h"

#include "gdiselect.h"

void StretchPicture(HDC dc, const PlaceRect &to, HDC source, LONG srcWidth, LONG srcHeight) {
  LONG width = to.right - to.left, height = to.bottom - to.top;
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return;
  bool reduces = width < srcWidth || height < srcHeight;
  int oldMode = 0;
  POINT oldOrigin;
  if (reduces) {
    oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);  // HALFTONE needs the brush origin reset
  }
  StretchBlt(dc, to.left, to.top, width, height, source, 0, 0, srcWidth, srcHeight, SRCCOPY);
  if (reduces) {
    SetStretchBltMode(dc, oldMode);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  }
}

void DrawTiledPicture(HDC dc, HBITMAP bitmap, LONG screenWidth, LONG screenHeight) {
  HBRUSH pattern = CreatePatternBrush(bitmap);
  if (!pattern) return;
  // The pattern starts at the logical origin, wherever the viewport puts it (a monitor's
  // top-left corner for the saver).
  POINT oldOrigin, origin = {0, 0};
  GetViewportOrgEx(dc, &origin);
  SetBrushOrgEx(dc, origin.x, origin.y, &oldOrigin);
  {
    ScopedSelect selected(dc, pattern);
    PatBlt(dc, 0, 0, screenWidth, screenHeight, PATCOPY);
  }
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  DeleteObject(pattern);
}

void DrawBestFitPicture(HDC dc, HDC source, LONG width, LONG height, LONG screenWidth,
                        LONG screenHeight, HDC buffer) {
  PlaceRect to = BestFitRect(screenWidth, screenHeight, width, height);
  LONG w = to.right - to.left, h = to.bottom - to.top;
  if (w <= 0 || h <= 0) return;
  if (!buffer) {
    StretchPicture(dc, to, source, width, height);
    return;
  }
  StretchPicture(buffer, PlaceRect{0, 0, w, h}, source, width, height);
  BitBlt(dc, to.left, to.top, w, h, buffer, 0, 0, SRCCOPY);
}

void DrawPlacedPicture(HDC dc, HBITMAP bitmap, PlacementMode mode, LONG screenWidth,
                       LONG screenHeight) {
  BITMAP info;
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  if (mode == kModeTiled) {
    DrawTiledPicture(dc, bitmap, screenWidth, screenHeight);
    return;
  }
  if (mode != kModeCentred && mode != kModeStretched) return;
  BitmapDC source(dc, bitmap);
  if (!source.get()) return;
  if (mode == kModeCentred) {
    BitBlt(dc, CentredOffset(screenWidth, info.bmWidth), CentredOffset(screenHeight, info.bmHeight),
           info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
  } else {
    DrawBestFitPicture(dc, source.get(), info.bmWidth, info.bmHeight, screenWidth, screenHeight,
                       nullptr);
  }
}

int ReadScreenSize(int *width, int *height) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return 0;
  *width = GetDeviceCaps(display, HORZRES);
  *height = GetDeviceCaps(display, VERTRES);
  DeleteDC(display);
  return 1;
}

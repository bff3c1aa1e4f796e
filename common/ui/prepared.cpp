#include "prepared.h"

#include "picture.h"
#include "placedraw.h"

namespace {

bool Cancelled(const std::atomic<bool> *cancel) {
  return cancel && cancel->load();
}

// A bitmap in the display's format holding `source` drawn by draw(into, from).
template <typename Draw>
HBITMAP DrawIntoNewBitmap(HBITMAP source, LONG width, LONG height, Draw draw) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return nullptr;
  HBITMAP result = CreateCompatibleBitmap(display, width, height);
  HDC into = CreateCompatibleDC(display), from = CreateCompatibleDC(display);
  if (result && into && from) {
    HGDIOBJ oldInto = SelectObject(into, result), oldFrom = SelectObject(from, source);
    draw(into, from);
    GdiFlush();
    SelectObject(into, oldInto);
    SelectObject(from, oldFrom);
  } else if (result) {
    DeleteObject(result);
    result = nullptr;
  }
  if (into) DeleteDC(into);
  if (from) DeleteDC(from);
  DeleteDC(display);
  return result;
}

}  // namespace

PreparedPicture PreparePicture(const char *path, PlacementMode mode, int screenWidth,
                               int screenHeight, const std::atomic<bool> *cancel) {
  PreparedPicture picture = {};
  PictureFit fit = {screenWidth, screenHeight, 0, 0};
  picture.bitmap = LoadPicture(path, cancel, mode == kModeStretched ? &fit : nullptr);
  BITMAP info;
  if (!picture.bitmap || !GetObjectA(picture.bitmap, sizeof info, &info) || Cancelled(cancel)) {
    FreePreparedPicture(&picture);
    return picture;
  }
  const LONG width = info.bmWidth, height = info.bmHeight;
  picture.reduced = mode == kModeStretched && width < fit.fullWidth;
  if (mode == kModeTiled) {
    picture.placedRect = PlaceRect{0, 0, screenWidth, screenHeight};
    picture.placed = DrawIntoNewBitmap(
        picture.bitmap, screenWidth, screenHeight,
        [&](HDC into, HDC) { DrawTiledPicture(into, picture.bitmap, screenWidth, screenHeight); });
  } else if (mode == kModeStretched) {
    picture.placedRect =
        BestFitRect(screenWidth, screenHeight, picture.reduced ? fit.fullWidth : width,
                    picture.reduced ? fit.fullHeight : height);
    const LONG w = picture.placedRect.right - picture.placedRect.left,
               h = picture.placedRect.bottom - picture.placedRect.top;
    if (w > 0 && h > 0)
      picture.placed = DrawIntoNewBitmap(picture.bitmap, w, h, [&](HDC into, HDC from) {
        StretchPicture(into, PlaceRect{0, 0, w, h}, from, width, height);
      });
  }
  if (picture.placed) picture.placedMode = mode;
  if (Cancelled(cancel)) FreePreparedPicture(&picture);
  return picture;
}

void FreePreparedPicture(PreparedPicture *picture) {
  if (picture->bitmap) DeleteObject(picture->bitmap);
  if (picture->placed) DeleteObject(picture->placed);
  *picture = PreparedPicture{};
}

bool DrawPlacedCopy(HDC dc, const PreparedPicture &picture, PlacementMode mode) {
  if (!picture.placed || picture.placedMode != mode) return false;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return false;
  HGDIOBJ old = SelectObject(source, picture.placed);
  const PlaceRect &to = picture.placedRect;
  BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  return true;
}

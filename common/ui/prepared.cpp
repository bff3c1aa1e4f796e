#include "prepared.h"

#include "gdiselect.h"
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
  bool drawn = false;
  if (result) {
    BitmapDC into(display, result), from(display, source);
    if (into.get() && from.get()) {
      draw(into.get(), from.get());
      GdiFlush();
      drawn = true;
    }
  }
  if (result && !drawn) {
    DeleteObject(result);
    result = nullptr;
  }
  DeleteDC(display);
  return result;
}

// The tiled or best-fit drawing of bitmap (info) for a screenWidth x screenHeight screen and
// where it goes; null for the centred mode, which copies the bitmap itself. The best fit is
// laid out for the picture's own size, fullWidth x fullHeight, even when the bitmap holds it
// decoded reduced.
HBITMAP PlacedDrawing(HBITMAP bitmap, const BITMAP &info, LONG fullWidth, LONG fullHeight,
                      PlacementMode mode, int screenWidth, int screenHeight, PlaceRect *to) {
  const LONG width = info.bmWidth, height = info.bmHeight;
  if (mode == kModeTiled) {
    *to = PlaceRect{0, 0, screenWidth, screenHeight};
    return DrawIntoNewBitmap(bitmap, screenWidth, screenHeight, [&](HDC into, HDC) {
      DrawTiledPicture(into, bitmap, screenWidth, screenHeight);
    });
  }
  if (mode != kModeStretched) return nullptr;
  *to = BestFitRect(screenWidth, screenHeight, fullWidth, fullHeight);
  const LONG w = to->right - to->left, h = to->bottom - to->top;
  if (w <= 0 || h <= 0) return nullptr;
  return DrawIntoNewBitmap(bitmap, w, h, [&](HDC into, HDC from) {
    StretchPicture(into, PlaceRect{0, 0, w, h}, from, width, height);
  });
}

// Copies a placed drawing to where it goes. False when no context could be made for it.
bool CopyPlaced(HDC dc, HBITMAP placed, const PlaceRect &to) {
  BitmapDC source(dc, placed);
  if (!source.get()) return false;
  BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source.get(), 0, 0, SRCCOPY);
  return true;
}

}  // namespace

PreparedPicture PreparePicture(const char *path, PlacementMode mode, int screenWidth,
                               int screenHeight, const std::atomic<bool> *cancel,
                               const ScreenSize *otherSizes, int otherCount) {
  PreparedPicture picture = {};
  // A reduced decoding must cover the fitted size on every screen, the ones beyond those drawn
  // for as well (they are drawn from the bitmap).
  FitBox boxes[kMaxMonitors];
  PictureFit fit = {screenWidth, screenHeight, 0, 0};
  fit.moreBoxes = boxes;
  for (int i = 0; i < otherCount && i < kMaxMonitors; i++)
    boxes[fit.moreCount++] = FitBox{otherSizes[i].width, otherSizes[i].height};
  picture.bitmap = LoadPicture(path, cancel, mode == kModeStretched ? &fit : nullptr);
  BITMAP info;
  if (!picture.bitmap || !GetObjectA(picture.bitmap, sizeof info, &info) || Cancelled(cancel)) {
    FreePreparedPicture(&picture);
    return picture;
  }
  picture.reduced = mode == kModeStretched && info.bmWidth < fit.fullWidth;
  const LONG fullWidth = picture.reduced ? fit.fullWidth : info.bmWidth,
             fullHeight = picture.reduced ? fit.fullHeight : info.bmHeight;
  picture.placed = PlacedDrawing(picture.bitmap, info, fullWidth, fullHeight, mode, screenWidth,
                                 screenHeight, &picture.placedRect);
  for (int i = 0; i < otherCount && picture.otherCount < kMaxOtherSizes && !Cancelled(cancel);
       i++) {
    PlacedForSize &other = picture.other[picture.otherCount];
    other.width = otherSizes[i].width;
    other.height = otherSizes[i].height;
    other.placed = PlacedDrawing(picture.bitmap, info, fullWidth, fullHeight, mode, other.width,
                                 other.height, &other.rect);
    if (other.placed) picture.otherCount++;
  }
  if (picture.placed || picture.otherCount) picture.placedMode = mode;
  if (Cancelled(cancel)) FreePreparedPicture(&picture);
  return picture;
}

void FreePreparedPicture(PreparedPicture *picture) {
  if (picture->bitmap) DeleteObject(picture->bitmap);
  if (picture->placed) DeleteObject(picture->placed);
  for (int i = 0; i < picture->otherCount; i++)
    if (picture->other[i].placed) DeleteObject(picture->other[i].placed);
  *picture = PreparedPicture{};
}

bool DrawPlacedCopy(HDC dc, const PreparedPicture &picture, PlacementMode mode) {
  if (!picture.placed || picture.placedMode != mode) return false;
  return CopyPlaced(dc, picture.placed, picture.placedRect);
}

bool DrawPlacedCopyFor(HDC dc, const PreparedPicture &picture, PlacementMode mode, int width,
                       int height) {
  if (picture.placedMode != mode) return false;
  for (int i = 0; i < picture.otherCount; i++) {
    const PlacedForSize &other = picture.other[i];
    if (other.width != width || other.height != height) continue;
    CopyPlaced(dc, other.placed, other.rect);
    return true;
  }
  return false;
}

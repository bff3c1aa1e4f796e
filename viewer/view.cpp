#include "view.h"

#include "placedraw.h"
#include "random.h"
#include "readahead.h"
#include "settings.h"

ViewState View;
ImageList Images;

namespace {

HWND Window;
HDC WindowDC;
HDC ImageDC;
HGDIOBJ ImageDCInitial;
HDC ZoomDC;
HBITMAP ZoomBuffer;
HGDIOBJ ZoomDCInitial;
ReadAhead Ahead;
PreparedPicture Shown;  // Shown.bitmap is View.CurrentBitmap; Shown.placed its placed drawing

ListEntry *ChooseEntry(int code) {
  ListEntry *current = View.CurrentEntry;
  switch (code) {
    case kGoFirst: return Images.first;
    case kGoLast: return Images.last;
    case kGoNext: return current && current->next ? current->next : Images.first;
    case kGoPrevious: return current && current->prev ? current->prev : Images.last;
    case kGoRandom:
      if (Images.count <= 0) return nullptr;
      return FindListEntry(&Images, RandomRange(0, Images.count - 1));
    default: return code >= 0 ? FindListEntry(&Images, code) : nullptr;
  }
}

// Puts the picture's bitmap (or nothing) into the picture context and returns the picture it
// replaces, for the caller to free.
PreparedPicture ReplacePicture(const PreparedPicture &picture) {
  SelectObject(ImageDC, picture.bitmap ? (HGDIOBJ)picture.bitmap : ImageDCInitial);
  PreparedPicture replaced = Shown;
  Shown = picture;
  View.CurrentBitmap = picture.bitmap;
  return replaced;
}

void FreeShownPicture() {
  PreparedPicture replaced = ReplacePicture(PreparedPicture{});
  FreePreparedPicture(&replaced);
}

// Shows the new current entry's picture laid out at actual size, centred, at once.
PreparedPicture ShowPicture(const PreparedPicture &picture) {
  PreparedPicture replaced = ReplacePicture(picture);
  BITMAP info;
  if (View.CurrentBitmap && GetObjectA(View.CurrentBitmap, sizeof info, &info)) {
    View.PictureWidth = info.bmWidth;
    View.PictureHeight = info.bmHeight;
  }
  LayOutActualSize(&View, ScreenWidth, ScreenHeight);
  InvalidateRect(Window, nullptr, TRUE);
  UpdateWindow(Window);
  return replaced;
}

// A picture decoded reduced for the best fit holds too few pixels for another placement or a
// zoom: the whole picture is read now in its place, laid out at actual size, the zoom kept.
void EnsureFullPicture() {
  if (!Shown.reduced || !View.CurrentEntry) return;
  PreparedPicture replaced = ReplacePicture(
      PreparePicture(View.CurrentEntry->path, kModeCentred, ScreenWidth, ScreenHeight));
  Ahead.Dispose(&replaced);
  BITMAP info;
  if (View.CurrentBitmap && GetObjectA(View.CurrentBitmap, sizeof info, &info)) {
    View.PictureWidth = info.bmWidth;
    View.PictureHeight = info.bmHeight;
  }
  const LONG zoom = View.Zoom;
  LayOutActualSize(&View, ScreenWidth, ScreenHeight);
  View.Zoom = zoom;
}

void FillBlack(const PlaceRect *rects, int count) {
  HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
  for (int i = 0; i < count; i++) {
    RECT r = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    FillRect(WindowDC, &r, black);
  }
}

void PaintCentred(HDC dc) {
  if (View.Zoom >= -1 && View.Zoom <= 1) {
    BitBlt(dc, View.PosX, View.PosY, View.PictureWidth, View.PictureHeight, ImageDC, 0, 0, SRCCOPY);
    View.BufferZoom = View.Zoom;
    return;
  }
  if (View.Zoom != View.BufferZoom) {
    StretchPicture(ZoomDC, PlaceRect{0, 0, View.ZoomedWidth, View.ZoomedHeight}, ImageDC,
                   View.PictureWidth, View.PictureHeight);
    View.BufferZoom = View.Zoom;
  }
  BitBlt(dc, View.PosX, View.PosY, View.ZoomedWidth, View.ZoomedHeight, ZoomDC, 0, 0, SRCCOPY);
}

}  // namespace

void GoToPicture(int code) {
  ListEntry *entry = ChooseEntry(code);
  View.CurrentEntry = entry;
  Ahead.Change(entry, Images, ShowPicture);
}

void ForgetCurrentEntry() {
  Ahead.Discard();
  View.CurrentEntry = nullptr;
  FreeShownPicture();
  InvalidateRect(Window, nullptr, TRUE);
}

void DiscardReadAhead() {
  Ahead.Discard();
}

bool ReadAheadIdle() {
  return Ahead.Idle();
}

int ReadAheadHandOvers() {
  return Ahead.HandOvers();
}

int ApplyZoom() {
  if (!View.CurrentEntry) {
    View.Zoom = View.BufferZoom;
    return 0;
  }
  EnsureFullPicture();
  if (View.CurrentEntry->mode != kModeCentred) {
    View.CurrentEntry->mode = kModeCentred;
    InvalidateRect(Window, nullptr, TRUE);
  }
  // Without a zoom buffer (twice the screen could not be made) only the factors drawn straight
  // from the picture are shown: every other step is refused as one beyond the limit is.
  if (!ZoomBuffer && (View.Zoom < -1 || View.Zoom > 1)) {
    View.Zoom = View.BufferZoom;
    View.CentreX = View.PosX + View.ZoomedWidth / 2;
    View.CentreY = View.PosY + View.ZoomedHeight / 2;
    return 0;
  }
  PlaceRect uncovered[kMaxUncovered];
  int count = 0;
  if (!LayOutZoom(&View, ScreenWidth, ScreenHeight, uncovered, &count)) return 0;
  FillBlack(uncovered, count);
  PaintPicture(WindowDC);
  return 1;
}

void ApplyPan() {
  if (!View.CurrentEntry || View.CurrentEntry->mode != kModeCentred) {
    View.PosX = View.PrevX;
    View.PosY = View.PrevY;
    return;
  }
  PlaceRect uncovered[kMaxUncovered];
  int count = 0;
  if (!LayOutPan(&View, ScreenWidth, ScreenHeight, uncovered, &count)) return;
  FillBlack(uncovered, count);
  PaintPicture(WindowDC);
}

void CentreView() {
  View.CentreX = ScreenWidth / 2;
  View.CentreY = ScreenHeight / 2;
}

void SetPlacementMode(PlacementMode mode) {
  View.Zoom = 1;
  if (mode != kModeStretched) EnsureFullPicture();
  if (View.CurrentEntry) View.CurrentEntry->mode = mode;
  InvalidateRect(Window, nullptr, TRUE);
}

void PaintPicture(HDC dc) {
  if (!View.CurrentBitmap || !View.CurrentEntry) return;
  switch (View.CurrentEntry->mode) {
    case kModeCentred: PaintCentred(dc); break;
    case kModeTiled:
      if (!DrawPlacedCopy(dc, Shown, kModeTiled))
        DrawTiledPicture(dc, View.CurrentBitmap, ScreenWidth, ScreenHeight);
      break;
    case kModeStretched:
      if (!DrawPlacedCopy(dc, Shown, kModeStretched))
        DrawBestFitPicture(dc, ImageDC, View.PictureWidth, View.PictureHeight, ScreenWidth,
                           ScreenHeight, ZoomBuffer ? ZoomDC : nullptr);
      View.BufferZoom = 1;
      break;
    default: break;
  }
}

void EraseScreen() {
  PlaceRect all = {0, 0, ScreenWidth, ScreenHeight};
  FillBlack(&all, 1);
}

int CreateDrawingResources(HWND window) {
  Window = window;
  WindowDC = GetDC(window);
  ImageDC = CreateCompatibleDC(nullptr);
  if (!WindowDC || !ImageDC) return 0;
  ImageDCInitial = GetCurrentObject(ImageDC, OBJ_BITMAP);
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return 0;
  ZoomDC = CreateCompatibleDC(display);
  ZoomBuffer = CreateCompatibleBitmap(display, kZoomLimit * ScreenWidth, kZoomLimit * ScreenHeight);
  DeleteDC(display);
  if (!ZoomDC) return 0;
  ZoomDCInitial = ZoomBuffer ? SelectObject(ZoomDC, ZoomBuffer) : nullptr;
  Ahead.Start(ScreenWidth, ScreenHeight);
  return 1;
}

void ReleaseDrawingResources() {
  Ahead.Stop();
  if (ImageDC) {
    FreeShownPicture();
    DeleteDC(ImageDC);
  }
  if (ZoomDC) {
    if (ZoomDCInitial) SelectObject(ZoomDC, ZoomDCInitial);
    DeleteDC(ZoomDC);
  }
  if (ZoomBuffer) DeleteObject(ZoomBuffer);
  ImageDC = ZoomDC = nullptr;
  ZoomBuffer = nullptr;
  ZoomDCInitial = ImageDCInitial = nullptr;
  View.CurrentEntry = nullptr;
  WindowDC = nullptr;
  Window = nullptr;
}

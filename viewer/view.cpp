#include "view.h"

#include "placedraw.h"
#include "prepared.h"

Show gShow;
PictureLayout gView;

namespace {

HWND gWindow;
HDC gWindowDC;
HDC gImageDC;  // gShow's picture is selected in it
HDC gZoomDC;
HBITMAP gZoomBuffer;
HGDIOBJ gZoomDCInitial;

void ReadPictureSize() {
  BITMAP info;
  if (gShow.CurrentBitmap() && GetObjectA(gShow.CurrentBitmap(), sizeof info, &info)) {
    gView.PictureWidth = info.bmWidth;
    gView.PictureHeight = info.bmHeight;
  }
}

// Shows the new current entry's picture laid out at actual size, centred, at once.
void ShowPicture() {
  ReadPictureSize();
  LayOutActualSize(&gView, gShow.ScreenWidth, gShow.ScreenHeight);
  InvalidateRect(gWindow, nullptr, TRUE);
  UpdateWindow(gWindow);
}

// A picture decoded reduced for the best fit holds too few pixels for another placement or a
// zoom: the whole picture is read now in its place, laid out at actual size, the zoom kept.
void EnsureFullPicture() {
  if (!gShow.Picture().reduced || !gShow.CurrentEntry) return;
  PreparedPicture replaced = gShow.ReplacePicture(PreparePicture(
      gShow.CurrentEntry->path, kModeCentred, gShow.ScreenWidth, gShow.ScreenHeight));
  gShow.Dispose(&replaced);
  ReadPictureSize();
  const LONG zoom = gView.Zoom;
  LayOutActualSize(&gView, gShow.ScreenWidth, gShow.ScreenHeight);
  gView.Zoom = zoom;
}

void FillBlack(const PlaceRect *rects, int count) {
  HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
  for (int i = 0; i < count; i++) {
    RECT r = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    FillRect(gWindowDC, &r, black);
  }
}

void PaintCentred(HDC dc) {
  if (gView.Zoom >= -1 && gView.Zoom <= 1) {
    BitBlt(dc, gView.PosX, gView.PosY, gView.PictureWidth, gView.PictureHeight, gImageDC, 0, 0,
           SRCCOPY);
    gView.BufferZoom = gView.Zoom;
    return;
  }
  if (gView.Zoom != gView.BufferZoom) {
    StretchPicture(gZoomDC, PlaceRect{0, 0, gView.ZoomedWidth, gView.ZoomedHeight}, gImageDC,
                   gView.PictureWidth, gView.PictureHeight);
    gView.BufferZoom = gView.Zoom;
  }
  BitBlt(dc, gView.PosX, gView.PosY, gView.ZoomedWidth, gView.ZoomedHeight, gZoomDC, 0, 0, SRCCOPY);
}

}  // namespace

void GoToPicture(int code) {
  gShow.GoTo(code, ShowPicture);
}

void ForgetCurrentEntry() {
  gShow.ForgetCurrentEntry();
  InvalidateRect(gWindow, nullptr, TRUE);
}

int ApplyZoom() {
  ListEntry *entry = gShow.CurrentEntry;
  if (!entry) {
    gView.Zoom = gView.BufferZoom;
    return 0;
  }
  EnsureFullPicture();
  if (entry->mode != kModeCentred) {
    entry->mode = kModeCentred;
    InvalidateRect(gWindow, nullptr, TRUE);
  }
  // Without a zoom buffer (twice the screen could not be made) only the factors drawn straight
  // from the picture are shown: every other step is refused as one beyond the limit is.
  if (!gZoomBuffer && (gView.Zoom < -1 || gView.Zoom > 1)) {
    gView.Zoom = gView.BufferZoom;
    gView.CentreX = gView.PosX + gView.ZoomedWidth / 2;
    gView.CentreY = gView.PosY + gView.ZoomedHeight / 2;
    return 0;
  }
  PlaceRect uncovered[kMaxUncovered];
  int count = 0;
  if (!LayOutZoom(&gView, gShow.ScreenWidth, gShow.ScreenHeight, uncovered, &count)) return 0;
  FillBlack(uncovered, count);
  PaintPicture(gWindowDC);
  return 1;
}

void ApplyPan() {
  if (!gShow.CurrentEntry || gShow.CurrentEntry->mode != kModeCentred) {
    gView.PosX = gView.PrevX;
    gView.PosY = gView.PrevY;
    return;
  }
  PlaceRect uncovered[kMaxUncovered];
  int count = 0;
  if (!LayOutPan(&gView, gShow.ScreenWidth, gShow.ScreenHeight, uncovered, &count)) return;
  FillBlack(uncovered, count);
  PaintPicture(gWindowDC);
}

void CentreView() {
  gView.CentreX = gShow.ScreenWidth / 2;
  gView.CentreY = gShow.ScreenHeight / 2;
}

void SetPlacementMode(PlacementMode mode) {
  gView.Zoom = 1;
  if (mode != kModeStretched) EnsureFullPicture();
  if (gShow.CurrentEntry) gShow.CurrentEntry->mode = mode;
  InvalidateRect(gWindow, nullptr, TRUE);
}

void PaintPicture(HDC dc) {
  const ListEntry *entry = gShow.CurrentEntry;
  HBITMAP bitmap = gShow.CurrentBitmap();
  if (!bitmap || !entry) return;
  const int width = gShow.ScreenWidth, height = gShow.ScreenHeight;
  switch (entry->mode) {
    case kModeCentred: PaintCentred(dc); break;
    case kModeTiled:
      if (!DrawPlacedCopy(dc, gShow.Picture(), kModeTiled))
        DrawTiledPicture(dc, bitmap, width, height);
      break;
    case kModeStretched:
      if (!DrawPlacedCopy(dc, gShow.Picture(), kModeStretched))
        DrawBestFitPicture(dc, gImageDC, gView.PictureWidth, gView.PictureHeight, width, height,
                           gZoomBuffer ? gZoomDC : nullptr);
      gView.BufferZoom = 1;
      break;
    default: break;
  }
}

void EraseScreen() {
  PlaceRect all = {0, 0, gShow.ScreenWidth, gShow.ScreenHeight};
  FillBlack(&all, 1);
}

int CreateDrawingResources(HWND window) {
  gWindow = window;
  gWindowDC = GetDC(window);
  gImageDC = CreateCompatibleDC(nullptr);
  if (!gWindowDC || !gImageDC) return 0;
  gShow.SelectPicturesInto(gImageDC);
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return 0;
  gZoomDC = CreateCompatibleDC(display);
  gZoomBuffer = CreateCompatibleBitmap(display, kZoomLimit * gShow.ScreenWidth,
                                       kZoomLimit * gShow.ScreenHeight);
  DeleteDC(display);
  if (!gZoomDC) return 0;
  gZoomDCInitial = gZoomBuffer ? SelectObject(gZoomDC, gZoomBuffer) : nullptr;
  gShow.Begin();
  return 1;
}

void ReleaseDrawingResources() {
  gShow.End();
  if (gImageDC) {
    gShow.SelectPicturesInto(nullptr);
    DeleteDC(gImageDC);
  }
  if (gZoomDC) {
    if (gZoomDCInitial) SelectObject(gZoomDC, gZoomDCInitial);
    DeleteDC(gZoomDC);
  }
  if (gZoomBuffer) DeleteObject(gZoomBuffer);
  gImageDC = gZoomDC = nullptr;
  gZoomBuffer = nullptr;
  gZoomDCInitial = nullptr;
  gWindowDC = nullptr;
  gWindow = nullptr;
}

#include "placement.h"

#include <cstdint>

namespace {

typedef long long Wide;

// The centre of one axis after a zoom: a picture narrower than the screen is centred; a wider
// one keeps its centre unless that would open a gap at either edge.
LONG FitCentre(LONG centre, LONG size, LONG screen) {
  if (size < screen) return screen / 2;
  LONG half = size / 2;
  if ((Wide)centre + half < screen) centre = screen - half;
  if ((Wide)centre - half > 0) centre = half;
  return centre;
}

void AddRect(PlaceRect *rects, int *count, Wide left, Wide top, Wide right, Wide bottom) {
  if (left >= right || top >= bottom) return;
  rects[(*count)++] = PlaceRect{(LONG)left, (LONG)top, (LONG)right, (LONG)bottom};
}

Wide Min(Wide a, Wide b) {
  return a < b ? a : b;
}
Wide Max(Wide a, Wide b) {
  return a > b ? a : b;
}

// Fills `out` with the parts of `old` outside `now`: a left and a right strip over the old
// rows, then a top and a bottom strip over the columns the two share.
void Subtract(const PlaceRect &old, const PlaceRect &now, PlaceRect *out, int *count) {
  *count = 0;
  if (old.left >= old.right || old.top >= old.bottom) return;
  AddRect(out, count, old.left, old.top, Min(now.left, old.right), old.bottom);
  AddRect(out, count, Max(now.right, old.left), old.top, old.right, old.bottom);
  Wide left = Max(old.left, now.left), right = Min(old.right, now.right);
  AddRect(out, count, left, old.top, right, Min(now.top, old.bottom));
  AddRect(out, count, left, Max(now.bottom, old.top), right, old.bottom);
}

}  // namespace

LONG CentredOffset(LONG screen, LONG size) {
  return (LONG)(((Wide)screen - size) / 2);
}

LONG ZoomStepIn(LONG zoom) {
  return zoom == -1 ? 2 : zoom + 1;
}

LONG ZoomStepOut(LONG zoom) {
  return zoom == 1 ? -2 : zoom - 1;
}

int ZoomedSize(LONG width, LONG height, LONG zoom, LONG *zoomedWidth, LONG *zoomedHeight) {
  Wide w = width, h = height;
  if (zoom > 1) {
    w *= zoom;
    h *= zoom;
  } else if (zoom < -1) {
    w /= -(Wide)zoom;
    h /= -(Wide)zoom;
  }
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return 0;
  *zoomedWidth = (LONG)w;
  *zoomedHeight = (LONG)h;
  return 1;
}

void LayOutActualSize(PictureLayout *l, LONG screenWidth, LONG screenHeight) {
  l->ZoomedWidth = l->PictureWidth;
  l->ZoomedHeight = l->PictureHeight;
  l->PosX = CentredOffset(screenWidth, l->PictureWidth);
  l->PosY = CentredOffset(screenHeight, l->PictureHeight);
  l->CentreX = l->PosX + l->PictureWidth / 2;
  l->CentreY = l->PosY + l->PictureHeight / 2;
  l->PrevX = l->PosX;
  l->PrevY = l->PosY;
  l->Zoom = 1;
  l->BufferZoom = 1;
}

int LayOutZoom(PictureLayout *l, LONG screenWidth, LONG screenHeight,
               PlaceRect uncovered[kMaxUncovered], int *uncoveredCount) {
  *uncoveredCount = 0;
  LONG w = 0, h = 0;
  if (!ZoomedSize(l->PictureWidth, l->PictureHeight, l->Zoom, &w, &h) ||
      w > (Wide)kZoomLimit * screenWidth || h > (Wide)kZoomLimit * screenHeight) {
    l->Zoom = l->BufferZoom;
    // The centre the caller moved for this step goes back to the drawn picture's, so that a
    // later refused pan, which falls back on the centre, leaves the picture where it is.
    l->CentreX = l->PosX + l->ZoomedWidth / 2;
    l->CentreY = l->PosY + l->ZoomedHeight / 2;
    return 0;
  }
  PlaceRect old = {l->PrevX, l->PrevY, (LONG)((Wide)l->PrevX + l->ZoomedWidth),
                   (LONG)((Wide)l->PrevY + l->ZoomedHeight)};
  l->ZoomedWidth = w;
  l->ZoomedHeight = h;
  l->CentreX = FitCentre(l->CentreX, w, screenWidth);
  l->CentreY = FitCentre(l->CentreY, h, screenHeight);
  l->PosX = l->CentreX - w / 2;
  l->PosY = l->CentreY - h / 2;
  PlaceRect now = {l->PosX, l->PosY, l->PosX + w, l->PosY + h};
  Subtract(old, now, uncovered, uncoveredCount);
  l->PrevX = l->PosX;
  l->PrevY = l->PosY;
  return 1;
}

int LayOutPan(PictureLayout *l, LONG screenWidth, LONG screenHeight,
              PlaceRect uncovered[kMaxUncovered], int *uncoveredCount) {
  *uncoveredCount = 0;
  if ((Wide)l->PosX + l->ZoomedWidth < screenWidth || l->PosX > 0)
    l->PosX = l->CentreX - l->ZoomedWidth / 2;
  if ((Wide)l->PosY + l->ZoomedHeight < screenHeight || l->PosY > 0)
    l->PosY = l->CentreY - l->ZoomedHeight / 2;
  if (l->PosX == l->PrevX && l->PosY == l->PrevY) return 0;

  Wide w = l->ZoomedWidth, h = l->ZoomedHeight;
  if (l->PosX > l->PrevX)
    AddRect(uncovered, uncoveredCount, l->PrevX, l->PrevY, l->PosX, l->PrevY + h);
  else
    AddRect(uncovered, uncoveredCount, l->PosX + w, l->PrevY, l->PrevX + w, l->PrevY + h);
  if (l->PosY > l->PrevY)
    AddRect(uncovered, uncoveredCount, l->PrevX, l->PrevY, l->PrevX + w, l->PosY);
  else
    AddRect(uncovered, uncoveredCount, l->PrevX, l->PosY + h, l->PrevX + w, l->PrevY + h);

  l->PrevX = l->PosX;
  l->CentreX = l->PosX + l->ZoomedWidth / 2;
  l->PrevY = l->PosY;
  l->CentreY = l->PosY + l->ZoomedHeight / 2;
  return 1;
}

int PointOnPicture(const PictureLayout *l, LONG x, LONG y) {
  return x >= l->PosX && x <= (Wide)l->PosX + l->ZoomedWidth && y >= l->PosY &&
         y <= (Wide)l->PosY + l->ZoomedHeight;
}

void CentreOnClick(PictureLayout *l, LONG x, LONG y) {
  l->CentreX = 2 * l->CentreX - x;
  l->CentreY = 2 * l->CentreY - y;
}

PlaceRect BestFitRect(LONG screenWidth, LONG screenHeight, LONG width, LONG height) {
  if (width <= 0 || height <= 0 || screenWidth <= 0 || screenHeight <= 0)
    return PlaceRect{0, 0, 0, 0};
  Wide dw = (Wide)screenWidth - width, dh = (Wide)screenHeight - height;
  Wide m = dw < dh ? dw : dh;
  Wide w = width + m, h = height + m;
  if (w <= 0 || h <= 0) {
    // The rule leaves nothing to draw: scale proportionally to fit instead.
    if ((Wide)width * screenHeight <= (Wide)height * screenWidth) {
      h = screenHeight;
      w = Max(1, (Wide)width * screenHeight / height);
    } else {
      w = screenWidth;
      h = Max(1, (Wide)height * screenWidth / width);
    }
  }
  LONG left = (LONG)((screenWidth - w) / 2), top = (LONG)((screenHeight - h) / 2);
  return PlaceRect{left, top, (LONG)(left + w), (LONG)(top + h)};
}

// Where a picture goes on the screen: centred placement with whole-factor zoom and panning,
// the best-fit rule, and zooming about a clicked point. Pure integer geometry shared by the
// viewer and the screen saver; every division truncates toward zero.
#pragma once

#include "platform.h"

// A rectangle in screen pixels: left and top inclusive, right and bottom exclusive.
struct PlaceRect {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

// The layout of the current picture in centred placement.
struct PictureLayout {
  LONG PictureWidth;
  LONG PictureHeight;
  LONG Zoom;  // 1 and -1 actual size; n >= 2 enlarged n times; n <= -2 reduced to 1/-n
  LONG ZoomedWidth;
  LONG ZoomedHeight;
  LONG PosX;  // top-left corner; negative past the left or top edge
  LONG PosY;
  LONG CentreX;  // the point about which zooming lays the picture out
  LONG CentreY;
  LONG PrevX;  // top-left corner at the last drawing
  LONG PrevY;
  LONG BufferZoom;  // the factor the zoom buffer was last rendered at
};

// A zoomed picture may be at most this many times the screen's width and height.
const LONG kZoomLimit = 2;

// The most rectangles a zoom or pan step uncovers.
const int kMaxUncovered = 4;

// Offset that centres `size` in `screen`.
LONG CentredOffset(LONG screen, LONG size);

// The zoom factor one step in (-1 becomes 2) and one step out (1 becomes -2).
LONG ZoomStepIn(LONG zoom);
LONG ZoomStepOut(LONG zoom);

// The picture's size at `zoom`; 0 when a side would be 0 or less or would not fit a LONG.
int ZoomedSize(LONG width, LONG height, LONG zoom, LONG *zoomedWidth, LONG *zoomedHeight);

// Actual size, centred, zoom 1: the layout of a freshly shown picture.
void LayOutActualSize(PictureLayout *layout, LONG screenWidth, LONG screenHeight);

// Lays the picture out again after its Zoom changed. Refuses a size beyond kZoomLimit screens
// or of 0 pixels: then the previous size stays, Zoom returns to BufferZoom, the centre returns
// to that of the picture as drawn and the result is 0. Otherwise centres the axes that fit the
// screen, keeps the centre of the others without opening a gap at an edge, fills `uncovered` with
// what the old rectangle at (PrevX, PrevY) leaves bare, moves PrevX/PrevY to the new corner and
// returns 1.
int LayOutZoom(PictureLayout *layout, LONG screenWidth, LONG screenHeight,
               PlaceRect uncovered[kMaxUncovered], int *uncoveredCount);

// Keeps or refuses, axis by axis, the move of PosX/PosY from PrevX/PrevY: a move that would
// open a gap at either edge is refused whole. Returns 0 when the picture stays where it was
// drawn; otherwise fills `uncovered` with the strips the move laid bare, updates the centre
// and the previous corner, and returns 1.
int LayOutPan(PictureLayout *layout, LONG screenWidth, LONG screenHeight,
              PlaceRect uncovered[kMaxUncovered], int *uncoveredCount);

// 1 when (x, y) lies on the laid-out picture, its edges included.
int PointOnPicture(const PictureLayout *layout, LONG x, LONG y);

// Moves the zoom centre so that a zoom about the centre keeps the clicked point in view: the
// centre is mirrored through the clicked point.
void CentreOnClick(PictureLayout *layout, LONG x, LONG y);

// The best-fit rectangle: the same number of pixels added to (or taken from) both sides until
// the picture meets two opposite screen edges, centred. Where that leaves no drawable size,
// the picture is scaled proportionally to fit the screen instead. Empty for an empty picture.
PlaceRect BestFitRect(LONG screenWidth, LONG screenHeight, LONG width, LONG height);

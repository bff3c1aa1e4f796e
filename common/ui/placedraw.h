// Drawing a picture by its placement mode: centred at actual size, tiled from the screen's
// top-left corner, or fitted by the best-fit rule (placement.h). Shared by the viewer and the
// screen saver; the viewer adds zoom and panning on top.
#pragma once

#include <windows.h>

#include "imagelist.h"
#include "placement.h"

// Stretches the whole source picture (srcWidth x srcHeight, selected in `source`) into `to`.
// A reduction on either axis uses HALFTONE, which averages instead of dropping rows; an
// enlargement keeps the context's own mode, which repeats pixels and keeps them crisp.
void StretchPicture(HDC dc, const PlaceRect &to, HDC source, LONG srcWidth, LONG srcHeight);

// Repeats the bitmap over (0, 0, screenWidth, screenHeight) starting at (0, 0) (logical: a
// viewport origin moves both); the last column and row are cut at the screen's edges.
void DrawTiledPicture(HDC dc, HBITMAP bitmap, LONG screenWidth, LONG screenHeight);

// Draws the picture selected in `source` where BestFitRect puts it. With a `buffer` context
// (at least screen-sized) the picture is stretched into the buffer at (0, 0) and copied from
// there; without one it is stretched straight onto dc.
void DrawBestFitPicture(HDC dc, HDC source, LONG width, LONG height, LONG screenWidth,
                        LONG screenHeight, HDC buffer);

// Draws a bitmap at actual size by the entry's placement mode: centred, tiled or best fit.
// Any other mode, and a null bitmap, draw nothing.
void DrawPlacedPicture(HDC dc, HBITMAP bitmap, PlacementMode mode, LONG screenWidth,
                       LONG screenHeight);

// The display's resolution, which the programs lay pictures out against (never a window's
// client size): HORZRES and VERTRES of a context made for "DISPLAY". Returns 0, leaving both
// as they were, when no such context can be made.
int ReadScreenSize(int *width, int *height);

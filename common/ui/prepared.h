// Prepared pictures: a picture read into its display bitmap and, for a tiled or best-fit
// entry, already drawn as that placement shows it on the screen, so that showing it only
// copies.
#pragma once

#include <windows.h>

#include <atomic>

#include "imagelist.h"
#include "monitors.h"
#include "placement.h"

// The same picture placed for a screen of another size: a monitor of the saver's other than
// the size the picture was prepared for.
struct PlacedForSize {
  HBITMAP placed;  // null, or the picture as the placement draws it on a width x height screen
  PlaceRect rect;  // where `placed` goes on that screen
  int width, height;
};
const int kMaxOtherSizes = 3;

// A picture ready to be shown: its display bitmap at actual size and, when it was made for a
// tiled or best-fit entry, that drawing of it ready to be copied to the screen.
struct PreparedPicture {
  HBITMAP bitmap;            // null when the file cannot be read
  HBITMAP placed;            // null, or `bitmap` as placedMode draws it
  PlacementMode placedMode;  // kModeTiled or kModeStretched when `placed` is set
  PlaceRect placedRect;      // where `placed` goes on the screen
  int otherCount;            // placed for other screen sizes too (tiled and best fit only)
  PlacedForSize other[kMaxOtherSizes];
  bool reduced;  // `bitmap` holds the picture decoded reduced for the best fit
};

// Reads the file into a display bitmap as LoadPicture does and, for the tiled and best-fit
// modes, draws the placed picture for a screenWidth x screenHeight screen (tiled: the whole
// screen; best fit: the fitted picture, reduced with HALFTONE as the painters do). For the best
// fit a picture is decoded reduced where its reader can (PictureFit) when that still covers the
// fitted size; the fit is laid out from the picture's own size all the same. Once the cancel flag
// is set it gives up between steps and returns an empty picture. Given otherSizes (monitors of
// other sizes), the tiled and best-fit drawings are made for the first kMaxOtherSizes of those as
// well, and a reduced decoding covers the fitted size on each of them (at most kMaxMonitors),
// drawn for or not.
PreparedPicture PreparePicture(const char *path, PlacementMode mode, int screenWidth,
                               int screenHeight, const std::atomic<bool> *cancel = nullptr,
                               const ScreenSize *otherSizes = nullptr, int otherCount = 0);

// Deletes every bitmap and empties the record.
void FreePreparedPicture(PreparedPicture *picture);

// Copies the placed picture onto dc when it was made for `mode`; false (nothing drawn)
// otherwise, and the caller draws from the bitmap.
bool DrawPlacedCopy(HDC dc, const PreparedPicture &picture, PlacementMode mode);

// The same for a screen of another size: the copy made for width x height among the other
// sizes; false when there is none for it.
bool DrawPlacedCopyFor(HDC dc, const PreparedPicture &picture, PlacementMode mode, int width,
                       int height);

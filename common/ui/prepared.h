// Prepared pictures: a picture read into its display bitmap and, for a tiled or best-fit
// entry, already drawn as that placement shows it on the screen, so that showing it only
// copies.
#pragma once

#include <windows.h>

#include <atomic>

#include "imagelist.h"
#include "placement.h"

// A picture ready to be shown: its display bitmap at actual size and, when it was made for a
// tiled or best-fit entry, that drawing of it ready to be copied to the screen.
struct PreparedPicture {
  HBITMAP bitmap;            // null when the file cannot be read
  HBITMAP placed;            // null, or `bitmap` as placedMode draws it
  PlacementMode placedMode;  // kModeTiled or kModeStretched when `placed` is set
  PlaceRect placedRect;      // where `placed` goes on the screen
  bool reduced;              // `bitmap` holds the picture decoded reduced for the best fit
};

// Reads the file into a display bitmap as LoadPicture does and, for the tiled and best-fit
// modes, draws the placed picture for a screenWidth x screenHeight screen (tiled: the whole
// screen; best fit: the fitted picture, reduced with HALFTONE as the painters do). For the best
// fit a JPEG picture is decoded reduced (PictureFit) when that still covers the fitted size; the
// fit is laid out from the picture's own size all the same. Once the cancel flag is set it gives
// up between steps and returns an empty picture.
PreparedPicture PreparePicture(const char *path, PlacementMode mode, int screenWidth,
                               int screenHeight, const std::atomic<bool> *cancel = nullptr);

// Deletes both bitmaps and empties the record.
void FreePreparedPicture(PreparedPicture *picture);

// Copies the placed picture onto dc when it was made for `mode`; false (nothing drawn)
// otherwise, and the caller draws from the bitmap.
bool DrawPlacedCopy(HDC dc, const PreparedPicture &picture, PlacementMode mode);

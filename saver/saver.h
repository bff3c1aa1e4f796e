// Lumora.scr: the pictures of the saver's image list shown one per slide-timer tick, each
// drawn by its entry's placement mode on every monitor, laid out within that monitor's own
// rectangle (the small preview window lays it out against the display's size and shows the
// top-left part of that). The screen-saver library
// (scrnsave.h) runs the window and calls the functions declared there.
#pragma once

#include <windows.h>

#include "imagelist.h"

const UINT_PTR SlideTimer = 1;  // window timer of the show, period TimeOut * 1000 ms

// The show, process-wide: the list loaded when the window was made, the entry shown and its
// display bitmap (null when its picture could not be loaded), and the display's size.
extern ImageList SaverImages;
extern ListEntry *CurrentEntry;
extern HBITMAP CurrentBitmap;
extern int ScreenWidth;
extern int ScreenHeight;

// The worker that reads the next picture ahead (readahead.h): true when it is not reading, and
// how many ticks took a picture it had read (for tests).
bool SaverReadAheadIdle();
int SaverReadAheadHandOvers();

// Lumora.scr: the pictures of the saver's image list shown one per slide-timer tick, each
// drawn by its entry's placement mode on every monitor, laid out within that monitor's own
// rectangle (the small preview window lays it out against the display's size and shows the
// top-left part of that). The screen-saver library
// (scrnsave.h) runs the window and calls the functions declared there.
#pragma once

#include <windows.h>

#include "show.h"

// The saver's one show, process-wide: the list loaded when the window was made, the entry
// shown and its picture (no bitmap when it could not be loaded), and the display's size.
extern Show gShow;

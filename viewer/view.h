// The viewer's current picture: which list entry is shown, its display bitmap and layout, the
// drawing contexts, and the operations that change and draw them.
#pragma once

#include <windows.h>

#include "imagelist.h"
#include "placement.h"

struct ViewState : PictureLayout {
  ListEntry *CurrentEntry;  // null when the list is empty
  HBITMAP CurrentBitmap;    // null when the picture failed to load
};

extern ViewState View;
extern ImageList Images;  // the program's one image list

// GoToPicture codes; a code of 0 or more is an index into the list.
const int kGoFirst = -1;
const int kGoPrevious = -2;
const int kGoNext = -3;
const int kGoLast = -4;
const int kGoRandom = -5;

// Makes another entry current, loads its picture, lays it out at actual size, centred, and
// repaints the window. With no such entry the screen goes black. The picture that the next
// step forward will show is then read ahead (readahead.h), and a step to it takes that one.
void GoToPicture(int code);

// Drops the picture read ahead: the list's order or entries changed.
void DiscardReadAhead();

// True when the read-ahead worker is not reading, and how many changes took a picture read
// ahead since the window was made (for tests and the benchmark).
bool ReadAheadIdle();
int ReadAheadHandOvers();

// Forgets the current entry and its bitmap, for a list about to be freed; the screen goes
// black.
void ForgetCurrentEntry();

// Lays the picture out again after View.Zoom changed, switching the entry to centred
// placement; a refused step puts the factor back and draws nothing (returns 0). Draws at once
// on the window and returns 1 otherwise.
int ApplyZoom();

// Keeps or refuses the move of View.PosX / View.PosY and draws at once on the window.
void ApplyPan();

// Sets the zoom centre to the middle of the screen.
void CentreView();

// Sets the current entry's placement mode (zoom 1) and invalidates the window.
void SetPlacementMode(PlacementMode mode);

// Draws the current picture on dc by its entry's placement mode.
void PaintPicture(HDC dc);

// Fills the whole screen area of the window black at once.
void EraseScreen();

// The window's own context, the picture and zoom-buffer contexts, and the read-ahead worker
// (started unless LUMORA_READAHEAD is 0, ended by Release). Create returns 0 when a context
// cannot be made.
int CreateDrawingResources(HWND window);
void ReleaseDrawingResources();

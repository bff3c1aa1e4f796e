// The viewer's current picture: the show (which entry is shown and its picture, show.h), the
// layout of the picture on the screen, the drawing contexts, and the operations that change
// and draw them.
#pragma once

#include <windows.h>

#include "imagelist.h"
#include "placement.h"
#include "show.h"

extern Show gShow;           // the viewer's one show: its list, entry, picture and screen size
extern PictureLayout gView;  // where the current picture is drawn, at which zoom

// Makes another entry current (a step code of show.h), lays its picture out at actual size,
// centred, and repaints the window. With no such entry the screen goes black. The picture that
// the next step forward will show is then read ahead, and a step to it takes that one.
void GoToPicture(int code);

// Forgets the current entry and its bitmap, for a list about to be freed; the screen goes
// black.
void ForgetCurrentEntry();

// Lays the picture out again after gView.Zoom changed, switching the entry to centred
// placement; a refused step puts the factor back and draws nothing (returns 0). Draws at once
// on the window and returns 1 otherwise.
int ApplyZoom();

// Keeps or refuses the move of gView.PosX / gView.PosY and draws at once on the window.
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

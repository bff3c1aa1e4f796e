// The viewer's full-screen window: its class, cursors and timers, and the window procedure
// that turns keys, mouse actions and timer ticks into the view's operations.
#pragma once

#include <windows.h>

extern const char kViewerClass[];  // "Lumora_TestWndClass"
extern const char kViewerTitle[];  // "Lumora"
extern HWND gViewerWindow;         // while it exists

const UINT_PTR HoldTimer = 2;  // flips the click's zoom direction when the button is held
const UINT kHoldMillis = 800;
const int kPanStep = 10;  // pixels per arrow key

// Loads the arrow, hand and two magnifier cursors. Call before the window exists.
void LoadViewerCursors();

ATOM RegisterViewerClass();

// The borderless, not yet visible window covering the display (gShow's screen size); null on
// failure.
HWND CreateViewerWindow();

// The show runs while the slide timer runs; starting a running timer begins a fresh period.
void StartSlideTimer();
void StopSlideTimer();

LRESULT CALLBACK ViewerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Scaling for the DPI of a window's monitor. The programs declare per-monitor awareness in
// their manifests, so nothing is enlarged for them: whatever they draw in fixed pixels (button
// glyphs and labels, menu items and their pictures, links, the installer's pictures) is scaled
// here from its size at 96 DPI. The per-monitor calls of Windows 10 are looked up at run time;
// where they are missing the system DPI (GetDeviceCaps LOGPIXELSX of the screen) stands in.
#pragma once

#include <windows.h>

const UINT kBaseDpi = 96;

// The DPI that window is drawn at: its monitor's under per-monitor awareness, else the
// system's. A null window gives the system DPI.
UINT WindowDpi(HWND window);

// The system DPI: LOGPIXELSX of a screen device context (96 when that cannot be read).
UINT SystemDpi();

// pixels at 96 DPI, scaled to dpi (rounded to the nearest).
int ScaleToDpi(int pixels, UINT dpi);

// The stock ANSI_VAR_FONT at dpi: the stock font itself at 96 DPI (the caller must not delete
// it then), else a new font of the same face with its height scaled (the caller deletes it).
// OwnsDpiFont says which.
HFONT DpiVarFont(UINT dpi);
bool OwnsDpiFont(HFONT font);

// The font selected in dc (made for the system DPI, as the system's own fonts are) at dpi
// instead: a new font of its face with its height scaled by dpi / SystemDpi(), which the caller
// selects and deletes; null when dpi is the system DPI and the font is right as it is.
HFONT CreateFontForDpi(HDC dc, UINT dpi);

// Draws a small picture made for 96 DPI (a glyph, a menu picture) at (x, y) scaled to dpi,
// pixel for pixel (no blending, so that the mapped 3D colours stay exact). Returns its drawn
// width (0 for a null bitmap).
int DrawPictureForDpi(HDC dc, int x, int y, HBITMAP picture, UINT dpi, DWORD rop);

// A new display-compatible copy of such a picture at its size scaled to dpi, drawn as
// DrawPictureForDpi draws it; the caller deletes it. Null for a null picture or on failure.
HBITMAP ScalePictureForDpi(HBITMAP picture, UINT dpi);

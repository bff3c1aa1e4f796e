// Resource identifiers of the screen saver (Lumora.scr). The screen-saver library (scrnsave.h)
// takes the icon and dialog 2003 by these numbers; the shared glyphs, the hand cursor and the
// dialogs come from commonres.h.
#pragma once

#include "commonres.h"

// The saver's description, shown by the display settings.
#define IDS_DESCRIPTION 1

// The program icon, also the icon of the saver's window class.
#define IDI_SAVER 100

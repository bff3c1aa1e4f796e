// Resource and command identifiers of the viewer (Lumora.exe): popup-menu commands and their
// pictures, cursors and the program icon. The shared glyphs, the hand cursor and the dialogs
// come from commonres.h.
#pragma once

#include "commonres.h"

// Main popup menu. Each item's picture is the bitmap resource of its command's number.
#define IDM_SELECT 101
#define IDM_WALLPAPER 117
#define IDM_ZOOMIN 107
#define IDM_ZOOMOUT 108
#define IDM_ACTUALSIZE 109
#define IDM_BESTFIT 110
#define IDM_TILED 111
#define IDM_CENTER 112
#define IDM_SETTINGS 113
#define IDM_RESUME 114
#define IDM_MIX 115
#define IDM_EXIT 116
#define IDM_FILELIST 200

// "Select" submenu.
#define IDM_FIRST 102
#define IDM_PREVIOUS 103
#define IDM_NEXT 104
#define IDM_LAST 105
#define IDM_RANDOM 106

// "File list" submenu: the entry at index i has the command IDM_FILEENTRY + i and the
// picture IDB_FILEENTRY.
#define IDM_FILEENTRY 201
#define IDB_FILEENTRY 300

// Cursors (the hand is IDCUR_LINKHAND, 201) and the program icon.
#define IDCUR_ZOOMIN 104
#define IDCUR_ZOOMOUT 202
#define IDI_LUMORA 105

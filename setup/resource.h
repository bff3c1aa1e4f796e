// Resource and control identifiers of the installer (vantiro-setup): its dialogs, icons and
// the folder chooser's pictures. The shared glyphs, the hand cursor and the About box come
// from commonres.h.
#pragma once

#include "commonres.h"

// Icons: the program's own (first, shown for the file) and the one in the main dialog.
#define IDI_SETUP 102
#define IDI_SETUP_DIALOG 103

// Main dialog "Setup".
#define IDD_SETUP 304
#define IDC_PROGRESS 10001
#define IDC_INSTALL 2001
#define IDC_EXIT 2002
#define IDC_SETUP_ABOUT 2004
#define IDC_SETUP_PICTURE 10002

// "Congratulations" dialog.
#define IDD_CONGRATULATIONS 307
#define IDC_FINISH 2001
#define IDC_AUTOSTART 10003
#define IDC_DESKTOPICON 10004
#define IDC_STARTMENU 10005
#define IDC_LAUNCH 10006

// Folder chooser "Choose folder".
#define IDD_CHOOSEFOLDER 402
#define IDC_CHOOSER_OK 2001
#define IDC_CHOOSER_CANCEL 2002
#define IDC_CHOOSER_HELP 2004
#define IDC_FOLDERTREE 2005
#define IDC_FOLDEREDIT 2006
#define IDC_DRIVELIST 2007

// The chooser's pictures: the drive (with its mask, which takes the number of the new-sheet
// glyph that this program does not carry) and the tree's closed and open folders.
#define IDB_DRIVE 302
#define IDB_DRIVEMASK 2005
#define IDB_FOLDEROPEN 304
#define IDB_FOLDERCLOSED 305

// The application manifest.
#define IDR_MANIFEST 1

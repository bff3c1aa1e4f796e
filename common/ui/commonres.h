// Resource and control identifiers shared by the three programs: the button glyphs, the link
// cursor, the About box and the settings dialog. Each program's own resource header includes
// this one.
#pragma once

// Button glyphs, 16 x 16. A FlatButton draws the glyph whose number is its control identifier.
#define IDB_CHECK 2001
#define IDB_CROSS 2002
#define IDB_RETURN 2003
#define IDB_QUESTION 2004
#define IDB_NEWSHEET 2005
#define IDB_FOLDER 2006

// The pointing hand shown over a link.
#define IDCUR_LINKHAND 201

// About box.
#define IDD_ABOUT 401
#define IDC_ABOUT_PRODUCT 2007
#define IDC_ABOUT_VERSION 2008
#define IDC_ABOUT_OK 2001
#define IDC_ABOUT_MAIL 2009
#define IDC_ABOUT_WEB 2010

// Settings dialog (viewer) and configuration dialog (screen saver): one template number, a
// variant per program.
#define IDD_SETTINGS 2003
#define IDC_LISTPATH 1003
#define IDC_TIMEOUT_SPIN 1005
#define IDC_MIXFILES 1006
#define IDC_TIMEOUT 1007
#define IDC_ACCEPT 2001
#define IDC_DISMISS 2002
#define IDC_OPENLIST 2003
#define IDC_ABOUT 2004
#define IDC_NEWLIST 2005
#define IDC_OPENFOLDER 2006

// The About box (template 401) of the three programs: the caller's product and version texts,
// the maker's credit lines, and a mail and a web link.
#pragma once

#include <windows.h>

// Runs the box modal to owner; returns 0 when it closes (Ok, Escape or the close box). The
// texts must stay valid while the box is shown. FlatButton must be registered.
INT_PTR ShowAboutDialog(HWND owner, const char *product, const char *version);

// The running program's instance handle. Every program stores it at start-up, before it
// registers the FlatButton class or opens a dialog: the shared dialogs and controls load their
// templates, glyphs and cursor from it.
#pragma once

#include <windows.h>

extern HINSTANCE ProgramInstance;

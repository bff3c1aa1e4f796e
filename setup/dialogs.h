// The setup program's own dialogs: the main "Setup" dialog (progress bar, Install, Exit,
// About), which starts the install worker, and the "Congratulations" dialog with the final
// options.
#pragma once

#include <windows.h>

// Runs the whole installer: the main dialog, then the Congratulations dialog and the launch of
// the installed program, or the error message. The program's instance, the common controls
// and the FlatButton class must be set up.
void RunSetup();

// The dialog procedures, for tests that drive them.
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CongratulationsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The one message for every failed installation.
extern const char kInstallErrorText[];   // "Error during install process!"
extern const char kInstallErrorTitle[];  // "Warning:"

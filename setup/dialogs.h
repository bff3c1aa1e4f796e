// The setup program's own dialogs: the main "Setup" dialog (progress bar, Install, Exit,
// About), whose worker thread asks for the folder and runs the installation, and the
// "Congratulations" dialog, which reads the final options into a FinishOptions.
#pragma once

#include <windows.h>

#include <string>

#include "install.h"

// Shared between the dialogs and the worker. The worker writes gInstallFolder and
// gInstallSucceeded before it closes gMainDialog; the main thread reads them after the dialog's
// modal loop has returned.
extern std::string gInstallFolder;
extern int gInstallSucceeded;
extern HWND gMainDialog;
extern int gLaunchAfterSetup;

// Posted by the worker to gMainDialog when it ends: wParam is the dialog's result (0 when the
// folder choice was cancelled, 1 otherwise).
const UINT WM_WORKER_DONE = WM_APP + 1;

// The worker's thread procedure; the parameter is not used.
DWORD WINAPI InstallWorker(LPVOID);

// Runs the whole installer: the main dialog, then the Congratulations dialog and the launch of
// the installed program, or the error message. The program's instance, the common controls
// and the FlatButton class must be set up.
void RunSetup();

// The dialog procedures, for tests that drive them.
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CongratulationsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The four check boxes of the Congratulations dialog.
FinishOptions ReadFinishOptions(HWND dialog);

// The one message for every failed installation.
extern const char kInstallErrorText[];   // "Error during install process!"
extern const char kInstallErrorTitle[];  // "Warning:"

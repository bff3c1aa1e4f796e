// The installation proper: the worker thread that asks for the folder, unpacks the payload,
// moves the screen saver into the system directory and registers the programs, moving the
// main dialog's progress bar after each step; and the shortcuts chosen afterwards.
#pragma once

#include <windows.h>

// Shared with the dialogs. The worker writes InstallFolder and InstallSucceeded before it
// closes MainDialog; the main thread reads them after the dialog's modal loop has returned.
extern char InstallFolder[MAX_PATH];
extern int InstallSucceeded;
extern HWND MainDialog;
extern int LaunchAfterSetup;

// Sent by the worker to MainDialog when it ends: wParam is the dialog's result (0 when the
// folder choice was cancelled, 1 otherwise).
const UINT WM_WORKER_DONE = WM_APP + 1;

// The worker's thread procedure; the parameter is not used.
DWORD WINAPI InstallWorker(LPVOID);

// The texts the installation writes, composed from InstallFolder; 0 when one does not fit.
struct InstallTexts {
  char saverSource[MAX_PATH];  // InstallFolder\Lumora.scr
  char saverTarget[MAX_PATH];  // <system directory>\Lumora.scr
  char icon[MAX_PATH];         // InstallFolder\Vantiro.exe,0
  char command[MAX_PATH];      // "InstallFolder\Vantiro.exe" "%1"
  char program[MAX_PATH];      // InstallFolder\Vantiro.exe
};
int ComposeInstallTexts(const char *folder, InstallTexts *texts);

// Reads the four options of the Congratulations dialog, creates the chosen shortcuts in the
// current user's shell folders and sets LaunchAfterSetup.
void CreateSetupShortcuts(HWND dialog);

// A shell link at linkPath to targetPath with this description. The result of the first
// call that failed, or of the save.
HRESULT CreateShortcut(const char *targetPath, const char *linkPath, const char *description);

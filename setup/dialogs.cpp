#include "dialogs.h"

#include <shellapi.h>

#include <cstdio>
#include <initializer_list>

#include "about.h"
#include "dpi.h"
#include "install.h"
#include "instance.h"
#include "payload.h"
#include "resource.h"

const char kInstallErrorText[] = "Error during install process!";
const char kInstallErrorTitle[] = "Warning:";

namespace {

HANDLE WorkerThread;
HICON DialogPicture;  // the main dialog's picture at its DPI

// The picture of the main dialog at 32 x 32 scaled to the dialog's DPI, from the icon's
// nearest size; the static control shows it at that size.
void ShowDialogPicture(HWND dialog) {
  int size = ScaleToDpi(32, WindowDpi(dialog));
  HICON picture = (HICON)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(IDI_SETUP_DIALOG), IMAGE_ICON,
                                    size, size, 0);
  if (!picture) return;
  SendDlgItemMessageA(dialog, IDC_SETUP_PICTURE, STM_SETICON, (WPARAM)picture, 0);
  if (DialogPicture) DestroyIcon(DialogPicture);
  DialogPicture = picture;
}

INT_PTR OnSetupInit(HWND dialog) {
  MainDialog = dialog;
  ShowDialogPicture(dialog);
  return TRUE;
}

void OnSetupDestroy() {
  if (DialogPicture) DestroyIcon(DialogPicture);
  DialogPicture = nullptr;
}

// Install, or Enter: starts the one worker. A repeated command while it runs is ignored.
void OnInstall(HWND dialog) {
  if (WorkerThread) return;
  EnableWindow(GetDlgItem(dialog, IDC_INSTALL), FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_SETUP_ABOUT), FALSE);
  WorkerThread = CreateThread(nullptr, 0, InstallWorker, nullptr, 0, nullptr);
}

// Exit, Escape or the close box: the worker stops where it stands. Its temporary pieces go;
// a library it may still hold loaded is left mapped and its file marked for removal.
void OnExit(HWND dialog) {
  if (WorkerThread) {
    TerminateThread(WorkerThread, 0);
    WaitForSingleObject(WorkerThread, INFINITE);
    CloseHandle(WorkerThread);
    WorkerThread = nullptr;
    RemovePayloadFolder();
  }
  EndDialog(dialog, 0);
}

INT_PTR OnSetupCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDC_INSTALL: OnInstall(dialog); return TRUE;
    case IDCANCEL:
    case IDC_EXIT: OnExit(dialog); return TRUE;
    case IDC_SETUP_ABOUT:
      ShowAboutDialog(dialog, "Vantiro Setup program", "Version 1.1");
      return TRUE;
  }
  return FALSE;
}

INT_PTR OnWorkerDone(HWND dialog, WPARAM result) {
  if (WorkerThread) {
    CloseHandle(WorkerThread);
    WorkerThread = nullptr;
  }
  EndDialog(dialog, INT_PTR(result));
  return TRUE;
}

INT_PTR OnCongratulationsInit(HWND dialog) {
  for (int id : {IDC_LAUNCH, IDC_STARTMENU, IDC_DESKTOPICON, IDC_AUTOSTART})
    CheckDlgButton(dialog, id, BST_CHECKED);
  return TRUE;
}

// Finish, and also Escape and the close box: the options as they stand.
INT_PTR OnCongratulationsCommand(HWND dialog, WPARAM wParam) {
  if (wParam != IDC_FINISH && wParam != IDCANCEL) return FALSE;
  CreateSetupShortcuts(dialog);
  EndDialog(dialog, 0);
  return TRUE;
}

void LaunchInstalledProgram() {
  char program[MAX_PATH];
  int n = snprintf(program, sizeof program, "%s\\Vantiro.exe", InstallFolder);
  if (n <= 0 || size_t(n) >= sizeof program) return;
  ShellExecuteA(nullptr, "open", program, "", "", SW_SHOWNORMAL);
}

}  // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return OnSetupInit(dialog);
    case WM_DPICHANGED: ShowDialogPicture(dialog); return FALSE;
    case WM_DESTROY: OnSetupDestroy(); return FALSE;
    case WM_COMMAND: return OnSetupCommand(dialog, wParam);
    case WM_WORKER_DONE: return OnWorkerDone(dialog, wParam);
    default: return FALSE;
  }
}

INT_PTR CALLBACK CongratulationsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return OnCongratulationsInit(dialog);
    case WM_COMMAND: return OnCongratulationsCommand(dialog, wParam);
    default: return FALSE;
  }
}

void RunSetup() {
  INT_PTR result =
      DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDialogProc, 0);
  if (result == 0) return;
  if (InstallSucceeded == 1) {
    DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_CONGRATULATIONS), nullptr,
                    CongratulationsDialogProc, 0);
    if (LaunchAfterSetup == 1) LaunchInstalledProgram();
  } else {
    MessageBoxA(nullptr, kInstallErrorText, kInstallErrorTitle, MB_OK | MB_ICONERROR);
  }
}

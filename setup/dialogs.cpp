#include "dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <initializer_list>
#include <string>

#include "about.h"
#include "chooser.h"
#include "dpi.h"
#include "folderpath.h"
#include "instance.h"
#include "path.h"
#include "resource.h"
#include "security.h"
#include "textformat.h"
#include "wintext.h"

const char kInstallErrorText[] = "Error during install process!";
const char kInstallErrorTitle[] = "Warning:";

std::string gInstallFolder;
int gInstallSucceeded;
HWND gMainDialog;
int gLaunchAfterSetup;

namespace {

const int kProgressStep = 16;

HANDLE gWorkerThread;
// Set by Exit while the worker runs; the worker stops at its next step or data block.
volatile LONG gStopWorker;

// Each completed step moves the main dialog's bar; Exit asks the worker to stop.
class ProgressBar : public InstallObserver {
 public:
  void StepDone() override { SendDlgItemMessageW(gMainDialog, IDC_PROGRESS, PBM_STEPIT, 0, 0); }
  bool StopRequested() override { return InterlockedCompareExchange(&gStopWorker, 0, 0) != 0; }
};

// Posted, not sent: the main thread then waits for this thread to end.
DWORD EndWorker(int result) {
  PostMessageW(gMainDialog, WM_WORKER_DONE, result, 0);
  return 0;
}

HICON gDialogPicture;  // the main dialog's picture at its DPI

// The picture of the main dialog at 32 x 32 scaled to the dialog's DPI, from the icon's
// nearest size; the static control shows it at that size.
void ShowDialogPicture(HWND dialog) {
  int size = ScaleToDpi(32, WindowDpi(dialog));
  HICON picture = (HICON)LoadImageW(ProgramInstance, MAKEINTRESOURCEW(IDI_SETUP_DIALOG), IMAGE_ICON,
                                    size, size, 0);
  if (!picture) return;
  SendDlgItemMessageW(dialog, IDC_SETUP_PICTURE, STM_SETICON, (WPARAM)picture, 0);
  if (gDialogPicture) DestroyIcon(gDialogPicture);
  gDialogPicture = picture;
}

INT_PTR OnSetupInit(HWND dialog) {
  gMainDialog = dialog;
  ShowDialogPicture(dialog);
  return TRUE;
}

void OnSetupDestroy() {
  if (gDialogPicture) DestroyIcon(gDialogPicture);
  gDialogPicture = nullptr;
}

// Install, or Enter: starts the one worker. A repeated command while it runs is ignored.
void OnInstall(HWND dialog) {
  if (gWorkerThread) return;
  EnableWindow(GetDlgItem(dialog, IDC_INSTALL), FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_SETUP_ABOUT), FALSE);
  InterlockedExchange(&gStopWorker, 0);
  gWorkerThread = CreateThread(nullptr, 0, InstallWorker, nullptr, 0, nullptr);
}

// Exit, Escape or the close box. While the worker runs, it is asked to stop: it ends at its
// next step (or data block of the extraction), removes its private folder and reports back,
// and the dialog then ends quietly. What it had already installed stays.
void OnExit(HWND dialog) {
  if (!gWorkerThread) {
    EndDialog(dialog, 0);
    return;
  }
  InterlockedExchange(&gStopWorker, 1);
  EnableWindow(GetDlgItem(dialog, IDC_EXIT), FALSE);
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
  if (gWorkerThread) {
    WaitForSingleObject(gWorkerThread, INFINITE);  // it has posted its last message
    CloseHandle(gWorkerThread);
    gWorkerThread = nullptr;
  }
  RemovePayloadFolder();
  EndDialog(dialog, InterlockedCompareExchange(&gStopWorker, 0, 0) ? 0 : INT_PTR(result));
  return TRUE;
}

INT_PTR OnCongratulationsInit(HWND dialog) {
  for (int id : {IDC_LAUNCH, IDC_STARTMENU, IDC_DESKTOPICON, IDC_AUTOSTART})
    CheckDlgButton(dialog, id, BST_CHECKED);
  return TRUE;
}

// Finish, and also Escape and the close box: the options as they stand.
INT_PTR OnCongratulationsCommand(HWND dialog, WPARAM wParam) {
  if (LOWORD(wParam) != IDC_FINISH && LOWORD(wParam) != IDCANCEL) return FALSE;
  FinishOptions options = ReadFinishOptions(dialog);
  CreateSetupShortcuts(gInstallFolder.c_str(), options);
  if (options.launch) gLaunchAfterSetup = 1;
  EndDialog(dialog, 0);
  return TRUE;
}

void LaunchInstalledProgram() {
  const std::string program = InFolder(gInstallFolder, "Vantiro.exe");
  if (FitsPath(program))
    ShellExecuteW(nullptr, L"open", WideFromUtf8(program).c_str(), L"", L"", SW_SHOWNORMAL);
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID) {
  gInstallFolder = kDefaultInstallFolder;
  gInstallSucceeded = 0;
  if (!ChooseFolder(gMainDialog, "Choose install path", &gInstallFolder)) return EndWorker(0);
  SendDlgItemMessageW(gMainDialog, IDC_PROGRESS, PBM_SETSTEP, kProgressStep, 0);
  ProgressBar bar;
  // A folder below the current drive's root ("\Vantiro" as offered) is installed, registered
  // and linked to by its full path.
  if (MakeFullFolderPath(&gInstallFolder) && InstallPrograms(gInstallFolder.c_str(), bar))
    gInstallSucceeded = 1;
  return EndWorker(1);
}

FinishOptions ReadFinishOptions(HWND dialog) {
  FinishOptions options;
  options.launch = IsDlgButtonChecked(dialog, IDC_LAUNCH) == BST_CHECKED;
  options.startMenu = IsDlgButtonChecked(dialog, IDC_STARTMENU) == BST_CHECKED;
  options.desktopIcon = IsDlgButtonChecked(dialog, IDC_DESKTOPICON) == BST_CHECKED;
  options.autoStart = IsDlgButtonChecked(dialog, IDC_AUTOSTART) == BST_CHECKED;
  return options;
}

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
      DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_SETUP), nullptr, SetupDialogProc, 0);
  if (result == 0) return;
  if (gInstallSucceeded == 1) {
    DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CONGRATULATIONS), nullptr,
                    CongratulationsDialogProc, 0);
    if (gLaunchAfterSetup == 1) LaunchInstalledProgram();
  } else {
    ShowMessageBox(nullptr, kInstallErrorText, kInstallErrorTitle, MB_OK | MB_ICONERROR);
  }
}

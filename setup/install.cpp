#include "install.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "chooser.h"
#include "payload.h"
#include "resource.h"

char InstallFolder[MAX_PATH];
int InstallSucceeded;
HWND MainDialog;
int LaunchAfterSetup;

namespace {

const char kDefaultFolder[] = "\\Vantiro";
const char kVendorKey[] = "SOFTWARE\\Ostrel";
const char kListClass[] = "*wclfile";
const int kProgressStep = 16;

// snprintf into out; 0 when the result does not fit.
template <typename... Args>
int Compose(char *out, size_t size, const char *format, Args... args) {
  int n = snprintf(out, size, format, args...);
  return n >= 0 && size_t(n) < size;
}

void StepProgress() {
  SendDlgItemMessageA(MainDialog, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}

DWORD EndWorker(int result) {
  SendMessageA(MainDialog, WM_WORKER_DONE, result, 0);
  return 0;
}

void SetDefaultValue(HKEY root, const char *subkey, const char *text) {
  HKEY key;
  if (RegCreateKeyA(root, subkey, &key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                 DWORD(strlen(text) + 1));
  RegCloseKey(key);
}

void WriteRegistry(const InstallTexts &texts) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kVendorKey);
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kVendorKey, &key) == ERROR_SUCCESS) {
    RegSetValueExA(key, "InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE *>(InstallFolder),
                   DWORD(strlen(InstallFolder) + 1));
    RegCloseKey(key);
  }
  SetDefaultValue(HKEY_CLASSES_ROOT, ".wcl", kListClass);
  SetDefaultValue(HKEY_CLASSES_ROOT, kListClass, "Vantiro list");
  SetDefaultValue(HKEY_CLASSES_ROOT, "*wclfile\\DefaultIcon", texts.icon);
  SetDefaultValue(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", texts.command);
}

// The two payload pieces into the private folder, then every member into InstallFolder.
// Steps the bar after each piece and after the extraction. The folder is removed in any case.
int UnpackPayload() {
  int ok = CreatePayloadFolder() &&
           CopyPayloadPiece(ArchivePieceLength, ArchivePieceLength, ArchiveFile);
  if (ok) {
    StepProgress();
    ok = CopyPayloadPiece(LibraryPieceLength + ArchivePieceLength, LibraryPieceLength, LibraryFile);
  }
  if (ok) {
    StepProgress();
    ok = LoadUnrarLibrary(LibraryFile) && ExtractArchive(ArchiveFile, InstallFolder);
  }
  UnloadUnrarLibrary();
  RemovePayloadFolder();
  if (ok) StepProgress();
  return ok;
}

}  // namespace

int ComposeInstallTexts(const char *folder, InstallTexts *texts) {
  char system[MAX_PATH];
  UINT n = GetSystemDirectoryA(system, sizeof system);
  if (n == 0 || n >= sizeof system) return 0;
  return Compose(texts->saverSource, sizeof texts->saverSource, "%s\\Lumora.scr", folder) &&
         Compose(texts->saverTarget, sizeof texts->saverTarget, "%s\\Lumora.scr", system) &&
         Compose(texts->icon, sizeof texts->icon, "%s\\Vantiro.exe,0", folder) &&
         Compose(texts->command, sizeof texts->command, "\"%s\\Vantiro.exe\" \"%%1\"", folder) &&
         Compose(texts->program, sizeof texts->program, "%s\\Vantiro.exe", folder);
}

DWORD WINAPI InstallWorker(LPVOID) {
  strcpy(InstallFolder, kDefaultFolder);
  InstallSucceeded = 0;
  if (!ChooseFolder(MainDialog, "Choose install path", InstallFolder)) return EndWorker(0);
  SendDlgItemMessageA(MainDialog, IDC_PROGRESS, PBM_SETSTEP, kProgressStep, 0);

  // Every text is composed before anything is written: one that does not fit, or no folder
  // at all, fails the installation with nothing done.
  static InstallTexts texts;
  if (!InstallFolder[0] || !ComposeInstallTexts(InstallFolder, &texts)) return EndWorker(1);
  CreateDirectoryA(InstallFolder, nullptr);
  StepProgress();

  if (!UnpackPayload()) return EndWorker(1);

  // An older screen saver in the system directory stays; the new one then stays installed.
  MoveFileA(texts.saverSource, texts.saverTarget);
  StepProgress();
  WriteRegistry(texts);
  StepProgress();
  InstallSucceeded = 1;
  return EndWorker(1);
}

namespace {

HRESULT SaveShortcut(const char *targetPath, const char *linkPath, const char *description) {
  IShellLinkA *link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void **>(&link));
  if (FAILED(result)) return result;
  link->SetPath(targetPath);
  link->SetDescription(description);
  IPersistFile *file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
  if (FAILED(result)) {
    link->Release();
    return result;
  }
  WCHAR wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH) == 0)
    result = E_INVALIDARG;
  else
    result = file->Save(wide, TRUE);
  file->Release();
  link->Release();
  return result;
}

}  // namespace

HRESULT CreateShortcut(const char *targetPath, const char *linkPath, const char *description) {
  HRESULT com = CoInitialize(nullptr);  // the main thread has done it already
  HRESULT result = SaveShortcut(targetPath, linkPath, description);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

namespace {

// One shortcut in the shell folder csidl, below subfolder when one is given, to a program of
// InstallFolder. A path that does not fit is not made.
void ShellFolderLink(int csidl, const char *subfolder, const char *linkName, const char *program,
                     const char *description) {
  char folder[MAX_PATH], linkFolder[1024], link[1024], target[1024];
  if (SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder) !=
      S_OK)
    return;
  if (subfolder) {
    if (!Compose(linkFolder, sizeof linkFolder, "%s\\%s", folder, subfolder)) return;
    CreateDirectoryA(linkFolder, nullptr);
  } else if (!Compose(linkFolder, sizeof linkFolder, "%s", folder)) {
    return;
  }
  if (Compose(link, sizeof link, "%s\\%s", linkFolder, linkName) && strlen(link) < MAX_PATH &&
      Compose(target, sizeof target, "%s\\%s", InstallFolder, program))
    CreateShortcut(target, link, description);
}

}  // namespace

void CreateSetupShortcuts(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_LAUNCH) == BST_CHECKED) LaunchAfterSetup = 1;
  if (IsDlgButtonChecked(dialog, IDC_STARTMENU) == BST_CHECKED) {
    ShellFolderLink(CSIDL_PROGRAMS, "Vantiro", "Kordax.lnk", "Vantiro.exe", "Vantiro");
    ShellFolderLink(CSIDL_PROGRAMS, "Vantiro", "Lumora.lnk", "Lumora.exe", "Lumora");
  }
  if (IsDlgButtonChecked(dialog, IDC_DESKTOPICON) == BST_CHECKED)
    ShellFolderLink(CSIDL_DESKTOPDIRECTORY, nullptr, "Kordax.lnk", "Vantiro.exe", "Vantiro");
  if (IsDlgButtonChecked(dialog, IDC_AUTOSTART) == BST_CHECKED)
    ShellFolderLink(CSIDL_STARTUP, nullptr, "Kordax.lnk", "Vantiro.exe", "Vantiro");
}

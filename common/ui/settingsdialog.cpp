#include "settingsdialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "about.h"
#include "commonres.h"
#include "fileexists.h"
#include "instance.h"
#include "newlist.h"
#include "systemdecoders.h"
#include "textformat.h"

const char kAboutVersion[] = "Version 1.1";

namespace {

const char kListFilter[] = "Vantiro list\0*.wcl\0All files(*.*)\0*.*\0";
const char kPictureTitle[] = "choose image(s) to add";
// "alredy exist" is spelled as users know the question: kept so.
const char kOverwriteText[] = "File %s alredy exist! Overwrite this file?";
const char kOverwriteTitle[] = "Warning!";
const char kErrorTitle[] = "Error";
const size_t kMessageSize = 1024;

const SettingsVariant *Variant(HWND dialog) {
  return reinterpret_cast<const SettingsVariant *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A message box with one "%s" filled in.
int Report(HWND dialog, const char *format, const char *text, const char *title, UINT style) {
  char message[kMessageSize];
  FormatCut(message, sizeof message, format, text);
  return MessageBoxA(dialog, message, title, style);
}

OPENFILENAMEA FileDialog(HWND dialog, char *file, DWORD size, const char *filter, DWORD flags) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = dialog;
  ofn.hInstance = ProgramInstance;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = size;
  ofn.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY;
  file[0] = 0;
  return ofn;
}

int ConfirmOverwrite(const char *target, void *context) {
  HWND dialog = static_cast<HWND>(context);
  return Report(dialog, kOverwriteText, target, kOverwriteTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

// Why a new list was not made; the argument names the picture, temporary file or list.
void ReportNewListFailure(HWND dialog, NewListResult result, const char *argument) {
  const char *format = nullptr;
  switch (result) {
    case kNewListNoTempName:
      format = "No temporary list file could be made beside \"%s\".\nNo list was made.";
      break;
    case kNewListPathTooLong:
      format =
          "The path of the picture \"%s\" is longer than 255 characters.\n"
          "No list was made.";
      break;
    case kNewListCreateFailed:
      format = "The temporary list file \"%s\" could not be created.\nNo list was made.";
      break;
    case kNewListWriteFailed:
      format = "The temporary list file \"%s\" could not be written.\nNo list was made.";
      break;
    case kNewListNameTooLong:
      format = "The name \"%s\" is too long for a list file.\nNo list was made.";
      break;
    case kNewListMoveFailed:
      format = "The new list could not be saved as \"%s\".\nNo list was made.";
      break;
    default: return;
  }
  Report(dialog, format, argument, kErrorTitle, MB_OK | MB_ICONERROR);
}

// The old list could not be replaced: it is unchanged, and the new one is kept under its
// temporary name.
void ReportKeptList(HWND dialog, const char *target, const char *temp) {
  char message[kMessageSize];
  FormatCut(message, sizeof message,
            "The file \"%s\" could not be replaced and is unchanged.\n"
            "The new list is kept as \"%s\".",
            target, temp);
  MessageBoxA(dialog, message, kErrorTitle, MB_OK | MB_ICONERROR);
}

INT_PTR OnInitDialog(HWND dialog, const SettingsVariant *variant) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(variant));
  if (variant->shownBefore) {
    if (*variant->shownBefore) {
      SetDlgItemTextA(dialog, IDC_ACCEPT, "Ok");
      SetDlgItemTextA(dialog, IDC_DISMISS, "Cancel");
    } else {
      *variant->shownBefore = TRUE;
    }
  }
  ShowSettings *settings = variant->settings;
  settings->Read();
  SetDlgItemTextA(dialog, IDC_LISTPATH, settings->LastFile);
  const bool mix = (settings->Flags & variant->mixMask) != 0;
  CheckDlgButton(dialog, IDC_MIXFILES, mix ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageA(dialog, IDC_TIMEOUT_SPIN, UDM_SETRANGE, 0,
                      MAKELPARAM(kTimeOutMax, kTimeOutMin));
  SendDlgItemMessageA(dialog, IDC_TIMEOUT_SPIN, UDM_SETPOS, 0,
                      MAKELPARAM(LOWORD(settings->TimeOut), 0));
  return TRUE;
}

void OnAccept(HWND dialog, const SettingsVariant *variant) {
  char path[MAX_PATH];
  GetDlgItemTextA(dialog, IDC_LISTPATH, path, sizeof path);
  if (!FileExists(path)) {
    Report(dialog, variant->missingFileText, path, variant->missingFileTitle, MB_OK | MB_ICONERROR);
    return;
  }
  ShowSettings *settings = variant->settings;
  LRESULT position = SendDlgItemMessageA(dialog, IDC_TIMEOUT_SPIN, UDM_GETPOS, 0, 0);
  settings->TimeOut = LOWORD(position);
  settings->Flags &= ~variant->mixMask;
  if (IsDlgButtonChecked(dialog, IDC_MIXFILES) == BST_CHECKED) settings->Flags |= variant->mixOn;
  lstrcpynA(settings->LastFile, path, sizeof settings->LastFile);
  settings->Write();
  EndDialog(dialog, 1);
}

void OnOpenList(HWND dialog) {
  char path[MAX_PATH];
  OPENFILENAMEA ofn = FileDialog(dialog, path, sizeof path, kListFilter, OFN_FILEMUSTEXIST);
  if (GetOpenFileNameA(&ofn)) SetDlgItemTextA(dialog, IDC_LISTPATH, path);
}

void OnNewList(HWND dialog) {
  char selection[kPictureSelectionSize] = {};
  const std::string filter = PictureFilter(SystemDecoders());
  OPENFILENAMEA pick = FileDialog(dialog, selection, sizeof selection, filter.c_str(),
                                  OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  pick.lpstrTitle = kPictureTitle;
  if (!GetOpenFileNameA(&pick)) return;

  // A picture path too long for the list is reported before the name is asked for.
  char badName[MAX_PATH];
  NewListResult result = ForEachSelectedPicture(
      selection, sizeof selection, pick.nFileOffset, [](const char *, void *) { return 1; },
      nullptr, badName, sizeof badName);
  if (result != kNewListWritten) {
    ReportNewListFailure(dialog, result, badName);
    return;
  }

  char target[MAX_PATH];
  OPENFILENAMEA save = FileDialog(dialog, target, sizeof target, kListFilter, 0);
  if (!GetSaveFileNameA(&save)) return;
  if (!EnsureListExtension(target, sizeof target)) {
    ReportNewListFailure(dialog, kNewListNameTooLong, target);
    return;
  }
  // The list is written beside its final name, so that putting it in place is a rename.
  char temp[MAX_PATH];
  if (!TemporaryListPath(target, temp, sizeof temp)) {
    ReportNewListFailure(dialog, kNewListNoTempName, target);
    return;
  }
  result = WriteSelectionList(temp, selection, sizeof selection, pick.nFileOffset, badName,
                              sizeof badName);
  if (result != kNewListWritten) {
    ReportNewListFailure(dialog, result, result == kNewListPathTooLong ? badName : temp);
    return;
  }
  result = MoveListIntoPlace(temp, target, ConfirmOverwrite, dialog);
  if (result == kNewListWritten)
    SetDlgItemTextA(dialog, IDC_LISTPATH, target);
  else if (result == kNewListReplaceFailed)
    ReportKeptList(dialog, target, temp);
  else
    ReportNewListFailure(dialog, result, target);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  const SettingsVariant *variant = Variant(dialog);
  if (!variant) return FALSE;  // notifications from controls made before WM_INITDIALOG
  switch (LOWORD(wParam)) {
    case IDCANCEL:
    case IDC_DISMISS: EndDialog(dialog, 0); break;
    case IDC_ACCEPT: OnAccept(dialog, variant); break;
    case IDC_ABOUT: ShowAboutDialog(dialog, variant->product, kAboutVersion); break;
    case IDC_OPENLIST: OnOpenList(dialog); break;
    case IDC_NEWLIST: OnNewList(dialog); break;
    default: break;  // IDOK (Enter) among them: nothing
  }
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<const SettingsVariant *>(lParam));
    case WM_COMMAND: return OnCommand(dialog, wParam);
    default: return FALSE;
  }
}

INT_PTR RunSettingsDialog(HWND owner, const SettingsVariant *variant) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  INT_PTR result = DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                                   SettingsDialogProc, reinterpret_cast<LPARAM>(variant));
  return result == 1 ? 1 : 0;  // -1: the dialog could not be made, which confirms nothing
}

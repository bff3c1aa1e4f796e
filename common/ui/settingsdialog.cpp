#include "settingsdialog.h"

#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "about.h"
#include "commonres.h"
#include "filecalls.h"
#include "fileexists.h"
#include "folderpicker.h"
#include "instance.h"
#include "newlist.h"
#include "path.h"
#include "systemdecoders.h"
#include "textformat.h"
#include "wintext.h"

const char kAboutVersion[] = "Version 1.1";

namespace {

const char kListFilter[] = "Vantiro list\0*.wcl\0All files(*.*)\0*.*\0";
const char kPictureTitle[] = "choose image(s) to add";
// "alredy exist" is spelled as users know the question: kept so.
const char kOverwriteText[] = "File %s alredy exist! Overwrite this file?";
const char kOverwriteTitle[] = "Warning!";
const char kErrorTitle[] = "Error";
const char kTooManyPicturesText[] =
    "Too many pictures are selected for one list.\nNo list was made.";

const SettingsVariant *Variant(HWND dialog) {
  return reinterpret_cast<const SettingsVariant *>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// A message box with one "%s" filled in.
int Report(HWND dialog, const char *format, const std::string &text, const char *title,
           UINT style) {
  return ShowMessageBox(dialog, FillIn(format, text), title, style);
}

// An open or save dialog on a wide buffer; the filter is a list of NUL-ended texts, as
// written with its last NUL.
OPENFILENAMEW FileDialog(HWND dialog, std::vector<wchar_t> *file, const std::wstring &filter,
                         DWORD flags) {
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.hInstance = ProgramInstance;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file->data();
  ofn.nMaxFile = (DWORD)file->size();
  ofn.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY;
  (*file)[0] = 0;
  return ofn;
}

template <size_t N>
std::wstring WideFilter(const char (&filter)[N]) {
  return WideFromUtf8(std::string_view(filter, N));  // every NUL, the closing one among them
}

int ConfirmOverwrite(const char *target, void *context) {
  HWND dialog = static_cast<HWND>(context);
  return Report(dialog, kOverwriteText, target, kOverwriteTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

// Why a new list was not made; the argument names the picture, temporary file or list.
void ReportNewListFailure(HWND dialog, NewListResult result, const std::string &argument) {
  const char *format = nullptr;
  switch (result) {
    case kNewListNoTempName:
      format = "No temporary list file could be made beside \"%s\".\nNo list was made.";
      break;
    case kNewListPathTooLong:
      format =
          "The path of the picture \"%s\" is longer than 32767 characters.\n"
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
void ReportKeptList(HWND dialog, const std::string &target, const std::string &temp) {
  ShowMessageBox(dialog,
                 FillIn("The file \"%s\" could not be replaced and is unchanged.\n"
                        "The new list is kept as \"%s\".",
                        target, temp),
                 kErrorTitle, MB_OK | MB_ICONERROR);
}

INT_PTR OnInitDialog(HWND dialog, const SettingsVariant *variant) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(variant));
  if (variant->shownBefore) {
    if (*variant->shownBefore) {
      SetDialogItemTextOf(dialog, IDC_ACCEPT, "Ok");
      SetDialogItemTextOf(dialog, IDC_DISMISS, "Cancel");
    } else {
      *variant->shownBefore = TRUE;
    }
  }
  ShowSettings *settings = variant->settings;
  settings->Read();
  SetDialogItemTextOf(dialog, IDC_LISTPATH, settings->LastFile);
  const bool mix = (settings->Flags & variant->mixMask) != 0;
  CheckDlgButton(dialog, IDC_MIXFILES, mix ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(dialog, IDC_TIMEOUT_SPIN, UDM_SETRANGE, 0,
                      MAKELPARAM(kTimeOutMax, kTimeOutMin));
  SendDlgItemMessageW(dialog, IDC_TIMEOUT_SPIN, UDM_SETPOS, 0,
                      MAKELPARAM(LOWORD(settings->TimeOut), 0));
  return TRUE;
}

// A show is a list file or a folder of pictures.
bool NamesListOrFolder(const std::string &path) {
  if (FileExists(path.c_str())) return true;
  const DWORD attributes = PathAttributes(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The path is stored as typed, a folder's closing separator too.
void OnAccept(HWND dialog, const SettingsVariant *variant) {
  const std::string path = DialogItemTextOf(dialog, IDC_LISTPATH);
  if (!NamesListOrFolder(path)) {
    Report(dialog, variant->missingFileText, path, variant->missingFileTitle, MB_OK | MB_ICONERROR);
    return;
  }
  ShowSettings *settings = variant->settings;
  LRESULT position = SendDlgItemMessageW(dialog, IDC_TIMEOUT_SPIN, UDM_GETPOS, 0, 0);
  settings->TimeOut = LOWORD(position);
  settings->Flags &= ~variant->mixMask;
  if (IsDlgButtonChecked(dialog, IDC_MIXFILES) == BST_CHECKED) settings->Flags |= variant->mixOn;
  settings->LastFile = path;
  settings->Write();
  EndDialog(dialog, 1);
}

// The chosen path, or "" when the dialog was cancelled.
std::string ChooseListFile(HWND dialog, DWORD flags, bool save) {
  std::vector<wchar_t> file(kLongestPath + 1);
  const std::wstring filter = WideFilter(kListFilter);
  OPENFILENAMEW ofn = FileDialog(dialog, &file, filter, flags);
  if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return "";
  return Utf8FromWide(file.data());
}

void OnOpenList(HWND dialog) {
  const std::string path = ChooseListFile(dialog, OFN_FILEMUSTEXIST, false);
  if (!path.empty()) SetDialogItemTextOf(dialog, IDC_LISTPATH, path);
}

// A folder for the show, chosen in the system's folder picker; a cancel changes nothing.
void OnOpenFolder(HWND dialog) {
  const std::string start = PickerStartFolder(DialogItemTextOf(dialog, IDC_LISTPATH));
  const std::string folder = ChooseFolder(dialog, start);
  if (!folder.empty()) SetDialogItemTextOf(dialog, IDC_LISTPATH, folder);
}

void OnNewList(HWND dialog) {
  std::vector<wchar_t> chosen(kPictureSelectionChars);
  const std::string pictureFilter = PictureFilter(SystemDecoders());
  const std::wstring filter = WideFromUtf8(pictureFilter);  // every NUL, the closing one among them
  OPENFILENAMEW pick =
      FileDialog(dialog, &chosen, filter, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  const std::wstring title = WideFromUtf8(kPictureTitle);
  pick.lpstrTitle = title.c_str();
  if (!GetOpenFileNameW(&pick)) {
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
      ShowMessageBox(dialog, kTooManyPicturesText, kErrorTitle, MB_OK | MB_ICONERROR);
    return;
  }
  size_t fileOffset = 0;
  const std::string selection =
      Utf8Selection(chosen.data(), chosen.size(), pick.nFileOffset, &fileOffset);
  chosen = std::vector<wchar_t>();  // the wide copy is not needed any more

  // A picture path too long for the list is reported before the name is asked for.
  std::string badName;
  NewListResult result = ForEachSelectedPicture(
      selection.data(), selection.size(), fileOffset, [](const char *, void *) { return 1; },
      nullptr, &badName);
  if (result != kNewListWritten) {
    ReportNewListFailure(dialog, result, badName);
    return;
  }

  std::string target = ChooseListFile(dialog, 0, true);
  if (target.empty()) return;
  if (!EnsureListExtension(&target)) {
    ReportNewListFailure(dialog, kNewListNameTooLong, target);
    return;
  }
  // The list is written beside its final name, so that putting it in place is a rename.
  const std::string temp = TemporaryListPath(target.c_str());
  if (temp.empty()) {
    ReportNewListFailure(dialog, kNewListNoTempName, target);
    return;
  }
  result =
      WriteSelectionList(temp.c_str(), selection.data(), selection.size(), fileOffset, &badName);
  if (result != kNewListWritten) {
    ReportNewListFailure(dialog, result, result == kNewListPathTooLong ? badName : temp);
    return;
  }
  result = MoveListIntoPlace(temp.c_str(), target.c_str(), ConfirmOverwrite, dialog);
  if (result == kNewListWritten)
    SetDialogItemTextOf(dialog, IDC_LISTPATH, target);
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
    case IDC_OPENFOLDER: OnOpenFolder(dialog); break;
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
  INT_PTR result = DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_SETTINGS), owner,
                                   SettingsDialogProc, reinterpret_cast<LPARAM>(variant));
  return result == 1 ? 1 : 0;  // -1: the dialog could not be made, which confirms nothing
}

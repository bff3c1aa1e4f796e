#include "folderpicker.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "filecalls.h"
#include "foldertree.h"
#include "path.h"

namespace {

bool gFolderBrowserOnly = false;

// The path made absolute in the form the shell parses: no "\\?\" prefix.
std::wstring ShellPath(const std::string &path) {
  const std::wstring wide = WideFromUtf8(path);
  std::wstring full;
  return FullWidePath(wide, &full) ? full : wide;
}

// COM on this thread for the object's lifetime, apartment-threaded as the shell's dialogs need
// it; uninitialised again only when this initialisation succeeded (a thread already in the
// other model keeps it).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment &) = delete;
  ComApartment &operator=(const ComApartment &) = delete;

 private:
  HRESULT result_;
};

enum PickOutcome { kPicked, kCancelled, kNoItemDialog };

PickOutcome PickWithItemDialog(HWND owner, const std::string &start, std::string *chosen) {
  IFileOpenDialog *dialog = nullptr;
  if (gFolderBrowserOnly || FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                                                    CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
    return kNoItemDialog;
  FILEOPENDIALOGOPTIONS options = 0;
  if (FAILED(dialog->GetOptions(&options)) ||
      FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM |
                                FOS_PATHMUSTEXIST))) {
    dialog->Release();
    return kNoItemDialog;
  }
  if (!start.empty()) {
    IShellItem *folder = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(ShellPath(start).c_str(), nullptr,
                                              IID_PPV_ARGS(&folder)))) {
      dialog->SetFolder(folder);
      folder->Release();
    }
  }
  PickOutcome outcome = kCancelled;
  IShellItem *item = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
    PWSTR name = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
      *chosen = Utf8FromWide(name);
      CoTaskMemFree(name);
      outcome = kPicked;
    }
    item->Release();
  }
  dialog->Release();
  return outcome;
}

int CALLBACK OnBrowserEvent(HWND browser, UINT msg, LPARAM, LPARAM start) {
  if (msg == BFFM_INITIALIZED && start) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

bool PickWithFolderBrowser(HWND owner, const std::string &start, std::string *chosen) {
  const std::wstring startPath = start.empty() ? std::wstring() : ShellPath(start);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = OnBrowserEvent;
  info.lParam = startPath.empty() ? 0 : reinterpret_cast<LPARAM>(startPath.c_str());
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  if (!list) return false;
  std::vector<wchar_t> path(kLongestPath + 1);
  const bool named = SHGetPathFromIDListEx(list, path.data(), (DWORD)path.size(), GPFIDL_DEFAULT);
  CoTaskMemFree(list);
  if (!named) return false;
  *chosen = Utf8FromWide(path.data());
  return true;
}

}  // namespace

std::string PickerStartFolder(const std::string &path) {
  if (path.empty()) return "";
  if (IsFolder(path.c_str())) return path;
  std::string folder(FolderOf(path));
  if (IsBareDrive(folder)) folder += '\\';  // "C:" alone is the drive's current folder
  return !folder.empty() && IsFolder(folder.c_str()) ? folder : "";
}

void UseFolderBrowserOnly(bool only) {
  gFolderBrowserOnly = only;
}

std::string ChooseFolder(HWND owner, const std::string &start) {
  ComApartment com;
  std::string chosen;
  if (PickWithItemDialog(owner, start, &chosen) == kNoItemDialog)
    PickWithFolderBrowser(owner, start, &chosen);
  return chosen;
}

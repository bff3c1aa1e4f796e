#include "settingsdriver.h"

#include <commctrl.h>

#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "path.h"
#include "uidriver.h"

const char kViewerKey[] = "SOFTWARE\\Ostrel\\Lumora";
const char kSaverKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";

void SettingsTest::SetUp() {
  ProgramInstance = GetModuleHandleA(nullptr);
  WNDCLASSA wc;
  if (!GetClassInfoA(ProgramInstance, kFlatButtonClass, &wc)) RegisterFlatButtonClass();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  Clean();
  ASSERT_FALSE(UserKeyExists(kViewerKey));
  ASSERT_FALSE(UserKeyExists(kSaverKey));
  MoveMouse(5, 5);
}

void SettingsTest::Clean() {
  DeleteUserKey(kViewerKey);
  DeleteUserKey(kSaverKey);
  DeleteUserKey("SOFTWARE\\Ostrel");
}

INT_PTR SettingsTest::Show(const std::function<INT_PTR()> &show, const char *title,
                           const std::function<void(HWND)> &drive, bool *leftOpen) {
  return RunModal(
      show,
      [&] {
        HWND dialog = WaitForWindow(title);
        ASSERT_NE(nullptr, dialog);
        drive(dialog);
      },
      title, leftOpen);
}

SettingsFields ReadFields(HWND dialog) {
  SettingsFields f;
  f.accept = WindowText(GetDlgItem(dialog, IDC_ACCEPT));
  f.dismiss = WindowText(GetDlgItem(dialog, IDC_DISMISS));
  f.path = WindowText(GetDlgItem(dialog, IDC_LISTPATH));
  f.seconds = WindowText(GetDlgItem(dialog, IDC_TIMEOUT));
  f.mix = IsDlgButtonChecked(dialog, IDC_MIXFILES);
  return f;
}

namespace {

// The first visible top-level window that owner owns, or null.
HWND OwnedWindow(HWND owner) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  return nullptr;
}

}  // namespace

bool AnswerFolderPicker(HWND dialog, const char *typed) {
  ClickControl(GetDlgItem(dialog, IDC_OPENFOLDER));
  HWND picker = nullptr;
  if (!WaitFor([&] { return (picker = OwnedWindow(dialog)) != nullptr; })) return false;
  const int kFileNameBox = 0x480;  // edt1 of Wine's item dialog
  if (typed && *typed) SetDlgItemTextW(picker, kFileNameBox, WideFromUtf8(typed).c_str());
  PostMessageA(picker, WM_COMMAND, typed ? IDOK : IDCANCEL, 0);
  if (WaitFor([&] { return !IsWindow(picker); }, 3000)) return true;
  // Refused (a message box over the picker says why): both are closed, so that the dialog
  // can go on.
  if (HWND box = OwnedWindow(picker)) PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !OwnedWindow(picker); }, 2000);
  PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
  WaitFor([&] { return !IsWindow(picker); });
  return false;
}

std::string MissingListThenAccept(HWND dialog, const std::string &missing, const char *boxTitle,
                                  const std::string &list, int seconds) {
  SetDlgItemTextA(dialog, IDC_LISTPATH, missing.c_str());
  ClickControl(GetDlgItem(dialog, IDC_ACCEPT));
  HWND box = WaitForWindow(boxTitle);
  if (!box) return "<no box>";
  std::string text = MessageBoxText(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !IsWindow(box); });
  SetDlgItemTextA(dialog, IDC_LISTPATH, list.c_str());
  SendDlgItemMessageA(dialog, IDC_TIMEOUT_SPIN, UDM_SETPOS, 0, seconds);
  ClickControl(GetDlgItem(dialog, IDC_MIXFILES));
  ClickControl(GetDlgItem(dialog, IDC_ACCEPT));
  return text;
}

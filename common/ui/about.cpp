#include "about.h"

#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "wintext.h"

namespace {

// Set for each request; the caller owns the strings.
const char *productText;
const char *versionText;

INT_PTR OnInitDialog(HWND dialog) {
  MakeFlatButtonLink(GetDlgItem(dialog, IDC_ABOUT_MAIL));
  MakeFlatButtonLink(GetDlgItem(dialog, IDC_ABOUT_WEB));
  SetDialogItemTextOf(dialog, IDC_ABOUT_PRODUCT, productText);
  SetDialogItemTextOf(dialog, IDC_ABOUT_VERSION, versionText);
  return TRUE;
}

// Escape, the close box (both IDCANCEL) and Ok close the box; Enter (IDOK) does not.
INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  const WORD id = LOWORD(wParam);
  if (id == IDCANCEL || id == IDC_ABOUT_OK) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    default: return FALSE;
  }
}

}  // namespace

INT_PTR ShowAboutDialog(HWND owner, const char *product, const char *version) {
  productText = product;
  versionText = version;
  return DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

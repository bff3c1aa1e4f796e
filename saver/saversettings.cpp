#include "saversettings.h"

#include "settingsdialog.h"

const SettingsStore kSaverSettingsStore = {"SOFTWARE\\Ostrel\\ScreenSaver", "TimeOut", "MixFiles",
                                           "LastFile", false};

ShowSettings gSaverSettings = {&kSaverSettingsStore, 10, 0, {}};

namespace {

// "is not existing" is worded as users know the message: kept so.
const SettingsVariant kSaverVariant = {
    &gSaverSettings,
    0xFFFFFFFF,  // the mix value as a whole is the choice
    1,           // and a ticked box stores 1
    nullptr,     // the template's "Ok" and "Cancel" stay
    "The file \"%s\" is not existing!",
    "Error",
    "Lumora screen saver",
};

}  // namespace

INT_PTR CALLBACK SaverSettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) lParam = reinterpret_cast<LPARAM>(&kSaverVariant);
  return SettingsDialogProc(dialog, msg, wParam, lParam);
}

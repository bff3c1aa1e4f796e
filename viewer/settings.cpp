#include "settings.h"

#include "settingsdialog.h"

const SettingsStore kViewerSettingsStore = {"SOFTWARE\\Ostrel\\Lumora", "TimeOut", "ProgramState",
                                            "LastFile", true};

ShowSettings gViewerSettings = {&kViewerSettingsStore, 10, 0, {}};

namespace {

BOOL gShownBefore;

const SettingsVariant kViewerVariant = {
    &gViewerSettings,
    MixOnLoad,  // the mix choice is one bit of the word
    MixOnLoad,
    &gShownBefore,
    "The file that you have selected is invalid! Please choose a valid file!",
    "Warning",
    "Lumora",
};

}  // namespace

INT_PTR ShowSettingsDialog(HWND owner) {
  return RunSettingsDialog(owner, &kViewerVariant);
}

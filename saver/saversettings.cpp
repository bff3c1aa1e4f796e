#include "saversettings.h"

#include "regvalue.h"
#include "settingsdialog.h"

const char kSaverSettingsKey[] = "SOFTWARE\\Ostrel\\ScreenSaver";

DWORD TimeOut = 10;
DWORD MixFiles;
char LastFile[MAX_PATH];

namespace {

BOOL MixFilesSet() {
  return MixFiles != 0;
}
void SetMixFiles(BOOL on) {
  MixFiles = on ? 1 : 0;
}

// "is not existing" is worded as users know the message: kept so.
const SettingsVariant kSaverVariant = {
    LastFile,          &TimeOut,
    ReadSaverSettings, WriteSaverSettings,
    MixFilesSet,       SetMixFiles,
    nullptr,           "The file \"%s\" is not existing!",
    "Error",           "Lumora screen saver",
};

}  // namespace

void ReadSaverSettings() {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kSaverSettingsKey, &key) != ERROR_SUCCESS) return;
  QueryDwordInRange(key, "TimeOut", kTimeOutMin, kTimeOutMax, &TimeOut);
  QueryDwordValue(key, "MixFiles", &MixFiles);
  QueryTextValue(key, "LastFile", LastFile, sizeof LastFile);
  RegCloseKey(key);
}

void WriteSaverSettings() {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kSaverSettingsKey, &key) != ERROR_SUCCESS) return;
  SetDwordValue(key, "TimeOut", TimeOut);
  SetDwordValue(key, "MixFiles", MixFiles);
  SetTextValue(key, "LastFile", LastFile);
  RegCloseKey(key);
}

INT_PTR CALLBACK SaverSettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) lParam = reinterpret_cast<LPARAM>(&kSaverVariant);
  return SettingsDialogProc(dialog, msg, wParam, lParam);
}

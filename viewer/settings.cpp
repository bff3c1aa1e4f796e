#include "settings.h"

#include "placedraw.h"
#include "regvalue.h"
#include "settingsdialog.h"

const char kViewerSettingsKey[] = "SOFTWARE\\Ostrel\\Lumora";

DWORD TimeOut = 10;
DWORD ProgramState;
char LastFile[MAX_PATH];
int ScreenWidth;
int ScreenHeight;

namespace {

BOOL shownBefore;

BOOL MixOnLoadSet() {
  return (ProgramState & MixOnLoad) != 0;
}

void SetMixOnLoad(BOOL on) {
  if (on)
    ProgramState |= MixOnLoad;
  else
    ProgramState &= ~MixOnLoad;
}

const SettingsVariant kViewerVariant = {
    LastFile,     &TimeOut,
    ReadSettings, WriteSettings,
    MixOnLoadSet, SetMixOnLoad,
    &shownBefore, "The file that you have selected is invalid! Please choose a valid file!",
    "Warning",    "Lumora",
};

}  // namespace

void ReadSettings() {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kViewerSettingsKey, &key) != ERROR_SUCCESS) return;
  QueryDwordInRange(key, "TimeOut", kTimeOutMin, kTimeOutMax, &TimeOut);
  QueryDwordValue(key, "ProgramState", &ProgramState);
  if (LastFile[0] == 0) QueryTextValue(key, "LastFile", LastFile, sizeof LastFile);
  RegCloseKey(key);
}

void WriteSettings() {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kViewerSettingsKey, &key) != ERROR_SUCCESS) return;
  SetDwordValue(key, "TimeOut", TimeOut);
  SetDwordValue(key, "ProgramState", ProgramState);
  SetTextValue(key, "LastFile", LastFile);
  RegCloseKey(key);
}

void ReadDisplaySize() {
  ReadScreenSize(&ScreenWidth, &ScreenHeight);
}

INT_PTR ShowSettingsDialog(HWND owner) {
  return RunSettingsDialog(owner, &kViewerVariant);
}

#include "showsettings.h"

#include "regvalue.h"

void ShowSettings::Read() {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, store->key, &key) != ERROR_SUCCESS) return;
  QueryDwordInRange(key, store->timeOutName, kTimeOutMin, kTimeOutMax, &TimeOut);
  QueryDwordValue(key, store->flagsName, &Flags);
  if (!store->listOnlyWhileEmpty || LastFile[0] == 0)
    QueryTextValue(key, store->listName, LastFile, sizeof LastFile);
  RegCloseKey(key);
}

void ShowSettings::Write() const {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, store->key, &key) != ERROR_SUCCESS) return;
  SetDwordValue(key, store->timeOutName, TimeOut);
  SetDwordValue(key, store->flagsName, Flags);
  SetTextValue(key, store->listName, LastFile);
  RegCloseKey(key);
}

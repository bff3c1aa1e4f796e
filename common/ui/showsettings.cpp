#include "showsettings.h"

#include "regvalue.h"

void ShowSettings::Read() {
  HKEY key;
  if (!OpenKey(HKEY_CURRENT_USER, store->key, KEY_READ, &key)) return;
  QueryDwordInRange(key, store->timeOutName, kTimeOutMin, kTimeOutMax, &TimeOut);
  QueryDwordValue(key, store->flagsName, &Flags);
  if (!store->listOnlyWhileEmpty || LastFile.empty())
    QueryTextValue(key, store->listName, &LastFile);
  RegCloseKey(key);
}

void ShowSettings::Write() const {
  HKEY key;
  if (!CreateKey(HKEY_CURRENT_USER, store->key, &key)) return;
  SetDwordValue(key, store->timeOutName, TimeOut);
  SetDwordValue(key, store->flagsName, Flags);
  SetTextValue(key, store->listName, LastFile.c_str());
  RegCloseKey(key);
}

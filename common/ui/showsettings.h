// The settings of a show, kept per user in the registry: the seconds between pictures, a flag
// word and the image list to show. The viewer and the screen saver each keep one record under a
// key and value names of their own (SettingsStore); both read and write it the same way.
#pragma once

#include <windows.h>

#include <string>

// The time-outs a setting holds (and the settings dialog offers).
const DWORD kTimeOutMin = 1;
const DWORD kTimeOutMax = 32000;

// Where a program keeps its settings: a key under HKEY_CURRENT_USER and the names of the three
// values in it.
struct SettingsStore {
  const char *key;
  const char *timeOutName;  // REG_DWORD
  const char *flagsName;    // REG_DWORD
  const char *listName;     // REG_SZ
  // The stored list path is read only while the record's path is empty, so that a path given
  // on the command line or confirmed earlier in the run stays.
  bool listOnlyWhileEmpty;
};

struct ShowSettings {
  const SettingsStore *store;
  DWORD TimeOut = 10;  // seconds between pictures
  // The flag word: the viewer's "ProgramState" bits, the saver's "MixFiles" value. What is read
  // is written back whole, bits that no program knows among it.
  DWORD Flags = 0;
  std::string LastFile;  // the image list to show (UTF-8); empty at first

  // Fills the settings from the store: the time-out and the flag word, then the list path (or
  // only while it is empty, as the store says). A missing key or value, or one of the wrong type
  // or size (or a time-out outside kTimeOutMin to kTimeOutMax), leaves the setting as it was.
  void Read();
  // Creates or opens the key and stores the time-out, the flag word and the list path, in this
  // order. Failures are not reported.
  void Write() const;
};

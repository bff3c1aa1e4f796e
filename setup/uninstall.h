// Uninstalling: the installation's entry in the system's list of installed programs
// (HKLM\...\Uninstall\Vantiro), the uninstaller (the setup program's own image, without its
// payload, as "Uninstall.exe" in the install folder) and the removal of exactly what the
// installation made.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "commandline.h"

extern const char kUninstallKey[];     // below HKEY_LOCAL_MACHINE
extern const char kUninstallerName[];  // "Uninstall.exe"

// The screen saver an installation put into the system directory, as the Uninstall key
// records it: the file is removed with the installation only while it is still this one.
struct SaverRecord {
  std::string path;
  DWORD size = 0;
  uint64_t checksum = 0;  // 64-bit FNV-1a of its bytes
};
// The record of the Uninstall key; false when there is none.
bool ReadSaverRecord(SaverRecord *record);
// The record of the file at path as it is now; false when it cannot be read.
bool RecordSaverFile(const char *path, SaverRecord *record);
// Whether the file the record names is still the one recorded.
bool SaverMatches(const SaverRecord &record);

// Puts the uninstaller into folder (canonical, see folderpath.h), replacing any file of that
// name, and writes the Uninstall key, with the screen saver's record when saver is given.
// False when the uninstaller cannot be written.
bool RegisterUninstall(const char *folder, const SaverRecord *saver);

// Removes the installation in folder: its programs, the shortcuts that lead into it,
// "InstallDir" while it names folder, the ".wcl" association while it opens folder's
// Vantiro.exe and the screen saver in the system directory while it is the recorded one; then,
// when all of that has gone, the uninstaller, the folder when it is then empty and the
// Uninstall key. Folders are compared as SamePath does. The user's pictures, lists and
// settings stay. Whatever cannot be removed is listed, one per line, in failed (size bytes)
// and the rest is still removed; false then, and the uninstaller and its key stay, so that
// another run can finish the work.
bool RemoveInstallation(const char *folder, char *failed, size_t size);

// The uninstaller's run for "/uninstall". Only the Uninstall.exe of the installation that the
// Uninstall key names acts (never the package, nor a copy elsewhere: they say so, unless /S,
// and change nothing). It asks (unless /S), copies itself into a private temporary folder,
// holding the copy so that nobody can change or replace it until it has started, and starts
// the copy, which waits for this process to end and then removes the installation (it cannot
// remove its own running file otherwise). The exit code: 0 when the removal was started (the
// copy: when everything was removed), 1 on a failure or a refusal, 2 when the user declined.
int RunUninstaller(const SetupCommand &command);

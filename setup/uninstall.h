// Uninstalling: the installation's entry in the system's list of installed programs
// (HKLM\...\Uninstall\Vantiro), the uninstaller (the setup program's own image, without its
// payload, as "Uninstall.exe" in the install folder) and the removal of exactly what the
// installation made.
#pragma once

#include <windows.h>

#include "commandline.h"

extern const char kUninstallKey[];     // below HKEY_LOCAL_MACHINE
extern const char kUninstallerName[];  // "Uninstall.exe"

// Puts the uninstaller into folder and writes the Uninstall key. saverTarget is the screen
// saver in the system directory, recorded (size and checksum) when saverCopied says this
// installation put it there. False when the uninstaller cannot be written.
bool RegisterUninstall(const char *folder, const char *saverTarget, bool saverCopied);

// Removes the installation in folder: its programs and the uninstaller, the folder when it is
// then empty, the shortcuts that lead into it, "InstallDir" while it names folder, the ".wcl"
// association while it opens folder's Vantiro.exe, the screen saver in the system directory
// while it is the recorded one, and the Uninstall key. The user's pictures, lists and
// settings stay. Whatever cannot be removed is listed, one per line, in failed (size bytes)
// and the rest is still removed; false then.
bool RemoveInstallation(const char *folder, char *failed, size_t size);

// The uninstaller's run for "/uninstall". Started from the install folder: asks (unless /S),
// copies itself into a private temporary folder and starts the copy, which waits for this
// process to end and then removes the installation (it cannot remove its own running file
// otherwise). The exit code: 0 when the removal was started (the copy: when everything was
// removed), 1 on a failure, 2 when the user declined.
int RunUninstaller(const SetupCommand &command);

// The permissions the installer gives what it creates. A folder made with an explicit
// descriptor does not inherit the permissions of its parent (a drive root, or the user's
// temporary folder), which other users or unelevated processes of the same user may change.
#pragma once

#include <windows.h>

// True when the process runs with an elevated (administrator) token.
bool ProcessIsElevated();

// Creates a folder that only Administrators and SYSTEM may open when the process is elevated,
// and only the current user otherwise; its files inherit that. False when it cannot be
// created (GetLastError tells why, ERROR_ALREADY_EXISTS among others).
bool CreatePrivateFolder(const char *path);

// Creates an install folder: Administrators and SYSTEM full control, Users read and execute,
// inherited by its files and folders (and, when the process is not elevated, full control for
// the current user, who could not fill it otherwise). False as CreatePrivateFolder.
bool CreateInstallFolder(const char *path);

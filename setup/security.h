// The permissions the installer gives what it creates, and the private folders it works in. A
// folder made with an explicit descriptor does not inherit the permissions of its parent (a
// drive root, or the user's temporary folder), which other users or unelevated processes of
// the same user may change.
#pragma once

#include <windows.h>

#include <string>

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

// Makes folder (canonical, see folderpath.h) ready to be installed into: every missing folder
// of its path is created as CreateInstallFolder does; a folder that exists already is used
// only when it is safe (FolderIsSafe), and one that is not is given back to Administrators
// (owner and access list as CreateInstallFolder's) when the process is elevated. False when a
// folder cannot be made, something else is in the way, or an unsafe folder stays unsafe;
// nothing is written into the folder then.
bool PrepareInstallFolder(const char *folder);

// Whether nobody but Administrators, SYSTEM, the system's installer service and the current
// user can change what is in the folder: one of them owns it, it is no link to elsewhere, and
// no entry of its access list (inherited ones and those only for its contents included) lets
// anyone else write, delete, or change its permissions or owner.
bool FolderIsSafe(const char *folder);

// Creates a fresh private folder (as CreatePrivateFolder) named prefix-... under the user's
// temporary folder and returns its path; empty on failure.
std::string CreateOwnTempFolder(const char *prefix);

// The private folder for the payload's two pieces while they are used, and their full paths
// inside it ("kordax.rar", "unrar.dll"); empty while there is none.
extern std::string gPayloadFolder;
extern std::string gArchiveFile;
extern std::string gLibraryFile;
// Creates a fresh private folder for the pieces. 0 on failure.
int CreatePayloadFolder();
// Removes the two pieces and the folder (whatever of them exists). A file that cannot be
// removed now is marked for removal at the next start of the system.
void RemovePayloadFolder();

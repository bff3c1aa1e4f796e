// The installation proper, given its folder: unpacks the payload into it, copies the screen
// saver into the system directory and registers the programs; and the shortcuts chosen
// afterwards. Nothing here reads or shows a window: the caller passes what the user chose and
// hears about each step through an InstallObserver.
#pragma once

#include <windows.h>

#include <string>

#include "unrarlibrary.h"

// The final options, as the Congratulations dialog offers them (all checked at first).
struct FinishOptions {
  bool launch = true;       // start Vantiro.exe when setup ends
  bool startMenu = true;    // Programs\Vantiro\Kordax.lnk and Lumora.lnk
  bool desktopIcon = true;  // Desktop\Kordax.lnk
  bool autoStart = true;    // Startup\Kordax.lnk
};

// Told after each completed step of InstallPrograms, and asked between the steps and during
// the extraction whether to stop.
class InstallObserver : public StopQuestion {
 public:
  virtual void StepDone() = 0;

 protected:
  ~InstallObserver() = default;
};

// Installs into folder, taken in its canonical form (folderpath.h): prepares it as
// PrepareInstallFolder does (made with Administrators and SYSTEM full control, Users read and
// execute, missing parents too; an existing one only when safe), unpacks the payload, each
// program removed before it is written again, puts the screen saver into the system directory
// by a copy (where none is there yet, or the one there is the earlier installation's: the
// one in folder is then removed) and writes the registry entries, the ".wcl" association, the
// uninstaller and its Uninstall key, telling observer after each of those six steps.
// False when a text does not fit, the folder is empty or unsafe, an old program cannot be
// removed, unpacking fails or the observer asks to stop (nothing after that step is done; the
// private folder of the payload is removed).
bool InstallPrograms(const char *folder, InstallObserver &observer);

// The whole installation without a window, as "/S" asks: into folder (the default folder when
// empty), made a full path first, with the default shortcuts; nothing is started. False on
// the failures that the dialogs report as "Error during install process!".
bool InstallSilently(const char *folder);

// Turns folder into its canonical form (a full path, no trailing separator but a drive
// root's), in place ("\Vantiro" gets the current drive); an empty folder stays empty. False
// when the full path is too long (folderpath.h).
bool MakeFullFolderPath(std::string *folder);

// The folder offered first: "\Vantiro", below whichever folder the user then selects.
extern const char kDefaultInstallFolder[];

// The texts the installation writes, composed from its folder; false when one is MAX_PATH
// UTF-16 characters or longer.
struct InstallTexts {
  std::string saverSource;  // folder\Lumora.scr
  std::string saverTarget;  // <system directory>\Lumora.scr
  std::string icon;         // folder\Vantiro.exe,0
  std::string command;      // "folder\Vantiro.exe" "%1"
  std::string program;      // folder\Vantiro.exe
};
bool ComposeInstallTexts(const char *folder, InstallTexts *texts);

// The open command of list files for an installation in folder: "folder\Vantiro.exe" "%1".
std::string ListOpenCommand(const char *folder);

// Creates the shortcuts the options ask for, to the programs in folder, in the current user's
// shell folders (options.launch is the caller's).
void CreateSetupShortcuts(const char *folder, const FinishOptions &options);

// The current user's shell folder csidl (CSIDL_FLAG_CREATE: made when missing); false when the
// shell has none.
bool ShellFolderPath(int csidl, std::string *path);

// A shell link at linkPath to targetPath with this description. The result of the first
// call that failed, or of the save.
HRESULT CreateShortcut(const char *targetPath, const char *linkPath, const char *description);

// Running the real installer package in tests: its process with a chosen current folder and
// command line, its dialogs, what it leaves behind (files, registry entries, shortcuts,
// temporary folders), and clearing all of that between tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

// Files beside the test program (the build's bin folder).
std::string BinFile(const char *name);
// A Unix path of the build host as Wine sees it (drive Z:).
std::string HostPath(const std::string &unixPath);

// The installation's entry in the list of installed programs, below HKEY_LOCAL_MACHINE.
const char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantiro";

// Removes everything an installation writes outside its folder: the registry entries, the
// screen saver in the system directory and the shortcuts.
void ForgetInstallation();
// "<system directory>\Lumora.scr".
std::string SystemSaverPath();
// The current user's shell folder csidl.
std::string ShellFolder(int csidl);
// Paths, texts and command lines here are UTF-8 (the system sees them through the wide calls).
// The target path of a shell link, or "".
std::string LinkTarget(const std::string &link);
// Default value (or named value) of a key below a root; false when missing.
bool ReadString(HKEY root, const char *subkey, const char *name, std::string *value);
bool KeyExists(HKEY root, const char *subkey);
// The access list of a file or folder in SDDL ("D:P(A;OICI;FA;;;BA)..."), read back from the
// file system; "" when it has none or cannot be read.
std::string AccessList(const std::string &path);
// The trustee of each allowing entry of such a list ("BA", "SY", "BU", "WD", "S-1-5-...").
std::vector<std::string> AllowedTrustees(const std::string &sddl);
// The trustees of the allowing entries of such a list that let them write, delete, or change
// the permissions or the owner.
std::vector<std::string> Writers(const std::string &sddl);
// Gives path this access list (SDDL), not inherited from its parent; false on failure.
bool SetAccessList(const std::string &path, const char *sddl);
// The current user's SID as text.
std::string CurrentUserSid();
// True when the file can be opened with this access by a new handle now.
bool CanOpen(const std::string &path, DWORD access);

// The installer's private temporary folders ("vantiro-setup-*", or those the pattern names) in
// the temporary folder.
std::vector<std::string> SetupTempFolders(const char *pattern = "vantiro-setup-*");

// Runs a command line to its end (at most ms) and returns what it wrote to its standard
// output; *exitCode gets its exit code (STILL_ACTIVE when it did not end in time).
std::string RunToEnd(const std::string &commandLine, DWORD *exitCode, DWORD ms = 30000);

// Types text with real key input (as characters) into the focused window.
void TypeText(const std::string &text);

class SetupProcess {
 public:
  // Starts the package (by default the build's vantiro-setup.exe) in folder with the given
  // command line (default: the quoted package path).
  explicit SetupProcess(const std::string &folder, const std::string &package = "",
                        const std::string &commandLine = "");
  ~SetupProcess();  // ends a process still running
  SetupProcess(const SetupProcess &) = delete;
  SetupProcess &operator=(const SetupProcess &) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  // A visible dialog of this process with this title, or null.
  HWND WaitForDialog(const char *title, DWORD ms = 10000);
  DWORD WaitForExit(DWORD ms = 30000);
  // Any visible top-level window of the process left.
  bool HasWindow();

  // Main dialog: Install; then the chooser opens. Its edit field, tree and buttons.
  HWND ClickInstall();
  // Types folder into the chooser's edit field (replacing its text) and clicks Ok.
  void ChooseTyped(HWND chooser, const std::string &folder);

 private:
  PROCESS_INFORMATION process_{};
};

// The window of a process started by someone else (the viewer started by Vantiro.exe or the
// shell): a visible window with this title whose process runs the program image (compared
// without regard to case). The destructor ends that process.
class OtherProcessWindow {
 public:
  OtherProcessWindow(const char *title, const std::string &image, DWORD ms = 10000);
  ~OtherProcessWindow();
  OtherProcessWindow(const OtherProcessWindow &) = delete;
  OtherProcessWindow &operator=(const OtherProcessWindow &) = delete;
  HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
  HANDLE process_ = nullptr;
};

// Paths compared as the file system does, without regard to case.
bool SamePath(const std::string &a, const std::string &b);

// Control identifiers of the installer's dialogs.
const int kInstallButton = IDC_INSTALL, kExitButton = IDC_EXIT, kAboutButton = IDC_SETUP_ABOUT,
          kProgress = IDC_PROGRESS;
const int kFinishButton = IDC_FINISH, kAutoStart = IDC_AUTOSTART, kDesktopIcon = IDC_DESKTOPICON,
          kStartMenu = IDC_STARTMENU, kLaunch = IDC_LAUNCH;
const int kChooserOk = IDC_CHOOSER_OK, kChooserCancel = IDC_CHOOSER_CANCEL,
          kChooserHelp = IDC_CHOOSER_HELP, kFolderTree = IDC_FOLDERTREE,
          kFolderEdit = IDC_FOLDEREDIT, kDriveList = IDC_DRIVELIST;

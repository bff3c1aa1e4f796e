#include "uninstall.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "filecalls.h"
#include "folderpath.h"
#include "install.h"
#include "packagepieces.h"
#include "path.h"
#include "regvalue.h"
#include "security.h"
#include "textformat.h"
#include "wintext.h"

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantiro";
const char kUninstallerName[] = "Uninstall.exe";

namespace {

const char kTitle[] = "Vantiro Uninstall";
const char kNotThisInstallation[] =
    "This uninstaller does not belong to the installed Vantiro. Nothing has been changed.";
const char kVendorKey[] = "SOFTWARE\\Ostrel";
// The programs an installation puts into its folder, the uninstaller apart.
const char *const kPrograms[] = {"Lumora.exe", "Lumora.scr", "Vantiro.exe"};
const DWORD kLargestSaver = 64 << 20;      // a larger file is nobody's screen saver of ours
const size_t kCommandMax = MAX_PATH + 16;  // UTF-16 characters: the uninstall commands are shorter

// A REG_SZ of the subkey of root (UTF-8); false when there is none.
bool QueryTextOf(HKEY root, const char *subkey, const char *name, std::string *text) {
  HKEY key;
  if (!OpenKey(root, subkey, KEY_READ, &key)) return false;
  const bool read = QueryTextValue(key, name, text);
  RegCloseKey(key);
  return read;
}

LONG DeleteTree(HKEY root, const char *subkey) {
  return RegDeleteTreeW(root, WideFromUtf8(subkey).c_str());
}

// Size and 64-bit FNV-1a checksum of a file's bytes; false when it cannot be read.
bool FileChecksum(const char *path, DWORD *size, uint64_t *sum) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  *size = GetFileSize(file, nullptr);
  *sum = 14695981039346656037ull;
  bool ok = *size != INVALID_FILE_SIZE && *size <= kLargestSaver;
  BYTE block[65536];
  DWORD read = 0, total = 0;
  while (ok && ReadFile(file, block, sizeof block, &read, nullptr) && read) {
    for (DWORD i = 0; i < read; i++) *sum = (*sum ^ block[i]) * 1099511628211ull;
    total += read;
    ok = total <= *size;
  }
  CloseHandle(file);
  return ok && total == *size;
}

DWORD FileSizeOf(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return PathAttributeData(path, &data) ? data.nFileSizeLow : 0;
}

// The target of a shell link, or false.
bool LinkTarget(const char *link, std::string *target) {
  HRESULT com = CoInitialize(nullptr);
  bool ok = false;
  IShellLinkW *shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void **>(&shellLink)))) {
    IPersistFile *file = nullptr;
    WCHAR path[MAX_PATH] = L"";  // a link's target is shorter
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      // The item list names the target in UTF-16 on every system; the path string beside it
      // is in the ANSI code page in links some systems write (Wine's).
      PIDLIST_ABSOLUTE list = nullptr;
      ok = SUCCEEDED(file->Load(WideFromUtf8(link).c_str(), STGM_READ)) &&
           ((SUCCEEDED(shellLink->GetIDList(&list)) && list && SHGetPathFromIDListW(list, path)) ||
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)));
      CoTaskMemFree(list);
      file->Release();
    }
    shellLink->Release();
    if (ok) *target = Utf8FromWide(path);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

// Collects the names of what could not be removed.
struct FailureList {
  char *text;
  size_t size;
  bool any = false;
  void Add(const char *what) {
    any = true;
    size_t used = strlen(text);
    FormatInto(text + used, size - used, "%s\n", what);
  }
};

void RemoveFile(const char *path, FailureList &failures) {
  if (DeletePath(path)) return;
  DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) failures.Add(path);
}

// The shortcuts that lead to a program of folder, in the places the installation makes them.
void RemoveShortcuts(const char *folder, FailureList &failures) {
  const struct {
    int csidl;
    const char *link, *program;
  } links[] = {{CSIDL_PROGRAMS, "Vantiro\\Kordax.lnk", "Vantiro.exe"},
               {CSIDL_PROGRAMS, "Vantiro\\Lumora.lnk", "Lumora.exe"},
               {CSIDL_DESKTOPDIRECTORY, "Kordax.lnk", "Vantiro.exe"},
               {CSIDL_STARTUP, "Kordax.lnk", "Vantiro.exe"}};
  for (const auto &l : links) {
    std::string shellFolder, target;
    if (!ShellFolderPath(l.csidl, &shellFolder)) continue;
    const std::string link = JoinPath(shellFolder, l.link);
    const std::string expected = InFolder(folder, l.program);
    if (!FitsPath(link) || !FitsPath(expected) || !LinkTarget(link.c_str(), &target) ||
        !SamePath(target.c_str(), expected.c_str()))
      continue;
    RemoveFile(link.c_str(), failures);
  }
  std::string programs;
  if (ShellFolderPath(CSIDL_PROGRAMS, &programs)) {
    const std::string subfolder = JoinPath(programs, "Vantiro");
    RemoveDirectoryW(WidePath(subfolder).c_str());  // only when empty
  }
}

// The program of an open command: the quoted path at its start, or the whole command.
std::string CommandProgram(const char *command) {
  if (command[0] != '"') return command;
  const char *end = strchr(command + 1, '"');
  return end ? std::string(command + 1, end) : std::string(command + 1);
}

// The ".wcl" association, while it still opens this installation's Vantiro.exe.
void RemoveAssociation(const char *folder, FailureList &failures) {
  std::string command, type;
  const std::string expected = InFolder(folder, "Vantiro.exe");
  if (!QueryTextOf(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, &command) ||
      Utf16Length(command) >= kCommandMax ||
      !SamePath(CommandProgram(command.c_str()).c_str(), expected.c_str()))
    return;
  if (QueryTextOf(HKEY_CLASSES_ROOT, ".wcl", nullptr, &type) && type == "*wclfile" &&
      DeleteTree(HKEY_CLASSES_ROOT, ".wcl") != ERROR_SUCCESS)
    failures.Add("HKEY_CLASSES_ROOT\\.wcl");
  if (DeleteTree(HKEY_CLASSES_ROOT, "*wclfile") != ERROR_SUCCESS)
    failures.Add("HKEY_CLASSES_ROOT\\*wclfile");
}

// The screen saver in the system directory, while it is the one this installation put there.
void RemoveSaver(FailureList &failures) {
  SaverRecord record;
  if (ReadSaverRecord(&record) && SaverMatches(record)) RemoveFile(record.path.c_str(), failures);
}

// "InstallDir", while it names this installation; the vendor key and the settings below it stay.
void RemoveInstallDir(const char *folder, FailureList &failures) {
  std::string value;
  if (!QueryTextOf(HKEY_CURRENT_USER, kVendorKey, "InstallDir", &value) ||
      !SamePath(value.c_str(), folder))
    return;
  HKEY key;
  const bool open = OpenKey(HKEY_CURRENT_USER, kVendorKey, KEY_SET_VALUE, &key);
  if (!open || RegDeleteValueW(key, L"InstallDir") != ERROR_SUCCESS)
    failures.Add("HKEY_CURRENT_USER\\SOFTWARE\\Ostrel InstallDir");
  if (open) RegCloseKey(key);
}

// The canonical folder of the installation that the Uninstall key names; empty when none.
std::string RegisteredFolder() {
  std::string location, folder;
  if (!QueryTextOf(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", &location) ||
      !CanonicalFolder(location.c_str(), &folder))
    return "";
  return folder;
}

int Refuse(const SetupCommand &command) {
  if (!command.silent) ShowMessageBox(nullptr, kNotThisInstallation, kTitle, MB_OK | MB_ICONERROR);
  return 1;
}

// The copy started from the install folder: waits for the uninstaller there to end, removes
// the installation (only the registered one) and, as it cannot remove its own running file,
// has it and its folder removed at the next start of the system.
int RunCopy(const SetupCommand &command) {
  WaitForSingleObject(command.waitFor, 30000);
  CloseHandle(command.waitFor);
  const std::string folder = RegisteredFolder();
  if (folder.empty() || command.folder.empty() || !SamePath(command.folder.c_str(), folder.c_str()))
    return Refuse(command);
  char failed[2048] = "";
  bool ok = RemoveInstallation(folder.c_str(), failed, sizeof failed);
  if (!ok && !command.silent) {
    ShowMessageBox(nullptr,
                   FillIn("Some parts of Vantiro could not be removed:\n\n%s\nRunning the "
                          "uninstall again, once nothing uses them, finishes it.",
                          failed),
                   kTitle, MB_OK | MB_ICONERROR);
  }
  const std::string self = ModuleFilePath();
  if (!self.empty()) {
    MoveFileExW(WidePath(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    const std::string folder(HasSeparator(self) ? FolderOf(self) : self);
    MoveFileExW(WidePath(folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return ok ? 0 : 1;
}

}  // namespace

bool ReadSaverRecord(SaverRecord *record) {
  HKEY key;
  if (!OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ, &key)) return false;
  std::string path;
  bool recorded = QueryDwordValue(key, "SaverSize", &record->size) &&
                  QueryQwordValue(key, "SaverChecksum", &record->checksum) &&
                  QueryTextValue(key, "SaverPath", &path);
  RegCloseKey(key);
  if (recorded) record->path = path;
  return recorded;
}

bool RecordSaverFile(const char *path, SaverRecord *record) {
  record->path = path;
  return FileChecksum(path, &record->size, &record->checksum);
}

bool SaverMatches(const SaverRecord &record) {
  SaverRecord now;
  return RecordSaverFile(record.path.c_str(), &now) && now.size == record.size &&
         now.checksum == record.checksum;
}

bool RegisterUninstall(const char *folder, const SaverRecord *saver) {
  const std::string uninstaller = InFolder(folder, kUninstallerName);
  const std::string command = "\"" + uninstaller + "\" /uninstall";
  const std::string quiet = command + " /S";
  const std::string icon = InFolder(folder, "Vantiro.exe") + ",0";
  if (!FitsPath(uninstaller) || Utf16Length(command) >= kCommandMax ||
      Utf16Length(quiet) >= kCommandMax || !FitsPath(icon) || !CopySetupImage(uninstaller.c_str()))
    return false;
  DWORD bytes = FileSizeOf(uninstaller.c_str());
  for (const char *program : kPrograms) {
    const std::string path = InFolder(folder, program);
    if (FitsPath(path)) bytes += FileSizeOf(path.c_str());
  }
  if (saver) bytes += saver->size;

  DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  HKEY key;
  if (!CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, &key)) return false;
  SetTextValue(key, "DisplayName", "Vantiro");
  SetTextValue(key, "Publisher", "Ostrel");
  SetTextValue(key, "DisplayIcon", icon.c_str());
  SetTextValue(key, "DisplayVersion", "1.1");
  SetTextValue(key, "InstallLocation", folder);
  SetDwordValue(key, "EstimatedSize", (bytes + 1023) / 1024);
  SetTextValue(key, "UninstallString", command.c_str());
  SetTextValue(key, "QuietUninstallString", quiet.c_str());
  SetDwordValue(key, "NoModify", 1);
  SetDwordValue(key, "NoRepair", 1);
  if (saver) {
    SetTextValue(key, "SaverPath", saver->path.c_str());
    SetDwordValue(key, "SaverSize", saver->size);
    SetQwordValue(key, "SaverChecksum", saver->checksum);
  }
  RegCloseKey(key);
  return true;
}

bool RemoveInstallation(const char *folder, char *failed, size_t size) {
  if (size) failed[0] = 0;
  FailureList failures{failed, size};
  for (const char *program : kPrograms) {
    const std::string path = InFolder(folder, program);
    if (FitsPath(path)) RemoveFile(path.c_str(), failures);
  }
  RemoveShortcuts(folder, failures);
  RemoveAssociation(folder, failures);
  RemoveSaver(failures);
  RemoveInstallDir(folder, failures);
  // While anything is left, the uninstaller and its key stay for another run.
  if (failures.any) return false;
  const std::string uninstaller = InFolder(folder, kUninstallerName);
  if (FitsPath(uninstaller)) RemoveFile(uninstaller.c_str(), failures);
  if (failures.any) return false;
  if (!RemoveDirectoryW(WidePath(folder).c_str()) && GetLastError() != ERROR_DIR_NOT_EMPTY &&
      GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
    failures.Add(folder);
  LONG status = DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    failures.Add("HKEY_LOCAL_MACHINE\\...\\Uninstall\\Vantiro");
  return !failures.any;
}

int RunUninstaller(const SetupCommand &command) {
  if (SetupFileCarriesPayload()) {  // the package: it installs, never uninstalls
    if (command.waitFor) CloseHandle(command.waitFor);
    return Refuse(command);
  }
  if (command.waitFor) return RunCopy(command);
  // Only the registered installation's own uninstaller.
  const std::string folder = RegisteredFolder();
  if (folder.empty() ||
      !SamePath(gSetupFilePath.c_str(), InFolder(folder, kUninstallerName).c_str()))
    return Refuse(command);
  if (!command.silent &&
      ShowMessageBox(nullptr, "Do you want to remove Vantiro and all of its components?", kTitle,
                     MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 2;
  const std::string copyFolder = CreateOwnTempFolder("vantiro-uninstall");
  if (copyFolder.empty()) return 1;
  const std::string copy = JoinPath(copyFolder, kUninstallerName);
  // The copy stays open, nobody else allowed to write, delete or rename it, until it runs:
  // the temporary folder is the user's, and the copy may run elevated.
  HANDLE held = nullptr, self = nullptr;
  bool ok = FitsPath(copy) && CopyWholeSetupFile(copy.c_str(), &held) &&
            DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                            SYNCHRONIZE, TRUE, 0);
  // The line, in UTF-16, that CreateProcessW may change while it reads it.
  std::wstring line = WideFromUtf8("\"" + copy + "\" /uninstall /waitfor=" +
                                   std::to_string((unsigned long long)uintptr_t(self)) +
                                   (command.silent ? " /S" : "") + " /D=" + folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ok = ok && CreateProcessW(WideFromUtf8(copy).c_str(), &line[0], nullptr, nullptr, TRUE, 0,
                            nullptr, WideFromUtf8(copyFolder).c_str(), &startup, &process);
  if (self) CloseHandle(self);
  if (held) CloseHandle(held);
  if (!ok) {
    DeletePath(copy.c_str());
    RemoveDirectoryW(WidePath(copyFolder).c_str());
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

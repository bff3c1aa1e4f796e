#include "uninstall.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "folderpath.h"
#include "install.h"
#include "packagepieces.h"
#include "path.h"
#include "regvalue.h"
#include "security.h"
#include "textformat.h"

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
const size_t kCommandMax = MAX_PATH + 16;  // the uninstall commands are shorter

// Size and 64-bit FNV-1a checksum of a file's bytes; false when it cannot be read.
bool FileChecksum(const char *path, DWORD *size, uint64_t *sum) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
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
  return GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The target of a shell link, or false.
bool LinkTarget(const char *link, char *target, int size) {
  HRESULT com = CoInitialize(nullptr);
  bool ok = false;
  IShellLinkA *shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void **>(&shellLink)))) {
    IPersistFile *file = nullptr;
    WCHAR wide[MAX_PATH];
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      ok = MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) &&
           SUCCEEDED(file->Load(wide, STGM_READ)) &&
           SUCCEEDED(shellLink->GetPath(target, size, nullptr, SLGP_RAWPATH));
      file->Release();
    }
    shellLink->Release();
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
  if (DeleteFileA(path)) return;
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
    char shellFolder[MAX_PATH], target[MAX_PATH];
    if (SHGetFolderPathA(nullptr, l.csidl, nullptr, SHGFP_TYPE_CURRENT, shellFolder) != S_OK)
      continue;
    const std::string link = JoinPath(shellFolder, l.link);
    const std::string expected = InFolder(folder, l.program);
    if (link.size() >= MAX_PATH || expected.size() >= MAX_PATH ||
        !LinkTarget(link.c_str(), target, sizeof target) || !SamePath(target, expected.c_str()))
      continue;
    RemoveFile(link.c_str(), failures);
  }
  char programs[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs) == S_OK) {
    const std::string subfolder = JoinPath(programs, "Vantiro");
    if (subfolder.size() < MAX_PATH) RemoveDirectoryA(subfolder.c_str());  // only when empty
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
  char command[kCommandMax];
  const std::string expected = InFolder(folder, "Vantiro.exe");
  if (!QueryTextValueOf(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, command,
                        sizeof command) ||
      !SamePath(CommandProgram(command).c_str(), expected.c_str()))
    return;
  char type[64];
  if (QueryTextValueOf(HKEY_CLASSES_ROOT, ".wcl", nullptr, type, sizeof type) &&
      strcmp(type, "*wclfile") == 0 && RegDeleteTreeA(HKEY_CLASSES_ROOT, ".wcl") != ERROR_SUCCESS)
    failures.Add("HKEY_CLASSES_ROOT\\.wcl");
  if (RegDeleteTreeA(HKEY_CLASSES_ROOT, "*wclfile") != ERROR_SUCCESS)
    failures.Add("HKEY_CLASSES_ROOT\\*wclfile");
}

// The screen saver in the system directory, while it is the one this installation put there.
void RemoveSaver(FailureList &failures) {
  SaverRecord record;
  if (ReadSaverRecord(&record) && SaverMatches(record)) RemoveFile(record.path.c_str(), failures);
}

// "InstallDir", while it names this installation; the vendor key and the settings below it stay.
void RemoveInstallDir(const char *folder, FailureList &failures) {
  char value[MAX_PATH];
  if (!QueryTextValueOf(HKEY_CURRENT_USER, kVendorKey, "InstallDir", value, sizeof value) ||
      !SamePath(value, folder))
    return;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kVendorKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS ||
      RegDeleteValueA(key, "InstallDir") != ERROR_SUCCESS)
    failures.Add("HKEY_CURRENT_USER\\SOFTWARE\\Ostrel InstallDir");
  RegCloseKey(key);
}

// The canonical folder of the installation that the Uninstall key names; empty when none.
std::string RegisteredFolder() {
  char location[MAX_PATH], folder[MAX_PATH];
  if (!QueryTextValueOf(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", location,
                        sizeof location) ||
      !CanonicalFolder(location, folder))
    return "";
  return folder;
}

int Refuse(const SetupCommand &command) {
  if (!command.silent) MessageBoxA(nullptr, kNotThisInstallation, kTitle, MB_OK | MB_ICONERROR);
  return 1;
}

// The copy started from the install folder: waits for the uninstaller there to end, removes
// the installation (only the registered one) and, as it cannot remove its own running file,
// has it and its folder removed at the next start of the system.
int RunCopy(const SetupCommand &command) {
  WaitForSingleObject(command.waitFor, 30000);
  CloseHandle(command.waitFor);
  const std::string folder = RegisteredFolder();
  if (folder.empty() || !command.folder[0] || !SamePath(command.folder, folder.c_str()))
    return Refuse(command);
  char failed[2048] = "";
  bool ok = RemoveInstallation(folder.c_str(), failed, sizeof failed);
  if (!ok && !command.silent) {
    char message[2400];
    FormatInto(message, sizeof message,
               "Some parts of Vantiro could not be removed:\n\n%s\nRunning the uninstall again, "
               "once nothing uses them, finishes it.",
               failed);
    MessageBoxA(nullptr, message, kTitle, MB_OK | MB_ICONERROR);
  }
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  if (n && n < sizeof self) {
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    const std::string folder(HasSeparator(self) ? FolderOf(self) : self);
    MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return ok ? 0 : 1;
}

}  // namespace

bool ReadSaverRecord(SaverRecord *record) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  char path[MAX_PATH];
  bool recorded = QueryDwordValue(key, "SaverSize", &record->size) &&
                  QueryQwordValue(key, "SaverChecksum", &record->checksum) &&
                  QueryTextValue(key, "SaverPath", path, sizeof path);
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
  if (uninstaller.size() >= MAX_PATH || command.size() >= kCommandMax ||
      quiet.size() >= kCommandMax || icon.size() >= MAX_PATH ||
      !CopySetupImage(uninstaller.c_str()))
    return false;
  DWORD bytes = FileSizeOf(uninstaller.c_str());
  for (const char *program : kPrograms) {
    const std::string path = InFolder(folder, program);
    if (path.size() < MAX_PATH) bytes += FileSizeOf(path.c_str());
  }
  if (saver) bytes += saver->size;

  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
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
    if (path.size() < MAX_PATH) RemoveFile(path.c_str(), failures);
  }
  RemoveShortcuts(folder, failures);
  RemoveAssociation(folder, failures);
  RemoveSaver(failures);
  RemoveInstallDir(folder, failures);
  // While anything is left, the uninstaller and its key stay for another run.
  if (failures.any) return false;
  const std::string uninstaller = InFolder(folder, kUninstallerName);
  if (uninstaller.size() < MAX_PATH) RemoveFile(uninstaller.c_str(), failures);
  if (failures.any) return false;
  if (!RemoveDirectoryA(folder) && GetLastError() != ERROR_DIR_NOT_EMPTY &&
      GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
    failures.Add(folder);
  LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
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
  if (folder.empty() || !SamePath(gSetupFilePath, InFolder(folder, kUninstallerName).c_str()))
    return Refuse(command);
  if (!command.silent &&
      MessageBoxA(nullptr, "Do you want to remove Vantiro and all of its components?", kTitle,
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 2;
  const std::string copyFolder = CreateOwnTempFolder("vantiro-uninstall");
  if (copyFolder.empty()) return 1;
  const std::string copy = JoinPath(copyFolder, kUninstallerName);
  // The copy stays open, nobody else allowed to write, delete or rename it, until it runs:
  // the temporary folder is the user's, and the copy may run elevated.
  HANDLE held = nullptr, self = nullptr;
  char line[2 * MAX_PATH + 64];
  bool ok =
      copy.size() < MAX_PATH && CopyWholeSetupFile(copy.c_str(), &held) &&
      DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                      SYNCHRONIZE, TRUE, 0) &&
      FormatInto(line, sizeof line, "\"%s\" /uninstall /waitfor=%llu%s /D=%s", copy.c_str(),
                 (unsigned long long)uintptr_t(self), command.silent ? " /S" : "", folder.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ok = ok && CreateProcessA(copy.c_str(), line, nullptr, nullptr, TRUE, 0, nullptr,
                            copyFolder.c_str(), &startup, &process);
  if (self) CloseHandle(self);
  if (held) CloseHandle(held);
  if (!ok) {
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(copyFolder.c_str());
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

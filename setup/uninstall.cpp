#include "uninstall.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>

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
const char kVendorKey[] = "SOFTWARE\\Ostrel";
const char *const kPrograms[] = {"Lumora.exe", "Lumora.scr", "Vantiro.exe", kUninstallerName};
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
    const std::string expected = JoinPath(folder, l.program);
    if (link.size() >= MAX_PATH || expected.size() >= MAX_PATH ||
        !LinkTarget(link.c_str(), target, sizeof target) ||
        lstrcmpiA(target, expected.c_str()) != 0)
      continue;
    RemoveFile(link.c_str(), failures);
  }
  char programs[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs) == S_OK) {
    const std::string subfolder = JoinPath(programs, "Vantiro");
    if (subfolder.size() < MAX_PATH) RemoveDirectoryA(subfolder.c_str());  // only when empty
  }
}

// The ".wcl" association, while it still opens this installation's Vantiro.exe.
void RemoveAssociation(const char *folder, FailureList &failures) {
  char command[MAX_PATH];
  const std::string expected = ListOpenCommand(folder);
  if (!QueryTextValueOf(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, command,
                        sizeof command) ||
      expected.size() >= MAX_PATH || lstrcmpiA(command, expected.c_str()) != 0)
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
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char target[MAX_PATH];
  DWORD recordedSize = 0;
  uint64_t recordedSum = 0;
  bool recorded = QueryDwordValue(key, "SaverSize", &recordedSize) &&
                  QueryQwordValue(key, "SaverChecksum", &recordedSum) &&
                  QueryTextValue(key, "SaverPath", target, sizeof target);
  RegCloseKey(key);
  if (!recorded) return;
  DWORD size;
  uint64_t sum;
  if (FileChecksum(target, &size, &sum) && size == recordedSize && sum == recordedSum)
    RemoveFile(target, failures);
}

// "InstallDir", while it names this installation; the vendor key and the settings below it stay.
void RemoveInstallDir(const char *folder, FailureList &failures) {
  char value[MAX_PATH];
  if (!QueryTextValueOf(HKEY_CURRENT_USER, kVendorKey, "InstallDir", value, sizeof value) ||
      lstrcmpiA(value, folder) != 0)
    return;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kVendorKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS ||
      RegDeleteValueA(key, "InstallDir") != ERROR_SUCCESS)
    failures.Add("HKEY_CURRENT_USER\\SOFTWARE\\Ostrel InstallDir");
  RegCloseKey(key);
}

// The copy started from the install folder: waits for the uninstaller there to end, removes
// the installation and, as it cannot remove its own running file, has it and its folder
// removed at the next start of the system.
int RunCopy(const SetupCommand &command) {
  if (command.waitFor) {
    WaitForSingleObject(command.waitFor, 30000);
    CloseHandle(command.waitFor);
  }
  char failed[2048] = "";
  bool ok = command.folder[0] && RemoveInstallation(command.folder, failed, sizeof failed);
  if (!ok && !command.silent) {
    char message[2300];
    FormatInto(message, sizeof message, "Some parts of Vantiro could not be removed:\n\n%s",
               command.folder[0] ? failed : "(no install folder given)");
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

bool RegisterUninstall(const char *folder, const char *saverTarget, bool saverCopied) {
  const std::string uninstaller = JoinPath(folder, kUninstallerName);
  const std::string command = "\"" + uninstaller + "\" /uninstall";
  const std::string quiet = command + " /S";
  const std::string icon = JoinPath(folder, "Vantiro.exe") + ",0";
  if (uninstaller.size() >= MAX_PATH || command.size() >= kCommandMax ||
      quiet.size() >= kCommandMax || icon.size() >= MAX_PATH ||
      !CopySetupImage(uninstaller.c_str()))
    return false;
  DWORD bytes = FileSizeOf(uninstaller.c_str());
  for (const char *program : kPrograms) {
    const std::string path = JoinPath(folder, program);
    if (program != kUninstallerName && path.size() < MAX_PATH) bytes += FileSizeOf(path.c_str());
  }
  DWORD saverSize = 0;
  uint64_t saverSum = 0;
  if (saverCopied && FileChecksum(saverTarget, &saverSize, &saverSum)) bytes += saverSize;

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
  if (saverSize) {
    SetTextValue(key, "SaverPath", saverTarget);
    SetDwordValue(key, "SaverSize", saverSize);
    SetQwordValue(key, "SaverChecksum", saverSum);
  }
  RegCloseKey(key);
  return true;
}

bool RemoveInstallation(const char *folder, char *failed, size_t size) {
  if (size) failed[0] = 0;
  FailureList failures{failed, size};
  for (const char *program : kPrograms) {
    const std::string path = JoinPath(folder, program);
    if (path.size() < MAX_PATH) RemoveFile(path.c_str(), failures);
  }
  if (!RemoveDirectoryA(folder) && GetLastError() != ERROR_DIR_NOT_EMPTY &&
      GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
    failures.Add(folder);
  RemoveShortcuts(folder, failures);
  RemoveAssociation(folder, failures);
  RemoveSaver(failures);
  RemoveInstallDir(folder, failures);
  LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    failures.Add("HKEY_LOCAL_MACHINE\\...\\Uninstall\\Vantiro");
  return !failures.any;
}

int RunUninstaller(const SetupCommand &command) {
  if (command.waitFor) return RunCopy(command);
  if (!command.silent &&
      MessageBoxA(nullptr, "Do you want to remove Vantiro and all of its components?", kTitle,
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 2;
  // The install folder is this program's own folder.
  if (!HasSeparator(gSetupFilePath)) return 1;
  const std::string folder(FolderOf(gSetupFilePath));
  const std::string copyFolder = CreateOwnTempFolder("vantiro-uninstall");
  if (copyFolder.empty()) return 1;
  const std::string copy = JoinPath(copyFolder, kUninstallerName);
  HANDLE self = nullptr;
  char line[2 * MAX_PATH + 64];
  bool ok =
      copy.size() < MAX_PATH && CopyFileA(gSetupFilePath, copy.c_str(), TRUE) &&
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
  if (!ok) {
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(copyFolder.c_str());
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

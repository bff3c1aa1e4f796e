#include "uninstall.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include "payload.h"
#include "textformat.h"

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantiro";
const char kUninstallerName[] = "Uninstall.exe";

namespace {

const char kTitle[] = "Vantiro Uninstall";
const char kVendorKey[] = "SOFTWARE\\Ostrel";
const char *const kPrograms[] = {"Lumora.exe", "Lumora.scr", "Vantiro.exe", kUninstallerName};
const DWORD kLargestSaver = 64 << 20;  // a larger file is nobody's screen saver of ours

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

void SetText(HKEY key, const char *name, const char *text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                 DWORD(strlen(text) + 1));
}

void SetNumber(HKEY key, const char *name, DWORD number) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
}

// A default or named text value; false when missing or not a text.
bool ReadText(HKEY root, const char *subkey, const char *name, char *out, DWORD size) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, length = size - 1;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(out), &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  out[length] = 0;
  return true;
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
    char shellFolder[MAX_PATH], link[MAX_PATH], target[MAX_PATH], expected[MAX_PATH];
    if (SHGetFolderPathA(nullptr, l.csidl, nullptr, SHGFP_TYPE_CURRENT, shellFolder) != S_OK ||
        !FormatInto(link, sizeof link, "%s\\%s", shellFolder, l.link) ||
        !FormatInto(expected, sizeof expected, "%s\\%s", folder, l.program) ||
        !LinkTarget(link, target, sizeof target) || lstrcmpiA(target, expected) != 0)
      continue;
    RemoveFile(link, failures);
  }
  char programs[MAX_PATH], subfolder[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs) == S_OK &&
      FormatInto(subfolder, sizeof subfolder, "%s\\Vantiro", programs))
    RemoveDirectoryA(subfolder);  // only when empty
}

// The ".wcl" association, while it still opens this installation's Vantiro.exe.
void RemoveAssociation(const char *folder, FailureList &failures) {
  char command[MAX_PATH], expected[MAX_PATH];
  if (!ReadText(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, command,
                sizeof command) ||
      !FormatInto(expected, sizeof expected, "\"%s\\Vantiro.exe\" \"%%1\"", folder) ||
      lstrcmpiA(command, expected) != 0)
    return;
  char type[64];
  if (ReadText(HKEY_CLASSES_ROOT, ".wcl", nullptr, type, sizeof type) &&
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
  DWORD recordedSize = 0, length = sizeof recordedSize, type = 0;
  uint64_t recordedSum = 0;
  DWORD sumLength = sizeof recordedSum, targetLength = sizeof target - 1, sumType = 0;
  bool recorded =
      RegQueryValueExA(key, "SaverSize", nullptr, &type, reinterpret_cast<BYTE *>(&recordedSize),
                       &length) == ERROR_SUCCESS &&
      type == REG_DWORD &&
      RegQueryValueExA(key, "SaverChecksum", nullptr, &sumType,
                       reinterpret_cast<BYTE *>(&recordedSum), &sumLength) == ERROR_SUCCESS &&
      sumType == REG_QWORD &&
      RegQueryValueExA(key, "SaverPath", nullptr, &type, reinterpret_cast<BYTE *>(target),
                       &targetLength) == ERROR_SUCCESS &&
      type == REG_SZ;
  RegCloseKey(key);
  if (!recorded) return;
  target[targetLength] = 0;
  DWORD size;
  uint64_t sum;
  if (FileChecksum(target, &size, &sum) && size == recordedSize && sum == recordedSum)
    RemoveFile(target, failures);
}

// "InstallDir", while it names this installation; the vendor key and the settings below it stay.
void RemoveInstallDir(const char *folder, FailureList &failures) {
  char value[MAX_PATH];
  if (!ReadText(HKEY_CURRENT_USER, kVendorKey, "InstallDir", value, sizeof value) ||
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
    char *slash = strrchr(self, '\\');
    if (slash) *slash = 0;
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return ok ? 0 : 1;
}

}  // namespace

bool RegisterUninstall(const char *folder, const char *saverTarget, bool saverCopied) {
  char uninstaller[MAX_PATH], command[MAX_PATH + 16], quiet[MAX_PATH + 16], icon[MAX_PATH];
  if (!FormatInto(uninstaller, sizeof uninstaller, "%s\\%s", folder, kUninstallerName) ||
      !FormatInto(command, sizeof command, "\"%s\" /uninstall", uninstaller) ||
      !FormatInto(quiet, sizeof quiet, "\"%s\" /uninstall /S", uninstaller) ||
      !FormatInto(icon, sizeof icon, "%s\\Vantiro.exe,0", folder) || !CopySetupImage(uninstaller))
    return false;
  DWORD bytes = FileSizeOf(uninstaller);
  for (const char *program : kPrograms) {
    char path[MAX_PATH];
    if (program != kUninstallerName && FormatInto(path, sizeof path, "%s\\%s", folder, program))
      bytes += FileSizeOf(path);
  }
  DWORD saverSize = 0;
  uint64_t saverSum = 0;
  if (saverCopied && FileChecksum(saverTarget, &saverSize, &saverSum)) bytes += saverSize;

  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  SetText(key, "DisplayName", "Vantiro");
  SetText(key, "Publisher", "Ostrel");
  SetText(key, "DisplayIcon", icon);
  SetText(key, "DisplayVersion", "1.1");
  SetText(key, "InstallLocation", folder);
  SetNumber(key, "EstimatedSize", (bytes + 1023) / 1024);
  SetText(key, "UninstallString", command);
  SetText(key, "QuietUninstallString", quiet);
  SetNumber(key, "NoModify", 1);
  SetNumber(key, "NoRepair", 1);
  if (saverSize) {
    SetText(key, "SaverPath", saverTarget);
    SetNumber(key, "SaverSize", saverSize);
    RegSetValueExA(key, "SaverChecksum", 0, REG_QWORD, reinterpret_cast<const BYTE *>(&saverSum),
                   sizeof saverSum);
  }
  RegCloseKey(key);
  return true;
}

bool RemoveInstallation(const char *folder, char *failed, size_t size) {
  if (size) failed[0] = 0;
  FailureList failures{failed, size};
  for (const char *program : kPrograms) {
    char path[MAX_PATH];
    if (FormatInto(path, sizeof path, "%s\\%s", folder, program)) RemoveFile(path, failures);
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
  char folder[MAX_PATH], copyFolder[MAX_PATH], copy[MAX_PATH], line[2 * MAX_PATH + 64];
  if (!FormatInto(folder, sizeof folder, "%s", SetupFilePath)) return 1;
  char *slash = strrchr(folder, '\\');
  if (!slash) return 1;
  *slash = 0;
  HANDLE self = nullptr;
  if (!CreateOwnTempFolder("vantiro-uninstall", copyFolder, sizeof copyFolder)) return 1;
  bool ok = FormatInto(copy, sizeof copy, "%s\\%s", copyFolder, kUninstallerName) &&
            CopyFileA(SetupFilePath, copy, TRUE) &&
            DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                            SYNCHRONIZE, TRUE, 0) &&
            FormatInto(line, sizeof line, "\"%s\" /uninstall /waitfor=%llu%s /D=%s", copy,
                       (unsigned long long)uintptr_t(self), command.silent ? " /S" : "", folder);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ok = ok && CreateProcessA(copy, line, nullptr, nullptr, TRUE, 0, nullptr, copyFolder, &startup,
                            &process);
  if (self) CloseHandle(self);
  if (!ok) {
    DeleteFileA(copy);
    RemoveDirectoryA(copyFolder);
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

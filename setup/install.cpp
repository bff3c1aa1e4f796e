#include "install.h"

#include <objbase.h>
#include <shlobj.h>

#include <initializer_list>

#include "filecalls.h"
#include "folderpath.h"
#include "packagepieces.h"
#include "path.h"
#include "regvalue.h"
#include "security.h"
#include "uninstall.h"

const char kDefaultInstallFolder[] = "\\Vantiro";

namespace {

const char kVendorKey[] = "SOFTWARE\\Ostrel";
const char kListClass[] = "*wclfile";
// The archive's members, each removed before the extraction writes it anew.
const char *const kMembers[] = {"Lumora.scr", "Lumora.exe", "Vantiro.exe"};

// Nothing to show and nobody to stop the work.
class NoObserver : public InstallObserver {
 public:
  void StepDone() override {}
  bool StopRequested() override { return false; }
};

void WriteRegistry(const char *folder, const InstallTexts &texts) {
  RegDeleteKeyW(HKEY_CURRENT_USER, WideFromUtf8(kVendorKey).c_str());
  HKEY key;
  if (CreateKey(HKEY_CURRENT_USER, kVendorKey, &key)) {
    SetTextValue(key, "InstallDir", folder);
    RegCloseKey(key);
  }
  SetDefaultTextValue(HKEY_CLASSES_ROOT, ".wcl", kListClass);
  SetDefaultTextValue(HKEY_CLASSES_ROOT, kListClass, "Vantiro list");
  SetDefaultTextValue(HKEY_CLASSES_ROOT, "*wclfile\\DefaultIcon", texts.icon.c_str());
  SetDefaultTextValue(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", texts.command.c_str());
}

// The two payload pieces into the private folder, then every member into folder. Tells the
// observer after each piece and after the extraction. Each piece stays open, nobody else
// allowed to write it, until it has been used; the private folder goes in any case.
bool UnpackPayload(const char *folder, InstallObserver &observer) {
  HANDLE archive = nullptr, library = nullptr;
  bool ok = CreatePayloadFolder() && CopyPayloadPiece(gArchivePieceLength, gArchivePieceLength,
                                                      gArchiveFile.c_str(), &archive);
  if (ok) {
    observer.StepDone();
    ok = !observer.StopRequested() &&
         CopyPayloadPiece(gLibraryPieceLength + gArchivePieceLength, gLibraryPieceLength,
                          gLibraryFile.c_str(), &library);
  }
  if (ok) {
    observer.StepDone();
    ok = !observer.StopRequested() && LoadUnrarLibrary(gLibraryFile.c_str()) &&
         ExtractArchive(gArchiveFile.c_str(), folder, &observer);
  }
  if (library) CloseHandle(library);
  if (archive) CloseHandle(archive);
  UnloadUnrarLibrary();
  RemovePayloadFolder();
  if (ok) observer.StepDone();
  return ok;
}

HRESULT SaveShortcut(const char *targetPath, const char *linkPath, const char *description) {
  IShellLinkW *link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void **>(&link));
  if (FAILED(result)) return result;
  link->SetPath(WideFromUtf8(targetPath).c_str());
  link->SetDescription(WideFromUtf8(description).c_str());
  IPersistFile *file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
  if (FAILED(result)) {
    link->Release();
    return result;
  }
  result = file->Save(WideFromUtf8(linkPath).c_str(), TRUE);
  file->Release();
  link->Release();
  return result;
}

// One shortcut in the shell folder csidl, below subfolder when one is given, to a program of
// installFolder. A link path of MAX_PATH characters or more is not made.
void ShellFolderLink(const char *installFolder, int csidl, const char *subfolder,
                     const char *linkName, const char *program, const char *description) {
  std::string folder;
  if (!ShellFolderPath(csidl | CSIDL_FLAG_CREATE, &folder)) return;
  std::string linkFolder = folder;
  if (subfolder) {
    linkFolder = JoinPath(folder, subfolder);
    CreateFolder(linkFolder.c_str());
  }
  const std::string link = JoinPath(linkFolder, linkName);
  if (FitsPath(link))
    CreateShortcut(InFolder(installFolder, program).c_str(), link.c_str(), description);
}

// Files of an earlier installation (or anyone's) go before the new ones are written, so that
// those are new files with the folder's permissions: the library would truncate and keep them.
bool RemoveOldMembers(const char *folder) {
  for (const char *member : kMembers) {
    const std::string path = InFolder(folder, member);
    if (!DeletePath(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  }
  return true;
}

// The screen saver into the system directory, by a copy: a new file takes the system
// directory's permissions, where a move would keep the install folder's. One recorded by an
// earlier installation, and still as recorded, is ours and is replaced; another stays, and
// the new one then stays in the install folder. The record of the saver in place, or false
// when none of ours is there.
bool PlaceSaver(const InstallTexts &texts, SaverRecord *saver) {
  SaverRecord earlier;
  const bool ours = ReadSaverRecord(&earlier) &&
                    SamePath(earlier.path.c_str(), texts.saverTarget.c_str()) &&
                    SaverMatches(earlier);
  if (ours) DeletePath(texts.saverTarget.c_str());
  if (CopyFileW(WidePath(texts.saverSource).c_str(), WidePath(texts.saverTarget).c_str(), TRUE)) {
    DeletePath(texts.saverSource.c_str());
    return RecordSaverFile(texts.saverTarget.c_str(), saver);
  }
  // Ours could not be replaced (in use): its record carries over while it still holds.
  *saver = earlier;
  return ours && SaverMatches(earlier);
}

}  // namespace

bool ShellFolderPath(int csidl, std::string *path) {
  WCHAR folder[MAX_PATH];  // the shell's own limit for these folders
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return false;
  *path = Utf8FromWide(folder);
  return true;
}

std::string ListOpenCommand(const char *folder) {
  return "\"" + InFolder(folder, "Vantiro.exe") + "\" \"%1\"";
}

// Each text, like every path the installation writes, must stay below MAX_PATH characters.
bool ComposeInstallTexts(const char *folder, InstallTexts *texts) {
  // A 32-bit setup on 64-bit Windows (WoW64) sees system32 redirected to syswow64: the saver
  // goes there, named by that real path, so that the uninstaller's record of it holds for
  // 64-bit readers too.
  WCHAR system[MAX_PATH];
  BOOL wow64 = FALSE;
  UINT n = IsWow64Process(GetCurrentProcess(), &wow64) && wow64
               ? GetSystemWow64DirectoryW(system, MAX_PATH)
               : GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  texts->saverSource = InFolder(folder, "Lumora.scr");
  texts->saverTarget = InFolder(Utf8FromWide(system), "Lumora.scr");
  texts->program = InFolder(folder, "Vantiro.exe");
  texts->icon = texts->program + ",0";
  texts->command = ListOpenCommand(folder);
  for (const std::string *text :
       {&texts->saverSource, &texts->saverTarget, &texts->icon, &texts->command, &texts->program})
    if (!FitsPath(*text)) return false;
  return true;
}

bool InstallPrograms(const char *given, InstallObserver &observer) {
  // Every text is composed before anything is written: one that does not fit, or no folder
  // at all, fails the installation with nothing done.
  std::string canonical;
  InstallTexts texts;
  if (!CanonicalFolder(given, &canonical)) return false;
  const char *folder = canonical.c_str();
  if (!ComposeInstallTexts(folder, &texts)) return false;
  // Made with its access list, its missing parents too; an existing one only when safe.
  if (!PrepareInstallFolder(folder)) return false;
  observer.StepDone();

  if (observer.StopRequested() || !RemoveOldMembers(folder) || !UnpackPayload(folder, observer) ||
      observer.StopRequested())
    return false;

  SaverRecord saver;
  const bool saverRecorded = PlaceSaver(texts, &saver);
  observer.StepDone();
  if (observer.StopRequested()) return false;
  WriteRegistry(folder, texts);
  if (!RegisterUninstall(folder, saverRecorded ? &saver : nullptr)) return false;
  observer.StepDone();
  return !observer.StopRequested();
}

HRESULT CreateShortcut(const char *targetPath, const char *linkPath, const char *description) {
  HRESULT com = CoInitialize(nullptr);  // the main thread has done it already
  HRESULT result = SaveShortcut(targetPath, linkPath, description);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

void CreateSetupShortcuts(const char *folder, const FinishOptions &options) {
  if (options.startMenu) {
    ShellFolderLink(folder, CSIDL_PROGRAMS, "Vantiro", "Kordax.lnk", "Vantiro.exe", "Vantiro");
    ShellFolderLink(folder, CSIDL_PROGRAMS, "Vantiro", "Lumora.lnk", "Lumora.exe", "Lumora");
  }
  if (options.desktopIcon)
    ShellFolderLink(folder, CSIDL_DESKTOPDIRECTORY, nullptr, "Kordax.lnk", "Vantiro.exe",
                    "Vantiro");
  if (options.autoStart)
    ShellFolderLink(folder, CSIDL_STARTUP, nullptr, "Kordax.lnk", "Vantiro.exe", "Vantiro");
}

bool MakeFullFolderPath(std::string *folder) {
  if (folder->empty()) return true;
  std::string canonical;
  if (!CanonicalFolder(folder->c_str(), &canonical)) return false;
  *folder = canonical;
  return true;
}

bool InstallSilently(const char *folder) {
  std::string target = folder[0] ? folder : kDefaultInstallFolder;
  if (!MakeFullFolderPath(&target)) return false;
  NoObserver quiet;
  if (!InstallPrograms(target.c_str(), quiet)) return false;
  FinishOptions options;
  options.launch = false;
  CreateSetupShortcuts(target.c_str(), options);
  return true;
}

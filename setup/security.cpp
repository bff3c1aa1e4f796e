#include "security.h"

#include <sddl.h>

#include "path.h"
#include "textformat.h"

std::string gPayloadFolder;
std::string gArchiveFile;
std::string gLibraryFile;

namespace {

const char kArchiveName[] = "kordax.rar";
const char kLibraryName[] = "unrar.dll";

// Full control for Administrators and SYSTEM, for this folder and everything below it; P
// keeps the parent's entries out.
const char kAdministratorsAndSystem[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const char kUsersReadAndExecute[] = "(A;OICI;FRFX;;;BU)";

// The current user's SID as text ("S-1-5-21-..."); false when it cannot be had.
bool CurrentUserSid(char *out, size_t size) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } info;
  DWORD length = 0;
  bool ok = GetTokenInformation(token, TokenUser, &info, sizeof info, &length);
  CloseHandle(token);
  char *text = nullptr;
  if (!ok || !ConvertSidToStringSidA(info.user.User.Sid, &text)) return false;
  ok = FormatInto(out, size, "%s", text);
  LocalFree(text);
  return ok;
}

bool CreateFolderWith(const char *path, const char *sddl) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          sddl, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
    return false;
  bool created = CreateDirectoryA(path, &attributes);
  DWORD error = GetLastError();
  LocalFree(attributes.lpSecurityDescriptor);
  SetLastError(error);
  return created;
}

void RemoveOrMarkFile(const char *path) {
  if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
  MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

bool ProcessIsElevated() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD length = 0;
  bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length);
  CloseHandle(token);
  return ok && elevation.TokenIsElevated;
}

bool CreatePrivateFolder(const char *path) {
  char sddl[256], user[SECURITY_MAX_SID_SIZE * 4];
  if (ProcessIsElevated()) return CreateFolderWith(path, kAdministratorsAndSystem);
  if (!CurrentUserSid(user, sizeof user) ||
      !FormatInto(sddl, sizeof sddl, "D:P(A;OICI;FA;;;%s)", user)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return false;
  }
  return CreateFolderWith(path, sddl);
}

bool CreateInstallFolder(const char *path) {
  char sddl[512], user[SECURITY_MAX_SID_SIZE * 4];
  bool ok;
  if (ProcessIsElevated())
    ok = FormatInto(sddl, sizeof sddl, "%s%s", kAdministratorsAndSystem, kUsersReadAndExecute);
  else
    ok = CurrentUserSid(user, sizeof user) &&
         FormatInto(sddl, sizeof sddl, "%s%s(A;OICI;FA;;;%s)", kAdministratorsAndSystem,
                    kUsersReadAndExecute, user);
  if (!ok) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return false;
  }
  return CreateFolderWith(path, sddl);
}

std::string CreateOwnTempFolder(const char *prefix) {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return "";
  if (EndsWithSeparator(temp)) temp[n - 1] = 0;
  // A name that exists already, whoever made it, is never reused: the folder must be ours.
  for (unsigned attempt = 0; attempt < 100; attempt++) {
    char name[MAX_PATH];
    if (!FormatInto(name, sizeof name, "%s-%lu-%lu-%u", prefix, GetCurrentProcessId(),
                    GetTickCount(), attempt))
      break;
    const std::string folder = JoinPath(temp, name);
    if (folder.size() >= MAX_PATH) break;
    if (CreatePrivateFolder(folder.c_str())) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return "";
}

int CreatePayloadFolder() {
  gPayloadFolder = CreateOwnTempFolder("vantiro-setup");
  if (gPayloadFolder.empty()) return 0;
  std::string archive = JoinPath(gPayloadFolder, kArchiveName);
  std::string library = JoinPath(gPayloadFolder, kLibraryName);
  if (archive.size() < MAX_PATH && library.size() < MAX_PATH) {
    gArchiveFile = archive;
    gLibraryFile = library;
    return 1;
  }
  RemovePayloadFolder();
  return 0;
}

void RemovePayloadFolder() {
  if (gPayloadFolder.empty()) return;
  if (!gLibraryFile.empty()) RemoveOrMarkFile(gLibraryFile.c_str());
  if (!gArchiveFile.empty()) RemoveOrMarkFile(gArchiveFile.c_str());
  if (!RemoveDirectoryA(gPayloadFolder.c_str()))
    MoveFileExA(gPayloadFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  gPayloadFolder.clear();
  gArchiveFile.clear();
  gLibraryFile.clear();
}

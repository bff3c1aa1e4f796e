#include "security.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include "filecalls.h"
#include "folderpath.h"
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
  bool created = CreateDirectoryW(WidePath(path).c_str(), &attributes);
  DWORD error = GetLastError();
  LocalFree(attributes.lpSecurityDescriptor);
  SetLastError(error);
  return created;
}

// Rights that let their holder change a folder or what is in it, its permissions or its owner.
const DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                              FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                              WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

// Administrators, SYSTEM, the installer service (which owns the system's own folders) and
// CREATOR OWNER (an entry for whoever creates a file: here the installer itself).
const char *const kTrustedSids[] = {
    "S-1-5-32-544", "S-1-5-18", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
    "S-1-3-0"};

bool IsTrusted(PSID sid, const char *user, bool creatorOwnerToo) {
  char *text = nullptr;
  if (!sid || !IsValidSid(sid) || !ConvertSidToStringSidA(sid, &text)) return false;
  bool trusted = strcmp(text, user) == 0;
  for (const char *known : kTrustedSids)
    if (strcmp(text, known) == 0 && (creatorOwnerToo || strcmp(known, "S-1-3-0") != 0))
      trusted = true;
  LocalFree(text);
  return trusted;
}

// Turns a privilege of the process's token on (administrators hold these, switched off).
void EnablePrivilege(const char *name) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  CloseHandle(token);
}

// The elevated installer's access list for folder, with Administrators as its owner: the
// owner first (taking ownership needs no access to the folder), then, as owner, the list.
bool GiveToAdministrators(const char *folder) {
  EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
  EnablePrivilege(SE_RESTORE_NAME);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  char sddl[256];
  if (!FormatInto(sddl, sizeof sddl, "O:BA%s%s", kAdministratorsAndSystem, kUsersReadAndExecute) ||
      !ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  PSID owner = nullptr;
  PACL list = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  std::wstring path = WidePath(folder);  // the call takes a writable name
  bool ok = GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) &&
            GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) && present &&
            SetNamedSecurityInfoW(&path[0], SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner,
                                  nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
            SetNamedSecurityInfoW(&path[0], SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, list, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return ok;
}

// Where the first folder below the root of a canonical path starts ("C:\" and
// "\\server\share\" are roots); 0 when the path has no root of either kind.
size_t RootLength(const char *path) {
  if (path[0] && path[1] == ':' && path[2] == '\\') return 3;
  if (path[0] != '\\' || path[1] != '\\') return 0;
  const char *server = strchr(path + 2, '\\');
  const char *share = server ? strchr(server + 1, '\\') : nullptr;
  return share ? size_t(share - path) + 1 : 0;
}

void RemoveOrMarkFile(const char *path) {
  if (DeletePath(path) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
  MoveFileExW(WidePath(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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

bool FolderIsSafe(const char *folder) {
  char user[SECURITY_MAX_SID_SIZE * 4];
  DWORD attributes = PathAttributes(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !CurrentUserSid(user, sizeof user))
    return false;
  const std::wstring path = WidePath(folder);
  PSID owner = nullptr;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &list, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  // No list at all lets everyone do everything.
  bool safe = list && IsTrusted(owner, user, false);
  for (DWORD i = 0; safe && i < list->AceCount; i++) {
    ACE_HEADER *header = nullptr;
    if (!GetAce(list, i, reinterpret_cast<void **>(&header))) {
      safe = false;
      break;
    }
    // Denying entries only take rights away; one of any other kind, whose trustee is not read
    // here, makes the folder unsafe.
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    auto *entry = reinterpret_cast<ACCESS_ALLOWED_ACE *>(header);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      safe = false;
    } else if (entry->Mask & kChangingRights) {
      safe = IsTrusted(&entry->SidStart, user, true);
    }
  }
  LocalFree(descriptor);
  return safe;
}

bool PrepareInstallFolder(const char *folder) {
  const size_t root = RootLength(folder), length = strlen(folder);
  if (root == 0 || length <= root || !FitsPath(folder)) return false;
  // Each folder of the path in turn, the install folder last.
  for (size_t end = root; end <= length; end++) {
    if (end < length && folder[end] != '\\') continue;
    const std::string partPath(folder, end);
    const char *part = partPath.c_str();
    const bool last = end == length;
    DWORD attributes = PathAttributes(part);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
      if (CreateInstallFolder(part)) {
        if (last) return true;  // made here: nobody else has had it
        continue;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
      attributes = PathAttributes(part);  // someone made it first: judged as existing
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return false;
  }
  if (FolderIsSafe(folder)) return true;
  // A link to elsewhere is not made safe by changing the permissions of where it leads.
  DWORD attributes = PathAttributes(folder);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT || !ProcessIsElevated()) return false;
  return GiveToAdministrators(folder) && FolderIsSafe(folder);
}

std::string CreateOwnTempFolder(const char *prefix) {
  // The user's temporary folder, under a profile of any name.
  std::wstring wide(MAX_PATH + 1, L'\0');  // the length the call promises at most
  DWORD n = GetTempPathW(DWORD(wide.size()), &wide[0]);
  if (n == 0 || n >= wide.size()) return "";
  wide.resize(n);
  std::string temp = Utf8FromWide(wide);
  if (EndsWithSeparator(temp)) temp.pop_back();
  // A name that exists already, whoever made it, is never reused: the folder must be ours.
  for (unsigned attempt = 0; attempt < 100; attempt++) {
    char name[MAX_PATH];
    if (!FormatInto(name, sizeof name, "%s-%lu-%lu-%u", prefix, GetCurrentProcessId(),
                    GetTickCount(), attempt))
      break;
    const std::string folder = JoinPath(temp, name);
    if (!FitsPath(folder)) break;
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
  if (FitsPath(archive) && FitsPath(library)) {
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
  const std::wstring folder = WidePath(gPayloadFolder);
  if (!RemoveDirectoryW(folder.c_str()))
    MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  gPayloadFolder.clear();
  gArchiveFile.clear();
  gLibraryFile.clear();
}

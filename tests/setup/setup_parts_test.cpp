// The installer's parts in process: the payload pieces and their private folder, extraction
// through the real UnRAR library, the chooser's edit-text rules and tree on real input, and
// the install worker's progress steps on the real package.
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>
#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "chooser.h"
#include "commandline.h"
#include "dialogs.h"
#include "filecalls.h"
#include "flatbutton.h"
#include "folderpath.h"
#include "install.h"
#include "instance.h"
#include "packagepieces.h"
#include "packagesizes.h"
#include "path.h"
#include "rarstore.h"
#include "resource.h"
#include "security.h"
#include "setupdriver.h"
#include "testfiles.h"
#include "uidriver.h"
#include "uninstall.h"
#include "unrarlibrary.h"
#include "wintext.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const std::string &s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(SetupPayload, PiecesAreFoundFromTheEndAndShortOrUnwritableCopiesFail) {
  TempDir dir;
  std::string image(5000, 'I'), library = "LIBRARY-PIECE", archive = "ARCHIVE PIECE, LAST";
  std::string package = dir.File("package.exe");
  WriteBytes(package, image + library + archive);
  gSetupFilePath = package.c_str();
  uint32_t a = uint32_t(archive.size()), l = uint32_t(library.size());

  EXPECT_EQ(1, CopyPayloadPiece(a, a, dir.File("a.rar").c_str()));
  EXPECT_EQ(archive, ReadBytes(dir.File("a.rar")));
  WriteBytes(dir.File("l.dll"), std::string("an older file, longer than the piece"));
  EXPECT_EQ(1, CopyPayloadPiece(l + a, l, dir.File("l.dll").c_str()));
  EXPECT_EQ(library, ReadBytes(dir.File("l.dll")));

  uint32_t size = uint32_t(image.size() + l + a);
  EXPECT_EQ(0, CopyPayloadPiece(size + 1, 1, dir.File("x").c_str()));  // before the start
  EXPECT_EQ(0, CopyPayloadPiece(10, 11, dir.File("x").c_str()));       // past the end
  EXPECT_EQ(0, CopyPayloadPiece(a, a, dir.File("missing\\x").c_str()));
  EXPECT_FALSE(FileExists(dir.File("x")));

  // A held piece: nobody may write it until the holder closes it; reading stays possible
  // (the library and the extraction open it so).
  HANDLE held = nullptr;
  EXPECT_EQ(1, CopyPayloadPiece(a, a, dir.File("held.rar").c_str(), &held));
  ASSERT_NE(nullptr, held);
  EXPECT_FALSE(CanOpen(dir.File("held.rar"), GENERIC_WRITE));
  EXPECT_FALSE(DeleteFileA(dir.File("held.rar").c_str()));
  EXPECT_TRUE(CanOpen(dir.File("held.rar"), GENERIC_READ));
  CloseHandle(held);
  EXPECT_TRUE(CanOpen(dir.File("held.rar"), GENERIC_WRITE));

  // The whole file, held the same way (the uninstaller's temporary copy): not even renamed.
  HANDLE whole = nullptr;
  std::string copy = dir.File("copy.exe");
  ASSERT_TRUE(CopyWholeSetupFile(copy.c_str(), &whole));
  EXPECT_EQ(image + library + archive, ReadBytes(copy));
  EXPECT_FALSE(CanOpen(copy, GENERIC_WRITE));
  EXPECT_FALSE(MoveFileA(copy.c_str(), dir.File("moved.exe").c_str()));
  CloseHandle(whole);
  gArchivePieceLength = a;
  EXPECT_FALSE(SetupFileCarriesPayload());  // no RAR archive at its end: not the package

  gSetupFilePath = dir.File("no such package.exe").c_str();
  EXPECT_EQ(0, CopyPayloadPiece(a, a, dir.File("x").c_str()));
  EXPECT_FALSE(CopyWholeSetupFile(dir.File("y").c_str(), &whole));
}

TEST(SetupPayload, PackageEndsWithTheLibraryAndTheArchive) {
  std::string package = ReadBytes(BinFile("vantiro-setup.exe"));
  size_t l = PACKAGE_LIBRARY_LENGTH, a = PACKAGE_ARCHIVE_LENGTH;
  ASSERT_GT(package.size(), l + a);
  EXPECT_EQ(ReadBytes(BinFile("unrar.dll")), package.substr(package.size() - a - l, l));
  std::string archive = package.substr(package.size() - a);
  EXPECT_EQ(std::string("Rar!\x1a\x07\x00", 7), archive.substr(0, 7));
  EXPECT_EQ("MZ", package.substr(0, 2));
  gSetupFilePath = BinFile("vantiro-setup.exe").c_str();
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  EXPECT_TRUE(SetupFileCarriesPayload());
}

TEST(SetupPayload, PrivateFolderIsNewEachTimeAndRemovedWithItsPieces) {
  ASSERT_EQ(1, CreatePayloadFolder());
  std::string first = gPayloadFolder;
  // Closed to everyone but Administrators, SYSTEM and the user running setup (where the file
  // system keeps no access lists, as under Wine, that is the owner and SYSTEM).
  std::vector<std::string> trustees = AllowedTrustees(AccessList(first));
  EXPECT_FALSE(trustees.empty());
  for (const std::string &trustee : trustees)
    EXPECT_TRUE(trustee == "BA" || trustee == "SY" || trustee == CurrentUserSid()) << trustee;
  EXPECT_EQ(first + "\\kordax.rar", gArchiveFile);
  EXPECT_EQ(first + "\\unrar.dll", gLibraryFile);
  WriteBytes(gArchiveFile, std::string("archive"));
  WriteBytes(gLibraryFile, std::string("library"));
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  EXPECT_EQ(0u, first.rfind(temp, 0)) << first;
  RemovePayloadFolder();
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ('\0', gPayloadFolder[0]);

  ASSERT_EQ(1, CreatePayloadFolder());
  EXPECT_NE(first, std::string(gPayloadFolder));
  RemovePayloadFolder();
  EXPECT_TRUE(SetupTempFolders().empty());
}

TEST(SetupCommandLine, SilentAndFolderAsTheLastArgument) {
  std::string tooLong = "\"C:\\a b\\setup.exe\" /S /D=C:\\" + std::string(MAX_PATH, 'x');
  const struct {
    std::string line;
    bool ok, silent;
    std::string folder;
    bool uninstall = false;
    uintptr_t waitFor = 0;
  } cases[] = {
      {"setup.exe", true, false, ""},
      {"\"C:\\a b\\setup.exe\" /S", true, true, ""},
      {"\"C:\\a b\\setup.exe\"/S", true, true, ""},
      {"C:\\a b\\setup.exe /S", true, true, ""},  // unquoted path with a blank
      {"setup.exe /S /D=C:\\Program Files\\Vantiro Two  ", true, true,
       "C:\\Program Files\\Vantiro Two"},
      {"setup.exe /D=C:\\x /S", true, false, "C:\\x /S"},  // /D= takes the rest
      {"setup.exe /S \"/D=C:\\a b\"", true, true, "C:\\a b"},
      {"setup.exe /uninstall /waitfor=123 /D=C:\\v", true, false, "C:\\v", true, 123},
      {"setup.exe /UNINSTALL /S", true, true, "", true},
      {"setup.exe /SS /silent /S/ S", true, false, ""},
      {"setup.exe  /s\t/d=D:\\v", true, true, "D:\\v"},
      {"\"C:\\no end quote /S", true, false, ""},
      {tooLong, false, true, ""},
  };
  for (const auto &c : cases) {
    SetupCommand command;
    EXPECT_EQ(c.ok, ParseSetupCommand(c.line.c_str(), &command)) << c.line;
    EXPECT_EQ(c.silent, command.silent) << c.line;
    EXPECT_EQ(c.folder, std::string(command.folder)) << c.line;
    EXPECT_EQ(c.uninstall, command.uninstall) << c.line;
    EXPECT_EQ(c.waitFor, uintptr_t(command.waitFor)) << c.line;
  }
}

// Folders in their one form, and compared in it.
TEST(SetupFolderPath, CanonicalFormsAndComparisons) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof current, current);
  const std::string drive(current, 2);
  const struct {
    std::string given, canonical;  // canonical "": refused
  } forms[] = {
      {"C:\\Apps\\Vantiro", "C:\\Apps\\Vantiro"},
      {"C:\\Apps\\Vantiro\\", "C:\\Apps\\Vantiro"},
      {"C:\\Apps\\\\Vantiro\\\\", "C:\\Apps\\Vantiro"},
      {"C:\\", "C:\\"},
      {"C:\\\\", "C:\\"},
      {"C:\\Apps\\..", "C:\\"},
      {"\\Vantiro", drive + "\\Vantiro"},
      {"\\\\server\\share\\Vantiro\\", "\\\\server\\share\\Vantiro"},
      {"", ""},
      {"C:\\" + std::string(MAX_PATH, 'x'), ""},
  };
  for (const auto &f : forms) {
    std::string out;
    EXPECT_EQ(!f.canonical.empty(), CanonicalFolder(f.given.c_str(), &out)) << f.given;
    EXPECT_EQ(f.canonical, out) << f.given;
  }
  EXPECT_EQ("C:\\Vantiro.exe", InFolder("C:\\", "Vantiro.exe"));
  EXPECT_EQ("C:\\Apps\\Vantiro.exe", InFolder("C:\\Apps", "Vantiro.exe"));

  TempDir dir;
  const std::string folder = dir.File("Long Folder Name");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(folder.c_str(), shortName, sizeof shortName);
  const struct {
    std::string a, b;
    bool same;
  } pairs[] = {
      {"C:\\Apps\\Vantiro", "c:\\apps\\VANTIRO\\", true},
      {"C:\\Apps\\Vantiro", "C:\\Apps\\Vantiro\\\\", true},
      {"C:\\Apps\\Vantiro", "C:\\Apps\\Vantiro2", false},
      {"C:\\Apps\\Vantiro", "C:\\Apps", false},
      {folder, shortName, true},
      {"", "", false},
  };
  for (const auto &p : pairs)
    EXPECT_EQ(p.same, SamePath(p.a.c_str(), p.b.c_str())) << p.a << " " << p.b;
}

class SetupExtract : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1, LoadUnrarLibrary(BinFile("unrar.dll").c_str())); }
  void TearDown() override { UnloadUnrarLibrary(); }

  int Extract(const std::vector<uint8_t> &rar) {
    std::string archive = dir.File("payload.rar");
    WriteBytes(archive, rar);
    return ExtractArchive(archive.c_str(), out.path().c_str());
  }

  std::vector<RarMember> members = {{"Lumora.scr", Bytes(std::string(70000, 's'))},
                                    {"Lumora.exe", Bytes("MZ viewer")},
                                    {"Vantiro.exe", Bytes("MZ vantiro")}};
  TempDir dir, out;
};

TEST_F(SetupExtract, EveryMemberOrFailure) {
  EXPECT_EQ(1, Extract(BuildStoredRar(members)));
  EXPECT_EQ(std::string(70000, 's'), ReadBytes(out.File("Lumora.scr")));
  EXPECT_EQ("MZ vantiro", ReadBytes(out.File("Vantiro.exe")));

  EXPECT_EQ(1, Extract(BuildStoredRar({})));  // no members: nothing to do

  std::vector<uint8_t> flipped = BuildStoredRar(members);
  flipped[flipped.size() - 12] ^= 0x40;  // in Vantiro.exe's data
  EXPECT_EQ(0, Extract(flipped));

  // Cut inside the second member's header: the library cannot go past the first member.
  std::vector<uint8_t> whole = BuildStoredRar(members);
  std::vector<uint8_t> first = BuildStoredRar({members[0]});
  std::vector<uint8_t> cut(whole.begin(), whole.begin() + (first.size() - 7 + 10));
  fs::remove(out.File("Lumora.exe"));
  EXPECT_EQ(0, Extract(cut));
  EXPECT_FALSE(FileExists(out.File("Lumora.exe")));

  // Headers marked encrypted and no password: the library opens the archive but reads no
  // header (ERAR_MISSING_PASSWORD). Nothing was extracted, so that is no success either.
  std::vector<uint8_t> locked = BuildStoredRar(members);
  locked[10] = 0x80;  // main header flags: block headers encrypted
  uint32_t crc = Crc32(locked.data() + 9, 11);
  locked[7] = uint8_t(crc), locked[8] = uint8_t(crc >> 8);
  TempDir empty;
  WriteBytes(dir.File("locked.rar"), locked);
  EXPECT_EQ(0, ExtractArchive(dir.File("locked.rar").c_str(), empty.path().c_str()));
  EXPECT_TRUE(fs::is_empty(empty.path()));

  EXPECT_EQ(0, Extract(Bytes("no archive at all")));
  EXPECT_EQ(0, ExtractArchive(dir.File("missing.rar").c_str(), out.path().c_str()));

  // Asked to stop after some blocks of data: the extraction gives up before the last member.
  struct StopAfter : StopQuestion {
    int left;
    bool StopRequested() override { return left-- <= 0; }
  };
  for (int blocks : {0, 1, 3}) {
    TempDir stopped;
    StopAfter stop;
    stop.left = blocks;
    WriteBytes(dir.File("stop.rar"), BuildStoredRar(members));
    EXPECT_EQ(0, ExtractArchive(dir.File("stop.rar").c_str(), stopped.path().c_str(), &stop))
        << blocks;
    EXPECT_FALSE(FileExists(stopped.File("Vantiro.exe"))) << blocks;
  }
  EXPECT_EQ(1, Extract(BuildStoredRar(members)));  // the library is still usable
}

TEST(SetupLibrary, ByFullPathOnlyAndWithEveryEntryPoint) {
  TempDir dir;
  WriteBytes(dir.File("unrar.dll"), std::string("MZ not a library"));
  EXPECT_EQ(0, LoadUnrarLibrary(dir.File("unrar.dll").c_str()));
  char system[MAX_PATH];
  GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(0, LoadUnrarLibrary((std::string(system) + "\\version.dll").c_str()));
  EXPECT_FALSE(UnrarLibraryLoaded());
  EXPECT_EQ(0, ExtractArchive("whatever.rar", dir.path().c_str()));
}

// The file system's identity of a file (its index), or 0.
uint64_t FileIndex(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
}

// The installation steps on the real package: the folder they create is closed to all but
// Administrators, SYSTEM and read-only Users, while a safe one that exists keeps its list;
// the screen saver reaches the system directory as a new file.
TEST(SetupInstall, FolderAccessAndTheSaverCopiedIntoTheSystemDirectory) {
  gSetupFilePath = BinFile("vantiro-setup.exe").c_str();
  gLibraryPieceLength = PACKAGE_LIBRARY_LENGTH;
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  // Records the extracted saver's identity after the extraction (the fourth step).
  struct SaverWatch : InstallObserver {
    std::string saver;
    int steps = 0;
    uint64_t extracted = 0;
    void StepDone() override {
      if (++steps == 4) extracted = FileIndex(saver);
    }
    bool StopRequested() override { return false; }
  };
  TempDir dir;
  std::string existing = dir.File("Existing");
  ASSERT_TRUE(CreateDirectoryA(existing.c_str(), nullptr));
  const struct {
    std::string folder;
    bool made;
  } cases[] = {{dir.File("New"), true}, {existing, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.folder);
    ForgetInstallation();
    std::string before = AccessList(c.folder);
    SaverWatch watch;
    watch.saver = c.folder + "\\Lumora.scr";
    ASSERT_TRUE(InstallPrograms(c.folder.c_str(), watch));
    EXPECT_EQ(6, watch.steps);
    std::vector<std::string> trustees = AllowedTrustees(AccessList(c.folder));
    EXPECT_FALSE(trustees.empty());
    if (c.made) {
      for (const std::string &trustee : trustees)
        EXPECT_TRUE(trustee == "BA" || trustee == "SY" || trustee == "BU" ||
                    trustee == CurrentUserSid())
            << trustee;
    } else {
      EXPECT_EQ(before, AccessList(c.folder));
    }
    EXPECT_NE(0u, watch.extracted);
    EXPECT_FALSE(FileExists(watch.saver));
    EXPECT_TRUE(FileExists(SystemSaverPath()));
    EXPECT_NE(watch.extracted, FileIndex(SystemSaverPath()));  // a new file, not the moved one
    // The uninstaller's record names the saver's real place, also as a 64-bit process finds
    // it: with WoW64's redirection of system32 off.
    std::string recorded;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "SaverPath", &recorded));
    void *redirection = nullptr;
    BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
    EXPECT_TRUE(FileExists(recorded)) << recorded;
    if (unredirected) Wow64RevertWow64FsRedirection(redirection);
  }
  ForgetInstallation();
}

// Folders that exist already, wholly or in part, before the installation: missing parents
// are made with the install folder's access list, a stranger's programs are replaced by new
// files, and a folder open to everyone is given back to Administrators when elevated or
// refused with nothing written into it.
TEST(SetupInstall, HalfMadeAndStrangersFoldersAreMadeSafeOrRefused) {
  gSetupFilePath = BinFile("vantiro-setup.exe").c_str();
  gLibraryPieceLength = PACKAGE_LIBRARY_LENGTH;
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  struct Quiet : InstallObserver {
    void StepDone() override {}
    bool StopRequested() override { return false; }
  } quiet;
  const bool elevated = ProcessIsElevated();
  const std::vector<std::string> allowed = {"BA", "SY", "CO", CurrentUserSid()};
  TempDir dir;
  WriteBytes(dir.File("File"), std::string("in the way"));
  const struct {
    std::string folder, premade;  // premade: the folder made first, with this access list
    bool strangersFiles, installs;
  } cases[] = {
      {dir.File("Apps\\Vantiro"), "", false, true},
      {dir.File("Premade"), "inherited", true, true},
      {dir.File("Open"), "D:P(A;OICI;FA;;;WD)", true, elevated},
      {dir.File("File\\Vantiro"), "", false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.folder);
    ForgetInstallation();
    if (!c.premade.empty()) {
      ASSERT_TRUE(CreateDirectoryA(c.folder.c_str(), nullptr));
      if (c.premade != "inherited") {
        ASSERT_TRUE(SetAccessList(c.folder, c.premade.c_str()));
      }
      EXPECT_EQ(c.premade == "inherited", FolderIsSafe(c.folder.c_str()));
      // The stranger's files let everyone write them: the new ones must not.
      for (const char *name : {"Vantiro.exe", "Uninstall.exe"}) {
        WriteBytes(c.folder + "\\" + name, std::string("a stranger's program"));
        ASSERT_TRUE(SetAccessList(c.folder + "\\" + name, "D:P(A;;FA;;;WD)"));
      }
    }
    EXPECT_EQ(c.installs, InstallPrograms(c.folder.c_str(), quiet));
    if (!c.installs) {
      EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
      EXPECT_FALSE(FileExists(c.folder + "\\Lumora.exe"));
      if (c.strangersFiles) {
        EXPECT_EQ("a stranger's program", ReadBytes(c.folder + "\\Vantiro.exe"));
      }
      continue;
    }
    EXPECT_TRUE(FolderIsSafe(c.folder.c_str()));
    for (const std::string &folder : {c.folder, std::string(FolderOf(c.folder))}) {
      if (folder == dir.path()) continue;  // the test's own folder
      for (const std::string &writer : Writers(AccessList(folder)))
        EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), writer))
            << folder << ": " << writer;
    }
    for (const char *name : {"Vantiro.exe", "Uninstall.exe"}) {
      EXPECT_NE("a stranger's program", ReadBytes(c.folder + "\\" + name)) << name;
      for (const std::string &writer : Writers(AccessList(c.folder + "\\" + name)))
        EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), writer))
            << name << ": " << writer;
    }
  }
  ForgetInstallation();
}

// A part that cannot be removed (here: a program held open) is reported, and the rest of the
// installation still goes.
TEST(SetupInstall, UninstallReportsWhatItCannotRemoveAndRemovesTheRest) {
  gSetupFilePath = BinFile("vantiro-setup.exe").c_str();
  gLibraryPieceLength = PACKAGE_LIBRARY_LENGTH;
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  ForgetInstallation();
  TempDir dir;
  std::string folder = dir.File("Held");
  struct Quiet : InstallObserver {
    void StepDone() override {}
    bool StopRequested() override { return false; }
  } quiet;
  ASSERT_TRUE(InstallPrograms(folder.c_str(), quiet));
  HANDLE held = CreateFileA((folder + "\\Lumora.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  char failed[1024];
  EXPECT_FALSE(RemoveInstallation(folder.c_str(), failed, sizeof failed));
  CloseHandle(held);
  EXPECT_EQ(folder + "\\Lumora.exe\n", std::string(failed));
  EXPECT_FALSE(FileExists(folder + "\\Vantiro.exe"));
  EXPECT_FALSE(FileExists(SystemSaverPath()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
  // What is needed to finish the work stays, and a second run finishes it.
  EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
  EXPECT_TRUE(RemoveInstallation(folder.c_str(), failed, sizeof failed)) << failed;
  EXPECT_FALSE(FileExists(folder + "\\Uninstall.exe"));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
  ForgetInstallation();
}

// The chooser and the main dialog in process, from the test program's own copy of the
// installer's resources.
class SetupDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ProgramInstance = GetModuleHandleA(nullptr);
    RegisterFlatButtonClass();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
  }
};

// Top-level folders of drive C: and their tree items.
std::string ItemText(HWND tree, HTREEITEM item);

HTREEITEM FindRootItem(HWND tree, const std::string &name) {
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    if (name == ItemText(tree, item)) return item;
  return nullptr;
}

void ClickItem(HWND tree, HTREEITEM item) {
  RECT r{};
  TreeView_GetItemRect(tree, item, &r, TRUE);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tree, &p);
  ClickAt(p.x, p.y);
}

// An item's text, in UTF-8.
std::string ItemText(HWND tree, HTREEITEM item) {
  WCHAR text[MAX_PATH] = L"";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&tv);
  return Utf8FromWide(text);
}

std::string EditText(HWND chooser) {
  return DialogItemTextOf(chooser, kFolderEdit);
}

TEST_F(SetupDialogs, ChooserTreeAndEditTextRules) {
  std::string base = "zz-chooser-" + std::to_string(GetCurrentProcessId());
  // b's name is beyond the ANSI code page: "-b-Фото".
  std::string a = base + "-a", b = base + "-b-\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE";
  for (const std::string &name : {a, b, base + ".ext", base + "-hidden", a + "\\sub"})
    ASSERT_TRUE(CreateFolder(("C:\\" + name).c_str())) << name;
  SetFileAttributesA(("C:\\" + base + "-hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);

  std::string path = "c:\\Data\\Vantiro";
  bool leftOpen = false;
  INT_PTR result = RunModal(
      [&] { return ChooseFolder(nullptr, "Pick one", &path); },
      [&] {
        HWND chooser = WaitForWindow("Pick one");
        ASSERT_NE(nullptr, chooser);
        HWND tree = GetDlgItem(chooser, kFolderTree);
        char drive[64] = "";
        SendDlgItemMessageA(chooser, kDriveList, CB_GETLBTEXT, 0, (LPARAM)drive);
        EXPECT_EQ(0, strncmp(drive, "c: (", 4)) << drive;
        HTREEITEM itemA = FindRootItem(tree, a), itemB = FindRootItem(tree, b);
        ASSERT_TRUE(itemA && itemB);
        EXPECT_EQ(nullptr, FindRootItem(tree, base + ".ext"));
        EXPECT_EQ(nullptr, FindRootItem(tree, base + "-hidden"));
        EXPECT_NE(nullptr, TreeView_GetChild(tree, itemA));  // loaded one level ahead
        EXPECT_EQ(nullptr, TreeView_GetChild(tree, itemB));
        Sleep(300);
        EXPECT_EQ("c:\\Data\\Vantiro", EditText(chooser));  // nothing selected yet

        // The first item, which the tree may have selected by itself, is chosen by a click.
        HTREEITEM first = TreeView_GetRoot(tree);
        std::string firstPath = "c:\\" + ItemText(tree, first) + "\\Vantiro";
        ClickItem(tree, first);
        EXPECT_TRUE(WaitFor([&] { return EditText(chooser) == firstPath; })) << EditText(chooser);
        ClickItem(tree, itemA);
        EXPECT_TRUE(WaitFor([&] { return EditText(chooser) == "c:\\" + a + "\\Vantiro"; }))
            << EditText(chooser);
        ClickItem(tree, itemB);
        EXPECT_TRUE(WaitFor([&] { return EditText(chooser) == "c:\\" + b + "\\Vantiro"; }))
            << EditText(chooser);
        SetDlgItemTextA(chooser, kFolderEdit, "plain");
        ClickItem(tree, itemA);
        EXPECT_TRUE(WaitFor([&] { return EditText(chooser) == "c:\\" + a + "plain"; }))
            << EditText(chooser);
        SetDlgItemTextA(chooser, kFolderEdit, "c:\\x\\");
        ClickItem(tree, itemB);
        EXPECT_TRUE(WaitFor([&] { return EditText(chooser) == "c:\\" + b + "\\"; }))
            << EditText(chooser);

        ClickControl(GetDlgItem(chooser, kChooserHelp));
        HWND box = WaitForWindow("Sorry");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("Not available yet!", MessageBoxText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
        ClickControl(GetDlgItem(chooser, kChooserOk));
      },
      "Pick one", &leftOpen);
  EXPECT_FALSE(leftOpen);
  EXPECT_EQ(1, result);
  EXPECT_EQ("c:\\" + b + "\\", std::string(path));

  // Cancel leaves the buffer as it was; an empty start shows just the selected folder.
  result = RunModal([&] { return ChooseFolder(nullptr, "Pick one", &path); },
                    [&] { ClickControl(GetDlgItem(WaitForWindow("Pick one"), kChooserCancel)); },
                    "Pick one");
  EXPECT_EQ(0, result);
  EXPECT_EQ("c:\\" + b + "\\", std::string(path));
  path.clear();
  result = RunModal([&] { return ChooseFolder(nullptr, "Pick one", &path); },
                    [&] {
                      HWND chooser = WaitForWindow("Pick one");
                      HWND tree = GetDlgItem(chooser, kFolderTree);
                      ClickItem(tree, FindRootItem(tree, a));
                      WaitFor([&] { return EditText(chooser) == "c:\\" + a; });
                      ClickControl(GetDlgItem(chooser, kChooserOk));
                    },
                    "Pick one");
  EXPECT_EQ(1, result);
  EXPECT_EQ("c:\\" + a, std::string(path));

  for (const std::string &name : {a + "\\sub", a, b, base + ".ext", base + "-hidden"})
    RemoveDirectoryW(WidePath("C:\\" + name).c_str());
}

struct WindowCount {
  const char *title;
  int n;
};

// An EnumWindows callback: a __stdcall function, which a lambda is not on i686.
BOOL CALLBACK CountVisibleWindow(HWND window, LPARAM lParam) {
  auto *c = reinterpret_cast<WindowCount *>(lParam);
  if (IsWindowVisible(window) && WindowText(window) == c->title) c->n++;
  return TRUE;
}

int CountWindows(const char *title) {
  WindowCount count{title, 0};
  EnumWindows(CountVisibleWindow, reinterpret_cast<LPARAM>(&count));
  return count.n;
}

// The main dialog with the real worker on the real package; the progress bar's position after
// each step is recorded from inside the bar.
// With ExitAtPosition set, the bar presses Exit itself when it reaches that position, while
// the worker waits for the step to be handled: the worker is stopped exactly there.
std::vector<int> Positions;
int ExitAtPosition;
WNDPROC ProgressProc;
LRESULT CALLBACK RecordingProgress(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(ProgressProc, bar, msg, wParam, lParam);
  if (msg != PBM_STEPIT) return result;
  Positions.push_back(int(SendMessageA(bar, PBM_GETPOS, 0, 0)));
  if (Positions.back() == ExitAtPosition) SendMessageA(GetParent(bar), WM_COMMAND, kExitButton, 0);
  return result;
}

// The worker's thread (it runs the chooser) as it was last seen.
DWORD WorkerThreadId;

// True when the thread has ended (or is gone altogether).
bool ThreadEnded(DWORD id) {
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
  if (!thread) return true;
  bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

INT_PTR RunWorker(const std::string &package, const std::string &target) {
  gSetupFilePath = package.c_str();
  gLibraryPieceLength = PACKAGE_LIBRARY_LENGTH;
  gArchivePieceLength = PACKAGE_ARCHIVE_LENGTH;
  Positions.clear();
  WorkerThreadId = 0;
  return RunModal(
      [] {
        return DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr,
                               SetupDialogProc, 0);
      },
      [&] {
        HWND main = WaitForWindow("Setup");
        ASSERT_NE(nullptr, main);
        HWND bar = GetDlgItem(main, kProgress);
        ProgressProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)RecordingProgress);
        ClickControl(GetDlgItem(main, kInstallButton));
        HWND chooser = WaitForWindow("Choose install path");
        ASSERT_NE(nullptr, chooser);
        WorkerThreadId = GetWindowThreadProcessId(chooser, nullptr);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, kInstallButton)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, kAboutButton)));
        SendMessageA(main, WM_COMMAND, IDOK, 0);  // Enter again: no second worker
        Sleep(300);
        EXPECT_EQ(1, CountWindows("Choose install path"));
        SetDlgItemTextA(chooser, kFolderEdit, target.c_str());
        ClickControl(GetDlgItem(chooser, kChooserOk));
      },
      "Setup");
}

TEST_F(SetupDialogs, WorkerStepsTheBarAndStopsAtTheFirstFailure) {
  ForgetInstallation();
  TempDir dir;
  EXPECT_EQ(1, RunWorker(BinFile("vantiro-setup.exe"), dir.File("Target")));
  EXPECT_EQ(1, gInstallSucceeded);
  EXPECT_EQ((std::vector<int>{16, 32, 48, 64, 80, 96}), Positions);
  EXPECT_TRUE(FileExists(dir.File("Target\\Vantiro.exe")));
  ForgetInstallation();

  // A package 100 bytes short: both pieces are copied from the wrong place and the library
  // does not load.
  std::string good = ReadBytes(BinFile("vantiro-setup.exe"));
  WriteBytes(dir.File("short.exe"), good.substr(0, good.size() - 100));
  EXPECT_EQ(1, RunWorker(dir.File("short.exe"), dir.File("Other")));
  EXPECT_EQ(0, gInstallSucceeded);
  EXPECT_EQ((std::vector<int>{16, 32, 48}), Positions);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel"));
  EXPECT_TRUE(SetupTempFolders().empty());

  // A folder text that leaves no room for the program's paths, or none at all: nothing is
  // done, and the installation fails.
  for (const std::string &folder : {"C:\\" + std::string(245, 'x'), std::string()}) {
    EXPECT_EQ(1, RunWorker(BinFile("vantiro-setup.exe"), folder));
    EXPECT_EQ(0, gInstallSucceeded);
    EXPECT_TRUE(Positions.empty());
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel"));

  // Exit after each step of the worker: it stops there, before the next step, and ends; a
  // quiet end, and the private folder goes with the worker. Only the last step writes the
  // registry.
  for (int position : {16, 32, 48, 64, 80, 96}) {
    ExitAtPosition = position;
    EXPECT_EQ(0, RunWorker(BinFile("vantiro-setup.exe"), dir.File("Stopped")));
    ExitAtPosition = 0;
    ASSERT_FALSE(Positions.empty());
    EXPECT_EQ(position, Positions.back());
    EXPECT_EQ(0, gInstallSucceeded);
    EXPECT_TRUE(SetupTempFolders().empty()) << position;
    EXPECT_EQ(position == 96, KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel")) << position;
    EXPECT_TRUE(WorkerThreadId && ThreadEnded(WorkerThreadId)) << position;
    ForgetInstallation();
  }
}

}  // namespace

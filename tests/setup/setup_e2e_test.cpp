// The real package build/win64/bin/vantiro-setup.exe under real input: installing into a typed
// folder and into one chosen in the tree, the Congratulations options, the registry entries
// and the ".wcl" association, the screen saver's place, the quiet ways out, and packages or
// surroundings that must make the installation fail (or must not).
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "filecalls.h"
#include "path.h"
#include "setupdriver.h"
#include "testfiles.h"
#include "uidriver.h"

namespace {

namespace fs = std::filesystem;

// The programs as the package carries them.
std::string Carried(const char *name) {
  return HostPath(LUMORA_PACKAGE_PROGRAMS) + "\\" + name;
}

// "C:\Программы" and a profile's name "Пользователь", in UTF-8: beyond code page 1252.
const char kProgramsFolder[] =
    "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B";
const char kProfileName[] =
    "\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1"
    "\x8C";

// The bytes of a file named in UTF-8; "" when it cannot be read.
std::string ReadNamed(const std::string &path) {
  std::string bytes;
  FILE *file = OpenPathStream(path.c_str(), "rb");
  if (!file) return bytes;
  char block[65536];
  for (size_t n; (n = fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, n);
  fclose(file);
  return bytes;
}

// The names in a folder named in UTF-8 that match the pattern ("*": all but "." and "..").
std::vector<std::string> NamesIn(const std::string &folder, const char *pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WidePath(JoinPath(folder, pattern)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Removes a folder named in UTF-8 with everything in it (the scratch folder's own clean-up
// reads names in the ANSI code page).
void RemoveNamedTree(const std::string &folder) {
  for (const std::string &name : NamesIn(folder, "*")) {
    const std::string path = JoinPath(folder, name);
    if (PathAttributes(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
      RemoveNamedTree(path);
    else
      DeletePath(path.c_str());
  }
  RemoveDirectoryW(WidePath(folder).c_str());
}

// Points TEMP and TMP at a folder named in UTF-8 while it lives; the processes started then
// inherit them.
class NamedTempFolder {
 public:
  explicit NamedTempFolder(const std::string &folder) {
    for (const wchar_t *name : {L"TEMP", L"TMP"}) {
      WCHAR old[32768];
      DWORD n = GetEnvironmentVariableW(name, old, 32768);
      old_.push_back(n > 0 && n < 32768 ? std::wstring(old, n) : std::wstring());
      SetEnvironmentVariableW(name, WideFromUtf8(folder).c_str());
    }
  }
  ~NamedTempFolder() {
    SetEnvironmentVariableW(L"TEMP", old_[0].empty() ? nullptr : old_[0].c_str());
    SetEnvironmentVariableW(L"TMP", old_[1].empty() ? nullptr : old_[1].c_str());
  }

 private:
  std::vector<std::wstring> old_;
};

class SetupE2ETest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetInstallation(); }
  void TearDown() override { ForgetInstallation(); }

  // Nothing of an installation anywhere: no registry entries, no screen saver in the system
  // directory, no temporary folders, nothing in the current folder.
  void ExpectNothingWritten(const std::string &folder) {
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".wcl"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
    EXPECT_FALSE(FileExists(SystemSaverPath()));
    EXPECT_TRUE(SetupTempFolders().empty());
    EXPECT_TRUE(fs::is_empty(folder)) << folder;
  }

  // Installs into the typed folder; the Congratulations dialog, or null.
  HWND InstallTyped(SetupProcess &setup, const std::string &target) {
    HWND chooser = setup.ClickInstall();
    if (!chooser) return nullptr;
    setup.ChooseTyped(chooser, target);
    return setup.WaitForDialog("Congratulations");
  }

  // Installs into the typed folder and expects the one error message; closes it.
  void ExpectInstallFails(SetupProcess &setup, const std::string &target) {
    HWND chooser = setup.ClickInstall();
    ASSERT_NE(nullptr, chooser);
    setup.ChooseTyped(chooser, target);
    HWND box = setup.WaitForDialog("Warning:");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Error during install process!", MessageBoxText(box));
    EXPECT_EQ(nullptr, setup.WaitForDialog("Congratulations", 100));
    ClickControl(GetDlgItem(box, IDOK));
    EXPECT_EQ(0u, setup.WaitForExit());
  }

  // Installs with "/S /D=" and the folder's text as given; the exit code.
  DWORD InstallQuietly(const std::string &folderText) {
    SetupProcess setup(dir.path(), "",
                       "\"" + BinFile("vantiro-setup.exe") + "\" /S /D=" + folderText);
    return setup.WaitForExit();
  }

  // Runs the installation's quiet uninstall command to its end, the copy's work included
  // (the copy inherits the output pipe); the uninstaller's exit code.
  DWORD UninstallQuietly() {
    std::string quiet;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "QuietUninstallString", &quiet));
    DWORD code = STILL_ACTIVE;
    RunToEnd(quiet, &code, 60000);
    return code;
  }

  // Nobody but Administrators, SYSTEM, the creator of a file and the user may change path.
  void ExpectOnlyTrustedWriters(const std::string &path) {
    const std::vector<std::string> trusted = {"BA", "SY", "CO", CurrentUserSid()};
    for (const std::string &writer : Writers(AccessList(path)))
      EXPECT_NE(trusted.end(), std::find(trusted.begin(), trusted.end(), writer))
          << path << ": " << writer;
  }

  TempDir dir;
};

TEST_F(SetupE2ETest, TypedFolderWithBlanksEveryOptionAndTheAssociation) {
  std::string target = dir.File("Vantiro Test");
  SetupProcess setup(dir.path());
  ASSERT_TRUE(setup.Started());
  HWND chooser = setup.ClickInstall();
  ASSERT_NE(nullptr, chooser);
  EXPECT_EQ("\\Vantiro", ControlText(GetDlgItem(chooser, kFolderEdit)));
  setup.ChooseTyped(chooser, target);

  HWND congratulations = setup.WaitForDialog("Congratulations");
  ASSERT_NE(nullptr, congratulations);
  for (int id : {kLaunch, kAutoStart, kDesktopIcon, kStartMenu})
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageA(congratulations, id, BM_GETCHECK, 0, 0)) << id;
  ClickControl(GetDlgItem(congratulations, kFinishButton));

  {  // "Launch Vantiro": Vantiro.exe starts the installed viewer.
    OtherProcessWindow viewer("Lumora Settings", target + "\\Lumora.exe");
    ASSERT_NE(nullptr, viewer.window());
  }
  EXPECT_EQ(0u, setup.WaitForExit());

  EXPECT_EQ(ReadBytes(Carried("Lumora.exe")), ReadBytes(target + "\\Lumora.exe"));
  EXPECT_EQ(ReadBytes(Carried("Vantiro.exe")), ReadBytes(target + "\\Vantiro.exe"));
  EXPECT_FALSE(FileExists(target + "\\Lumora.scr"));
  EXPECT_EQ(ReadBytes(Carried("Lumora.scr")), ReadBytes(SystemSaverPath()));
  HICON listIcon = ExtractIconA(GetModuleHandleA(nullptr), (target + "\\Vantiro.exe").c_str(), 0);
  EXPECT_TRUE(listIcon && listIcon != HICON(1)) << "Vantiro.exe has no icon at index 0";
  if (listIcon && listIcon != HICON(1)) DestroyIcon(listIcon);

  std::string value;
  EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", &value));
  EXPECT_EQ(target, value);
  EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, ".wcl", nullptr, &value));
  EXPECT_EQ("*wclfile", value);
  EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, "*wclfile", nullptr, &value));
  EXPECT_EQ("Vantiro list", value);
  EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, "*wclfile\\DefaultIcon", nullptr, &value));
  EXPECT_EQ(target + "\\Vantiro.exe,0", value);
  EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, &value));
  EXPECT_EQ("\"" + target + "\\Vantiro.exe\" \"%1\"", value);

  std::string programs = ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\";
  EXPECT_TRUE(SamePath(target + "\\Vantiro.exe", LinkTarget(programs + "Kordax.lnk")));
  EXPECT_TRUE(SamePath(target + "\\Lumora.exe", LinkTarget(programs + "Lumora.lnk")));
  EXPECT_TRUE(SamePath(target + "\\Vantiro.exe",
                       LinkTarget(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk")));
  EXPECT_TRUE(
      SamePath(target + "\\Vantiro.exe", LinkTarget(ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk")));

  EXPECT_TRUE(SetupTempFolders().empty());
  EXPECT_FALSE(FileExists(dir.File("kordax.rar")));
  EXPECT_FALSE(FileExists(dir.File("unrar.dll")));

  // Opening a list through the association starts the viewer on it, blanks and all.
  std::string list = dir.File("my pictures.wcl");
  WriteBytes(list, std::string("centred=C:\\nothing.bmp\r\n"));
  ShellExecuteA(nullptr, "open", list.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  OtherProcessWindow viewer("Lumora Settings", target + "\\Lumora.exe");
  ASSERT_NE(nullptr, viewer.window());
  EXPECT_EQ(list, ControlText(GetDlgItem(viewer.window(), IDC_LISTPATH)));
}

TEST_F(SetupE2ETest, FolderChosenInTheTreeKeepsAnOlderSaverAndNoOptionMakesNothing) {
  // A top-level folder of drive C: (inside the test prefix), found by typing its name in the
  // tree; the chooser adds the program's own folder below it.
  std::string name = "zz-lumora-tree-" + std::to_string(GetCurrentProcessId());
  std::string parent = "C:\\" + name;
  ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
  WriteBytes(SystemSaverPath(), std::string("an older screen saver"));

  SetupProcess setup(dir.path());
  HWND chooser = setup.ClickInstall();
  ASSERT_NE(nullptr, chooser);
  ClickControl(GetDlgItem(chooser, kFolderEdit));  // focus away from the tree, then back
  ClickControl(GetDlgItem(chooser, kFolderTree));
  TypeText(name);
  std::string expected = "c:\\" + name + "\\Vantiro";
  EXPECT_TRUE(WaitFor([&] { return ControlText(GetDlgItem(chooser, kFolderEdit)) == expected; }))
      << ControlText(GetDlgItem(chooser, kFolderEdit));
  ClickControl(GetDlgItem(chooser, kChooserOk));

  HWND congratulations = setup.WaitForDialog("Congratulations");
  ASSERT_NE(nullptr, congratulations);
  for (int id : {kLaunch, kAutoStart, kDesktopIcon, kStartMenu})
    ClickControl(GetDlgItem(congratulations, id));
  for (int id : {kLaunch, kAutoStart, kDesktopIcon, kStartMenu})
    EXPECT_EQ(BST_UNCHECKED, SendDlgItemMessageA(congratulations, id, BM_GETCHECK, 0, 0)) << id;
  ClickControl(GetDlgItem(congratulations, kFinishButton));
  EXPECT_EQ(0u, setup.WaitForExit());

  EXPECT_EQ("an older screen saver", ReadBytes(SystemSaverPath()));
  EXPECT_TRUE(FileExists(expected + "\\Lumora.scr"));
  EXPECT_TRUE(FileExists(expected + "\\Lumora.exe"));
  std::string value;
  EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", &value));
  EXPECT_EQ(expected, value);
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\Kordax.lnk"));
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk"));
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk"));
  EXPECT_EQ(nullptr,
            OtherProcessWindow("Lumora Settings", expected + "\\Lumora.exe", 1500).window());
  std::error_code ec;
  fs::remove_all(parent, ec);
}

TEST_F(SetupE2ETest, ExitEscapeAndCancelEndQuietlyWithNothingWritten) {
  {
    SetupProcess setup(dir.path());
    HWND main = setup.WaitForDialog("Setup");
    ASSERT_NE(nullptr, main);
    ClickControl(GetDlgItem(main, kAboutButton));
    HWND about = setup.WaitForDialog("About");
    ASSERT_NE(nullptr, about);
    EXPECT_EQ("Vantiro Setup program", ControlText(GetDlgItem(about, IDC_ABOUT_PRODUCT)));
    EXPECT_EQ("Version 1.1", ControlText(GetDlgItem(about, IDC_ABOUT_VERSION)));
    ClickControl(GetDlgItem(about, IDC_ABOUT_OK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
    ClickControl(GetDlgItem(main, kExitButton));
    EXPECT_EQ(0u, setup.WaitForExit());
  }
  {
    SetupProcess setup(dir.path());
    HWND main = setup.WaitForDialog("Setup");
    ASSERT_NE(nullptr, main);
    POINT p = ControlCentre(GetDlgItem(main, kProgress));
    ClickAt(p.x, p.y - 30);  // the dialog's face: it takes the keyboard
    PressKey(VK_ESCAPE);
    EXPECT_EQ(0u, setup.WaitForExit());
  }
  {
    SetupProcess setup(dir.path());
    HWND chooser = setup.ClickInstall();
    ASSERT_NE(nullptr, chooser);
    ClickControl(GetDlgItem(chooser, kChooserCancel));
    EXPECT_EQ(0u, setup.WaitForExit());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Warning:"));
  }
  ExpectNothingWritten(dir.path());
}

TEST_F(SetupE2ETest, TruncatedPackageAndFlippedArchiveByteFailWithTheOneMessage) {
  std::string good = ReadBytes(BinFile("vantiro-setup.exe"));
  ASSERT_GT(good.size(), 100000u);
  TempDir work;
  std::string truncated = dir.File("truncated-setup.exe");
  WriteBytes(truncated, good.substr(0, good.size() - 100));
  std::string flipped = dir.File("flipped-setup.exe");
  std::string bytes = good;
  bytes[bytes.size() - 5000] ^= 0x01;  // inside the last member's stored data
  WriteBytes(flipped, bytes);

  for (const std::string &package : {truncated, flipped}) {
    SCOPED_TRACE(package);
    SetupProcess setup(work.path(), package);
    ASSERT_TRUE(setup.Started());
    ExpectInstallFails(setup, dir.File("Target"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".wcl"));
    EXPECT_FALSE(FileExists(SystemSaverPath()));
    EXPECT_TRUE(SetupTempFolders().empty());
    EXPECT_TRUE(fs::is_empty(work.path()));
  }
}

TEST_F(SetupE2ETest, ForeignLibraryReadOnlyFolderAndUnquotedCommandLine) {
  // Started from a read-only folder, by an unquoted path with blanks followed by arguments,
  // with a foreign "unrar.dll" beside the package, where a search by bare name looks first:
  // the package still installs, with its own library.
  std::string folder = HostPath(LUMORA_READONLY_FOLDER);
  HANDLE probe = CreateFileA((folder + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_EQ(INVALID_HANDLE_VALUE, probe) << "the folder must be read-only";
  std::string package = dir.File("Setup Files");
  ASSERT_TRUE(CreateDirectoryA(package.c_str(), nullptr));
  std::string foreign = package + "\\unrar.dll";
  WriteBytes(foreign, std::string("MZ a library of someone else's"));
  package += "\\vantiro-setup.exe";
  ASSERT_TRUE(CopyFileA(BinFile("vantiro-setup.exe").c_str(), package.c_str(), FALSE));

  std::string target = dir.File("Target");
  {
    SetupProcess setup(folder, package, package + " /unattended extra");
    ASSERT_TRUE(setup.Started());
    HWND congratulations = InstallTyped(setup, target);
    ASSERT_NE(nullptr, congratulations);
    // Escape acts like Finish with the options as they stand: here only the desktop icon.
    for (int id : {kLaunch, kAutoStart, kStartMenu}) ClickControl(GetDlgItem(congratulations, id));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(0u, setup.WaitForExit());
  }

  EXPECT_EQ(ReadBytes(Carried("Vantiro.exe")), ReadBytes(target + "\\Vantiro.exe"));
  EXPECT_EQ("MZ a library of someone else's", ReadBytes(foreign));
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_TRUE(SetupTempFolders().empty());
  EXPECT_TRUE(SamePath(target + "\\Vantiro.exe",
                       LinkTarget(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk")));
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk"));
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\Kordax.lnk"));
  EXPECT_EQ(nullptr, OtherProcessWindow("Lumora Settings", target + "\\Lumora.exe", 1500).window());
}

// "/S": no window at all, the default shortcuts, nothing started, and the exit code tells
// success from the failures the dialogs would report; "/D=" names the folder, blanks and all.
TEST_F(SetupE2ETest, SilentInstallIntoTheDefaultOrTheNamedFolder) {
  std::string good = BinFile("vantiro-setup.exe");
  std::string truncated = dir.File("truncated-setup.exe");
  std::string bytes = ReadBytes(good);
  WriteBytes(truncated, bytes.substr(0, bytes.size() - 100));
  std::string drive = dir.path().substr(0, 2);  // the default folder is on the current drive
  const struct {
    std::string package, arguments, folder;  // folder "": the installation must fail
  } cases[] = {
      {good, " /S /D=" + dir.File("Silent Target") + " ", dir.File("Silent Target")},
      {good, " /S", drive + "\\Vantiro"},
      {truncated, " /S /D=" + dir.File("Never"), ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.arguments);
    ForgetInstallation();
    SetupProcess setup(dir.path(), c.package, "\"" + c.package + "\"" + c.arguments);
    ASSERT_TRUE(setup.Started());
    EXPECT_EQ(nullptr, setup.WaitForDialog(nullptr, 1000));
    DWORD code = setup.WaitForExit();
    std::string value;
    if (c.folder.empty()) {
      EXPECT_NE(0u, code);
      EXPECT_NE(STILL_ACTIVE, code);
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel"));
      EXPECT_FALSE(FileExists(SystemSaverPath()));
      EXPECT_TRUE(SetupTempFolders().empty());
      continue;
    }
    EXPECT_EQ(0u, code);
    EXPECT_EQ(ReadBytes(Carried("Lumora.exe")), ReadBytes(c.folder + "\\Lumora.exe"));
    EXPECT_EQ(ReadBytes(Carried("Lumora.scr")), ReadBytes(SystemSaverPath()));
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", &value));
    EXPECT_TRUE(SamePath(c.folder, value)) << value;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, &value));
    EXPECT_EQ("\"" + c.folder + "\\Vantiro.exe\" \"%1\"", value);
    std::string programs = ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\";
    EXPECT_TRUE(SamePath(c.folder + "\\Lumora.exe", LinkTarget(programs + "Lumora.lnk")));
    EXPECT_TRUE(SamePath(c.folder + "\\Vantiro.exe",
                         LinkTarget(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk")));
    EXPECT_TRUE(SamePath(c.folder + "\\Vantiro.exe",
                         LinkTarget(ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk")));
    EXPECT_EQ(nullptr,
              OtherProcessWindow("Lumora Settings", c.folder + "\\Lumora.exe", 1000).window());
    EXPECT_TRUE(SetupTempFolders().empty());
    std::error_code ec;
    if (c.folder.find(dir.path()) != 0) fs::remove_all(c.folder, ec);
  }
}

std::string UninstallerList() {
  DWORD code = 0;
  return RunToEnd("uninstaller.exe --list", &code);
}

// Uninstalling through Wine's list of installed programs (asking first) and by the quiet
// command: exactly what the installation made goes, what is not its own stays, a failure to
// remove is reported while the rest still goes, and a new installation works afterwards.
TEST_F(SetupE2ETest, UninstallRemovesWhatTheInstallationMadeAndReinstallWorks) {
  const std::string target = dir.File("Uninstall Target");
  const std::string settings = "SOFTWARE\\Ostrel\\Lumora";
  enum How { kListYes, kListNo, kQuiet };
  const struct {
    How how;
    bool foreignSaver, foreignAssociation, userFile;
  } cases[] = {
      {kListYes, false, false, false},
      {kListNo, false, false, false},
      {kQuiet, true, true, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(int(c.how));
    ForgetInstallation();
    if (c.foreignSaver) WriteBytes(SystemSaverPath(), std::string("someone else's saver"));
    {
      SetupProcess setup(dir.path(), "",
                         "\"" + BinFile("vantiro-setup.exe") + "\" /S /D=" + target);
      ASSERT_EQ(0u, setup.WaitForExit());
    }
    EXPECT_NE(std::string::npos, UninstallerList().find("Vantiro|||Vantiro"));
    std::string quiet;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "QuietUninstallString", &quiet));
    EXPECT_EQ("\"" + target + "\\Uninstall.exe\" /uninstall /S", quiet);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, settings.c_str(), &key));
    RegCloseKey(key);
    std::string list = dir.File("my list.wcl");
    WriteBytes(list, std::string("centred=C:\\nothing.bmp\r\n"));
    if (c.foreignAssociation)
      RegSetValueA(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", REG_SZ,
                   "\"C:\\Other\\Viewer.exe\" \"%1\"", 0);
    if (c.userFile) WriteBytes(target + "\\notes.txt", std::string("mine"));

    size_t copies = SetupTempFolders("vantiro-uninstall-*").size();
    DWORD code = 0;
    if (c.how == kQuiet) {
      RunToEnd(quiet, &code);
      EXPECT_EQ(0u, code);
    } else {
      std::thread remove([&] { RunToEnd("uninstaller.exe --remove Vantiro", &code, 60000); });
      HWND ask = WaitForWindow("Vantiro Uninstall", 10000);
      EXPECT_NE(nullptr, ask);
      if (ask) ClickControl(GetDlgItem(ask, c.how == kListYes ? IDYES : IDNO));
      remove.join();
    }
    if (c.how == kListNo) {  // the uninstaller has ended without starting its copy
      EXPECT_EQ(copies, SetupTempFolders("vantiro-uninstall-*").size());
      EXPECT_TRUE(FileExists(target + "\\Uninstall.exe"));
      EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
      EXPECT_TRUE(FileExists(SystemSaverPath()));
      continue;
    }
    // The copy in the temporary folder does the work after the uninstaller has ended.
    EXPECT_TRUE(WaitFor([&] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }, 20000));
    EXPECT_EQ(copies + 1, SetupTempFolders("vantiro-uninstall-*").size());
    for (const char *name : {"Lumora.exe", "Lumora.scr", "Vantiro.exe", "Uninstall.exe"})
      EXPECT_FALSE(FileExists(target + "\\" + name)) << name;
    EXPECT_EQ(c.userFile, fs::exists(target));
    EXPECT_EQ(c.foreignSaver, FileExists(SystemSaverPath()));
    EXPECT_EQ(c.foreignAssociation, KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
    EXPECT_EQ(c.foreignAssociation, KeyExists(HKEY_CLASSES_ROOT, ".wcl"));
    std::string value;
    EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", &value));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, settings.c_str()));
    EXPECT_TRUE(FileExists(list));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\Lumora.lnk"));
    EXPECT_FALSE(fs::exists(ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk"));
    EXPECT_EQ(std::string::npos, UninstallerList().find("Vantiro|||Vantiro"));
    if (c.userFile) fs::remove(target + "\\notes.txt");
  }

  // Installing again after an uninstallation.
  ForgetInstallation();
  SetupProcess setup(dir.path(), "", "\"" + BinFile("vantiro-setup.exe") + "\" /S /D=" + target);
  EXPECT_EQ(0u, setup.WaitForExit());
  EXPECT_EQ(ReadBytes(Carried("Vantiro.exe")), ReadBytes(target + "\\Vantiro.exe"));
  EXPECT_TRUE(FileExists(target + "\\Uninstall.exe"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
}

// A folder made beforehand by someone else, holding their own Uninstall.exe and Vantiro.exe
// (which everyone may write), and a folder whose parent is missing: the installation's files
// are new files of ours, and nobody else may change them or their folders.
TEST_F(SetupE2ETest, StrangersFolderAndMissingParentGetNewFilesOfOurs) {
  const std::string premade = dir.File("Premade"), nested = dir.File("Apps\\Vantiro");
  ASSERT_TRUE(CreateDirectoryA(premade.c_str(), nullptr));
  for (const char *name : {"Uninstall.exe", "Vantiro.exe"}) {
    WriteBytes(premade + "\\" + name, std::string("a stranger's program"));
    ASSERT_TRUE(SetAccessList(premade + "\\" + name, "D:P(A;;FA;;;WD)"));
  }
  for (const std::string &target : {premade, nested}) {
    SCOPED_TRACE(target);
    ForgetInstallation();
    ASSERT_EQ(0u, InstallQuietly(target));
    EXPECT_EQ(ReadBytes(Carried("Vantiro.exe")), ReadBytes(target + "\\Vantiro.exe"));
    EXPECT_NE("a stranger's program", ReadBytes(target + "\\Uninstall.exe"));
    for (const char *name : {"Uninstall.exe", "Vantiro.exe", "Lumora.exe"})
      ExpectOnlyTrustedWriters(target + "\\" + name);
    ExpectOnlyTrustedWriters(target);
  }
  ExpectOnlyTrustedWriters(dir.File("Apps"));
}

// The package, and a copy of the uninstaller outside the installation, each beside files named
// like the programs: "/uninstall /S" fails and changes nothing, there or in the installation.
TEST_F(SetupE2ETest, UninstallFromElsewhereChangesNothing) {
  const std::string target = dir.File("Installed");
  ASSERT_EQ(0u, InstallQuietly(target));
  const std::string downloads = dir.File("Downloads"), elsewhere = dir.File("Elsewhere");
  for (const std::string &folder : {downloads, elsewhere}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const char *name : {"Lumora.exe", "Vantiro.exe", "Uninstall.exe"})
      WriteBytes(folder + "\\" + name, std::string("someone's file"));
  }
  ASSERT_TRUE(CopyFileA(BinFile("vantiro-setup.exe").c_str(),
                        (downloads + "\\vantiro-setup.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((target + "\\Uninstall.exe").c_str(),
                        (elsewhere + "\\Uninstall.exe").c_str(), FALSE));
  const size_t copies = SetupTempFolders("vantiro-uninstall-*").size();
  for (const std::string &program :
       {downloads + "\\vantiro-setup.exe", elsewhere + "\\Uninstall.exe"}) {
    SCOPED_TRACE(program);
    DWORD code = 0;
    RunToEnd("\"" + program + "\" /uninstall /S", &code);
    EXPECT_EQ(1u, code);
    const std::string beside = program.substr(0, program.find_last_of('\\'));
    for (const char *name : {"Lumora.exe", "Vantiro.exe"})
      EXPECT_EQ("someone's file", ReadBytes(beside + "\\" + name)) << name;
    EXPECT_EQ(copies, SetupTempFolders("vantiro-uninstall-*").size());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
    EXPECT_TRUE(FileExists(SystemSaverPath()));
    for (const char *name : {"Lumora.exe", "Vantiro.exe", "Uninstall.exe"})
      EXPECT_TRUE(FileExists(target + "\\" + name)) << name;
  }
  // Without /S the package says why it does nothing.
  const std::string package = downloads + "\\vantiro-setup.exe";
  SetupProcess setup(dir.path(), package, "\"" + package + "\" /uninstall");
  HWND box = setup.WaitForDialog("Vantiro Uninstall");
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("This uninstaller does not belong to the installed Vantiro. Nothing has been changed.",
            MessageBoxText(box));
  ClickControl(GetDlgItem(box, IDOK));
  EXPECT_EQ(1u, setup.WaitForExit());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
}

// Installed twice into a folder given with a trailing separator: the folder is written down
// without it, the saver's record survives the second installation, and the uninstallation
// then removes the saver, the association and "InstallDir".
TEST_F(SetupE2ETest, ReinstallWithATrailingSeparatorThenUninstallLeavesNothing) {
  const std::string target = dir.File("Twice");
  for (int round = 0; round < 2; round++) {
    SCOPED_TRACE(round);
    ASSERT_EQ(0u, InstallQuietly(target + "\\"));
    std::string value;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "InstallLocation", &value));
    EXPECT_EQ(target, value);
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr, &value));
    EXPECT_EQ("\"" + target + "\\Vantiro.exe\" \"%1\"", value);
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "SaverPath", &value));
    EXPECT_TRUE(SamePath(SystemSaverPath(), value)) << value;
    EXPECT_FALSE(FileExists(target + "\\Lumora.scr"));
  }
  EXPECT_EQ(0u, UninstallQuietly());
  EXPECT_TRUE(WaitFor([&] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }, 20000));
  EXPECT_FALSE(FileExists(SystemSaverPath()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".wcl"));
  std::string value;
  EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", &value));
  EXPECT_FALSE(fs::exists(target));
}

// The viewer running from the installation during the uninstallation: it stays, and so do
// the uninstaller and its key; once the viewer has ended, a second uninstallation finishes.
TEST_F(SetupE2ETest, RunningViewerKeepsTheUninstallerForASecondRun) {
  const std::string target = dir.File("Busy");
  ASSERT_EQ(0u, InstallQuietly(target));
  {
    SetupProcess viewer(dir.path(), target + "\\Lumora.exe");
    ASSERT_TRUE(viewer.Started());
    ASSERT_NE(nullptr, viewer.WaitForDialog("Lumora Settings"));
    EXPECT_EQ(0u, UninstallQuietly());
    EXPECT_TRUE(FileExists(target + "\\Lumora.exe"));
    EXPECT_FALSE(FileExists(target + "\\Vantiro.exe"));
    EXPECT_TRUE(FileExists(target + "\\Uninstall.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
  }  // the viewer ends
  EXPECT_EQ(0u, UninstallQuietly());
  EXPECT_TRUE(WaitFor([&] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }, 20000));
  EXPECT_FALSE(fs::exists(target));
}

// The package installed quietly into "C:\Программы\Vantiro" while the temporary folder lies
// under a profile named "Пользователь": every program, registry text and shortcut names the
// folder as it is, Vantiro.exe starts the viewer there, nothing stays in the temporary folder,
// and the quiet uninstall (its copy run from that temporary folder) removes it all.
TEST_F(SetupE2ETest, NamesBeyondTheAnsiCodePageInstallAndUninstall) {
  const std::string programs = kProgramsFolder, target = programs + "\\Vantiro";
  const std::string profile = JoinPath(dir.path(), kProfileName);
  const std::string temp = JoinPath(profile, "Temp");
  RemoveNamedTree(programs);
  ASSERT_TRUE(CreateFolder(profile.c_str()));
  ASSERT_TRUE(CreateFolder(temp.c_str()));
  {
    NamedTempFolder named(temp);
    ASSERT_EQ(0u, InstallQuietly(target));
    EXPECT_TRUE(NamesIn(temp, "*").empty());
    for (const char *name : {"Lumora.exe", "Vantiro.exe"})
      EXPECT_EQ(ReadBytes(Carried(name)), ReadNamed(target + "\\" + name)) << name;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, PathAttributes((target + "\\Uninstall.exe").c_str()));
    const struct {
      HKEY root;
      const char *key, *name;
      std::string expected;
    } texts[] = {
        {HKEY_CURRENT_USER, "SOFTWARE\\Ostrel", "InstallDir", target},
        {HKEY_CLASSES_ROOT, "*wclfile\\Shell\\open\\command", nullptr,
         "\"" + target + "\\Vantiro.exe\" \"%1\""},
        {HKEY_LOCAL_MACHINE, kUninstallKeyPath, "InstallLocation", target},
        {HKEY_LOCAL_MACHINE, kUninstallKeyPath, "DisplayIcon", target + "\\Vantiro.exe,0"},
        {HKEY_LOCAL_MACHINE, kUninstallKeyPath, "QuietUninstallString",
         "\"" + target + "\\Uninstall.exe\" /uninstall /S"},
    };
    for (const auto &t : texts) {
      std::string value;
      EXPECT_TRUE(ReadString(t.root, t.key, t.name, &value)) << t.key;
      EXPECT_EQ(t.expected, value) << t.key;
    }
    const struct {
      std::string link;
      const char *program;
    } links[] = {
        {ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\Kordax.lnk", "Vantiro.exe"},
        {ShellFolder(CSIDL_PROGRAMS) + "\\Vantiro\\Lumora.lnk", "Lumora.exe"},
        {ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kordax.lnk", "Vantiro.exe"},
        {ShellFolder(CSIDL_STARTUP) + "\\Kordax.lnk", "Vantiro.exe"},
    };
    for (const auto &l : links)
      EXPECT_TRUE(SamePath(target + "\\" + l.program, LinkTarget(l.link))) << l.link;
    // Vantiro.exe starts the viewer from its own folder (its settings, as no list is given).
    // Wine's shell starts a link by the ANSI path it keeps beside the item list, so the
    // shortcut itself is not started here.
    {
      SetupProcess vantiro(dir.path(), target + "\\Vantiro.exe");
      EXPECT_TRUE(vantiro.Started());
      EXPECT_NE(nullptr, OtherProcessWindow("Lumora Settings", target + "\\Lumora.exe").window());
    }

    EXPECT_EQ(0u, UninstallQuietly());
    EXPECT_TRUE(WaitFor([&] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }, 20000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PathAttributes(target.c_str()));
    for (const auto &l : links) EXPECT_FALSE(FileExists(l.link)) << l.link;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*wclfile"));
    EXPECT_EQ(1u, NamesIn(temp, "vantiro-uninstall-*").size());
  }
  RemoveNamedTree(programs);
  RemoveNamedTree(profile);
}

}  // namespace

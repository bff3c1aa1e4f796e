// Scratch folders and whole-file helpers for tests, native and under Wine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  // A path inside the folder, joined with the platform's separator.
  std::string File(const std::string &name) const;

 private:
  std::string path_;
};

// Points the user's temporary folder (the TMP variable that GetTempPathA reads, natively and
// under Wine) at a folder for the object's lifetime.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const std::string &folder);
  ~TempFolderOverride();
  TempFolderOverride(const TempFolderOverride &) = delete;
  TempFolderOverride &operator=(const TempFolderOverride &) = delete;

 private:
  bool had_;
  std::string old_;
};

// The names of the entries of a folder, sorted.
std::vector<std::string> FileNames(const std::string &folder);

void WriteBytes(const std::string &path, const std::string &bytes);
void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes);
std::string ReadBytes(const std::string &path);
bool FileExists(const std::string &path);

#ifdef _WIN32
// True while a handle is open on the file, in this process or another: the readers share a
// picture for reading and writing but not for an exclusive open. Shows that a read is under way.
// A reader opening the file during the probe's own brief open fails: poll every few
// milliseconds, not faster.
bool FileInUse(const std::string &path);
// Polls FileInUse every few milliseconds until it holds (true) or ms have passed (false). A
// read may be missed, when it is over between two probes or its open met a probe: a test
// that needs one repeats what starts it.
bool WaitUntilInUse(const std::string &path, unsigned long ms);

// A link from `link` to the folder `target` as the system makes one: a Unix symbolic link
// under Wine (where CreateSymbolicLink makes none), a directory symbolic link elsewhere. And
// its removal, the link alone: a recursive delete would follow it (a loop never ends).
bool MakeFolderLink(const std::string &link, const std::string &target);
void RemoveFolderLink(const std::string &link);
#endif

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

void WriteBytes(const std::string &path, const std::string &bytes);
void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes);
std::string ReadBytes(const std::string &path);
bool FileExists(const std::string &path);

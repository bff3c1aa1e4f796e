// Builds the installer package on the build host, in three steps:
//   mkpackage archive OUT.rar NAME=FILE...     a RAR 2.x archive of the files, stored, in
//                                              this order, each under NAME (no folder part)
//   mkpackage sizes OUT.h LIBRARY ARCHIVE      the two piece lengths as C macros for the
//                                              setup program (rewritten only when changed)
//   mkpackage join OUT IMAGE LIBRARY ARCHIVE   the setup program image, the library image and
//                                              the archive, one after the other
// Exit status 0 on success, 1 with a message on standard error otherwise.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "rarstore.h"

namespace {

bool ReadFile(const std::string &path, std::vector<uint8_t> *data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
  out.close();
  return bool(out);
}

int Fail(const std::string &message) {
  fprintf(stderr, "mkpackage: %s\n", message.c_str());
  return 1;
}

// The piece lengths are 32-bit counts in the setup program.
const uint64_t kMaxPiece = 0x7FFFFFFF;

int Archive(int argc, char **argv) {
  std::vector<RarMember> members;
  for (int i = 3; i < argc; i++) {
    std::string arg = argv[i];
    size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) return Fail("expected NAME=FILE, got " + arg);
    RarMember m;
    m.name = arg.substr(0, eq);
    if (m.name.find_first_of("\\/:") != std::string::npos)
      return Fail("member names have no folder part: " + m.name);
    if (!ReadFile(arg.substr(eq + 1), &m.data)) return Fail("cannot read " + arg.substr(eq + 1));
    if (m.data.size() > kMaxPiece) return Fail(arg.substr(eq + 1) + " is too large");
    members.push_back(std::move(m));
  }
  if (members.empty()) return Fail("no members");
  std::vector<uint8_t> rar = BuildStoredRar(members);
  if (rar.size() > kMaxPiece) return Fail("archive too large");
  return WriteFile(argv[2], rar) ? 0 : Fail(std::string("cannot write ") + argv[2]);
}

int Sizes(char **argv) {
  std::vector<uint8_t> library, archive;
  if (!ReadFile(argv[3], &library) || library.empty())
    return Fail(std::string("cannot read ") + argv[3]);
  if (!ReadFile(argv[4], &archive) || archive.empty())
    return Fail(std::string("cannot read ") + argv[4]);
  if (library.size() + archive.size() > kMaxPiece) return Fail("payload too large");
  std::ostringstream text;
  text << "// Written by setup/package/mkpackage.cpp from the package's library and archive.\n"
       << "#pragma once\n"
       << "#define PACKAGE_LIBRARY_LENGTH " << library.size() << "u\n"
       << "#define PACKAGE_ARCHIVE_LENGTH " << archive.size() << "u\n";
  std::string s = text.str();
  std::vector<uint8_t> old;
  if (ReadFile(argv[2], &old) && std::string(old.begin(), old.end()) == s) return 0;
  return WriteFile(argv[2], std::vector<uint8_t>(s.begin(), s.end()))
             ? 0
             : Fail(std::string("cannot write ") + argv[2]);
}

int Join(char **argv) {
  std::vector<uint8_t> out, piece;
  for (int i = 3; i <= 5; i++) {
    if (!ReadFile(argv[i], &piece) || piece.empty())
      return Fail(std::string("cannot read ") + argv[i]);
    out.insert(out.end(), piece.begin(), piece.end());
  }
  return WriteFile(argv[2], out) ? 0 : Fail(std::string("cannot write ") + argv[2]);
}

}  // namespace

int main(int argc, char **argv) {
  std::string step = argc > 1 ? argv[1] : "";
  if (step == "archive" && argc >= 4) return Archive(argc, argv);
  if (step == "sizes" && argc == 5) return Sizes(argv);
  if (step == "join" && argc == 6) return Join(argv);
  fprintf(stderr,
          "usage: mkpackage archive OUT.rar NAME=FILE...\n"
          "       mkpackage sizes OUT.h LIBRARY ARCHIVE\n"
          "       mkpackage join OUT IMAGE LIBRARY ARCHIVE\n");
  return 2;
}

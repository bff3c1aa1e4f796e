// The UnRAR library that the installer carries: loaded at run time by its undecorated export
// names, it extracts a stored RAR archive and notices damaged data.
#include <gtest/gtest.h>
#include <windows.h>

#include "dll.hpp"
#include "rarstore.h"
#include "testfiles.h"

namespace {

typedef HANDLE(PASCAL *OpenProc)(RAROpenArchiveData *);
typedef int(PASCAL *CloseProc)(HANDLE);
typedef int(PASCAL *ReadHeaderProc)(HANDLE, RARHeaderData *);
typedef int(PASCAL *ProcessProc)(HANDLE, int, char *, char *);
typedef void(PASCAL *ChangeVolProc)(HANDLE, CHANGEVOLPROC);

class UnrarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dll = LoadLibraryA("unrar.dll");
    ASSERT_NE(nullptr, dll);
    open = (OpenProc)(void *)GetProcAddress(dll, "RAROpenArchive");
    close = (CloseProc)(void *)GetProcAddress(dll, "RARCloseArchive");
    readHeader = (ReadHeaderProc)(void *)GetProcAddress(dll, "RARReadHeader");
    process = (ProcessProc)(void *)GetProcAddress(dll, "RARProcessFile");
    changeVol = (ChangeVolProc)(void *)GetProcAddress(dll, "RARSetChangeVolProc");
    ASSERT_TRUE(open && close && readHeader && process && changeVol);
  }
  void TearDown() override {
    if (dll) FreeLibrary(dll);
  }

  // Extracts every member into the folder; returns the first failure or ERAR_END_ARCHIVE.
  int ExtractAll(const std::string &archive, const std::string &dest,
                 std::vector<std::string> *names) {
    RAROpenArchiveData data{};
    data.ArcName = const_cast<char *>(archive.c_str());
    data.OpenMode = RAR_OM_EXTRACT;
    HANDLE h = open(&data);
    if (!h) return (int)data.OpenResult;
    changeVol(h, nullptr);
    RARHeaderData header{};
    int result;
    while ((result = readHeader(h, &header)) == ERAR_SUCCESS) {
      names->push_back(header.FileName);
      result = process(h, RAR_EXTRACT, const_cast<char *>(dest.c_str()), nullptr);
      if (result != ERAR_SUCCESS) break;
    }
    close(h);
    return result;
  }

  HMODULE dll = nullptr;
  OpenProc open = nullptr;
  CloseProc close = nullptr;
  ReadHeaderProc readHeader = nullptr;
  ProcessProc process = nullptr;
  ChangeVolProc changeVol = nullptr;
  TempDir dir;
};

std::vector<uint8_t> Bytes(const std::string &s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST_F(UnrarTest, ExtractsAStoredArchive) {
  std::string big(100000, 'x');
  for (size_t i = 0; i < big.size(); i++) big[i] = char(i * 7 + i / 251);
  std::vector<uint8_t> rar = BuildStoredRar(
      {{"Lumora.exe", Bytes("MZ not really a program")}, {"docs\\readme.txt", Bytes(big)}});
  std::string archive = dir.File("payload.rar");
  WriteBytes(archive, rar);

  std::vector<std::string> names;
  EXPECT_EQ(ERAR_END_ARCHIVE, ExtractAll(archive, dir.path(), &names));
  EXPECT_EQ(names, (std::vector<std::string>{"Lumora.exe", "docs\\readme.txt"}));
  EXPECT_EQ("MZ not really a program", ReadBytes(dir.File("Lumora.exe")));
  EXPECT_EQ(big, ReadBytes(dir.File("docs\\readme.txt")));
}

TEST_F(UnrarTest, DamagedDataIsReported) {
  std::vector<uint8_t> rar = BuildStoredRar({{"a.txt", Bytes("hello, world")}});
  rar[rar.size() - 10] ^= 0x20;  // a byte of the stored data, before the end block
  std::string archive = dir.File("bad.rar");
  WriteBytes(archive, rar);
  std::vector<std::string> names;
  EXPECT_EQ(ERAR_BAD_DATA, ExtractAll(archive, dir.path(), &names));
}

TEST_F(UnrarTest, NotAnArchive) {
  std::string archive = dir.File("junk.rar");
  WriteBytes(archive, std::string("this is no archive at all"));
  std::vector<std::string> names;
  EXPECT_EQ(ERAR_BAD_ARCHIVE, ExtractAll(archive, dir.path(), &names));
  EXPECT_EQ(ERAR_EOPEN, ExtractAll(dir.File("missing.rar"), dir.path(), &names));
}

}  // namespace

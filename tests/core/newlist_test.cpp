// Building a new list from a picture selection: splitting the dialog's buffer, joining paths,
// the ".wcl" ending, the temporary file and the move into place, with the failure paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fileexists.h"
#include "imagelist.h"
#include "newlist.h"
#include "testfiles.h"

using namespace std::string_literals;

namespace {

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif

int Collect(const char *path, void *context) {
  static_cast<std::vector<std::string> *>(context)->push_back(path);
  return 1;
}

std::vector<std::string> Split(const std::string &buffer, size_t offset,
                               NewListResult expect = kNewListWritten) {
  std::vector<std::string> paths;
  std::string bad;
  EXPECT_EQ(expect,
            ForEachSelectedPicture(buffer.data(), buffer.size(), offset, Collect, &paths, &bad));
  return paths;
}

TEST(NewListSelection, OnePathOrFolderAndNames) {
  EXPECT_EQ(std::vector<std::string>{"C:\\Pics\\a.bmp"}, Split("C:\\Pics\\a.bmp\0\0"s, 8));
  EXPECT_EQ((std::vector<std::string>{"C:\\Pics\\a.bmp", "C:\\Pics\\b.gif", "C:\\Pics\\c.jpg"}),
            Split("C:\\Pics\0a.bmp\0b.gif\0c.jpg\0\0"s, 8));
  // A drive's root folder already ends in a backslash: the joined paths keep both.
  EXPECT_EQ((std::vector<std::string>{"C:\\\\a.bmp", "C:\\\\b.bmp"}),
            Split("C:\\\0a.bmp\0b.bmp\0\0"s, 4));
}

TEST(NewListSelection, NeverReadsPastTheBuffer) {
  // No NUL at all, a name left unended at the end, no empty name: nothing beyond the bytes.
  EXPECT_TRUE(Split("C:\\Pics\\a.bmp"s, 3).empty());
  EXPECT_EQ(std::vector<std::string>{"C:\\P\\a.bmp"}, Split("C:\\P\0a.bmp\0b.gi"s, 4));
  EXPECT_EQ(std::vector<std::string>{"C:\\P\\a.bmp"}, Split("C:\\P\0a.bmp\0"s, 4));
  EXPECT_TRUE(Split(""s, 0).empty());
}

// The limit is the wide calls' 32,767 UTF-16 units, counted as UTF-16: a name of 4-byte
// UTF-8 characters counts two units for each, a Cyrillic one one unit for two bytes.
TEST(NewListSelection, JoinedPathOverTheLongestPathIsRefusedNamingThePicture) {
  const std::string folder = "C:\\" + std::string(300, 'f');
  const size_t room = kJoinedPathMax - folder.size() - 1;
  const struct {
    std::string name;
    bool fits;
  } cases[] = {
      {std::string(room, 'n'), true},
      {std::string(room + 1, 'n'), false},
      {[&] {
         std::string cyrillic;
         for (size_t i = 0; i < room; i++) cyrillic += "\xD0\xB6";  // U+0436
         return cyrillic;
       }(),
       true},
      {[&] {
         std::string emoji;
         for (size_t i = 0; i < room / 2 + 1; i++) emoji += "\xF0\x9F\x93\xB7";  // U+1F4F7
         return emoji;
       }(),
       false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name.size());
    std::string joined = "x";
    EXPECT_EQ(c.fits, JoinPicturePath(&joined, folder.c_str(), c.name.c_str()));
    EXPECT_EQ(c.fits ? folder + "\\" + c.name : "", joined);

    const std::string buffer = folder + '\0' + "ok.bmp" + '\0' + c.name + '\0' + '\0';
    std::vector<std::string> paths;
    std::string bad;
    EXPECT_EQ(c.fits ? kNewListWritten : kNewListPathTooLong,
              ForEachSelectedPicture(buffer.data(), buffer.size(), folder.size() + 1, Collect,
                                     &paths, &bad));
    EXPECT_EQ(c.fits ? "" : c.name, bad);
    EXPECT_EQ(c.fits ? 2u : 1u, paths.size());
  }
}

// The wide dialog's selection in UTF-8: one full path, or the folder and names with the names'
// offset moved to where they start in UTF-8; nothing past the buffer.
TEST(NewListSelection, WideSelectionBecomesUtf8) {
  const struct {
    std::wstring buffer;
    size_t offset;
    std::string utf8;
    size_t utf8Offset;
  } cases[] = {
      {L"C:\\\x0424\x043E\x0442\x043E\\a.bmp\0\0"s, 7,
       "C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\\a.bmp\0\0"s, 0},
      {L"C:\\\x6771\0\xD83D\xDCF7.jpg\0b.gif\0\0"s, 5,
       "C:\\\xE6\x9D\xB1\0\xF0\x9F\x93\xB7.jpg\0b.gif\0\0"s, 7},
      {L"C:\\P\0a.bmp\0b.gi"s, 5, "C:\\P\0a.bmp\0"s, 5},
      {L"no end"s, 0, ""s, 0},
  };
  for (const auto &c : cases) {
    size_t offset = 99;
    EXPECT_EQ(c.utf8, Utf8Selection(c.buffer.data(), c.buffer.size(), c.offset, &offset));
    EXPECT_EQ(c.utf8Offset, offset);
  }
  size_t offset;
  const std::string utf8 = Utf8Selection(L"C:\\\x0424\0\x00E9.bmp\0\0", 12, 4, &offset);
  EXPECT_EQ(std::vector<std::string>{"C:\\\xD0\xA4\\\xC3\xA9.bmp"}, Split(utf8, offset));
}

TEST(NewListExtension, AppendedUnlessPresentAndOnlyWhenItFits) {
  const std::string full = "C:\\" + std::string(kJoinedPathMax - 6, 'n');
  const struct {
    std::string name, result;
    bool fits;
  } cases[] = {
      {"C:\\L\\mylist", "C:\\L\\mylist.wcl", true},
      {"C:\\L\\A.WCL", "C:\\L\\A.WCL", true},
      {"C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", "C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE.wcl", true},
      {std::string(300, 'x'), std::string(300, 'x') + ".wcl", true},
      {full, full, false},
  };
  for (const auto &c : cases) {
    std::string name = c.name;
    EXPECT_EQ(c.fits, EnsureListExtension(&name));
    EXPECT_EQ(c.result, name);
  }
}

class NewListFiles : public ::testing::Test {
 protected:
  TempDir dir;
  std::string temp = dir.File("TEMP.WCL"), target = dir.File("mylist.wcl");
  std::vector<std::string> asked;

  static int Answer(const char *path, void *context) {
    auto *self = static_cast<NewListFiles *>(context);
    self->asked.push_back(path);
    return self->answer;
  }
  int answer = 1;

  NewListResult Write(const std::string &buffer, size_t offset) {
    std::string bad;
    return WriteSelectionList(temp.c_str(), buffer.data(), buffer.size(), offset, &bad);
  }
  NewListResult Move() { return MoveListIntoPlace(temp.c_str(), target.c_str(), Answer, this); }
};

TEST_F(NewListFiles, ThreePicturesReadBackInReverse) {
  ASSERT_EQ(kNewListWritten, Write("C:\\Pics\0a.bmp\0b.gif\0c.jpg\0\0"s, 8));
  EXPECT_EQ("centred=C:\\Pics\\a.bmp\r\ncentred=C:\\Pics\\b.gif\r\ncentred=C:\\Pics\\c.jpg\r\n",
            ReadBytes(temp));
  ASSERT_EQ(kNewListWritten, Move());
  EXPECT_TRUE(asked.empty());
  EXPECT_FALSE(FileExists(temp));
  ImageList list{};
  ASSERT_EQ(1, LoadImageList(target.c_str(), &list, AddListEntry));
  ASSERT_EQ(3, list.count);
  EXPECT_STREQ("C:\\Pics\\c.jpg", list.first->path);
  FreeImageList(&list);
}

// Plain ASCII paths are written as always; any other name puts the byte order mark first, and
// the list reads back the same names.
TEST_F(NewListFiles, NamesBeyondAsciiAreWrittenAsUtf8WithTheMark) {
  const std::string folder = "C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7";
  const std::string name = "\xE6\x9D\xB1\xE4\xBA\xAC 2024.jpg";
  ASSERT_EQ(kNewListWritten,
            Write(folder + '\0' + name + '\0' + "a.bmp" + '\0' + '\0', folder.size() + 1));
  EXPECT_EQ(
      "\xEF\xBB\xBF"
      "centred=" +
          folder + "\\" + name + "\r\ncentred=" + folder + "\\a.bmp\r\n",
      ReadBytes(temp));
  ImageList list{};
  ASSERT_EQ(1, LoadImageList(temp.c_str(), &list, AddListEntry));
  ASSERT_EQ(2, list.count);
  EXPECT_EQ(folder + "\\" + name, list.last->path);
  FreeImageList(&list);
}

TEST_F(NewListFiles, OldTemporaryListIsEmptiedFirst) {
  WriteBytes(temp, "centred=old\r\n"s + std::string(100, 'x'));
  ASSERT_EQ(kNewListWritten, Write("D:\\one.pcx\0"s, 3));
  EXPECT_EQ("centred=D:\\one.pcx\r\n", ReadBytes(temp));
}

TEST_F(NewListFiles, TooLongPathLeavesNoTemporaryFile) {
  std::string buffer =
      "C:\\"s + std::string(kJoinedPathMax - 5, 'f') + '\0' + "picture.bmp" + '\0' + '\0';
  EXPECT_EQ(kNewListPathTooLong, Write(buffer, kJoinedPathMax - 1));
  EXPECT_FALSE(FileExists(temp));
}

TEST_F(NewListFiles, CreateFailureIsReported) {
  temp = dir.File("missing") + kSep + "TEMP.WCL";
  EXPECT_EQ(kNewListCreateFailed, Write("C:\\a.bmp\0"s, 3));
}

TEST_F(NewListFiles, OverwriteOnlyWhenConfirmed) {
  WriteBytes(target, "centred=C:\\keep.bmp\r\n");
  ASSERT_EQ(kNewListWritten, Write("C:\\new.bmp\0"s, 3));
  answer = 0;
  EXPECT_EQ(kNewListDeclined, Move());
  EXPECT_EQ(std::vector<std::string>{target}, asked);
  EXPECT_EQ("centred=C:\\keep.bmp\r\n", ReadBytes(target));
  EXPECT_FALSE(FileExists(temp)) << "a refused overwrite leaves no temporary list";

  ASSERT_EQ(kNewListWritten, Write("C:\\new.bmp\0"s, 3));
  answer = 1;
  EXPECT_EQ(kNewListWritten, Move());
  EXPECT_EQ("centred=C:\\new.bmp\r\n", ReadBytes(target));
  EXPECT_FALSE(FileExists(temp));
}

TEST_F(NewListFiles, MoveFailureIsReportedAndCleansUp) {
  ASSERT_EQ(kNewListWritten, Write("C:\\new.bmp\0"s, 3));
  target = dir.File("no-such-folder") + kSep + "list.wcl";
  EXPECT_EQ(kNewListMoveFailed, Move());
  EXPECT_FALSE(FileExists(temp));
  EXPECT_FALSE(FileExists(target));
}

// Lists under deep folders: OpenFile's record holds only 128 characters of path, and existence
// must not depend on it, neither for Start/Ok nor for the question before an overwrite.
TEST_F(NewListFiles, LongTargetPathsAreFoundAndReplaced) {
  for (size_t length : {127u, 128u, 250u}) {
    SCOPED_TRACE(length);
    const std::string name = "list.wcl";
    const size_t padding = length - dir.path().size() - 2 - name.size();
    ASSERT_LT(padding, 256u) << "the scratch folder's path is too long for this test";
    const std::string folder = dir.File(std::string(padding, 'd'));
    std::filesystem::create_directory(folder);
    target = folder + kSep + name;
    ASSERT_EQ(length, target.size());
    WriteBytes(target, "centred=C:\\old.bmp\r\n");
    EXPECT_TRUE(::FileExists(target.c_str()));
    EXPECT_FALSE(::FileExists(folder.c_str())) << "a folder is no list";

    ASSERT_EQ(kNewListWritten, Write("C:\\new.bmp\0"s, 3));
    asked.clear();
    EXPECT_EQ(kNewListWritten, Move());
    EXPECT_EQ(std::vector<std::string>{target}, asked) << "the overwrite is asked for";
    EXPECT_EQ("centred=C:\\new.bmp\r\n", ReadBytes(target));
  }
}

// A replace that fails loses neither list: the old one is unchanged and the new one is kept
// under its temporary name.
TEST_F(NewListFiles, FailedReplaceKeepsBothLists) {
  enum Hold { kReadOnly, kOpenWithoutDeleteSharing };
#ifdef _WIN32
  const Hold holds[] = {kOpenWithoutDeleteSharing};  // Wine replaces a read-only file
#else
  const Hold holds[] = {kReadOnly};  // the stand-in, as Windows, refuses to
#endif
  for (Hold hold : holds) {
    SCOPED_TRACE(hold);
    WriteBytes(target, "centred=C:\\keep.bmp\r\n");
    ASSERT_EQ(kNewListWritten, Write("C:\\new.bmp\0"s, 3));
    namespace fs = std::filesystem;
#ifdef _WIN32
    HANDLE held = INVALID_HANDLE_VALUE;
    if (hold == kOpenWithoutDeleteSharing)
      held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
#endif
    if (hold == kReadOnly)
      fs::permissions(target, fs::perms::owner_write, fs::perm_options::remove);

    EXPECT_EQ(kNewListReplaceFailed, Move());
    EXPECT_EQ("centred=C:\\keep.bmp\r\n", ReadBytes(target));
    EXPECT_EQ("centred=C:\\new.bmp\r\n", ReadBytes(temp));

#ifdef _WIN32
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
#endif
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
  }
}

TEST(NewListTemporary, UniqueEmptyFileBesideTheTarget) {
  TempDir dir;
  const std::string target = dir.File("my list.wcl");
  const std::string first = TemporaryListPath(target.c_str());
  const std::string second = TemporaryListPath(target.c_str());
  ASSERT_NE("", first);
  ASSERT_NE("", second);
  EXPECT_NE(first, second);
  EXPECT_EQ(2u, FileNames(dir.path()).size()) << "both made, in the target's folder";
  EXPECT_EQ("", ReadBytes(first));

  EXPECT_EQ("", TemporaryListPath("list.wcl")) << "no folder part";
  const std::string nowhere = dir.File("missing") + kSep + "list.wcl";
  EXPECT_EQ("", TemporaryListPath(nowhere.c_str()));
  EXPECT_EQ(2u, FileNames(dir.path()).size());
}

}  // namespace

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

std::vector<std::string> Split(const std::string &buffer, WORD offset,
                               NewListResult expect = kNewListWritten) {
  std::vector<std::string> paths;
  char bad[64];
  EXPECT_EQ(expect, ForEachSelectedPicture(buffer.data(), buffer.size(), offset, Collect, &paths,
                                           bad, sizeof bad));
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

TEST(NewListSelection, JoinedPathOver255IsRefusedNamingThePicture) {
  std::string folder = "C:\\" + std::string(200, 'f');
  std::string fits(255 - folder.size() - 1, 'n'), tooLong = fits + "x";
  char joined[256];
  EXPECT_EQ(1, JoinPicturePath(joined, sizeof joined, folder.c_str(), fits.c_str()));
  EXPECT_EQ(255u, strlen(joined));
  EXPECT_EQ(0, JoinPicturePath(joined, sizeof joined, folder.c_str(), tooLong.c_str()));
  EXPECT_STREQ("", joined);

  std::string buffer = folder + '\0' + "ok.bmp" + '\0' + tooLong + '\0' + '\0';
  std::vector<std::string> paths;
  char bad[300];
  EXPECT_EQ(kNewListPathTooLong,
            ForEachSelectedPicture(buffer.data(), buffer.size(), (WORD)(folder.size() + 1), Collect,
                                   &paths, bad, sizeof bad));
  EXPECT_EQ(tooLong, bad);
  char small[8];
  ForEachSelectedPicture(buffer.data(), buffer.size(), (WORD)(folder.size() + 1), Collect, &paths,
                         small, sizeof small);
  EXPECT_EQ(tooLong.substr(0, 7), small) << "the name is cut to its buffer";
}

TEST(NewListExtension, AppendedUnlessPresentAndOnlyWhenItFits) {
  char name[16] = "C:\\L\\mylist";
  EXPECT_EQ(1, EnsureListExtension(name, sizeof name));
  EXPECT_STREQ("C:\\L\\mylist.wcl", name);
  char upper[16] = "C:\\L\\A.WCL";
  EXPECT_EQ(1, EnsureListExtension(upper, sizeof upper));
  EXPECT_STREQ("C:\\L\\A.WCL", upper);
  char full[16] = "C:\\L\\abcdefghi";  // 14 characters: ".wcl" would need 19 bytes
  EXPECT_EQ(0, EnsureListExtension(full, sizeof full));
  EXPECT_STREQ("C:\\L\\abcdefghi", full);
  char tiny[4] = {'w', 'c', 'l', 'x'};  // no NUL inside the buffer
  EXPECT_EQ(0, EnsureListExtension(tiny, sizeof tiny));
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

  NewListResult Write(const std::string &buffer, WORD offset) {
    char bad[64];
    return WriteSelectionList(temp.c_str(), buffer.data(), buffer.size(), offset, bad, sizeof bad);
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

TEST_F(NewListFiles, OldTemporaryListIsEmptiedFirst) {
  WriteBytes(temp, "centred=old\r\n"s + std::string(100, 'x'));
  ASSERT_EQ(kNewListWritten, Write("D:\\one.pcx\0"s, 3));
  EXPECT_EQ("centred=D:\\one.pcx\r\n", ReadBytes(temp));
}

TEST_F(NewListFiles, TooLongPathLeavesNoTemporaryFile) {
  std::string buffer = "C:\\"s + std::string(250, 'f') + '\0' + "picture.bmp" + '\0' + '\0';
  EXPECT_EQ(kNewListPathTooLong, Write(buffer, 254));
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
  char first[MAX_PATH], second[MAX_PATH];
  ASSERT_EQ(1, TemporaryListPath(target.c_str(), first, sizeof first));
  ASSERT_EQ(1, TemporaryListPath(target.c_str(), second, sizeof second));
  EXPECT_STRNE(first, second);
  EXPECT_EQ(2u, FileNames(dir.path()).size()) << "both made, in the target's folder";
  EXPECT_EQ("", ReadBytes(first));

  char path[MAX_PATH] = "x";
  EXPECT_EQ(0, TemporaryListPath("list.wcl", path, sizeof path)) << "no folder part";
  EXPECT_STREQ("", path);
  const std::string nowhere = dir.File("missing") + kSep + "list.wcl";
  EXPECT_EQ(0, TemporaryListPath(nowhere.c_str(), path, sizeof path));
  char small[8];
  EXPECT_EQ(0, TemporaryListPath(target.c_str(), small, sizeof small));
  EXPECT_EQ(2u, FileNames(dir.path()).size());
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imagelist.h"
#include "random.h"
#include "testfiles.h"

using namespace std::string_literals;

namespace {

struct Item {
  std::string path;
  PlacementMode mode;
  bool operator==(const Item &o) const { return path == o.path && mode == o.mode; }
};

std::ostream &operator<<(std::ostream &os, const Item &i) {
  return os << "{\"" << i.path << "\", " << i.mode << "}";
}

// The entries from first to last, after checking the links both ways and the count.
std::vector<Item> Walk(const ImageList &list) {
  std::vector<Item> items;
  const ListEntry *prev = nullptr;
  for (const ListEntry *e = list.first; e; e = e->next) {
    EXPECT_EQ(prev, e->prev);
    items.push_back({e->path, e->mode});
    prev = e;
  }
  EXPECT_EQ(prev, list.last);
  EXPECT_EQ((size_t)list.count, items.size());
  return items;
}

void MakeReadOnly(const std::string &file) {
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
#else
  namespace fs = std::filesystem;
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
#endif
}

class ImageListTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeImageList(&list);
    SetRandomClock(nullptr);
  }

  int Load(const std::string &bytes) {
    std::string file = dir.File("list.wcl");
    WriteBytes(file, bytes);
    return LoadImageList(file.c_str(), &list, AddListEntry);
  }

  TempDir dir;
  ImageList list{};
};

TEST_F(ImageListTest, LinesStandInReverseOrderWithTheirModes) {
  ASSERT_EQ(1, Load("centred=C:\\a.bmp\r\ntiled=C:\\b.bmp\r\n"));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"C:\\b.bmp", 1}, {"C:\\a.bmp", 0}}));
  EXPECT_STREQ("C:\\a.bmp", list.last->path);
}

// UTF-8 with its byte order mark, UTF-8 without it, and the old lists in the ANSI code page
// (1252 here: "\xE9" is "é"), all read as UTF-8; the format's rules hold in each.
TEST_F(ImageListTest, ListEncodings) {
  const std::string photo = "C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\\\xE6\x9D\xB1.jpg";
  const struct {
    const char *name;
    std::string bytes;
    std::vector<Item> items;
  } cases[] = {
      {"mark",
       "\xEF\xBB\xBFtiled=" + photo + "  \r\ncentred=C:\\a.bmp\r\n",
       {{"C:\\a.bmp", 0}, {photo, 1}}},
      {"no mark", "stretched=" + photo + "\r\n", {{photo, 2}}},
      {"mark only", "\xEF\xBB\xBF", {}},
      {"mark, then not UTF-8",
       "\xEF\xBB\xBF"
       "centred=C:\\\xE9.bmp\r\n",
       {{"C:\\\xE9.bmp", 0}}},  // as it is: the wide calls replace the byte
      {"code page",
       "centred=C:\\caf\xE9\\a.bmp\r\nt=C:\\\x80.gif\r\n",
       {{"C:\\\xE2\x82\xAC.gif", 1}, {"C:\\caf\xC3\xA9\\a.bmp", 0}}},
      {"one bad line",
       "centred=" + photo + "\r\ncentred=C:\\\xE9.bmp\r\n",
       {{"C:\\\xC3\xA9.bmp", 0},
        {"C:"
         "\\\xC3\x90\xC2\xA4\xC3\x90\xC2\xBE\xC3\x91\xE2\x80\x9A\xC3\x90\xC2\xBE\\\xC3\xA6\xC2\x9D"
         "\xC2\xB1.jpg",
         0}}},
  };
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
#endif
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FreeImageList(&list);
    ASSERT_EQ(1, Load(c.bytes));
    EXPECT_EQ(c.items, Walk(list));
  }
}

TEST_F(ImageListTest, KeyAndPathTrimming) {
  ASSERT_EQ(1, Load("  centred= C:\\x.bmp   \r\n"
                    "stretched=C:\\p=q.bmp\r\n"
                    "   t  =C:\\t.gif\r\n"));
  EXPECT_EQ(Walk(list),
            (std::vector<Item>{{"C:\\t.gif", 1}, {"C:\\p=q.bmp", 2}, {" C:\\x.bmp", 0}}));
}

TEST_F(ImageListTest, UnrecognisedKeysTakeThePreviousMode) {
  ASSERT_EQ(1, Load("Stretched=C:\\0.bmp\r\n"
                    "tiled=C:\\1.bmp\r\n"
                    "Centred=C:\\2.bmp\r\n"
                    "=C:\\3.bmp\r\n"
                    "stretched=C:\\4.bmp\r\n"
                    "xyz=C:\\5.bmp\r\n"));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"C:\\5.bmp", 2},
                                           {"C:\\4.bmp", 2},
                                           {"C:\\3.bmp", 1},
                                           {"C:\\2.bmp", 1},
                                           {"C:\\1.bmp", 1},
                                           {"C:\\0.bmp", 0}}));
}

TEST_F(ImageListTest, LinesWithoutEqualsAreSkipped) {
  ASSERT_EQ(1, Load("\r\n"
                    "tiled C:\\no.bmp\r\n"
                    "centred=C:\\a.bmp\r\n"
                    "   \r\n"
                    "\r\n"
                    "centred=\r\n"));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"", 0}, {"C:\\a.bmp", 0}}));
}

TEST_F(ImageListTest, WhatEndsTheScan) {
  ASSERT_EQ(1, Load("centred=C:\\a.bmp\r\ncentred=C:\\b\0.bmp\r\ncentred=C:\\c.bmp\r\n"s));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"C:\\a.bmp", 0}}));
  FreeImageList(&list);

  ASSERT_EQ(1, Load("centred=C:\\a.bmp\r\ncentred=C:\\b.bmp"));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"C:\\a.bmp", 0}}));
  FreeImageList(&list);

  ASSERT_EQ(1, Load("centred=C:\\a.bmp\ncentred=C:\\b.bmp\n"));
  EXPECT_TRUE(Walk(list).empty());

  ASSERT_EQ(1, Load(""));
  EXPECT_TRUE(Walk(list).empty());
}

TEST_F(ImageListTest, LineEndsOtherThanCrLf) {
  // A lone CR at the very end, and a CR followed by something other than LF: the byte after
  // CR is always taken as the line end's second byte.
  ASSERT_EQ(1, Load("centred=C:\\a.bmp\rXcentred=C:\\b.bmp\r"));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"C:\\b.bmp", 0}, {"C:\\a.bmp", 0}}));
  FreeImageList(&list);
  ASSERT_EQ(1, Load("\r"));
  EXPECT_TRUE(Walk(list).empty());
}

TEST_F(ImageListTest, FilesThatDoNotLoad) {
  EXPECT_EQ(0, LoadImageList(dir.File("missing.wcl").c_str(), &list, AddListEntry));

  std::string file = dir.File("list.wcl");
  WriteBytes(file, "centred=C:\\a.bmp\r\n");
  EXPECT_EQ(0, LoadImageList(file.c_str(), &list, nullptr));

  MakeReadOnly(file);
  EXPECT_EQ(0, LoadImageList(file.c_str(), &list, AddListEntry));
  EXPECT_TRUE(Walk(list).empty());
}

TEST_F(ImageListTest, LoadingTwiceKeepsBothCopiesSecondInFront) {
  ASSERT_EQ(1, Load("centred=C:\\a.bmp\r\ntiled=C:\\b.bmp\r\n"));
  ASSERT_EQ(1, LoadImageList(dir.File("list.wcl").c_str(), &list, AddListEntry));
  EXPECT_EQ(
      Walk(list),
      (std::vector<Item>{{"C:\\b.bmp", 1}, {"C:\\a.bmp", 0}, {"C:\\b.bmp", 1}, {"C:\\a.bmp", 0}}));
}

TEST_F(ImageListTest, LongPathsAndManyLines) {
  std::string longPath = "C:\\" + std::string(5000, 'p') + ".bmp";
  std::string text = "stretched=" + longPath + "\r\n";
  for (int i = 0; i < 3000; i++) text += "tiled=C:\\" + std::to_string(i) + ".gif\r\n";
  ASSERT_EQ(1, Load(text));
  EXPECT_EQ(3001, list.count);
  EXPECT_EQ(longPath, list.last->path);
  EXPECT_STREQ("C:\\2999.gif", list.first->path);
}

TEST_F(ImageListTest, WrittenLinesReadBack) {
  std::string file = dir.File("written.wcl");
  HFILE h = _lcreat(file.c_str(), 0);
  ASSERT_NE(HFILE_ERROR, h);
  WriteListLine(h, "C:\\p.jpg");
  WriteListLine(h, "D:\\pictures\\with space.pcx");
  _lclose(h);
  EXPECT_EQ("centred=C:\\p.jpg\r\ncentred=D:\\pictures\\with space.pcx\r\n", ReadBytes(file));
  ASSERT_EQ(1, LoadImageList(file.c_str(), &list, AddListEntry));
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"D:\\pictures\\with space.pcx", 0}, {"C:\\p.jpg", 0}}));
}

TEST_F(ImageListTest, FindByIndex) {
  EXPECT_EQ(nullptr, FindListEntry(&list, 0));
  for (const char *p : {"a", "b", "c"}) AddListEntry(&list, p, kModeTiled);
  EXPECT_STREQ("c", FindListEntry(&list, -5)->path);
  EXPECT_STREQ("c", FindListEntry(&list, 0)->path);
  EXPECT_STREQ("a", FindListEntry(&list, 2)->path);
  EXPECT_EQ(nullptr, FindListEntry(&list, 3));
  EXPECT_EQ(nullptr, FindListEntry(&list, 1000));
}

TEST_F(ImageListTest, SwapExchangesContentsNotLinks) {
  for (const char *p : {"a", "b", "c"}) AddListEntry(&list, p, (PlacementMode)(p[0] - 'a'));
  ListEntry *first = list.first, *last = list.last;
  SwapListEntries(&list, 0, 2);
  EXPECT_EQ(first, list.first);
  EXPECT_EQ(last, list.last);
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"a", 0}, {"b", 1}, {"c", 2}}));
  SwapListEntries(&list, 1, 1);
  SwapListEntries(&list, 1, 3);
  SwapListEntries(&list, -1, 3);
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"a", 0}, {"b", 1}, {"c", 2}}));
}

void EpochClock(LPSYSTEMTIME t) {
  *t = SYSTEMTIME{};
  t->wHour = 12, t->wMinute = 30, t->wSecond = 15, t->wMilliseconds = 500;
}

TEST_F(ImageListTest, ShortListsDoNotShuffle) {
  SetRandomClock(EpochClock);
  ShuffleImageList(nullptr);
  ShuffleImageList(&list);
  AddListEntry(&list, "a", 0);
  ShuffleImageList(&list);
  AddListEntry(&list, "b", 0);
  ShuffleImageList(&list);
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"b", 0}, {"a", 0}}));
}

TEST_F(ImageListTest, ShuffleOfThreeIsOneExchangeFromTheFront) {
  // The first draw at 12:30:15.500 is t = 12516: RandomRange(1, 2) = 1 + int(0.38 * 2) = 1.
  SetRandomClock(EpochClock);
  for (const char *p : {"c", "b", "a"}) AddListEntry(&list, p, 0);
  ShuffleImageList(&list);
  EXPECT_EQ(Walk(list), (std::vector<Item>{{"b", 0}, {"a", 0}, {"c", 0}}));
}

TEST_F(ImageListTest, ShuffleKeepsEveryEntryAndMovesTheFirst) {
  for (int ms = 0; ms < 200; ms += 7) {
    static SYSTEMTIME when;
    when = SYSTEMTIME{};
    when.wMinute = 3, when.wSecond = 21, when.wMilliseconds = (WORD)ms;
    SetRandomClock([](LPSYSTEMTIME t) { *t = when; });
    FreeImageList(&list);
    for (int i = 0; i < 9; i++) AddListEntry(&list, std::to_string(i).c_str(), i % 3);
    ShuffleImageList(&list);
    std::vector<Item> items = Walk(list);
    EXPECT_NE("8", items[0].path);
    std::vector<bool> seen(9);
    for (const Item &it : items) {
      int i = std::stoi(it.path);
      EXPECT_EQ(i % 3, it.mode);
      seen[i] = true;
    }
    EXPECT_EQ(std::vector<bool>(9, true), seen);
  }
}

// The shuffle through an array gives, for the same draws, the order of the walk from the head
// that each exchange used to make (SwapListEntries), at every length.
TEST_F(ImageListTest, ShuffleGivesTheOrderOfTheWalkFromTheHead) {
  for (int count : {3, 4, 5, 17, 1000}) {
    SCOPED_TRACE(count);
    ImageList walked{};
    FreeImageList(&list);
    for (int i = 0; i < count; i++) {
      AddListEntry(&list, std::to_string(i).c_str(), i % 3);
      AddListEntry(&walked, std::to_string(i).c_str(), i % 3);
    }
    SetRandomClock(EpochClock);  // the same seed for both
    for (int i = 0; i < count - 2; i++) SwapListEntries(&walked, i, RandomRange(i + 1, count - 1));
    SetRandomClock(EpochClock);
    ShuffleImageList(&list);
    EXPECT_EQ(Walk(walked), Walk(list));
    FreeImageList(&walked);
  }
}

}  // namespace

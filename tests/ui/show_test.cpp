// A show made of folders, walked step by step: the order of a folder tree (names as Explorer
// sorts them, folders depth first, hidden files and non-pictures out), folder lines of a list,
// a folder gone during the show, a new shuffle each pass with no repeat at the seam, a large
// folder that begins before it is listed, and folders that are missing or hold no picture.
// (The real programs show folders, loops and changes between passes in their own tests.)
#include "show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "filecalls.h"
#include "foldertree.h"
#include "path.h"
#include "testfiles.h"

namespace {

class ShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    show.ScreenWidth = 64;
    show.ScreenHeight = 48;
  }
  void TearDown() override { show.FreeList(); }

  // An empty file: its name says what it is, which is all a listing looks at.
  void Add(const std::string &name) {
    std::string path = dir.File(name);
    CreateFolder(std::string(FolderOf(path)).c_str());
    WriteBytes(path, std::string());
  }
  // A hidden file: hidden by its attribute, and under Wine by its leading dot as well.
  void AddHidden(const std::string &name) {
    Add(name);
    SetFileAttributesW(WideFromUtf8(dir.File(name)).c_str(), FILE_ATTRIBUTE_HIDDEN);
  }

  // The step's picture, as a path below the folder ("sub\a.bmp").
  std::string Step(int code) {
    show.GoTo(code, [] {});
    if (!show.CurrentEntry) return "<none>";
    std::string path = show.CurrentEntry->path;
    const std::string top = dir.path() + "\\";
    return path.compare(0, top.size(), top) == 0 ? path.substr(top.size()) : path;
  }
  // One pass from its first picture: the picture shown now and the steps forward to the last.
  std::vector<std::string> Pass(int firstCode = kGoNext) {
    std::vector<std::string> pass = {Step(firstCode)};
    for (LONG i = 1; i < show.Images.count && show.CurrentEntry != show.Images.last; i++)
      pass.push_back(Step(kGoNext));
    return pass;
  }

  TempDir dir;
  Show show;
};

TEST_F(ShowTest, AFolderTreeIsShownInExplorersOrderFoldersDepthFirst) {
  for (const char *name : {"IMG_10.jpg", "IMG_2.jpg", "img_1.BMP", "notes.txt", "b 10\\y.png",
                           "b 2\\z.webp", "a\\x.gif", "a\\deeper\\w.pcx", "a\\readme"})
    Add(name);
  AddHidden(".hidden.png");
  AddHidden(".secret\\in.bmp");
  SetFileAttributesW(WideFromUtf8(dir.File(".secret")).c_str(), FILE_ATTRIBUTE_HIDDEN);

  ASSERT_EQ(kShowLoaded, show.Load(dir.path().c_str()));
  show.FinishListing();
  const std::vector<std::string> expected = {"img_1.BMP",  "IMG_2.jpg",        "IMG_10.jpg",
                                             "a\\x.gif",   "a\\deeper\\w.pcx", "b 2\\z.webp",
                                             "b 10\\y.png"};
  EXPECT_EQ(expected, Pass(kGoFirst));
  EXPECT_EQ(kModeCentred, show.CurrentEntry->mode);
  show.FinishListing();
  EXPECT_EQ(expected, Pass());  // the next pass, listed again: the same
}

TEST_F(ShowTest, FolderLinesOfAListExpandWhereTheyStandWithTheirPlacement) {
  Add("pics\\2.bmp");
  Add("pics\\1.bmp");
  Add("one.bmp");
  Add("two.bmp");
  const std::string list = dir.File("show.wcl");
  WriteBytes(list, "centred=" + dir.File("one.bmp") + "\r\nstretched=" + dir.File("pics") +
                       "\\\r\ntiled=" + dir.File("two.bmp") + "\r\n");
  ASSERT_EQ(kShowLoaded, show.Load(list.c_str()));
  show.FinishListing();
  // A list is shown from its last line up; the folder's pictures keep their own order.
  EXPECT_EQ((std::vector<std::string>{"two.bmp", "pics\\1.bmp", "pics\\2.bmp", "one.bmp"}),
            Pass(kGoFirst));
  std::vector<PlacementMode> modes;
  for (ListEntry *e = show.Images.first; e; e = e->next) modes.push_back(e->mode);
  EXPECT_EQ((std::vector<PlacementMode>{kModeTiled, kModeStretched, kModeStretched, kModeCentred}),
            modes);
}

TEST_F(ShowTest, AFolderGoneDuringTheShowKeepsTheListItHad) {
  for (const char *name : {"1.bmp", "2.bmp", "3.bmp"}) Add(name);
  ASSERT_EQ(kShowLoaded, show.Load(dir.path().c_str()));
  show.FinishListing();
  Pass(kGoFirst);  // at the last picture: the folder is listed again meanwhile
  show.FinishListing();
  // Nothing lists the folder now (a listing under way holds it): it can go.
  ASSERT_TRUE(MovePath(dir.path().c_str(), (dir.path() + "-moved").c_str()));
  for (int i = 0; i < 4; i++) {
    Step(kGoNext);
    show.FinishListing();
  }
  EXPECT_EQ(3, show.Images.count);
  MovePath((dir.path() + "-moved").c_str(), dir.path().c_str());
}

TEST_F(ShowTest, EachPassOfAFolderIsANewShuffleWithoutARepeatAtTheSeam) {
  std::vector<std::string> names;
  for (int i = 1; i <= 6; i++) {
    names.push_back(std::to_string(i) + ".bmp");
    Add(names.back());
  }
  show.ShufflePasses = true;
  ASSERT_EQ(kShowLoaded, show.Load(dir.path().c_str()));
  show.FinishListing();
  show.Shuffle();
  std::string last;
  std::set<std::vector<std::string>> orders;
  for (int pass = 0; pass < 40; pass++) {
    show.FinishListing();
    std::vector<std::string> shown = Pass(pass == 0 ? kGoFirst : kGoNext);
    std::vector<std::string> sorted = shown;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(names, sorted) << "pass " << pass << " shows each picture once";
    ASSERT_NE(last, shown.front()) << "pass " << pass << " begins with the last one shown";
    last = shown.back();
    orders.insert(shown);
  }
  EXPECT_GT(orders.size(), 10u);
}

// A folder of more than kEarlyPictureCount pictures begins with the first one met; once
// listed, that one keeps its place and every other follows once.
TEST_F(ShowTest, ALargeFolderBeginsBeforeItIsListedAndKeepsWhatWasShown) {
  const int count = (int)kEarlyPictureCount + 40;
  for (int i = 0; i < count; i++) Add("p" + std::to_string(i) + ".jpg");
  ASSERT_EQ(kShowLoaded, show.Load(dir.path().c_str()));
  const std::string first = Step(kGoFirst);
  show.FinishListing();
  ASSERT_EQ(count, show.Images.count);
  std::vector<std::string> pass = Pass(kGoFirst);
  EXPECT_EQ(first, pass.front());
  EXPECT_EQ((size_t)count, std::set<std::string>(pass.begin(), pass.end()).size());
  show.FinishListing();
  pass = Pass();
  EXPECT_EQ("p0.jpg", pass.front());  // the next pass in order
  EXPECT_EQ("p10.jpg", pass[10]);
}

TEST_F(ShowTest, MissingFoldersFailAndEmptyOnesNameNoPicture) {
  Add("empty\\notes.txt");
  CreateFolder(dir.File("nothing").c_str());
  const std::string list = dir.File("folders.wcl");
  WriteBytes(list, "centred=" + dir.File("missing") + "\\\r\n");
  const struct {
    std::string source;
    ShowLoadResult result;
  } cases[] = {
      {dir.File("missing"), kShowLoadFailed},
      {dir.File("nothing"), kShowEmpty},
      {dir.File("empty"), kShowEmpty},
      {dir.File("empty") + "\\", kShowEmpty},
      {list, kShowEmpty},  // a list whose folder is missing names no picture
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.result, show.Load(c.source.c_str())) << c.source;
    EXPECT_EQ(nullptr, show.Images.first);
  }
}

}  // namespace

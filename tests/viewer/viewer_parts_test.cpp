// The viewer's Windows-only parts in the test process: the popup menus with their entries,
// and "Set as wallpaper" with the desktop values and files it writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "gifreader.h"
#include "gifwriter.h"
#include "instance.h"
#include "jpegreader.h"
#include "jpegwriter.h"
#include "menus.h"
#include "path.h"
#include "pcxwriter.h"
#include "picturefile.h"
#include "pixels.h"
#include "pngwriter.h"
#include "processwatch.h"
#include "resource.h"
#include "settings.h"
#include "systempicture.h"
#include "testfiles.h"
#include "uidriver.h"
#include "view.h"
#include "viewerdriver.h"
#include "wallpaper.h"
#include "window.h"

namespace {

struct Item {
  UINT id;
  std::string text;
  bool submenu;
  bool picture;
};

std::vector<Item> Items(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
    EXPECT_TRUE(GetMenuItemInfoA(menu, (UINT)i, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << i;
    const MenuEntry *entry = reinterpret_cast<const MenuEntry *>(info.dwItemData);
    if (!entry) {
      ADD_FAILURE() << "item " << i << " has no entry";
      continue;
    }
    EXPECT_EQ((int)wcslen(entry->Text), entry->Length);
    items.push_back(
        {info.wID, Utf8FromWide(entry->Text), info.hSubMenu != nullptr, entry->Bitmap != nullptr});
  }
  return items;
}

bool operator==(const Item &a, const Item &b) {
  return a.id == b.id && a.text == b.text && a.submenu == b.submenu && a.picture == b.picture;
}
std::ostream &operator<<(std::ostream &os, const Item &i) {
  return os << "{" << i.id << ", \"" << i.text << "\", " << i.submenu << ", " << i.picture << "}";
}

class ViewerPartsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Pictures and cursors come from the program's own resources.
    ProgramInstance = ProgramResources("Lumora.exe");
  }
};

TEST_F(ViewerPartsTest, MenusHoldTheirItemsInOrder) {
  ASSERT_NE(nullptr, ProgramInstance);
  ASSERT_TRUE(CreatePopupMenus());
  std::vector<Item> main = {
      {200, "File list", true, true},
      {101, "Select", true, true},
      {117, "Set as wallpaper", false, true},
      {0, "", false, false},
      {107, "Zoom In", false, true},
      {108, "Zoom Out", false, true},
      {109, "Actual size", false, true},
      {110, "Best fit", false, true},
      {111, "Tiled", false, true},
      {112, "Center", false, true},
      {0, "", false, false},
      {113, "Settings", false, true},
      {114, "Resume", false, true},
      {115, "Mix images", false, true},
      {0, "", false, false},
      {116, "Exit", false, true},
  };
  EXPECT_EQ(main, Items(gMainMenu));
  std::vector<Item> select = {{102, "First", false, true},
                              {103, "Previous", false, true},
                              {104, "Next", false, true},
                              {105, "Last", false, true},
                              {106, "Random", false, true}};
  EXPECT_EQ(select, Items(gSelectMenu));
  EXPECT_EQ(gFileListMenu, GetSubMenu(gMainMenu, 0));
  EXPECT_EQ(gSelectMenu, GetSubMenu(gMainMenu, 1));

  gShow.Images = ImageList{};
  AddListEntry(&gShow.Images, "plain.pcx", kModeCentred);
  AddListEntry(&gShow.Images, "D:\\b.gif", kModeCentred);
  AddListEntry(&gShow.Images, "C:\\pics\\a.bmp", kModeTiled);
  BuildFileListMenu();
  std::vector<Item> files = {
      {201, "a.bmp", false, true}, {202, "b.gif", false, true}, {203, "plain.pcx", false, true}};
  EXPECT_EQ(files, Items(gFileListMenu));
  ClearFileListMenu();
  EXPECT_EQ(0, GetMenuItemCount(gFileListMenu));
  BuildFileListMenu();
  EXPECT_EQ(files, Items(gFileListMenu));

  ReleaseMenuEntries(gMainMenu);
  ReleaseMenuEntries(gFileListMenu);
  ReleaseMenuEntries(gSelectMenu);
  DestroyMenu(gMainMenu);
  FreeImageList(&gShow.Images);
}

TEST_F(ViewerPartsTest, MixImagesListsTheNewOrderAndShowsItsFirst) {
  ASSERT_TRUE(CreatePopupMenus());
  gShow.Images = ImageList{};
  const char *names[] = {"e.bmp", "d.bmp", "c.bmp", "b.bmp", "a.bmp"};
  for (const char *name : names)
    AddListEntry(&gShow.Images, (std::string("C:\\x\\") + name).c_str(), 0);
  BuildFileListMenu();
  OnCommand(nullptr, IDM_MIX);  // "Mix images"
  std::vector<Item> files;
  int i = 0;
  for (ListEntry *e = gShow.Images.first; e; e = e->next, i++)
    files.push_back({(UINT)(201 + i), DisplayName(e->path), false, true});
  EXPECT_EQ(files, Items(gFileListMenu));
  EXPECT_NE("a.bmp", files[0].text);  // the entry at index 0 always moves
  EXPECT_EQ(gShow.Images.first, gShow.CurrentEntry);
  gShow.CurrentEntry = nullptr;
  ReleaseMenuEntries(gMainMenu);
  ReleaseMenuEntries(gFileListMenu);
  ReleaseMenuEntries(gSelectMenu);
  DestroyMenu(gMainMenu);
  FreeImageList(&gShow.Images);
}

// Long lists: the File list's menus share one picture, so that making it and opening it down
// to the last entry takes no GDI object per entry, and no menu holds more than a page.
TEST_F(ViewerPartsTest, FileListOfAnyLengthTakesOnePictureAndShortMenus) {
  ASSERT_EQ(1, CreatePopupMenus());
  for (int count : {3, 26, 20000}) {
    SCOPED_TRACE(count);
    gShow.Images = ImageList{};
    for (int i = count - 1; i >= 0; i--)
      AddListEntry(&gShow.Images, ("C:\\p\\" + std::to_string(i) + ".bmp").c_str(), kModeCentred);
    const DWORD before = Measure(GetCurrentProcess(), 0, true).gdiHighWater;
    BuildFileListMenu();
    HMENU menu = gFileListMenu;
    for (int level = 0; level < 8 && GetSubMenu(menu, GetMenuItemCount(menu) - 1); level++) {
      menu = GetSubMenu(menu, GetMenuItemCount(menu) - 1);
      PrepareFileListMenu(menu);
      EXPECT_GE(kFileListPage, GetMenuItemCount(menu));
    }
    EXPECT_GE(before + 2, Measure(GetCurrentProcess(), 0, true).gdiHighWater);
    std::vector<Item> items = Items(menu);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(std::to_string(count - 1) + ".bmp", items.back().text) << "the last entry";
    EXPECT_TRUE(items.back().picture);
    ClearFileListMenu();
    EXPECT_EQ(0, GetMenuItemCount(gFileListMenu));
    FreeImageList(&gShow.Images);
  }
  ReleaseMenuEntries(gMainMenu);
  ReleaseMenuEntries(gSelectMenu);
  DestroyMenu(gMainMenu);
}

TEST_F(ViewerPartsTest, SeparatorsAreHalfAnItemHigh) {
  HWND window =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  MenuEntry text = {const_cast<wchar_t *>(L"Zoom In"), 7, nullptr, 0, 0};
  MenuEntry separator = {const_cast<wchar_t *>(L""), 0, nullptr, 0, 0};
  MEASUREITEMSTRUCT item = {};
  item.itemData = reinterpret_cast<ULONG_PTR>(&text);
  MeasureMenuEntry(window, &item);
  HDC dc = GetDC(window);
  SIZE size;
  GetTextExtentPoint32A(dc, "Zoom In", 7, &size);
  ReleaseDC(window, dc);
  EXPECT_EQ((UINT)size.cx + 24, item.itemWidth);
  EXPECT_EQ((UINT)std::max<LONG>(20, size.cy), item.itemHeight);
  UINT full = item.itemHeight;
  item.itemData = reinterpret_cast<ULONG_PTR>(&separator);
  MeasureMenuEntry(window, &item);
  EXPECT_EQ(full / 2, item.itemHeight);
  DestroyWindow(window);
}

TEST_F(ViewerPartsTest, MagnifierCursorsPointAtTheLensCentre) {
  for (int id : {104, 202}) {
    HCURSOR cursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(id));
    ASSERT_NE(nullptr, cursor) << id;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(9u, info.xHotspot) << id;
    EXPECT_EQ(8u, info.yHotspot) << id;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  HCURSOR hand = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(201));
  ASSERT_NE(nullptr, hand);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_EQ(0u, info.xHotspot) << "the hand points with its top-left corner";
  EXPECT_EQ(0u, info.yHotspot);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_NE(nullptr, LoadIconA(ProgramInstance, MAKEINTRESOURCEA(105)));
}

// ---- Without a zoom buffer ----

// A display so large that a bitmap of twice its size cannot be made: zoom steps are refused
// (the picture stays as it was drawn) and best fit draws straight from the picture.
TEST_F(ViewerPartsTest, WithoutAZoomBufferZoomStepsAreRefusedAndBestFitDrawsDirectly) {
  TempDir dir;
  WriteBmp(dir.File("quad.bmp"), 64, 64, Quadrants);
  WriteList(dir.File("list.wcl"), {"stretched=" + dir.File("quad.bmp")});
  gShow.ReadDisplaySize();
  const int width = gShow.ScreenWidth, height = gShow.ScreenHeight;
  RegisterViewerClass();
  gShow.ScreenWidth = gShow.ScreenHeight =
      20000;  // a best fit of 20000 x 20000, red at the top left
  HWND window = CreateWindowExA(0, kViewerClass, kViewerTitle, WS_POPUP, 0, 0, width, height,
                                nullptr, nullptr, ProgramInstance, nullptr);
  ASSERT_NE(nullptr, window);
  ShowWindow(window, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  ASSERT_EQ(1, LoadImageList(dir.File("list.wcl").c_str(), &gShow.Images, AddListEntry));
  GoToPicture(kGoFirst);
  Pump();
  std::vector<DWORD> bestFit = WindowPixels(window, width, height);
  EXPECT_EQ(0, std::count_if(bestFit.begin(), bestFit.end(), [](DWORD p) { return p != 0xff0000; }))
      << "best fit: all red";

  struct Row {
    const char *name;
    int command;
  } rows[] = {{"Zoom In", IDM_ZOOMIN}, {"Zoom Out", IDM_ZOOMOUT}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    SendMessageA(window, WM_COMMAND, row.command, 0);
    Pump();
    EXPECT_EQ(1, gView.Zoom) << "refused";
    EXPECT_EQ(64, gView.ZoomedWidth);
  }
  DestroyWindow(window);
  Pump();
  FreeImageList(&gShow.Images);
  gShow.ScreenWidth = width;
  gShow.ScreenHeight = height;
}

// ---- Set as wallpaper ----

std::string DesktopValue(const char *name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key))
    return "(no key)";
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1, type = 0;
  LONG r = RegQueryValueExA(key, name, nullptr, &type, (BYTE *)value, &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS) return "(none)";
  return type == REG_SZ ? std::string(value) : "(not text)";
}

void SetDesktopValue(const char *name, const char *text) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key)) return;
  RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
  RegCloseKey(key);
}

class WallpaperTest : public ViewerPartsTest {
 protected:
  void SetUp() override {
    wallpaper = WallpaperFilePath();
    ASSERT_FALSE(wallpaper.empty());
    folder = wallpaper.substr(0, wallpaper.rfind('\\'));
    DeleteFileA(wallpaper.c_str());
    SetDesktopValue("WallpaperStyle", "9");
    SetDesktopValue("TileWallpaper", "9");
  }
  void TearDown() override {
    gShow.CurrentEntry = nullptr;
    SetDesktopValue("Wallpaper", "");
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, (void *)"", SPIF_UPDATEINIFILE);
  }

  void SetFrom(const std::string &path, PlacementMode mode) {
    entryPath = path;
    entry = ListEntry{&entryPath[0], mode, nullptr, nullptr, false};
    gShow.CurrentEntry = &entry;
    SetAsWallpaper();
  }

  // The wallpaper file holds the same pixels as the picture read by its own reader.
  ::testing::AssertionResult WallpaperShows(const std::string &picture) {
    Block written(ReadPictureFile(wallpaper.c_str()));
    Block original(ReadAnyPictureFile(picture.c_str()));
    if (!written) return ::testing::AssertionFailure() << "no readable wallpaper file";
    return SameRgb(PackedBitmapToRgb(original.get()), PackedBitmapToRgb(written.get()));
  }

  TempDir dir;
  std::string wallpaper, folder, entryPath;
  ListEntry entry{};
};

// With the Windows directory read-only, as a standard user has it: the wallpaper file lives in
// the user's application-data folder.
TEST_F(WallpaperTest, JpegPcxAndGifAreConvertedIntoTheWallpaperFile) {
  ReadOnlyWindowsDirectory readOnly;
  ASSERT_TRUE(readOnly.active());
  EXPECT_NE(std::string::npos, wallpaper.find("\\Ostrel\\Lumora\\KORDAX.BMP")) << wallpaper;
  JpegOptions portrait, cmyk;
  portrait.exif = ExifBlock(6, true);
  cmyk.components = 4;
  std::string tiff = std::string("Z:") + LUMORA_WIC_SAMPLES + "/lzw.tiff";
  std::replace(tiff.begin(), tiff.end(), '/', '\\');
  struct Case {
    std::string name, bytes;
    PlacementMode mode;
    const char *style, *tile;
  } cases[] = {
      {"sea.Jpeg", MakeJpeg(40, 30), kModeTiled, "0", "1"},
      {"portrait.jpg", MakeJpeg(40, 30, portrait), kModeCentred, "0", "0"},  // upright: 30 x 40
      {"x.pcx", MakePcx(21, 9), kModeStretched, "2", "0"},
      {"anim.GIF", MakeGif(17, 5, 16, std::vector<unsigned char>(85, 3)), kModeCentred, "0", "0"},
      {"print.jpg", MakeJpeg(23, 11, cmyk), kModeCentred, "0", "0"},
      {"web.jpg", MakePng(9, 7, std::vector<unsigned>(9 * 7 * 3, 77)), kModeCentred, "0", "0"},
      {"scan.tif", ReadBytes(tiff), kModeCentred, "0", "0"},  // through the system's decoder
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string picture = dir.File(c.name);
    WriteBytes(picture, c.bytes);
    DeleteFileA(wallpaper.c_str());
    SetFrom(picture, c.mode);
    EXPECT_TRUE(WallpaperShows(picture));
    EXPECT_EQ(c.style, DesktopValue("WallpaperStyle"));
    EXPECT_EQ(c.tile, DesktopValue("TileWallpaper"));
    EXPECT_EQ(wallpaper, DesktopValue("Wallpaper"));
    EXPECT_EQ(std::vector<std::string>{"KORDAX.BMP"}, FileNames(folder)) << "no temporary left";
  }
}

TEST_F(WallpaperTest, BmpIsHandedOverUnderItsOwnPath) {
  std::string picture = dir.File("a.BMP");
  WriteSolidBmp(picture, 4, 3, kBlue);
  for (PlacementMode mode : {kModeCentred, (PlacementMode)7}) {
    SetFrom(picture, mode);
    EXPECT_EQ("0", DesktopValue("WallpaperStyle"));
    EXPECT_EQ("0", DesktopValue("TileWallpaper"));
    EXPECT_EQ(picture, DesktopValue("Wallpaper"));
    EXPECT_FALSE(FileExists(wallpaper));
  }
  WriteSolidBmp(dir.File("photo.tga"), 4, 3, kBlue);
  SetFrom(dir.File("photo.tga"), kModeStretched);  // any other name: as a BMP
  EXPECT_EQ(dir.File("photo.tga"), DesktopValue("Wallpaper"));
  EXPECT_EQ("2", DesktopValue("WallpaperStyle"));
}

TEST_F(WallpaperTest, FailedConversionLeavesTheOldWallpaperAndTheDesktopAlone) {
  std::string good = dir.File("good.pcx"), bad = dir.File("bad.pcx");
  WriteBytes(good, MakePcx(8, 8));
  WriteBytes(bad, "not a PCX file");
  SetFrom(good, kModeCentred);
  std::string before = ReadBytes(wallpaper);
  ASSERT_FALSE(before.empty());
  SetDesktopValue("WallpaperStyle", "9");
  SetDesktopValue("Wallpaper", wallpaper.c_str());
  WriteBytes(dir.File("bad.gif"), "GIF89a");
  WriteBytes(dir.File("bad.bmp"), "BM not a bitmap");
  for (const std::string &name : {bad, dir.File("missing.jpg"), dir.File("bad.gif"),
                                  dir.File("missing.bmp"), dir.File("bad.bmp")}) {
    SetFrom(name, kModeTiled);
    EXPECT_EQ(before, ReadBytes(wallpaper)) << name;
    EXPECT_EQ("9", DesktopValue("WallpaperStyle")) << name;
    EXPECT_EQ(wallpaper, DesktopValue("Wallpaper")) << name;
    EXPECT_EQ(std::vector<std::string>{"KORDAX.BMP"}, FileNames(folder)) << name;
  }
}

TEST_F(WallpaperTest, OverlongPathIsRefusedWithoutTouchingTheDesktop) {
  std::string path = "C:\\" + std::string(260, 'p') + ".pcx";
  SetFrom(path, kModeTiled);
  SetFrom("C:\\" + std::string(260, 'p') + ".bmp", kModeTiled);
  EXPECT_EQ("9", DesktopValue("WallpaperStyle"));
  EXPECT_EQ("9", DesktopValue("TileWallpaper"));
  EXPECT_FALSE(FileExists(wallpaper));
  gShow.CurrentEntry = nullptr;
  SetAsWallpaper();  // no picture: nothing
  EXPECT_EQ("9", DesktopValue("WallpaperStyle"));
}

}  // namespace

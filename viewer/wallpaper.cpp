#include "wallpaper.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstring>

#include "filecalls.h"
#include "path.h"
#include "picturefile.h"
#include "regvalue.h"
#include "systempicture.h"
#include "view.h"

namespace {

// The wallpaper file's folder, Ostrel\Lumora below the application-data folder, and its name.
const char kVendorFolder[] = "Ostrel";
const char kProgramFolder[] = "Lumora";
const char kWallpaperFileName[] = "KORDAX.BMP";

const char kDesktopKey[] = "Control Panel\\Desktop";

const char kWallpaperTempPrefix[] = "kdx";

// Writes the picture as a BMP file at `to`, upright as shown. Returns 1 when the whole file
// was written.
int ConvertToBmp(const char *picture, const char *to) {
  PackedBitmap bitmap = ReadAnyPictureFile(picture);
  if (!bitmap) return 0;
  int written = WritePackedBitmapFile(to, bitmap);
  GlobalFree(bitmap);
  return written;
}

// Whether the file reads as a picture.
bool ReadsAsPicture(const char *picture) {
  PackedBitmap bitmap = ReadAnyPictureFile(picture);
  if (!bitmap) return false;
  GlobalFree(bitmap);
  return true;
}

// The file the desktop gets: the picture itself for a BMP (by its content) that reads as one, else
// the wallpaper file, written as a temporary file beside it that then replaces it in one rename, so
// that a failed conversion leaves the old wallpaper whole. Empty when there is nothing to hand
// over.
std::string PrepareWallpaperFile(const char *picture) {
  // A BMP (by its content) is handed over as it is when the desktop takes its path; a longer
  // one is copied into the wallpaper file as any other picture is.
  PictureFormat format;
  if (PictureFormatOfFileContent(picture, &format) && format == kPictureBmp &&
      Utf16Length(picture) < kWallpaperPathSize)
    return ReadsAsPicture(picture) ? picture : "";
  const std::string wallpaper = WallpaperFilePath();
  if (wallpaper.empty()) return "";
  const std::string folder(FolderOf(wallpaper));
  const std::string temp = CreateTemporaryFile(folder, kWallpaperTempPrefix);
  if (temp.empty()) return "";
  if (ConvertToBmp(picture, temp.c_str()) && ReplacePath(temp.c_str(), wallpaper.c_str()))
    return wallpaper;
  DeletePath(temp.c_str());
  return "";
}

}  // namespace

std::string WallpaperFilePath() {
  wchar_t *known = nullptr;
  std::string appData;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK)
    appData = Utf8FromWide(known);
  CoTaskMemFree(known);
  if (appData.empty()) return "";
  const std::string vendor = JoinPath(appData, kVendorFolder);
  const std::string folder = JoinPath(vendor, kProgramFolder);
  std::string path = JoinPath(folder, kWallpaperFileName);
  if (Utf16Length(path) >= kWallpaperPathSize || !CreateFolder(vendor.c_str()) ||
      !CreateFolder(folder.c_str()))
    return "";
  return path;
}

void WallpaperStyleValues(PlacementMode mode, const char **style, const char **tile) {
  *style = mode == kModeStretched ? "2" : "0";
  *tile = mode == kModeTiled ? "1" : "0";
}

void SetAsWallpaper() {
  const ListEntry *entry = gShow.CurrentEntry;
  if (!entry) return;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const std::string wallpaper = PrepareWallpaperFile(entry->path);
  if (!wallpaper.empty()) SetDesktopWallpaper(wallpaper.c_str(), entry->mode);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void SetDesktopWallpaper(const char *path, PlacementMode mode) {
  const char *style, *tile;
  WallpaperStyleValues(mode, &style, &tile);
  HKEY key;
  if (OpenKey(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE, &key)) {
    SetTextValue(key, "WallpaperStyle", style);  // REG_SZ of 2 bytes: a digit and its NUL
    SetTextValue(key, "TileWallpaper", tile);
    RegCloseKey(key);
  }
  std::wstring wide = WideFromUtf8(path);
  if (wide.size() >= kWallpaperPathSize) return;
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &wide[0],
                        SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

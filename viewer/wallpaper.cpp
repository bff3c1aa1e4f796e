#include "wallpaper.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>

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

// Creates the folder unless it is there already.
int EnsureFolder(const char *folder) {
  return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

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
  PictureFormat format;
  if (PictureFormatOfFileContent(picture, &format) && format == kPictureBmp)
    return ReadsAsPicture(picture) ? picture : "";
  const std::string wallpaper = WallpaperFilePath();
  if (wallpaper.empty()) return "";
  const std::string folder(FolderOf(wallpaper));
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), kWallpaperTempPrefix, 0, temp)) return "";
  if (ConvertToBmp(picture, temp) &&
      MoveFileExA(temp, wallpaper.c_str(), MOVEFILE_REPLACE_EXISTING))
    return wallpaper;
  DeleteFileA(temp);
  return "";
}

}  // namespace

std::string WallpaperFilePath() {
  char appData[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK)
    return "";
  const std::string vendor = JoinPath(appData, kVendorFolder);
  const std::string folder = JoinPath(vendor, kProgramFolder);
  std::string path = JoinPath(folder, kWallpaperFileName);
  if (path.size() >= kWallpaperPathSize || !EnsureFolder(vendor.c_str()) ||
      !EnsureFolder(folder.c_str()))
    return "";
  return path;
}

void WallpaperStyleValues(PlacementMode mode, const char **style, const char **tile) {
  *style = mode == kModeStretched ? "2" : "0";
  *tile = mode == kModeTiled ? "1" : "0";
}

void SetAsWallpaper() {
  const ListEntry *entry = gShow.CurrentEntry;
  if (!entry || strlen(entry->path) >= kWallpaperPathSize) return;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const std::string wallpaper = PrepareWallpaperFile(entry->path);
  if (!wallpaper.empty()) SetDesktopWallpaper(wallpaper.c_str(), entry->mode);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void SetDesktopWallpaper(const char *path, PlacementMode mode) {
  const char *style, *tile;
  WallpaperStyleValues(mode, &style, &tile);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    SetTextValue(key, "WallpaperStyle", style);  // REG_SZ of 2 bytes: a digit and its NUL
    SetTextValue(key, "TileWallpaper", tile);
    RegCloseKey(key);
  }
  char buffer[kWallpaperPathSize];
  lstrcpynA(buffer, path, sizeof buffer);
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer,
                        SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

#include "wallpaper.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>

#include "picturefile.h"
#include "view.h"

const char kWallpaperFolder[] = "\\Ostrel\\Lumora";
const char kWallpaperFileName[] = "\\KORDAX.BMP";

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

const char kWallpaperTempPrefix[] = "kdx";

// Creates the folder unless it is there already.
int EnsureFolder(const char *folder) {
  return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Writes the picture as a BMP file at `to`, upright as shown. Returns 1 when the whole file
// was written.
int ConvertToBmp(const char *picture, const char *to) {
  PackedBitmap bitmap = ReadPictureFile(picture);  // the JPEG, GIF or PCX reader, by the name
  if (!bitmap) return 0;
  int written = WritePackedBitmapFile(to, bitmap);
  GlobalFree(bitmap);
  return written;
}

// Whether the BMP reader reads the file as a picture.
bool ReadsAsPicture(const char *picture) {
  PackedBitmap bitmap = ReadPictureFile(picture);
  if (!bitmap) return false;
  GlobalFree(bitmap);
  return true;
}

// The file the desktop gets: the picture itself for a BMP that reads as one, else the
// wallpaper file, written as a temporary file beside it that then replaces it in one rename,
// so that a failed conversion leaves the old wallpaper whole. Returns 0 when there is nothing
// to hand over.
int PrepareWallpaperFile(const char *picture, char *wallpaper) {
  PictureFormat format = PictureFormatOfName(picture);
  if (format == kPictureBmp) {
    if (!ReadsAsPicture(picture)) return 0;
    strcpy(wallpaper, picture);
    return 1;
  }
  if (!WallpaperFilePath(wallpaper)) return 0;
  char folder[kWallpaperPathSize], temp[MAX_PATH];
  strcpy(folder, wallpaper);
  *strrchr(folder, '\\') = 0;
  if (!GetTempFileNameA(folder, kWallpaperTempPrefix, 0, temp)) return 0;
  if (ConvertToBmp(picture, temp) && MoveFileExA(temp, wallpaper, MOVEFILE_REPLACE_EXISTING))
    return 1;
  DeleteFileA(temp);
  return 0;
}

}  // namespace

int WallpaperFilePath(char *path) {
  char folder[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
    return 0;
  const size_t length = strlen(folder);
  if (length + strlen(kWallpaperFolder) + strlen(kWallpaperFileName) >= kWallpaperPathSize)
    return 0;
  // "Ostrel", then "Ostrel\Lumora".
  strcpy(path, folder);
  strcat(path, kWallpaperFolder);
  char *inner = strrchr(path, '\\');
  *inner = 0;
  const int made = EnsureFolder(path);
  *inner = '\\';
  if (!made || !EnsureFolder(path)) return 0;
  strcat(path, kWallpaperFileName);
  return 1;
}

void WallpaperStyleValues(PlacementMode mode, const char **style, const char **tile) {
  *style = mode == kModeStretched ? "2" : "0";
  *tile = mode == kModeTiled ? "1" : "0";
}

void SetAsWallpaper() {
  const ListEntry *entry = gShow.CurrentEntry;
  if (!entry || strlen(entry->path) >= kWallpaperPathSize) return;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  char wallpaper[kWallpaperPathSize];
  if (PrepareWallpaperFile(entry->path, wallpaper)) SetDesktopWallpaper(wallpaper, entry->mode);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void SetDesktopWallpaper(const char *path, PlacementMode mode) {
  const char *style, *tile;
  WallpaperStyleValues(mode, &style, &tile);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegSetValueExA(key, "WallpaperStyle", 0, REG_SZ, (const BYTE *)style, 2);
    RegSetValueExA(key, "TileWallpaper", 0, REG_SZ, (const BYTE *)tile, 2);
    RegCloseKey(key);
  }
  char buffer[kWallpaperPathSize];
  lstrcpynA(buffer, path, sizeof buffer);
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer,
                        SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

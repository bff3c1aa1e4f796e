#include "wallpaper.h"

#include <windows.h>

#include <cstring>

#include "jpegreader.h"
#include "picturefile.h"
#include "view.h"

const char kWallpaperFileName[] = "\\KORDAX.BMP";
const char kWallpaperTempName[] = "\\TEMP.BMP";

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

// The Windows directory followed by name, or 0 when it does not fit the working buffer.
int WindowsPath(const char *name, char *out) {
  UINT length = GetWindowsDirectoryA(out, kWallpaperPathSize);
  if (length == 0 || length + strlen(name) >= kWallpaperPathSize) return 0;
  strcpy(out + length, name);
  return 1;
}

// Writes the picture as a BMP file at `to`. Returns 1 when the whole file was written.
int ConvertToBmp(const char *picture, PictureFormat format, const char *to) {
  if (format == kPictureJpeg) return ConvertJpegToBmp(picture, to) == kJpegConverted;
  PackedBitmap bitmap = ReadPictureFile(picture);  // the GIF or PCX reader, by the name
  if (!bitmap) return 0;
  int written = WritePackedBitmapFile(to, bitmap);
  GlobalFree(bitmap);
  return written;
}

// The file the desktop gets: the picture itself for a BMP, else the wallpaper file, written
// through the temporary file so that a failed conversion leaves the old wallpaper whole.
// Returns 0 when there is nothing to hand over.
int PrepareWallpaperFile(const char *picture, char *wallpaper) {
  PictureFormat format = PictureFormatOfName(picture);
  if (format == kPictureBmp) {
    strcpy(wallpaper, picture);
    return 1;
  }
  char temp[kWallpaperPathSize];
  if (!WindowsPath(kWallpaperFileName, wallpaper) || !WindowsPath(kWallpaperTempName, temp))
    return 0;
  int ok = ConvertToBmp(picture, format, temp) && CopyFileA(temp, wallpaper, FALSE);
  DeleteFileA(temp);
  return ok;
}

}  // namespace

void WallpaperStyleValues(PlacementMode mode, const char **style, const char **tile) {
  *style = mode == kModeStretched ? "2" : "0";
  *tile = mode == kModeTiled ? "1" : "0";
}

void SetAsWallpaper() {
  const ListEntry *entry = View.CurrentEntry;
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

// "Set as wallpaper": the current picture becomes the desktop wallpaper, in a style that
// follows its placement mode. The desktop reads BMP files only, so every other picture (the own
// readers' formats and what the system decodes) is converted into one fixed file in the user's
// application-data folder; a file whose content is a BMP is handed over as it is.
#pragma once

#include <string>

#include "imagelist.h"

// The desktop takes a wallpaper path of fewer UTF-16 units than this. A BMP picture with a
// longer path is converted into the wallpaper file like the other formats; a wallpaper file
// path that does not fit is refused without touching the desktop.
const unsigned kWallpaperPathSize = 256;

// The "WallpaperStyle" and "TileWallpaper" texts for a placement mode: tiled "0"/"1",
// stretched "2"/"0", anything else "0"/"0".
void WallpaperStyleValues(PlacementMode mode, const char **style, const char **tile);

// The wallpaper file's full name, "Ostrel\Lumora\KORDAX.BMP" in the application-data folder,
// creating its folder when missing. Empty when the
// application-data folder is unknown, the name does not fit in kWallpaperPathSize UTF-16 units, or
// the folder cannot be made.
std::string WallpaperFilePath();

// Converts the current entry's picture when needed and makes it the wallpaper. A picture that
// cannot be read or converted (a BMP that is missing or no BMP among them) leaves the
// wallpaper file and the desktop as they were.
void SetAsWallpaper();

// Writes the two desktop values for the mode and sets the file at path as the wallpaper.
void SetDesktopWallpaper(const char *path, PlacementMode mode);

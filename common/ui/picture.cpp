#include "picture.h"

#include "picturefile.h"

namespace {

// Whether a plain file (not a folder) exists at the path. Unlike OpenFile, whose record holds
// only 128 characters of path, this works for every path up to MAX_PATH.
bool FileExists(const char *path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

HBITMAP LoadPicture(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  if (!path || !FileExists(path)) return nullptr;
  PackedBitmap packed = ReadPictureFile(path, cancel, fit);
  HBITMAP bitmap = nullptr;
  if (!(cancel && cancel->load())) bitmap = PackedBitmapToDevice(packed);
  if (packed) GlobalFree(packed);
  return bitmap;
}

HBITMAP PackedBitmapToDevice(PackedBitmap bitmap) {
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP result = nullptr;
  if (bitmap && dc && PackedBitmapIsWhole(bitmap)) {
    result = CreateDIBitmap(dc, static_cast<const BITMAPINFOHEADER *>(bitmap), CBM_INIT,
                            PackedBitmapPixels(bitmap), static_cast<const BITMAPINFO *>(bitmap),
                            DIB_RGB_COLORS);
  }
  if (dc) DeleteDC(dc);
  return result;
}

int DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap, DWORD rop) {
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, rop);
  SelectObject(memory, previous);
  DeleteDC(memory);
  return 1;
}

int DrawBitmapStretched(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop) {
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  StretchBlt(dc, x, y, width, height, memory, 0, 0, info.bmWidth, info.bmHeight, rop);
  SelectObject(memory, previous);
  DeleteDC(memory);
  return 1;
}

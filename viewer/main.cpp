#include <windows.h>

#include <cstdio>

#include "jpeglib.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

// lumora-convert IN OUT.bmp: reads a picture as the viewer does (the reader its content, else its
// name, selects; on Windows the system's decoders for what no own reader claims) and writes it
// as a BMP file. Exit status 0 on success, 1 with a one-line message on
// the standard error stream otherwise.
#include <cstdio>

#include "packedbitmap.h"
#include "picturefile.h"
#ifdef _WIN32
#include "systempicture.h"
#endif

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: lumora-convert IN OUT.bmp\n");
    return 2;
  }
#ifdef _WIN32
  PackedBitmap bitmap = ReadAnyPictureFile(argv[1]);
#else
  PackedBitmap bitmap = ReadPictureFile(argv[1]);
#endif
  if (!bitmap) {
    fprintf(stderr, "lumora-convert: cannot read the picture %s\n", argv[1]);
    return 1;
  }
  const int written = WritePackedBitmapFile(argv[2], bitmap);
  GlobalFree(bitmap);
  if (!written) {
    fprintf(stderr, "lumora-convert: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

// lumora-convert IN OUT.bmp: reads a picture with the reader its name selects (as the viewer
// does) and writes it as a BMP file. Exit status 0 on success, 1 with a one-line message on
// the standard error stream otherwise.
#include <cstdio>

#include "packedbitmap.h"
#include "picturefile.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: lumora-convert IN OUT.bmp\n");
    return 2;
  }
  PackedBitmap bitmap = ReadPictureFile(argv[1]);
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

#include "pcxwriter.h"

std::string MakePcx(int width, int height) {
  std::string f(128, '\0');
  f[0] = 0x0A, f[1] = 5, f[2] = 1, f[3] = 8;
  f[8] = (char)(width - 1), f[9] = (char)((width - 1) >> 8);
  f[10] = (char)(height - 1), f[11] = (char)((height - 1) >> 8);
  f[65] = 1, f[66] = (char)width, f[67] = (char)(width >> 8);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) f += std::string("\xC1") + (char)((x * 7 + y * 13) & 0xff);
  f += '\x0C';
  for (int i = 0; i < 256; i++) f += std::string{(char)i, (char)(255 - i), (char)(i / 2)};
  return f;
}

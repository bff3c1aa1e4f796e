// lumora-convert IN OUT.bmp: reads a picture as the viewer does (the reader its content, else its
// name, selects; on Windows the system's decoders for what no own reader claims) and writes it
// as a BMP file. Exit status 0 on success, 1 with a one-line message on
// the standard error stream otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "packedbitmap.h"
#include "path.h"
#include "picturefile.h"
#ifdef _WIN32
#include "systempicture.h"
#endif

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace {

// The arguments in UTF-8: on Windows from the wide command line (main's are in the ANSI code
// page, which cannot name every file); elsewhere as they are.
std::vector<std::string> Arguments(int argc, char **argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  (void)argc, (void)argv;
  int count = 0;
  LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; i++) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
#else
  arguments.assign(argv, argv + argc);
#endif
  return arguments;
}

}  // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> arguments = Arguments(argc, argv);
  if (arguments.size() != 3) {
    fprintf(stderr, "usage: lumora-convert IN OUT.bmp\n");
    return 2;
  }
#ifdef _WIN32
  PackedBitmap bitmap = ReadAnyPictureFile(arguments[1].c_str());
#else
  PackedBitmap bitmap = ReadPictureFile(arguments[1].c_str());
#endif
  if (!bitmap) {
    fprintf(stderr, "lumora-convert: cannot read the picture %s\n", arguments[1].c_str());
    return 1;
  }
  const int written = WritePackedBitmapFile(arguments[2].c_str(), bitmap);
  GlobalFree(bitmap);
  if (!written) {
    fprintf(stderr, "lumora-convert: cannot write %s\n", arguments[2].c_str());
    return 1;
  }
  return 0;
}

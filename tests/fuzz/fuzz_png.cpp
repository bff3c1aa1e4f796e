// Any bytes as a PNG file, read whole and fitted into a small box: the reader must stay inside
// its buffers, and the bitmap it returns must be a whole 24-bit picture no larger than the
// picture's own size, which the fit reports.
#include "fuzz_support.h"
#include "pngreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".png");
  CheckFuzzedPicture(ReadPngFile(file.c_str()), nullptr, 24, 24);
  PictureFit fit = {7, 5, 0, 0};
  CheckFuzzedPicture(ReadPngFile(file.c_str(), nullptr, &fit), &fit, 24, 24);
  return 0;
}

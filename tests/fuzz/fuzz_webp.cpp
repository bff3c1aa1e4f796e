// Any bytes as a WebP file, read whole and fitted into a small box: the reader must stay inside
// its buffers (and libwebp inside its own), and the bitmap it returns must be a whole 24- or
// 32-bit picture no larger than the picture's own size, which the fit reports.
#include "fuzz_support.h"
#include "webpreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".webp");
  CheckFuzzedPicture(ReadWebpFile(file.c_str()), nullptr, 24, 32);
  PictureFit fit = {7, 5, 0, 0};
  CheckFuzzedPicture(ReadWebpFile(file.c_str(), nullptr, &fit), &fit, 24, 32);
  return 0;
}

// Any bytes as an image list file: the loader must stay inside its buffer and every entry it
// adds must be a proper NUL-terminated path made of the file's bytes (a list read in the ANSI
// code page turns each byte into at most three of UTF-8).
#include <cstring>

#include "fuzz_support.h"
#include "imagelist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".wcl");
  ImageList list{};
  if (LoadImageList(file.c_str(), &list, AddListEntry) != 1) abort();
  size_t total = 0;
  for (ListEntry *e = list.first; e; e = e->next) total += strlen(e->path) + 1;
  if (total > 3 * size || list.count < 0 || (size_t)list.count > size / 3 + 1) abort();
  FreeImageList(&list);
  return 0;
}

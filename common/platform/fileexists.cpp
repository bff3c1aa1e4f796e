#include "fileexists.h"

#include "filecalls.h"

bool FileExists(const char *path) {
  if (!path) return false;
  const DWORD attributes = PathAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

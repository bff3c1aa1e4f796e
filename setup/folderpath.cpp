#include "folderpath.h"

#include <windows.h>

namespace {

// The long form of a canonical path that exists, or the path itself.
std::string LongForm(const char *canonical) {
  char full[MAX_PATH];
  DWORD n = GetLongPathNameA(canonical, full, sizeof full);
  if (n == 0 || n >= sizeof full) return canonical;
  char again[MAX_PATH];
  return CanonicalFolder(full, again) ? std::string(again) : std::string(canonical);
}

}  // namespace

bool CanonicalFolder(const char *folder, char *out) {
  out[0] = 0;
  if (!folder[0]) return false;
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(folder, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return false;
  // A UNC path keeps its two leading separators; elsewhere a run of them counts as one.
  size_t used = 0;
  for (size_t i = 0; i < n; i++) {
    if (full[i] == '\\' && used > 1 && out[used - 1] == '\\') continue;
    out[used++] = full[i];
  }
  out[used] = 0;
  // The root of a drive is "X:\"; any other folder ends in its own name.
  const size_t root = used >= 2 && out[1] == ':' ? 3 : 0;
  while (used > root && used > 1 && out[used - 1] == '\\') out[--used] = 0;
  if (used == 2 && out[1] == ':') {
    out[used++] = '\\';
    out[used] = 0;
  }
  return true;
}

std::string InFolder(const std::string &folder, const char *name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

bool SamePath(const char *a, const char *b) {
  char first[MAX_PATH], second[MAX_PATH];
  if (!CanonicalFolder(a, first) || !CanonicalFolder(b, second)) return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, LongForm(first).c_str(), -1,
                        LongForm(second).c_str(), -1) == CSTR_EQUAL;
}

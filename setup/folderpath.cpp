#include "folderpath.h"

#include <windows.h>

#include "path.h"

namespace {

// The full path of a wide path (no "\\?\" form: the plain name is what gets written down).
std::wstring FullPath(const std::wstring &path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(path.c_str(), DWORD(full.size()), &full[0], nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(path.c_str(), DWORD(full.size()), &full[0], nullptr);
    if (n >= full.size()) n = 0;
  }
  full.resize(n);
  return full;
}

// The long form of a canonical path that exists, or the path itself.
std::string LongForm(const std::string &canonical) {
  const std::wstring wide = WideFromUtf8(canonical);
  DWORD n = GetLongPathNameW(wide.c_str(), nullptr, 0);
  if (n == 0) return canonical;
  std::wstring full(n, L'\0');
  n = GetLongPathNameW(wide.c_str(), &full[0], DWORD(full.size()));
  if (n == 0 || n >= full.size()) return canonical;
  full.resize(n);
  std::string again;
  return CanonicalFolder(Utf8FromWide(full).c_str(), &again) ? again : canonical;
}

}  // namespace

bool FitsPath(const std::string &text) {
  return Utf16Length(text) < MAX_PATH;
}

bool CanonicalFolder(const char *folder, std::string *out) {
  out->clear();
  if (!folder[0]) return false;
  const std::wstring full = FullPath(WideFromUtf8(folder));
  if (full.empty() || full.size() >= MAX_PATH) return false;
  // A UNC path keeps its two leading separators; elsewhere a run of them counts as one.
  std::wstring shaped;
  for (wchar_t c : full) {
    if (c == L'\\' && shaped.size() > 1 && shaped.back() == L'\\') continue;
    shaped += c;
  }
  // The root of a drive is "X:\"; any other folder ends in its own name.
  const size_t root = shaped.size() >= 2 && shaped[1] == L':' ? 3 : 0;
  while (shaped.size() > root && shaped.size() > 1 && shaped.back() == L'\\') shaped.pop_back();
  if (shaped.size() == 2 && shaped[1] == L':') shaped += L'\\';
  *out = Utf8FromWide(shaped);
  return true;
}

std::string InFolder(const std::string &folder, const char *name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

bool SameName(const std::string &a, const std::string &b) {
  const std::wstring first = WideFromUtf8(a), second = WideFromUtf8(b);
  return CompareStringOrdinal(first.c_str(), int(first.size()), second.c_str(), int(second.size()),
                              TRUE) == CSTR_EQUAL;
}

bool SamePath(const char *a, const char *b) {
  std::string first, second;
  if (!CanonicalFolder(a, &first) || !CanonicalFolder(b, &second)) return false;
  return SameName(LongForm(first), LongForm(second));
}

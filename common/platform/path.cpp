#include "path.h"

#include "platform.h"

namespace {

// Where the file name starts: just after the last separator, or 0.
size_t FileNameStart(std::string_view path) {
  for (size_t at = path.size(); at > 0; at--)
    if (IsPathSeparator(path[at - 1])) return at;
  return 0;
}

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
#endif
}

bool HasSeparator(std::string_view path) {
  return FileNameStart(path) > 0;
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && IsPathSeparator(path.back());
}

bool IsBareDrive(std::string_view path) {
  return path.size() == 2 && path[1] == ':';
}

std::string_view FolderOf(std::string_view path) {
  const size_t start = FileNameStart(path);
  return start ? path.substr(0, start - 1) : std::string_view();
}

std::string_view FileNameOf(std::string_view path) {
  return path.substr(FileNameStart(path));
}

std::string_view ExtensionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return name.substr(dot == std::string_view::npos ? name.size() : dot);  // still its end
}

bool HasExtension(const char *path, const char *extension) {
  return lstrcmpiA(ExtensionOf(path).data(), extension) == 0;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined;
  joined.reserve(folder.size() + 1 + name.size());
  joined.append(folder).append(1, '\\').append(name);
  return joined;
}

namespace {

const char32_t kReplacement = 0xFFFD;

// The code point of the UTF-8 sequence at text[*at], advancing *at past it; kReplacement (and
// one byte) for a byte that starts no valid sequence.
char32_t NextCodePoint(std::string_view text, size_t *at) {
  const unsigned char lead = (unsigned char)text[*at];
  (*at)++;
  if (lead < 0x80) return lead;
  size_t extra;
  char32_t point, least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, point = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, point = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, point = lead & 0x07, least = 0x10000;
  } else {
    return kReplacement;
  }
  if (text.size() - *at < extra) return kReplacement;
  for (size_t k = 0; k < extra; k++) {
    const unsigned char next = (unsigned char)text[*at + k];
    if ((next & 0xC0) != 0x80) return kReplacement;
    point = (point << 6) | (next & 0x3F);
  }
  if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
    return kReplacement;
  *at += extra;
  return point;
}

void AppendUtf8(std::string *out, char32_t point) {
  if (point < 0x80) {
    out->push_back((char)point);
  } else if (point < 0x800) {
    out->push_back((char)(0xC0 | (point >> 6)));
    out->push_back((char)(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    out->push_back((char)(0xE0 | (point >> 12)));
    out->push_back((char)(0x80 | ((point >> 6) & 0x3F)));
    out->push_back((char)(0x80 | (point & 0x3F)));
  } else {
    out->push_back((char)(0xF0 | (point >> 18)));
    out->push_back((char)(0x80 | ((point >> 12) & 0x3F)));
    out->push_back((char)(0x80 | ((point >> 6) & 0x3F)));
    out->push_back((char)(0x80 | (point & 0x3F)));
  }
}

#ifndef _WIN32
// Code page 1252 from 0x80 to 0x9F; its other bytes are the code points of the same number.
// The five bytes it leaves undefined map to the control characters of their number, as
// Windows maps them.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
#endif

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const char32_t point = NextCodePoint(text, &at);
    if (point < 0x10000) {
      wide.push_back((wchar_t)point);
    } else {
      wide.push_back((wchar_t)(0xD800 + ((point - 0x10000) >> 10)));
      wide.push_back((wchar_t)(0xDC00 + ((point - 0x10000) & 0x3FF)));
    }
  }
  return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (size_t at = 0; at < text.size(); at++) {
    char32_t unit = (char32_t)(text[at] & 0xFFFF);
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() &&
        (text[at + 1] & 0xFC00) == 0xDC00) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + ((char32_t)text[at + 1] - 0xDC00);
      at++;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = kReplacement;
    }
    AppendUtf8(&utf8, unit);
  }
  return utf8;
}

std::string Utf8FromWide(const wchar_t *text) {
  return text ? Utf8FromWide(std::wstring_view(text)) : std::string();
}

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    if (NextCodePoint(text, &at) == kReplacement && at == start + 1) return false;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if ((unsigned char)c > 0x7F) return false;
  return true;
}

size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  for (size_t at = 0; at < text.size();) units += NextCodePoint(text, &at) >= 0x10000 ? 2 : 1;
  return units;
}

std::string Utf8FromAnsi(std::string_view text) {
  std::string utf8;
#ifdef _WIN32
  if (text.empty() || text.size() > (size_t)0x7FFFFFFF) return utf8;
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0);
  if (length <= 0) return utf8;
  std::wstring wide((size_t)length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], length);
  utf8 = Utf8FromWide(wide);
#else
  utf8.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = (unsigned char)c;
    AppendUtf8(&utf8, byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte);
  }
#endif
  return utf8;
}

#ifdef _WIN32
bool FullWidePath(const std::wstring &wide, std::wstring *full) {
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return false;
  full->assign(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, &(*full)[0], nullptr);
  if (length == 0 || length >= size) return false;
  full->resize(length);
  return true;
}
#endif

std::wstring WidePath(std::string_view path) {
  std::wstring wide = WideFromUtf8(path);
#ifdef _WIN32
  const size_t kPlainFormLimit = 248;  // CreateDirectoryW's, the lowest of the plain calls
  if (wide.size() < kPlainFormLimit || wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  std::wstring full;
  if (!FullWidePath(wide, &full)) return wide;
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
#else
  return wide;
#endif
}

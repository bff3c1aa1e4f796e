#include "regvalue.h"

#include <cstring>

#include "path.h"

namespace {

// The wide form of a value or key name; null stays null (the default value).
struct WideName {
  explicit WideName(const char *name)
      : text(name ? WideFromUtf8(name) : std::wstring()), null(!name) {}
  const wchar_t *get() const { return null ? nullptr : text.c_str(); }
  std::wstring text;
  bool null;
};

// A value of exactly this type and size (at most 8 bytes), or false.
bool QueryExactValue(HKEY key, const char *name, DWORD type, void *value, DWORD size) {
  BYTE read[8];
  DWORD stored = 0, got = size;
  if (size > sizeof read ||
      RegQueryValueExW(key, WideName(name).get(), nullptr, &stored, read, &got) != ERROR_SUCCESS ||
      stored != type || got != size)
    return false;
  memcpy(value, read, size);
  return true;
}

void SetValue(HKEY key, const char *name, DWORD type, const void *bytes, DWORD size) {
  RegSetValueExW(key, WideName(name).get(), 0, type, static_cast<const BYTE *>(bytes), size);
}

}  // namespace

int QueryDwordValue(HKEY key, const char *name, DWORD *value) {
  return QueryExactValue(key, name, REG_DWORD, value, sizeof *value);
}

int QueryDwordInRange(HKEY key, const char *name, DWORD low, DWORD high, DWORD *value) {
  DWORD read;
  if (!QueryDwordValue(key, name, &read) || read < low || read > high) return 0;
  *value = read;
  return 1;
}

int QueryQwordValue(HKEY key, const char *name, uint64_t *value) {
  return QueryExactValue(key, name, REG_QWORD, value, sizeof *value);
}

int QueryTextValue(HKEY key, const char *name, std::string *text) {
  const WideName wide(name);
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, wide.get(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      type != REG_SZ || bytes > kTextValueMaxBytes)
    return 0;
  std::wstring read(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD got = bytes;
  if (RegQueryValueExW(key, wide.get(), nullptr, &type, reinterpret_cast<BYTE *>(&read[0]), &got) !=
          ERROR_SUCCESS ||
      type != REG_SZ || got > bytes)
    return 0;
  read.resize(got / sizeof(wchar_t));                         // an odd last byte is no character
  while (!read.empty() && read.back() == 0) read.pop_back();  // the NUL, when it was stored
  *text = Utf8FromWide(read);
  return 1;
}

int QueryTextValue(HKEY key, const char *name, char *text, DWORD size) {
  std::string read;
  if (size == 0 || !QueryTextValue(key, name, &read) || read.size() >= size) return 0;
  memcpy(text, read.c_str(), read.size() + 1);
  return 1;
}

int QueryTextValueOf(HKEY root, const char *subkey, const char *name, char *text, DWORD size) {
  HKEY key;
  if (RegOpenKeyExW(root, WideName(subkey).get(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  int read = QueryTextValue(key, name, text, size);
  RegCloseKey(key);
  return read;
}

void SetDwordValue(HKEY key, const char *name, DWORD value) {
  SetValue(key, name, REG_DWORD, &value, sizeof value);
}

void SetQwordValue(HKEY key, const char *name, uint64_t value) {
  SetValue(key, name, REG_QWORD, &value, sizeof value);
}

void SetTextValue(HKEY key, const char *name, const char *text) {
  const std::wstring wide = WideFromUtf8(text ? text : "");
  SetValue(key, name, REG_SZ, wide.c_str(), (DWORD)((wide.size() + 1) * sizeof(wchar_t)));
}

int OpenKey(HKEY root, const char *subkey, REGSAM access, HKEY *key) {
  return RegOpenKeyExW(root, WideName(subkey).get(), 0, access, key) == ERROR_SUCCESS;
}

int CreateKey(HKEY root, const char *subkey, HKEY *key) {
  return RegCreateKeyExW(root, WideName(subkey).get(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                         key, nullptr) == ERROR_SUCCESS;
}

void SetDefaultTextValue(HKEY root, const char *subkey, const char *text) {
  HKEY key;
  if (!CreateKey(root, subkey, &key)) return;
  SetTextValue(key, nullptr, text);
  RegCloseKey(key);
}

#include "regvalue.h"

#include <cstring>

namespace {

// A value of exactly this type and size (at most 8 bytes), or false.
bool QueryExactValue(HKEY key, const char *name, DWORD type, void *value, DWORD size) {
  BYTE read[8];
  DWORD stored = 0, got = size;
  if (size > sizeof read ||
      RegQueryValueExA(key, name, nullptr, &stored, read, &got) != ERROR_SUCCESS ||
      stored != type || got != size)
    return false;
  memcpy(value, read, size);
  return true;
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

int QueryTextValue(HKEY key, const char *name, char *text, DWORD size) {
  if (size == 0) return 0;
  char read[MAX_PATH];
  if (size > sizeof read) size = sizeof read;
  DWORD type = 0, got = size;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(read), &got) !=
          ERROR_SUCCESS ||
      type != REG_SZ || got > size)
    return 0;
  if (got == size && read[got - 1] != 0) return 0;  // no room for the missing NUL
  if (got == 0 || read[got - 1] != 0) read[got++] = 0;
  memcpy(text, read, got);
  return 1;
}

int QueryTextValueOf(HKEY root, const char *subkey, const char *name, char *text, DWORD size) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  int read = QueryTextValue(key, name, text, size);
  RegCloseKey(key);
  return read;
}

void SetDwordValue(HKEY key, const char *name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void SetQwordValue(HKEY key, const char *name, uint64_t value) {
  RegSetValueExA(key, name, 0, REG_QWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void SetTextValue(HKEY key, const char *name, const char *text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                 (DWORD)strlen(text) + 1);
}

void SetDefaultTextValue(HKEY root, const char *subkey, const char *text) {
  HKEY key;
  if (RegCreateKeyA(root, subkey, &key) != ERROR_SUCCESS) return;
  SetTextValue(key, nullptr, text);
  RegCloseKey(key);
}

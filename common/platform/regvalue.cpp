#include "regvalue.h"

#include <cstring>

int QueryDwordValue(HKEY key, const char *name, DWORD *value) {
  DWORD type = 0, read = 0, size = sizeof read;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&read), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof read)
    return 0;
  *value = read;
  return 1;
}

int QueryDwordInRange(HKEY key, const char *name, DWORD low, DWORD high, DWORD *value) {
  DWORD read;
  if (!QueryDwordValue(key, name, &read) || read < low || read > high) return 0;
  *value = read;
  return 1;
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

void SetDwordValue(HKEY key, const char *name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void SetTextValue(HKEY key, const char *name, const char *text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                 (DWORD)strlen(text) + 1);
}

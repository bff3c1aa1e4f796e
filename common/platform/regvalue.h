// Reading and writing the programs' registry values. Reads check the stored type and size, so
// a value of another kind never lands in a setting; a failed read leaves the setting alone.
// A null name is the key's default (unnamed) value.
#pragma once

#include <windows.h>

#include <cstdint>

// A REG_DWORD of exactly 4 bytes. Returns 1 when read.
int QueryDwordValue(HKEY key, const char *name, DWORD *value);

// The same, kept only when it lies in [low, high]. Returns 1 when read and in range.
int QueryDwordInRange(HKEY key, const char *name, DWORD low, DWORD high, DWORD *value);

// A REG_QWORD of exactly 8 bytes. Returns 1 when read.
int QueryQwordValue(HKEY key, const char *name, uint64_t *value);

// A REG_SZ that fits, with its NUL, into size bytes (one stored without its NUL is ended).
// Returns 1 when read.
int QueryTextValue(HKEY key, const char *name, char *text, DWORD size);

// The same from the subkey of root, opened for reading only while it is read.
int QueryTextValueOf(HKEY root, const char *subkey, const char *name, char *text, DWORD size);

// REG_DWORD of 4 bytes; REG_QWORD of 8 bytes; REG_SZ of the text's length + 1 bytes. Failures
// are not reported.
void SetDwordValue(HKEY key, const char *name, DWORD value);
void SetQwordValue(HKEY key, const char *name, uint64_t value);
void SetTextValue(HKEY key, const char *name, const char *text);

// The default value of the subkey of root as a REG_SZ, the subkey created when missing.
void SetDefaultTextValue(HKEY root, const char *subkey, const char *text);

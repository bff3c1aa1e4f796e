// Reading and writing the programs' registry values. Reads check the stored type and size, so
// a value of another kind never lands in a setting; a failed read leaves the setting alone.
#pragma once

#include <windows.h>

// A REG_DWORD of exactly 4 bytes. Returns 1 when read.
int QueryDwordValue(HKEY key, const char *name, DWORD *value);

// The same, kept only when it lies in [low, high]. Returns 1 when read and in range.
int QueryDwordInRange(HKEY key, const char *name, DWORD low, DWORD high, DWORD *value);

// A REG_SZ that fits, with its NUL, into size bytes (one stored without its NUL is ended).
// Returns 1 when read.
int QueryTextValue(HKEY key, const char *name, char *text, DWORD size);

// REG_DWORD of 4 bytes; REG_SZ of the text's length + 1 bytes. Failures are not reported.
void SetDwordValue(HKEY key, const char *name, DWORD value);
void SetTextValue(HKEY key, const char *name, const char *text);

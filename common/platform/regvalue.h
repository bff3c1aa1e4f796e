// Reading and writing the programs' registry values. Reads check the stored type and size, so
// a value of another kind never lands in a setting; a failed read leaves the setting alone.
// A null name is the key's default (unnamed) value. Names and texts are UTF-8; the registry
// holds them through the wide calls, as UTF-16 (a text stored by an A call reads the same).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// A REG_DWORD of exactly 4 bytes. Returns 1 when read.
int QueryDwordValue(HKEY key, const char *name, DWORD *value);

// The same, kept only when it lies in [low, high]. Returns 1 when read and in range.
int QueryDwordInRange(HKEY key, const char *name, DWORD low, DWORD high, DWORD *value);

// A REG_QWORD of exactly 8 bytes. Returns 1 when read.
int QueryQwordValue(HKEY key, const char *name, uint64_t *value);

// The longest REG_SZ read: a path of the longest length the file calls take.
const DWORD kTextValueMaxBytes = 65536;

// A REG_SZ of at most kTextValueMaxBytes (one stored without its NUL is ended). Returns 1 when
// read.
int QueryTextValue(HKEY key, const char *name, std::string *text);

// The same into size bytes; 0 when the text with its NUL does not fit.
int QueryTextValue(HKEY key, const char *name, char *text, DWORD size);

// The same from the subkey of root, opened for reading only while it is read.
int QueryTextValueOf(HKEY root, const char *subkey, const char *name, char *text, DWORD size);

// REG_DWORD of 4 bytes; REG_QWORD of 8 bytes; REG_SZ of the text in UTF-16 with its NUL. Failures
// are not reported.
void SetDwordValue(HKEY key, const char *name, DWORD value);
void SetQwordValue(HKEY key, const char *name, uint64_t value);
void SetTextValue(HKEY key, const char *name, const char *text);

// Opens an existing subkey, or creates one (opened for reading and writing). Return 1 when the
// key is open.
int OpenKey(HKEY root, const char *subkey, REGSAM access, HKEY *key);
int CreateKey(HKEY root, const char *subkey, HKEY *key);

// The default value of the subkey of root as a REG_SZ, the subkey created when missing.
void SetDefaultTextValue(HKEY root, const char *subkey, const char *text);

// Paths as text: the parts of a path, and a folder joined with a name. A backslash separates
// the parts; in the native build (the portable layers off Windows) a slash does as well.
// Nothing here limits a path's length or looks at the file system: a caller that keeps a path
// in a fixed buffer, or refuses long ones, checks the length of the result itself.
//
// FolderOf, FileNameOf and ExtensionOf return views into their argument, valid as long as it
// is. FileNameOf and ExtensionOf are its ends: for a NUL-ended argument their data() is
// NUL-ended too.
#pragma once

#include <string>
#include <string_view>

bool IsPathSeparator(char c);

// Whether the path holds a separator at all.
bool HasSeparator(std::string_view path);

// Whether the path ends in a separator ("C:\", "C:\Temp\").
bool EndsWithSeparator(std::string_view path);

// Two characters, the second a colon ("C:"): a drive alone, which names that drive's current
// folder, not its root ("C:\").
bool IsBareDrive(std::string_view path);

// Everything before the last separator: "C:\Pics\a.bmp" gives "C:\Pics", "C:\a.bmp" gives
// "C:"; "a.bmp" and "\a.bmp" give "".
std::string_view FolderOf(std::string_view path);

// Everything after the last separator; the whole path when it has none.
std::string_view FileNameOf(std::string_view path);

// The file name's last dot and what follows it (".jpeg"); empty when the file name has no dot.
std::string_view ExtensionOf(std::string_view path);

// Whether the file name's extension is this one (".jpg"), compared as the system compares
// names, without regard to case.
bool HasExtension(const char *path, const char *extension);

// The folder, one backslash and the name. A folder that ends in a separator already (a drive's
// root, "C:\") keeps it, so that the result has two.
std::string JoinPath(std::string_view folder, std::string_view name);

// Text and paths are UTF-8 inside the programs; the wide (UTF-16) Win32 calls take and return
// them through these conversions. A byte that starts no valid UTF-8 sequence (a stray
// continuation byte, an overlong form, a surrogate, a sequence cut short) becomes U+FFFD; an
// unpaired surrogate in UTF-16 does too. wchar_t holds UTF-16 code units on every system here.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
std::string Utf8FromWide(const wchar_t *text);  // NUL-ended; null gives ""

// Whether every byte of the text belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);
// Whether the text is plain ASCII (no byte above 0x7F).
bool IsAscii(std::string_view text);
// The number of UTF-16 code units the text converts to.
size_t Utf16Length(std::string_view text);

// Text in the system's ANSI code page (what the A calls and old files hold) as UTF-8. Natively
// the code page is 1252, the one Western Windows systems use.
std::string Utf8FromAnsi(std::string_view text);

// The longest path the wide file calls take, in UTF-16 code units.
const size_t kLongestPath = 32767;

// A UTF-8 path for the wide file calls. One that the plain form cannot carry (as long as a
// folder's 248 characters or longer) is made absolute and given the "\\?\" form ("\\?\UNC\" for
// a share), which takes the name as it is: no "." or ".." parts, backslashes only.
std::wstring WidePath(std::string_view path);

#ifdef _WIN32
// The wide path made absolute (GetFullPathNameW, any length) in *full; false when it cannot be.
bool FullWidePath(const std::wstring &wide, std::wstring *full);
#endif

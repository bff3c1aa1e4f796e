// Stand-in for the handful of Win32 types and calls that the portable core uses, so that the
// core builds and runs natively (sanitizers, fuzzers, benchmarks). Semantics follow Win32 for
// everything the core relies on; paths may use '\' or '/'.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int BOOL;
typedef int HFILE;
typedef char CHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef const char *LPCCH;
typedef void *LPVOID;
typedef void *HGLOBAL;
typedef size_t SIZE_T;
typedef LONG *LPLONG;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define HFILE_ERROR ((HFILE)-1)

#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_SHARE_COMPAT 0x0000
#define OF_SHARE_EXCLUSIVE 0x0010
#define OF_SHARE_DENY_WRITE 0x0020
#define OF_SHARE_DENY_READ 0x0030
#define OF_SHARE_DENY_NONE 0x0040
#define OF_EXIST 0x4000
#define OFS_MAXPATHNAME 128

#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define MOVEFILE_REPLACE_EXISTING 0x00000001

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define GMEM_FIXED 0x0000
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L

typedef struct _OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT;

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagBITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagRGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
} RGBTRIPLE;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;

// Old-style file calls. Handles are POSIX descriptors. A file whose permission bits allow no
// writing counts as read-only: opening it for writing fails, as the read-only attribute does
// on Windows (even for a superuser).
HFILE _lopen(LPCSTR path, int mode);
HFILE _lcreat(LPCSTR path, int attributes);
UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
UINT _lwrite(HFILE file, LPCCH buffer, UINT bytes);
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);
HFILE OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style);

BOOL DeleteFileA(LPCSTR path);
BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists);
BOOL MoveFileA(LPCSTR from, LPCSTR to);
// Only MOVEFILE_REPLACE_EXISTING (or no flag): replaces a file in one rename, never a folder or
// a read-only file, as Windows refuses both.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY or FILE_ATTRIBUTE_NORMAL; no path:
// INVALID_FILE_ATTRIBUTES.
DWORD GetFileAttributesA(LPCSTR path);

// Fixed global-heap blocks only (GMEM_FIXED, with or without GMEM_ZEROINIT).
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);

void GetSystemTime(LPSYSTEMTIME time);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR s);

// The user's temporary folder as Windows finds it: the environment variable TMP, else TEMP,
// else TMPDIR, else "/tmp"; the name ends in a separator. Returns its length, or the size the
// buffer needs (with the NUL) when it is too small.
DWORD GetTempPathA(DWORD size, LPSTR buffer);

// Creates a new, empty file "<folder>\<up to 3 characters of prefix><4 hex digits>.TMP" that
// did not exist before and writes its name into name (MAX_PATH bytes). unique must be 0.
// Returns the number used, or 0 when no file could be created.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name);

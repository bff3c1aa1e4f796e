// The image list: a ".wcl" file of "key=path" lines and the in-memory, doubly linked list of
// pictures that the viewer and the screen saver walk.
#pragma once

#include "platform.h"

// How a picture is placed on the screen.
typedef LONG PlacementMode;
const PlacementMode kModeCentred = 0;
const PlacementMode kModeTiled = 1;
const PlacementMode kModeStretched = 2;

struct ListEntry {
  char *path;
  PlacementMode mode;
  ListEntry *next;
  ListEntry *prev;
  bool listed;  // found by listing a folder (a show skips it once the file is gone)
};

// New entries go in at the front: index 0 is the entry added last.
struct ImageList {
  ListEntry *first;
  ListEntry *last;
  LONG count;
};

typedef ImageList *(*AddEntryProc)(ImageList *list, const char *path, PlacementMode mode);

// Adds one entry per CR-ended "key=path" line of the file (a UTF-8 path). The paths added are
// UTF-8: a list that starts with the UTF-8 byte order mark is UTF-8, one without it is UTF-8
// when all of it is valid UTF-8, and otherwise in the system's ANSI code page. Returns 1, or 0
// when the file cannot be opened for reading and writing or read into memory.
int LoadImageList(const char *fileName, ImageList *list, AddEntryProc add);

// Adds an entry at the front with a private copy of the path; null when memory runs out.
ImageList *AddListEntry(ImageList *list, const char *path, PlacementMode mode);

// Adds an entry at the end, as AddListEntry does at the front; returns it, or null.
ListEntry *AppendListEntry(ImageList *list, const char *path, PlacementMode mode);

// Whether a line's path names a folder rather than a picture: it ends in a separator
// ("stretched=D:\Photos\").
bool IsFolderLine(const char *path);

void FreeImageList(ImageList *list);
ListEntry *FindListEntry(ImageList *list, int index);
void SwapListEntries(ImageList *list, int i, int j);
void ShuffleImageList(ImageList *list);
// Puts the entries after this one (all of them for null) into a random order, every order
// equally likely; the entries up to it keep theirs.
void ShuffleListAfter(ImageList *list, ListEntry *entry);

// Writes "centred=<path>" and CR LF to a file opened with CreatePath.
void WriteListLine(HFILE file, const char *path);

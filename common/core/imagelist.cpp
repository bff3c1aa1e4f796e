#include "imagelist.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "filecalls.h"
#include "path.h"
#include "random.h"

namespace {

const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

// Reads the whole file into a zero-filled global block with a NUL after the data.
char *ReadWholeFile(HFILE file, LONG *size) {
  LONG end = _llseek(file, 0, FILE_END);
  if (end < 0) return nullptr;
  char *buffer = static_cast<char *>(GlobalAlloc(GPTR, (SIZE_T)end + 1));
  if (!buffer) return nullptr;
  if (_llseek(file, 0, FILE_BEGIN) != 0) {
    GlobalFree(buffer);
    return nullptr;
  }
  UINT got = _lread(file, buffer, (UINT)end);
  if (got == (UINT)HFILE_ERROR) got = 0;
  *size = (LONG)got;  // a file that shrank meanwhile: only what was read counts
  buffer[got] = 0;
  return buffer;
}

PlacementMode ModeFromKey(const char *line, PlacementMode previous) {
  while (*line == ' ') line++;
  switch (*line) {
    case 'c': return kModeCentred;
    case 't': return kModeTiled;
    case 's': return kModeStretched;
    default: return previous;
  }
}

// Exchanges the pictures (path and placement) of two entries; the links stay.
void ExchangeContents(ListEntry *a, ListEntry *b) {
  char *path = a->path;
  a->path = b->path;
  b->path = path;
  PlacementMode mode = a->mode;
  a->mode = b->mode;
  b->mode = mode;
  const bool listed = a->listed;
  a->listed = b->listed;
  b->listed = listed;
}

}  // namespace

int LoadImageList(const char *fileName, ImageList *list, AddEntryProc add) {
  if (!add) return 0;
  HFILE file = OpenPath(fileName, OF_READWRITE);
  if (file == HFILE_ERROR) return 0;
  LONG read = 0;
  char *buffer = ReadWholeFile(file, &read);
  if (!buffer) {
    _lclose(file);
    return 0;
  }

  // The list's text in UTF-8: after the byte order mark; as it is when it is valid UTF-8
  // throughout; else in the system's ANSI code page, as lists were first written.
  char *text = buffer;
  size_t length = strlen(buffer);  // the lines end at a NUL in the data
  std::string converted;
  if (length >= sizeof kUtf8Mark && memcmp(text, kUtf8Mark, sizeof kUtf8Mark) == 0) {
    text += sizeof kUtf8Mark;
    length -= sizeof kUtf8Mark;
  } else if (!IsValidUtf8(std::string_view(text, length))) {
    converted = Utf8FromAnsi(std::string_view(text, length));
    text = &converted[0];
    length = converted.size();
  }
  const LONG size = length > 0x7FFFFFFF ? 0x7FFFFFFF : (LONG)length;

  // A first line whose key is not recognised has no previous line to take a mode from: it is
  // centred.
  PlacementMode mode = kModeCentred;
  LONG lineStart = 0;
  for (LONG pos = 0; pos < size && text[pos]; pos++) {
    if (text[pos] != '\r') continue;
    text[pos] = 0;
    for (LONG k = pos - 1; k >= lineStart && text[k] == ' '; k--) text[k] = 0;
    char *line = text + lineStart;
    mode = ModeFromKey(line, mode);
    // A line without "=" (an empty one among them) names no picture.
    char *equals = strchr(line, '=');
    if (equals) add(list, equals + 1, mode);
    // The byte after CR (LF) is skipped, but never the terminator after the data.
    if (pos + 1 < size) pos++;
    lineStart = pos + 1;
  }

  _lclose(file);
  GlobalFree(buffer);
  return 1;
}

ImageList *AddListEntry(ImageList *list, const char *path, PlacementMode mode) {
  ListEntry *entry = static_cast<ListEntry *>(malloc(sizeof(ListEntry)));
  size_t length = strlen(path);
  char *copy = static_cast<char *>(malloc(length + 1));
  if (!entry || !copy) {
    free(entry);
    free(copy);
    return nullptr;
  }
  memcpy(copy, path, length + 1);
  entry->path = copy;
  entry->mode = mode;
  entry->next = nullptr;
  entry->prev = nullptr;
  entry->listed = false;
  if (list->count == 0) {
    list->first = entry;
    list->last = entry;
    list->count = 1;
  } else {
    entry->next = list->first;
    list->first->prev = entry;
    list->first = entry;
    list->count++;
  }
  return list;
}

ListEntry *AppendListEntry(ImageList *list, const char *path, PlacementMode mode) {
  ListEntry *previousLast = list->last;
  if (!AddListEntry(list, path, mode)) return nullptr;
  ListEntry *entry = list->first;
  if (!previousLast) return entry;  // the only one
  // Unlink it from the front and link it after the old last.
  list->first = entry->next;
  list->first->prev = nullptr;
  entry->next = nullptr;
  entry->prev = previousLast;
  previousLast->next = entry;
  list->last = entry;
  return entry;
}

bool IsFolderLine(const char *path) {
  return path && EndsWithSeparator(path);
}

void FreeImageList(ImageList *list) {
  ListEntry *entry = list->first;
  while (entry) {
    ListEntry *next = entry->next;
    free(entry->path);
    free(entry);
    entry = next;
  }
  list->first = nullptr;
  list->last = nullptr;
  list->count = 0;
}

ListEntry *FindListEntry(ImageList *list, int index) {
  ListEntry *entry = list->first;
  for (int i = 0; i < index && entry; i++) entry = entry->next;
  return entry;
}

void SwapListEntries(ImageList *list, int i, int j) {
  ListEntry *a = FindListEntry(list, i);
  ListEntry *b = FindListEntry(list, j);
  if (i == j || !a || !b) return;
  ExchangeContents(a, b);
}

// Each step exchanges entry i with one drawn from after it, through an array of the entries
// made once, so that a shuffle is linear; the draws and exchanges are those of
// SwapListEntries(list, i, RandomRange(i + 1, count - 1)) for i from 0 to count - 3, and so is
// the order. Without memory for the array, that walk itself does it.
void ShuffleImageList(ImageList *list) {
  if (!list || list->count <= 2) return;
  const int count = list->count;
  ListEntry **entries = static_cast<ListEntry **>(malloc(sizeof(ListEntry *) * (size_t)count));
  if (!entries) {
    for (int i = 0; i < count - 2; i++) SwapListEntries(list, i, RandomRange(i + 1, count - 1));
    return;
  }
  int found = 0;
  for (ListEntry *entry = list->first; entry && found < count; entry = entry->next)
    entries[found++] = entry;
  for (int i = 0; i < count - 2; i++) {
    const int j = RandomRange(i + 1, count - 1);
    if (i < found && j < found) ExchangeContents(entries[i], entries[j]);
  }
  free(entries);
}

void ShuffleListAfter(ImageList *list, ListEntry *entry) {
  std::vector<ListEntry *> entries;
  for (ListEntry *e = entry ? entry->next : list->first; e; e = e->next) entries.push_back(e);
  for (size_t i = entries.size(); i > 1; i--) {
    const int j = RandomRange(0, (int)i - 1);
    ExchangeContents(entries[i - 1], entries[(size_t)j]);
  }
}

void WriteListLine(HFILE file, const char *path) {
  _lwrite(file, "centred=", 8);
  _lwrite(file, path, (UINT)strlen(path));
  _lwrite(file, "\r\n", 2);
}

#include "readahead.h"

#include "picture.h"
#include "placedraw.h"

namespace {

bool Cancelled(const std::atomic<bool> *cancel) {
  return cancel && cancel->load();
}

// A bitmap in the display's format holding `source` drawn by draw(into, from).
template <typename Draw>
HBITMAP DrawIntoNewBitmap(HBITMAP source, LONG width, LONG height, Draw draw) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return nullptr;
  HBITMAP result = CreateCompatibleBitmap(display, width, height);
  HDC into = CreateCompatibleDC(display), from = CreateCompatibleDC(display);
  if (result && into && from) {
    HGDIOBJ oldInto = SelectObject(into, result), oldFrom = SelectObject(from, source);
    draw(into, from);
    GdiFlush();
    SelectObject(into, oldInto);
    SelectObject(from, oldFrom);
  } else if (result) {
    DeleteObject(result);
    result = nullptr;
  }
  if (into) DeleteDC(into);
  if (from) DeleteDC(from);
  DeleteDC(display);
  return result;
}

}  // namespace

PreparedPicture PreparePicture(const char *path, PlacementMode mode, int screenWidth,
                               int screenHeight, const std::atomic<bool> *cancel) {
  PreparedPicture picture = {};
  picture.bitmap = LoadPicture(path, cancel);
  BITMAP info;
  if (!picture.bitmap || !GetObjectA(picture.bitmap, sizeof info, &info) || Cancelled(cancel)) {
    FreePreparedPicture(&picture);
    return picture;
  }
  const LONG width = info.bmWidth, height = info.bmHeight;
  if (mode == kModeTiled) {
    picture.placedRect = PlaceRect{0, 0, screenWidth, screenHeight};
    picture.placed = DrawIntoNewBitmap(
        picture.bitmap, screenWidth, screenHeight,
        [&](HDC into, HDC) { DrawTiledPicture(into, picture.bitmap, screenWidth, screenHeight); });
  } else if (mode == kModeStretched) {
    picture.placedRect = BestFitRect(screenWidth, screenHeight, width, height);
    const LONG w = picture.placedRect.right - picture.placedRect.left,
               h = picture.placedRect.bottom - picture.placedRect.top;
    if (w > 0 && h > 0)
      picture.placed = DrawIntoNewBitmap(picture.bitmap, w, h, [&](HDC into, HDC from) {
        StretchPicture(into, PlaceRect{0, 0, w, h}, from, width, height);
      });
  }
  if (picture.placed) picture.placedMode = mode;
  if (Cancelled(cancel)) FreePreparedPicture(&picture);
  return picture;
}

void FreePreparedPicture(PreparedPicture *picture) {
  if (picture->bitmap) DeleteObject(picture->bitmap);
  if (picture->placed) DeleteObject(picture->placed);
  *picture = PreparedPicture{};
}

bool DrawPlacedCopy(HDC dc, const PreparedPicture &picture, PlacementMode mode) {
  if (!picture.placed || picture.placedMode != mode) return false;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return false;
  HGDIOBJ old = SelectObject(source, picture.placed);
  const PlaceRect &to = picture.placedRect;
  BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  return true;
}

FileStamp ReadFileStamp(const char *path) {
  FileStamp stamp = {};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path && GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    stamp.exists = true;
    stamp.sizeHigh = data.nFileSizeHigh;
    stamp.sizeLow = data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
  }
  return stamp;
}

bool SameFileStamp(const FileStamp &a, const FileStamp &b) {
  if (a.exists != b.exists) return false;
  if (!a.exists) return true;
  return a.sizeHigh == b.sizeHigh && a.sizeLow == b.sizeLow &&
         a.written.dwLowDateTime == b.written.dwLowDateTime &&
         a.written.dwHighDateTime == b.written.dwHighDateTime;
}

bool ReadAheadWanted() {
  char value[8];
  DWORD length = GetEnvironmentVariableA("LUMORA_READAHEAD", value, sizeof value);
  return !(length == 1 && value[0] == '0');
}

ReadAhead::ReadAhead() {
  InitializeCriticalSection(&lock_);
}

ReadAhead::~ReadAhead() {
  Stop();
  DeleteCriticalSection(&lock_);
}

bool ReadAhead::Start(int screenWidth, int screenHeight) {
  Stop();
  if (!ReadAheadWanted()) return false;
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  quit_ = false;
  handOvers_ = 0;
  state_ = kEmpty;
  cancel_ = false;
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  finished_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (wake_ && finished_) thread_ = CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
  // The window thread's drawing comes first wherever the system honours priorities.
  if (thread_) SetThreadPriority(thread_, THREAD_PRIORITY_BELOW_NORMAL);
  if (!thread_) Stop();
  return thread_ != nullptr;
}

void ReadAhead::Stop() {
  if (thread_) {
    EnterCriticalSection(&lock_);
    quit_ = true;
    cancel_ = true;
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  EmptyTrash();
  if (state_ == kReady) FreePreparedPicture(&result_);
  state_ = kEmpty;
  entry_ = nullptr;
  if (wake_) CloseHandle(wake_);
  if (finished_) CloseHandle(finished_);
  wake_ = finished_ = nullptr;
}

DWORD WINAPI ReadAhead::WorkerMain(LPVOID self) {
  static_cast<ReadAhead *>(self)->Work();
  return 0;
}

void ReadAhead::Work() {
  for (;;) {
    WaitForSingleObject(wake_, INFINITE);
    EmptyTrash();
    while (ReadQueuedJob()) EmptyTrash();
    EnterCriticalSection(&lock_);
    const bool quit = quit_;
    LeaveCriticalSection(&lock_);
    if (quit) return;
  }
}

// Reads the queued job if there is one; false when there was none or the worker is to end.
bool ReadAhead::ReadQueuedJob() {
  EnterCriticalSection(&lock_);
  if (quit_ || state_ != kQueued) {
    LeaveCriticalSection(&lock_);
    return false;
  }
  const unsigned job = job_;
  char path[MAX_PATH];
  lstrcpynA(path, path_, MAX_PATH);
  const PlacementMode mode = mode_;
  state_ = kReading;
  cancel_ = false;
  LeaveCriticalSection(&lock_);

  // The stamp before the read: a file replaced while it is read then counts as changed.
  const FileStamp stamp = ReadFileStamp(path);
  PreparedPicture picture = PreparePicture(path, mode, screenWidth_, screenHeight_, &cancel_);

  EnterCriticalSection(&lock_);
  if (job_ == job && state_ == kReading && !cancel_) {
    result_ = picture;
    stamp_ = stamp;
    state_ = kReady;
    SetEvent(finished_);
    picture = PreparedPicture{};
  }
  LeaveCriticalSection(&lock_);
  FreePreparedPicture(&picture);  // a dropped job's result
  return true;
}

// Forgets the job: a result held is freed, a read under way is told to stop and its result
// will be freed by the worker.
void ReadAhead::DropLocked() {
  if (state_ == kReading) cancel_ = true;
  if (state_ == kReady) FreePreparedPicture(&result_);
  state_ = kEmpty;
  entry_ = nullptr;
  job_++;
  SetEvent(finished_);
}

void ReadAhead::Request(const ListEntry *entry, const char *path, PlacementMode mode) {
  if (!thread_ || !entry || !path) return;
  EnterCriticalSection(&lock_);
  const bool same = state_ != kEmpty && entry_ == entry && lstrcmpA(path_, path) == 0;
  if (!same) {
    DropLocked();
    entry_ = entry;
    lstrcpynA(path_, path, MAX_PATH);
    mode_ = mode;
    state_ = kQueued;
    ResetEvent(finished_);
    SetEvent(wake_);
  }
  LeaveCriticalSection(&lock_);
}

bool ReadAhead::Take(const ListEntry *entry, const char *path, PreparedPicture *picture) {
  if (!thread_) return false;
  EnterCriticalSection(&lock_);
  const bool same = state_ != kEmpty && entry_ == entry && path && lstrcmpA(path_, path) == 0;
  // Only this thread changes the job, so the one waited for stays the same one.
  while (same && (state_ == kQueued || state_ == kReading)) {
    LeaveCriticalSection(&lock_);
    WaitForSingleObject(finished_, INFINITE);
    EnterCriticalSection(&lock_);
  }
  bool taken = false;
  if (same && state_ == kReady && SameFileStamp(stamp_, ReadFileStamp(path))) {
    *picture = result_;
    result_ = PreparedPicture{};
    state_ = kEmpty;
    taken = true;
    handOvers_++;
  }
  DropLocked();
  LeaveCriticalSection(&lock_);
  return taken;
}

void ReadAhead::EmptyTrash() {
  PreparedPicture trash[kTrashSize];
  EnterCriticalSection(&lock_);
  for (int i = 0; i < kTrashSize; i++) {
    trash[i] = trash_[i];
    trash_[i] = PreparedPicture{};
  }
  LeaveCriticalSection(&lock_);
  for (PreparedPicture &picture : trash) FreePreparedPicture(&picture);
}

void ReadAhead::Dispose(PreparedPicture *picture) {
  if (!picture->bitmap && !picture->placed) return;
  if (thread_) {
    EnterCriticalSection(&lock_);
    for (PreparedPicture &slot : trash_) {
      if (slot.bitmap || slot.placed) continue;
      slot = *picture;
      *picture = PreparedPicture{};
      break;
    }
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
  }
  FreePreparedPicture(picture);  // no worker, or its trash is full
}

void ReadAhead::Discard() {
  if (!thread_) return;
  EnterCriticalSection(&lock_);
  DropLocked();
  LeaveCriticalSection(&lock_);
}

bool ReadAhead::Idle() {
  if (!thread_) return true;
  EnterCriticalSection(&lock_);
  const bool idle = state_ == kEmpty || state_ == kReady;
  LeaveCriticalSection(&lock_);
  return idle;
}

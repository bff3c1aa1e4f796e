#include "readahead.h"

#include "filecalls.h"
#include "picture.h"
#include "scopedlock.h"

namespace {

// The worker yields to the window thread's drawing wherever the system honours priorities.
const int kWorkerPriority = THREAD_PRIORITY_BELOW_NORMAL;

}  // namespace

FileStamp ReadFileStamp(const char *path) {
  FileStamp stamp = {};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path && PathAttributeData(path, &data)) {
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

void ReadAhead::PlaceAlsoFor(const ScreenSize *sizes, int count) {
  otherCount_ = 0;
  for (int i = 0; i < count && otherCount_ < kMaxMonitors; i++)
    otherSizes_[otherCount_++] = sizes[i];
}

bool ReadAhead::Start(int screenWidth, int screenHeight) {
  Stop();
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  if (!ReadAheadWanted()) return false;
  quit_ = false;
  handOvers_ = 0;
  state_ = kEmpty;
  cancel_ = false;
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  finished_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (wake_ && finished_) thread_ = CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
  if (thread_) SetThreadPriority(thread_, kWorkerPriority);
  if (!thread_) Stop();
  return thread_ != nullptr;
}

void ReadAhead::Stop() {
  if (thread_) {
    {
      ScopedLock hold(&lock_);
      quit_ = true;
      cancel_ = true;
    }
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  DropBehind();
  shown_ = Held{};
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
    ScopedLock hold(&lock_);
    if (quit_) return;
  }
}

// Reads the queued job if there is one; false when there was none or the worker is to end.
bool ReadAhead::ReadQueuedJob() {
  unsigned job;
  std::string path;
  PlacementMode mode;
  {
    ScopedLock hold(&lock_);
    if (quit_ || state_ != kQueued) return false;
    job = job_;
    path = path_;
    mode = mode_;
    state_ = kReading;
    cancel_ = false;
  }

  // The stamp before the read: a file replaced while it is read then counts as changed.
  const FileStamp stamp = ReadFileStamp(path.c_str());
  PreparedPicture picture = PreparePicture(path.c_str(), mode, screenWidth_, screenHeight_,
                                           &cancel_, otherSizes_, otherCount_);

  {
    ScopedLock hold(&lock_);
    if (job_ == job && state_ == kReading && !cancel_) {
      result_ = picture;
      stamp_ = stamp;
      state_ = kReady;
      SetEvent(finished_);
      picture = PreparedPicture{};
    }
  }
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

// Whether the job, queued, under way or done, is this entry and path.
bool ReadAhead::HoldsLocked(const ListEntry *entry, const char *path) const {
  return state_ != kEmpty && entry_ == entry && path && path_ == path;
}

// Whether the worker has yet to finish this entry and path.
bool ReadAhead::Reading(const ListEntry *entry, const char *path) {
  ScopedLock hold(&lock_);
  return HoldsLocked(entry, path) && (state_ == kQueued || state_ == kReading);
}

// Waits for the job under way to finish, with the worker at the window thread's priority
// meanwhile: the window thread is held up by nothing else.
void ReadAhead::WaitForWorker() {
  SetThreadPriority(thread_, THREAD_PRIORITY_NORMAL);
  WaitForSingleObject(finished_, INFINITE);
  SetThreadPriority(thread_, kWorkerPriority);
}

void ReadAhead::Request(const ListEntry *entry, const char *path, PlacementMode mode) {
  if (!thread_ || !entry || !path) return;
  ScopedLock hold(&lock_);
  if (HoldsLocked(entry, path)) return;
  DropLocked();
  entry_ = entry;
  path_ = path;
  mode_ = mode;
  state_ = kQueued;
  ResetEvent(finished_);
  SetEvent(wake_);
}

bool ReadAhead::Take(const ListEntry *entry, const char *path, PreparedPicture *picture,
                     FileStamp *stamp) {
  if (!thread_) return false;
  // Only this thread changes the job, so the one waited for stays the same one.
  while (Reading(entry, path)) WaitForWorker();
  ScopedLock hold(&lock_);
  bool taken = false;
  // A picture decoded reduced for the best fit serves no other placement: the entry's may have
  // changed while it was held.
  if (HoldsLocked(entry, path) && state_ == kReady && SameFileStamp(stamp_, ReadFileStamp(path)) &&
      (!result_.reduced || entry->mode == kModeStretched)) {
    *picture = result_;
    if (stamp) *stamp = stamp_;
    result_ = PreparedPicture{};
    state_ = kEmpty;
    taken = true;
    handOvers_++;
  }
  DropLocked();
  return taken;
}

PreparedPicture ReadAhead::TakeOrRead(const ListEntry *entry, FileStamp *stamp) {
  PreparedPicture picture = {};
  if (!entry || TakeBehind(entry, &picture, stamp) || Take(entry, entry->path, &picture, stamp))
    return picture;
  if (stamp) *stamp = ReadFileStamp(entry->path);  // before the read, as the worker does
  return PreparePicture(entry->path, entry->mode, screenWidth_, screenHeight_, nullptr, otherSizes_,
                        otherCount_);
}

bool ReadAhead::TakeBehind(const ListEntry *entry, PreparedPicture *picture, FileStamp *stamp) {
  if (!behind_.picture.bitmap || behind_.entry != entry || behind_.path != entry->path)
    return false;
  // A picture decoded reduced for the best fit serves no other placement.
  const bool fits = SameFileStamp(behind_.stamp, ReadFileStamp(entry->path)) &&
                    (!behind_.picture.reduced || entry->mode == kModeStretched);
  if (fits) {
    *picture = behind_.picture;
    if (stamp) *stamp = behind_.stamp;
    behind_ = Held{};
    handOvers_++;
  }
  DropBehind();
  return fits;
}

void ReadAhead::KeepBehind(PreparedPicture *replaced, const ListEntry *entry,
                           const FileStamp &stamp) {
  DropBehind();
  if (thread_ && replaced->bitmap && shown_.entry) {
    behind_ = shown_;
    behind_.picture = *replaced;
    *replaced = PreparedPicture{};
  }
  Dispose(replaced);
  shown_ = Held{};
  shown_.entry = entry;
  if (entry) shown_.path = entry->path;
  shown_.stamp = stamp;
}

void ReadAhead::DropBehind() {
  Dispose(&behind_.picture);
  behind_ = Held{};
}

void ReadAhead::RequestNext(const ListEntry *entry, const ImageList &list) {
  if (!entry) return;
  const ListEntry *next = entry->next ? entry->next : list.first;
  if (next && !(behind_.picture.bitmap && behind_.entry == next))
    Request(next, next->path, next->mode);
}

void ReadAhead::EmptyTrash() {
  PreparedPicture trash[kTrashSize];
  {
    ScopedLock hold(&lock_);
    for (int i = 0; i < kTrashSize; i++) {
      trash[i] = trash_[i];
      trash_[i] = PreparedPicture{};
    }
  }
  for (PreparedPicture &picture : trash) FreePreparedPicture(&picture);
}

void ReadAhead::Dispose(PreparedPicture *picture) {
  if (!picture->bitmap && !picture->placed) return;
  if (thread_) {
    {
      ScopedLock hold(&lock_);
      for (PreparedPicture &slot : trash_) {
        if (slot.bitmap || slot.placed) continue;
        slot = *picture;
        *picture = PreparedPicture{};
        break;
      }
    }
    SetEvent(wake_);
  }
  FreePreparedPicture(picture);  // no worker, or its trash is full
}

void ReadAhead::Discard() {
  DropBehind();
  shown_ = Held{};
  if (!thread_) return;
  ScopedLock hold(&lock_);
  DropLocked();
}

bool ReadAhead::ReadingAJob() {
  if (!thread_) return false;
  ScopedLock hold(&lock_);
  return state_ == kReading;
}

bool ReadAhead::Idle() {
  if (!thread_) return true;
  ScopedLock hold(&lock_);
  return state_ == kEmpty || state_ == kReady;
}

// Reading ahead: while one picture of a show is on the screen, a worker thread of its own
// reads the picture that the next step forward will show, makes its display bitmap and, for a
// tiled or best-fit entry, draws it as that placement shows it, so that the step itself only
// swaps bitmaps and copies. One worker per program, at most one picture held ahead.
//
// The window thread asks for an entry with Request and collects it with Take; the worker
// never touches the list (it reads a copy of the path). What a program shows and in which
// order stays as it is without reading ahead: Take hands over a picture only for the same
// entry and path when the file still has the size and last-write time it had when it was
// read; anything else is read again at once by the caller. Setting the environment variable
// LUMORA_READAHEAD to 0 before Start turns reading ahead off (Take then always answers no).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "imagelist.h"
#include "placement.h"
#include "prepared.h"

// What tells a file that was read apart from one replaced since: whether it exists, its size
// and its last-write time.
struct FileStamp {
  bool exists;
  DWORD sizeHigh, sizeLow;
  FILETIME written;
};
FileStamp ReadFileStamp(const char *path);
bool SameFileStamp(const FileStamp &a, const FileStamp &b);

// False when the environment variable LUMORA_READAHEAD is "0".
bool ReadAheadWanted();

class ReadAhead {
 public:
  ReadAhead();
  ~ReadAhead();  // stops the worker
  ReadAhead(const ReadAhead &) = delete;
  ReadAhead &operator=(const ReadAhead &) = delete;

  // Starts the worker for pictures laid out on a screenWidth x screenHeight screen (the size
  // pictures read at once are prepared for as well). False, with reading ahead off, when
  // ReadAheadWanted says no or the thread cannot be made.
  bool Start(int screenWidth, int screenHeight);
  // Monitors of other sizes (the saver on several monitors): the tiled and best-fit drawings
  // are made for the first kMaxOtherSizes of these too, and a reduced decoding covers every one
  // (PreparePicture). Called before Start; none by default.
  void PlaceAlsoFor(const ScreenSize *sizes, int count);
  // Cancels what the worker does, waits for it to end and frees what it held. Prompt: a
  // read of any format stops at its next row batch.
  void Stop();
  bool Running() const { return thread_ != nullptr; }

  // Reads this entry's picture ahead, for mode. What was held or being read for another entry
  // or path is dropped; the same entry and path already held or being read is kept.
  void Request(const ListEntry *entry, const char *path, PlacementMode mode);

  // The picture read ahead for this entry and path, waiting for the worker when it is still
  // reading it (at normal priority meanwhile, so that a busy machine does not make the wait
  // longer than reading at once). True and *picture filled (the caller owns it) when the file is
  // unchanged since it was read and the picture serves the entry's placement now (one decoded
  // reduced for the best fit serves no other); false otherwise, and whatever was held or being
  // read is dropped.
  bool Take(const ListEntry *entry, const char *path, PreparedPicture *picture,
            FileStamp *stamp = nullptr);

  // Changes the picture shown to the entry's (none for a null entry): the picture read ahead
  // when it is still good, else read now. show puts it on the screen and returns the picture
  // it replaces; that one is then freed on the worker, and the worker starts on the entry after
  // this one in the list (the first after the last). Neither delays the change.
  // With the worker running, the replaced picture is kept as the one behind instead, so that
  // a step back to it swaps at once: it is taken under Take's checks (same entry and path, the
  // file unchanged) and only for a placement it holds the pixels for. At most three pictures
  // are held: the one shown, the one behind and the one read ahead.
  template <typename Show>
  void Change(const ListEntry *entry, const ImageList &list, Show show) {
    FileStamp stamp = {};
    PreparedPicture replaced = show(TakeOrRead(entry, &stamp));
    KeepBehind(&replaced, entry, stamp);
    RequestNext(entry, list);
  }
  // Change's steps: the entry's picture, taken from behind or ahead or read now (prepared for
  // its placement, as the worker does), with the stamp of the file it was read from; keeping
  // the replaced picture behind; and the request for the entry after this one (none after a
  // null entry, nor when that one is held behind).
  PreparedPicture TakeOrRead(const ListEntry *entry, FileStamp *stamp = nullptr);
  void KeepBehind(PreparedPicture *replaced, const ListEntry *entry, const FileStamp &stamp);
  void RequestNext(const ListEntry *entry, const ImageList &list);

  // Drops what is held ahead or behind or being read: the list changed.
  void Discard();

  // Frees a picture no longer shown on the worker, so that deleting large bitmaps does not
  // hold up the window thread (at once when the worker is not running). Empties *picture.
  void Dispose(PreparedPicture *picture);

  // For tests: true once the worker holds a finished picture (or has none to read).
  bool Idle();
  // For tests: true while the worker has taken a job and not finished it.
  bool ReadingAJob();
  // For tests: how many pictures Take and the step back have handed over since Start.
  int HandOvers() const { return handOvers_; }

 private:
  enum State { kEmpty, kQueued, kReading, kReady };

  static DWORD WINAPI WorkerMain(LPVOID self);
  void Work();
  bool ReadQueuedJob();
  bool HoldsLocked(const ListEntry *entry, const char *path) const;
  bool Reading(const ListEntry *entry, const char *path);
  void WaitForWorker();
  void DropLocked();
  void EmptyTrash();
  bool TakeBehind(const ListEntry *entry, PreparedPicture *picture, FileStamp *stamp);
  void DropBehind();

  // A picture shown or kept for a step back, with what identifies it (window thread only).
  struct Held {
    PreparedPicture picture;
    const ListEntry *entry;
    std::string path;
    FileStamp stamp;
  };
  Held shown_ = {};   // what the last change showed; its picture is the caller's
  Held behind_ = {};  // the picture shown before that one

  CRITICAL_SECTION lock_;
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;      // auto-reset: a job was queued, or quit
  HANDLE finished_ = nullptr;  // manual-reset: set unless a job is queued or being read
  bool quit_ = false;
  State state_ = kEmpty;
  unsigned job_ = 0;  // numbers the jobs, so that a dropped job's result is recognised
  const ListEntry *entry_ = nullptr;
  std::string path_;
  PlacementMode mode_ = kModeCentred;
  FileStamp stamp_ = {};
  PreparedPicture result_ = {};
  static const int kTrashSize = 4;
  PreparedPicture trash_[kTrashSize] = {};  // pictures for the worker to free
  std::atomic<bool> cancel_{false};
  int screenWidth_ = 0, screenHeight_ = 0;
  ScreenSize otherSizes_[kMaxMonitors] = {};  // drawn for: the first kMaxOtherSizes
  int otherCount_ = 0;
  int handOvers_ = 0;
};

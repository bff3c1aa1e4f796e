// A show: the pictures of one image list shown one at a time, each laid out against the
// display's size, with the picture that the next step forward will show read ahead meanwhile
// (readahead.h). The viewer and the screen saver each keep one, the process-wide gShow, and
// change what is shown only through it: a step chooses the entry, takes the picture read ahead
// or reads it now, and hands it to the program to put on the screen.
#pragma once

#include <windows.h>

#include "imagelist.h"
#include "monitors.h"
#include "prepared.h"
#include "readahead.h"

// The window timer of a show on the show's window, period TimeOut * 1000 ms.
const UINT_PTR SlideTimer = 1;

// Step codes: which entry a step goes to. A code of 0 or more is an index into the list.
const int kGoFirst = -1;
const int kGoPrevious = -2;  // the last before the first
const int kGoNext = -3;      // the first after the last
const int kGoLast = -4;
const int kGoRandom = -5;

class Show {
 public:
  Show() = default;
  Show(const Show &) = delete;
  Show &operator=(const Show &) = delete;

  ImageList Images = {};              // the show's pictures, in the order they are shown
  ListEntry *CurrentEntry = nullptr;  // the entry shown; null when there is none
  int ScreenWidth = 0;   // the display's size, which every picture is laid out against (never a
  int ScreenHeight = 0;  // window's client size)

  // Reads the display's size (ReadScreenSize). Returns 0, keeping the size, when it cannot.
  int ReadDisplaySize();

  // Begins the show's stepping: pictures are prepared for the display's size (read above) and,
  // for tiled and best-fit entries, for screens of the other sizes as well, and read ahead
  // unless LUMORA_READAHEAD is 0 or no thread can be made (every step then reads at once).
  void Begin(const ScreenSize *otherSizes = nullptr, int otherCount = 0);
  // Ends reading ahead and frees every picture held, the one shown among them; the entry is
  // forgotten (the list stays).
  void End();

  // Makes the entry that `code` names current (none for an empty list or an index beyond it)
  // and gets its picture: the one read ahead or kept behind when it is still good, else read
  // now. The picture is put in place (ReplacePicture) and then `shown` is called, for the
  // program to lay it out and draw it; the picture it replaced is freed (or kept behind) after
  // that, and the entry after this one is read ahead.
  template <typename Shown>
  void GoTo(int code, Shown shown) {
    CurrentEntry = ChooseEntry(code);
    ahead_.Change(CurrentEntry, Images, [&](const PreparedPicture &picture) {
      PreparedPicture replaced = ReplacePicture(picture);
      shown();
      return replaced;
    });
  }

  // The picture shown, with its display bitmap (null when there is none or it could not be
  // read).
  const PreparedPicture &Picture() const { return shown_; }
  HBITMAP CurrentBitmap() const { return shown_.bitmap; }

  // Makes picture the one shown, selected into the picture context if there is one, and
  // returns the picture it replaces, for the caller to free (Dispose) once it is off the
  // screen.
  PreparedPicture ReplacePicture(const PreparedPicture &picture);

  // A memory context that the shown picture's bitmap is to be kept selected in (the viewer
  // draws from it): each picture put in place is selected into it, and with none the
  // context's own first bitmap. Null lets the context go, with its first bitmap selected back.
  void SelectPicturesInto(HDC context);

  // Frees a picture no longer shown, on the read-ahead worker when it runs.
  void Dispose(PreparedPicture *picture) { ahead_.Dispose(picture); }

  // Drops the pictures read ahead or kept behind: the list's order or entries changed.
  void DiscardReadAhead() { ahead_.Discard(); }

  // Shuffles the list (ShuffleImageList) and drops what was read ahead for the old order.
  void Shuffle();

  // Forgets the current entry and frees its picture (the context, if any, gets its first
  // bitmap back), dropping what was read ahead: the list is about to change.
  void ForgetCurrentEntry();

  // Forgets the current entry and frees the list.
  void FreeList();

  // For tests and the benchmark: true when the read-ahead worker is not reading, and how many
  // steps took a picture read ahead or kept behind since reading ahead started.
  bool ReadAheadIdle() { return ahead_.Idle(); }
  int ReadAheadHandOvers() const { return ahead_.HandOvers(); }

 private:
  ListEntry *ChooseEntry(int code);

  ReadAhead ahead_;
  PreparedPicture shown_ = {};
  HDC context_ = nullptr;
  HGDIOBJ contextFirst_ = nullptr;  // the context's own bitmap, selected when nothing is shown
};

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
#include "showlisting.h"

// The window timer of a show on the show's window, period TimeOut * 1000 ms.
const UINT_PTR SlideTimer = 1;

// Step codes: which entry a step goes to. A code of 0 or more is an index into the list.
const int kGoFirst = -1;
const int kGoPrevious = -2;  // the last before the first
const int kGoNext = -3;      // the first after the last
const int kGoLast = -4;
const int kGoRandom = -5;

// Posted to the window a show notifies (NotifyListingTo) when a listing of its folders ends.
const UINT kShowListedMessage = WM_APP + 40;

// What loading a show gives.
enum ShowLoadResult {
  kShowLoaded,      // at least one picture to show
  kShowLoadFailed,  // the list file could not be read, or the folder is missing or unreadable
  kShowEmpty,       // the list or folder names no picture
};

class Show {
 public:
  Show() = default;
  Show(const Show &) = delete;
  Show &operator=(const Show &) = delete;

  ImageList Images = {};              // the show's pictures, in the order they are shown
  ListEntry *CurrentEntry = nullptr;  // the entry shown; null when there is none
  int ScreenWidth = 0;   // the display's size, which every picture is laid out against (never a
  int ScreenHeight = 0;  // window's client size)

  // Whether each pass (each wrap from the last picture to the first) is a new shuffle, the
  // first picture of a pass never the last of the one before. Set before Load.
  bool ShufflePasses = false;

  // Loads the show named by path, after freeing the list: an image list file, whose folder
  // lines (IsFolderLine) stand for the pictures of those folders, or a folder, whose pictures
  // are shown centred (ListFolderTree's order). Folders are listed on a worker: the show begins
  // with the first picture known, the rest joins when the listing ends (TakeListing), and they
  // are listed again for each new pass. A list without folder lines loads as LoadImageList
  // loads it.
  ShowLoadResult Load(const char *path);

  // Where the end of a listing is posted (kShowListedMessage); null for nowhere.
  void NotifyListingTo(HWND window) { listing_.NotifyWhenDone(window, kShowListedMessage); }
  // Takes a listing that has ended: the show's first listing completes the list (true: the list
  // grew), one for a new pass is kept for it. GoTo takes one as well.
  bool TakeListing();
  // For tests and the benchmark: whether a listing runs or waits to be taken, and waits for it
  // to end and takes it.
  bool Listing() const { return listing_.Busy(); }
  bool FinishListing();

  // Counts the changes of the list's entries or order (a load, a shuffle, a listing taken, a
  // new pass's order), so that what shows the list knows when to show it again.
  int ListVersion() const { return listVersion_; }

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
    TakeListing();
    CurrentEntry = ChooseEntry(code);
    AfterChoice();
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
  ListEntry *Forward(ListEntry *entry);
  ListEntry *NewPass();
  void AfterChoice();
  void StartListing(bool offerFirst);
  void ForgetSources();

  std::vector<ShowSource> sources_;  // set when the show holds folders
  ShowListing listing_;
  bool filling_ = false;                 // the first listing is not yet taken
  bool readable_ = true;                 // what the first listing said
  std::vector<ListedPicture> nextPass_;  // a listing taken for the next pass
  bool hasNextPass_ = false;
  int listVersion_ = 0;

  ReadAhead ahead_;
  PreparedPicture shown_ = {};
  HDC context_ = nullptr;
  HGDIOBJ contextFirst_ = nullptr;  // the context's own bitmap, selected when nothing is shown
};

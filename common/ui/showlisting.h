// Listing a show's folders on a worker thread. A show made of a folder (or of a list with
// folder lines) begins with the first picture known while the rest is listed, and is listed
// again for each new pass; the window thread takes each listing once it has ended. One listing
// runs at a time; the worker owns nothing the window thread uses until it is taken.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "imagelist.h"

// What a show is made of, in show order: pictures and folders, each with its placement.
struct ShowSource {
  std::string path;
  PlacementMode mode;
  bool folder;
};

// One picture of a listing: a picture source as it is, or one found in a folder (listed).
struct ListedPicture {
  std::string path;
  PlacementMode mode;
  bool listed;
};

// Whether the file name's extension is one of a picture type the package reads, without regard
// to case: one of its own readers' (answered at once), or one of those or the system
// decoders' (which waits, the first time, until the system has listed them).
bool IsOwnPictureName(std::wstring_view name);
bool IsPictureName(std::wstring_view name);

class ShowListing {
 public:
  ShowListing();
  ~ShowListing();  // stops the worker
  ShowListing(const ShowListing &) = delete;
  ShowListing &operator=(const ShowListing &) = delete;

  // Starts listing the sources (a listing before is stopped and forgotten). With offerFirst,
  // the picture the listing begins with is made known as soon as it is (WaitForFirst). Without
  // a thread the listing is made here and now.
  void Start(const std::vector<ShowSource> &sources, bool offerFirst);
  // Waits until the first picture is known or the listing has ended; true and *first filled
  // when there is one.
  bool WaitForFirst(ListedPicture *first);
  // Posts message to the window when a listing ends (at once when it has ended already); a null
  // window posts nothing.
  void NotifyWhenDone(HWND window, UINT message);
  // Whether a listing was started and not taken yet.
  bool Busy() const { return started_; }
  // Takes the listing that has ended: true with *pictures in show order, and *readable false
  // when a folder among the sources could not be read. False while it runs, or with none.
  bool Take(std::vector<ListedPicture> *pictures, bool *readable);
  // Cancels the listing running and forgets it.
  void Stop();

 private:
  static DWORD WINAPI WorkerMain(LPVOID self);
  void Work();
  void MakeFirstKnown(const ListedPicture &picture);

  CRITICAL_SECTION lock_;
  HANDLE thread_ = nullptr;
  HANDLE firstKnown_ = nullptr;  // manual-reset: the first picture is known, or the listing ended
  std::atomic<bool> cancel_{false};
  bool started_ = false;  // window thread only
  // Shared with the worker under the lock:
  std::vector<ShowSource> sources_;
  bool offerFirst_ = false;
  bool hasFirst_ = false;
  ListedPicture first_;
  bool done_ = false;
  bool readable_ = true;
  std::vector<ListedPicture> pictures_;
  HWND notify_ = nullptr;
  UINT message_ = 0;
};

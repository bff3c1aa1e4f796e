#include "showlisting.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "foldertree.h"
#include "path.h"
#include "scopedlock.h"
#include "systemdecoders.h"

namespace {

std::wstring LowerExtension(std::wstring_view name) {
  const size_t dot = name.rfind(L'.');
  std::wstring extension(dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot));
  for (wchar_t &c : extension) c = (wchar_t)towlower(c);
  return extension;
}

bool Among(const std::wstring &extension, const std::vector<std::wstring> &types) {
  return !extension.empty() && std::find(types.begin(), types.end(), extension) != types.end();
}

std::vector<std::wstring> Wide(const std::vector<std::string> &types) {
  std::vector<std::wstring> wide;
  for (const std::string &type : types) wide.push_back(WideFromUtf8(type));
  return wide;
}

// The system's picture types, asked once per run on a thread of their own (COM and the
// decoders' list take a while), from the first listing on.
INIT_ONCE gSystemTypesOnce = INIT_ONCE_STATIC_INIT;
HANDLE gSystemTypesAsked = nullptr;  // manual-reset: gSystemTypes is complete
std::vector<std::wstring> gSystemTypes;

DWORD WINAPI AskSystemTypes(LPVOID) {
  gSystemTypes = Wide(PictureExtensions(SystemDecoders()));
  SetEvent(gSystemTypesAsked);
  return 0;
}

BOOL CALLBACK StartAskingSystemTypes(PINIT_ONCE, PVOID, PVOID *) {
  gSystemTypesAsked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread =
      gSystemTypesAsked ? CreateThread(nullptr, 0, AskSystemTypes, nullptr, 0, nullptr) : nullptr;
  if (thread)
    CloseHandle(thread);
  else
    AskSystemTypes(nullptr);  // asked here and now (without an event, complete at once)
  return TRUE;
}

const std::vector<std::wstring> &SystemTypes() {
  InitOnceExecuteOnce(&gSystemTypesOnce, StartAskingSystemTypes, nullptr, nullptr);
  if (gSystemTypesAsked) WaitForSingleObject(gSystemTypesAsked, INFINITE);
  return gSystemTypes;
}

}  // namespace

bool IsOwnPictureName(std::wstring_view name) {
  static const std::vector<std::wstring> own = Wide(PictureExtensions({}));
  return Among(LowerExtension(name), own);
}

bool IsPictureName(std::wstring_view name) {
  return IsOwnPictureName(name) || Among(LowerExtension(name), SystemTypes());
}

ShowListing::ShowListing() {
  InitializeCriticalSection(&lock_);
  firstKnown_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

ShowListing::~ShowListing() {
  Stop();
  if (firstKnown_) CloseHandle(firstKnown_);
  DeleteCriticalSection(&lock_);
}

void ShowListing::Start(const std::vector<ShowSource> &sources, bool offerFirst) {
  Stop();
  {
    ScopedLock hold(&lock_);
    sources_ = sources;
    offerFirst_ = offerFirst;
    hasFirst_ = false;
    first_ = ListedPicture{};
    done_ = false;
    readable_ = true;
    pictures_.clear();
  }
  if (firstKnown_) ResetEvent(firstKnown_);
  InitOnceExecuteOnce(&gSystemTypesOnce, StartAskingSystemTypes, nullptr, nullptr);
  cancel_ = false;
  started_ = true;
  thread_ = CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
  if (!thread_) Work();  // no thread: listed now
}

DWORD WINAPI ShowListing::WorkerMain(LPVOID self) {
  static_cast<ShowListing *>(self)->Work();
  return 0;
}

void ShowListing::MakeFirstKnown(const ListedPicture &picture) {
  ScopedLock hold(&lock_);
  if (hasFirst_) return;
  hasFirst_ = true;
  first_ = picture;
  if (firstKnown_) SetEvent(firstKnown_);
  // The show begins now: the rest of the listing gives way to it.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

void ShowListing::Work() {
  std::vector<ShowSource> sources;
  bool offer;
  {
    ScopedLock hold(&lock_);
    sources = sources_;
    offer = offerFirst_;
  }
  const PictureNames isPicture = {IsOwnPictureName, IsPictureName};
  std::vector<ListedPicture> pictures;
  bool readable = true;
  for (const ShowSource &source : sources) {
    if (cancel_) break;
    if (pictures.size() >= kMaxListedPictures) break;
    if (!source.folder) {
      pictures.push_back({source.path, source.mode, false});
      if (offer) MakeFirstKnown(pictures.front());
      continue;
    }
    const PlacementMode mode = source.mode;
    FirstPictureKnown first = nullptr;
    if (offer && pictures.empty())
      first = [this, mode](const std::string &path) { MakeFirstKnown({path, mode, true}); };
    std::vector<std::string> paths;
    if (ListFolderTree(source.path, isPicture, &paths, first, &cancel_) == kTreeUnreadable)
      readable = false;
    for (std::string &path : paths) {
      if (pictures.size() >= kMaxListedPictures) break;
      pictures.push_back({std::move(path), mode, true});
    }
  }
  ScopedLock hold(&lock_);
  pictures_ = std::move(pictures);
  readable_ = readable;
  done_ = true;
  if (firstKnown_) SetEvent(firstKnown_);
  if (notify_ && !cancel_) PostMessageW(notify_, message_, 0, 0);
}

bool ShowListing::WaitForFirst(ListedPicture *first) {
  if (!started_) return false;
  if (firstKnown_) WaitForSingleObject(firstKnown_, INFINITE);
  ScopedLock hold(&lock_);
  if (hasFirst_) {
    *first = first_;
    return true;
  }
  if (done_ && !pictures_.empty()) {
    *first = pictures_.front();
    return true;
  }
  return false;
}

void ShowListing::NotifyWhenDone(HWND window, UINT message) {
  ScopedLock hold(&lock_);
  notify_ = window;
  message_ = message;
  if (window && started_ && done_) PostMessageW(window, message, 0, 0);
}

bool ShowListing::Take(std::vector<ListedPicture> *pictures, bool *readable) {
  if (!started_) return false;
  {
    ScopedLock hold(&lock_);
    if (!done_) return false;
    *pictures = std::move(pictures_);
    pictures_.clear();
    *readable = readable_;
  }
  Stop();
  return true;
}

void ShowListing::Stop() {
  if (thread_) {
    cancel_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  started_ = false;
}

#include "show.h"

#include <string>
#include <unordered_map>

#include "filecalls.h"
#include "foldertree.h"
#include "placedraw.h"
#include "random.h"

namespace {

// A picture found in a folder whose file has gone since: a step passes over it.
bool Gone(const ListEntry *entry) {
  return entry && entry->listed && PathAttributes(entry->path) == INVALID_FILE_ATTRIBUTES;
}

bool Append(ImageList *list, const ListedPicture &picture) {
  ListEntry *entry = AppendListEntry(list, picture.path.c_str(), picture.mode);
  if (entry) entry->listed = picture.listed;
  return entry != nullptr;
}

}  // namespace

ShowLoadResult Show::Load(const char *path) {
  FreeList();
  listVersion_++;
  const bool folder = IsFolder(path);
  if (folder) {
    sources_.push_back({path, kModeCentred, true});
  } else {
    if (!LoadImageList(path, &Images, AddListEntry)) {
      FreeImageList(&Images);
      return kShowLoadFailed;
    }
    bool folders = false;
    for (ListEntry *entry = Images.first; entry && !folders; entry = entry->next)
      folders = IsFolderLine(entry->path);
    if (!folders) return Images.first ? kShowLoaded : kShowEmpty;
    // The pictures before the first folder line are known now; the rest comes with the listing.
    for (ListEntry *entry = Images.first; entry; entry = entry->next)
      sources_.push_back({entry->path, entry->mode, IsFolderLine(entry->path)});
    FreeImageList(&Images);
    for (const ShowSource &source : sources_) {
      if (source.folder) break;
      Append(&Images, {source.path, source.mode, false});
    }
  }
  const bool nothingKnown = Images.count == 0;
  filling_ = true;
  StartListing(nothingKnown);
  if (nothingKnown) {
    ListedPicture first;
    if (listing_.WaitForFirst(&first)) Append(&Images, first);
  }
  TakeListing();  // complete already when the folders are small
  if (Images.first) return kShowLoaded;
  return folder && !readable_ ? kShowLoadFailed : kShowEmpty;
}

void Show::StartListing(bool offerFirst) {
  listing_.Start(sources_, offerFirst);
}

bool Show::TakeListing() {
  std::vector<ListedPicture> pictures;
  bool readable = true;
  if (!listing_.Take(&pictures, &readable)) return false;
  if (!filling_) {
    // For the next pass; a folder that could not be read keeps the list the show has.
    hasNextPass_ = readable && !pictures.empty();
    if (hasNextPass_) nextPass_ = std::move(pictures);
    return false;
  }
  filling_ = false;
  readable_ = readable;
  // The pictures known so far are the listing's first ones: the rest follows them.
  const size_t known = (size_t)Images.count;
  if (pictures.size() <= known) return false;
  for (size_t i = known; i < pictures.size(); i++) Append(&Images, pictures[i]);
  if (ShufflePasses) ShuffleListAfter(&Images, CurrentEntry);
  ahead_.Discard();  // the entry after the one shown is another now
  listVersion_++;
  return true;
}

bool Show::FinishListing() {
  if (!listing_.Busy()) return false;
  ListedPicture first;
  listing_.WaitForFirst(&first);
  while (listing_.Busy() && !TakeListing() && listing_.Busy()) Sleep(1);
  return true;
}

int Show::ReadDisplaySize() {
  return ReadScreenSize(&ScreenWidth, &ScreenHeight);
}

void Show::Begin(const ScreenSize *otherSizes, int otherCount) {
  ahead_.PlaceAlsoFor(otherSizes, otherCount);
  ahead_.Start(ScreenWidth, ScreenHeight);
}

void Show::End() {
  ahead_.Stop();
  ForgetCurrentEntry();
}

ListEntry *Show::ChooseEntry(int code) {
  ListEntry *current = CurrentEntry;
  ListEntry *chosen = nullptr;
  switch (code) {
    case kGoFirst: chosen = Images.first; break;
    case kGoLast: chosen = Images.last; break;
    case kGoNext: chosen = current ? Forward(current) : Images.first; break;
    case kGoPrevious: chosen = current && current->prev ? current->prev : Images.last; break;
    case kGoRandom:
      if (Images.count > 0) chosen = FindListEntry(&Images, RandomRange(0, Images.count - 1));
      break;
    default: chosen = code >= 0 ? FindListEntry(&Images, code) : nullptr; break;
  }
  // A picture removed since the folder was listed is passed over, in the step's direction.
  for (LONG tries = Images.count; Gone(chosen) && tries > 0; tries--) {
    if (code == kGoPrevious)
      chosen = chosen->prev ? chosen->prev : Images.last;
    else
      chosen = Forward(chosen);
  }
  return chosen;
}

ListEntry *Show::Forward(ListEntry *entry) {
  return entry->next ? entry->next : NewPass();
}

// The wrap from the last picture to the first. While the show's first listing runs, what is
// known is walked again as it is; else the pass begins on the folders' new listing when one is
// there, and with shuffling on in a new order whose first picture is not the one just shown.
ListEntry *Show::NewPass() {
  if (filling_) return Images.first;
  const std::string lastShown = CurrentEntry ? CurrentEntry->path : "";
  if (hasNextPass_) {
    hasNextPass_ = false;
    // A placement changed from the menu stays with its picture.
    std::unordered_map<std::string, PlacementMode> placed;
    for (ListEntry *entry = Images.first; entry; entry = entry->next)
      if (entry->listed) placed.emplace(entry->path, entry->mode);
    CurrentEntry = nullptr;
    FreeImageList(&Images);
    for (ListedPicture &picture : nextPass_) {
      auto kept = placed.find(picture.path);
      if (picture.listed && kept != placed.end()) picture.mode = kept->second;
      Append(&Images, picture);
    }
    nextPass_.clear();
    ahead_.Discard();
    listVersion_++;
  }
  if (ShufflePasses && Images.count > 1) {
    ShuffleImageList(&Images);
    if (lastShown == Images.first->path)
      SwapListEntries(&Images, 0, RandomRange(1, Images.count - 1));
    ahead_.Discard();
    listVersion_++;
  }
  return Images.first;
}

// Arriving at the last picture of a pass of a show with folders: they are listed again
// meanwhile, for the next pass.
void Show::AfterChoice() {
  if (sources_.empty() || filling_ || hasNextPass_ || listing_.Busy()) return;
  if (CurrentEntry && CurrentEntry == Images.last) StartListing(false);
}

void Show::ForgetSources() {
  listing_.Stop();
  sources_.clear();
  filling_ = false;
  readable_ = true;
  nextPass_.clear();
  hasNextPass_ = false;
}

PreparedPicture Show::ReplacePicture(const PreparedPicture &picture) {
  if (context_) SelectObject(context_, picture.bitmap ? (HGDIOBJ)picture.bitmap : contextFirst_);
  PreparedPicture replaced = shown_;
  shown_ = picture;
  return replaced;
}

void Show::SelectPicturesInto(HDC context) {
  if (context_) SelectObject(context_, contextFirst_);
  context_ = context;
  contextFirst_ = context ? GetCurrentObject(context, OBJ_BITMAP) : nullptr;
  if (context_ && shown_.bitmap) SelectObject(context_, shown_.bitmap);
}

void Show::Shuffle() {
  ShuffleImageList(&Images);
  ahead_.Discard();
  listVersion_++;
}

void Show::ForgetCurrentEntry() {
  ahead_.Discard();
  CurrentEntry = nullptr;
  PreparedPicture replaced = ReplacePicture(PreparedPicture{});
  FreePreparedPicture(&replaced);
}

void Show::FreeList() {
  ForgetSources();
  ForgetCurrentEntry();
  FreeImageList(&Images);
  listVersion_++;
}

#include "show.h"

#include "placedraw.h"
#include "random.h"

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
  switch (code) {
    case kGoFirst: return Images.first;
    case kGoLast: return Images.last;
    case kGoNext: return current && current->next ? current->next : Images.first;
    case kGoPrevious: return current && current->prev ? current->prev : Images.last;
    case kGoRandom:
      if (Images.count <= 0) return nullptr;
      return FindListEntry(&Images, RandomRange(0, Images.count - 1));
    default: return code >= 0 ? FindListEntry(&Images, code) : nullptr;
  }
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
}

void Show::ForgetCurrentEntry() {
  ahead_.Discard();
  CurrentEntry = nullptr;
  PreparedPicture replaced = ReplacePicture(PreparedPicture{});
  FreePreparedPicture(&replaced);
}

void Show::FreeList() {
  ForgetCurrentEntry();
  FreeImageList(&Images);
}

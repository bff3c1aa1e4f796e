#include "gdiselect.h"

ScopedSelect::ScopedSelect(HDC dc, HGDIOBJ object)
    : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}

ScopedSelect::~ScopedSelect() {
  if (previous_) SelectObject(dc_, previous_);
}

void ScopedSelect::Switch(HGDIOBJ object) {
  if (previous_ && object) SelectObject(dc_, object);
}

BitmapDC::BitmapDC(HDC like, HBITMAP bitmap)
    : context_{CreateCompatibleDC(like)}, select_(context_.dc, bitmap) {}

BitmapDC::OwnedDC::~OwnedDC() {
  if (dc) DeleteDC(dc);
}

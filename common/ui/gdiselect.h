// GDI objects selected into a device context for one scope: the object that was selected
// before goes back when the scope ends, on every way out, so that the object can then be
// deleted and the context left as it was found.
#pragma once

#include <windows.h>

// Selects `object` into `dc` until the end of the scope. A null context or object selects
// nothing (and nothing is put back).
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object);
  ~ScopedSelect();
  ScopedSelect(const ScopedSelect &) = delete;
  ScopedSelect &operator=(const ScopedSelect &) = delete;

  // Selects another object of the same kind in place of the first; the object from before the
  // first still goes back at the end.
  void Switch(HGDIOBJ object);

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory device context compatible with `like` (null: the screen) with `bitmap` selected
// into it for the scope: the bitmap is deselected and the context deleted at its end. get() is
// null when no context could be made.
class BitmapDC {
 public:
  BitmapDC(HDC like, HBITMAP bitmap);
  BitmapDC(const BitmapDC &) = delete;
  BitmapDC &operator=(const BitmapDC &) = delete;

  HDC get() const { return context_.dc; }
  // Selects another bitmap in place of the first.
  void Switch(HBITMAP bitmap) { select_.Switch(bitmap); }

 private:
  // Declared before the selection, so that the bitmap goes out before the context is deleted.
  struct OwnedDC {
    HDC dc;
    ~OwnedDC();
  } context_;
  ScopedSelect select_;
};

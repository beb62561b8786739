// Handles: small values that refer to the pixel data of a bitmap or an icon object without
// owning it. The object must outlive every use of its handle; copying a handle copies the
// reference, never the pixels.
#pragma once

class TBitmap;
class TGraphic;

struct HBITMAP {
  const TBitmap* bitmap = nullptr;
  explicit operator bool() const { return bitmap != nullptr; }
};

// Refers to an icon object; only the icon class makes these.
struct HICON {
  const TGraphic* icon = nullptr;
  explicit operator bool() const { return icon != nullptr; }
};

// TBitmap has no handle member of its own; this makes one.
inline HBITMAP BitmapHandle(const TBitmap& bitmap) {
  return HBITMAP{&bitmap};
}

// Copying a picture's own pixels instead of a drawing of them. The window draws what it opens
// over white, as the loader's conversion steps say; the command line and the plugins keep
// what drawing would lose: a picture's alpha and an icon's transparency.
#pragma once

#include "bmp/Bitmap.h"
#include "bmp/Picture.h"

#include <string>
#include <vector>

// Puts `graphic`'s pixels into `target` undrawn and returns true when drawing would lose
// something of them: a picture Qt read (whose notes are added to `notes`), another 32-bit
// bitmap with alpha, or an icon (32-bit with alpha where it has transparent pixels).
// Returns false for every other graphic, which drawing keeps as it is.
bool CopyUndrawn(const TGraphic& graphic, TBitmap& target, std::vector<std::string>& notes);

// A bitmap class whose picture copies (AssignPicture, and so every handle copy) keep the
// source's pixels undrawn where CopyUndrawn does, and draw otherwise.
template <class Base> class TUndrawn : public Base {
public:
  void AssignPicture(const TPicture& picture) override {
    notes_.clear();
    TBitmap undrawn;
    const TGraphic* graphic = picture.Graphic();
    if (!graphic || !CopyUndrawn(*graphic, undrawn, notes_)) return Base::AssignPicture(picture);
    static_cast<TBitmap&>(*this) = std::move(undrawn);
    this->Modified();
  }

  // What the last copy could not keep of its source (see TStockPicture).
  const std::vector<std::string>& Notes() const { return notes_; }
  void ClearNotes() { notes_.clear(); }

private:
  std::vector<std::string> notes_;
};

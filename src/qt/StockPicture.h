// TStockPicture: a picture that Qt's own image readers read, as a bitmap (24-bit, or 32-bit
// with unpremultiplied alpha), with a note for each thing of the file that a bitmap cannot
// keep. Drawn like any bitmap, so the window shows it as it shows every other picture.
#pragma once

#include "bmp/Bitmap.h"

#include <string>
#include <vector>

class TStockPicture : public TBitmap {
public:
  // Short phrases that complete "<file>: ...", e.g. "only the first of 3 pages is kept".
  const std::vector<std::string>& Notes() const { return notes_; }
  void AddNote(std::string note) { notes_.push_back(std::move(note)); }

  std::unique_ptr<TGraphic> Clone() const override {
    return std::make_unique<TStockPicture>(*this);
  }

private:
  std::vector<std::string> notes_;
};

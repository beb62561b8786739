// The object table (pens, brushes, fonts, palettes, regions) and the saved DC states.
#include "qt/GdiPlayer.h"

#include <algorithm>

namespace gdi {

namespace {

// Deeper SaveDC nesting than any real drawing needs; beyond it saves are ignored so that a
// hostile file cannot grow the stack without bound.
constexpr size_t kMaxSavedStates = 1024;

} // namespace

void Player::SetTableSize(size_t size) {
  objects_.assign(std::min<size_t>(size, 65536), {});
}

void Player::CreateObject(int slot, Object object) {
  if (slot < 0) {
    auto free = std::find_if(objects_.begin(), objects_.end(), [](const Object& o) {
      return std::holds_alternative<std::monostate>(o);
    });
    if (free != objects_.end()) *free = std::move(object);
    return;
  }
  if (static_cast<size_t>(slot) >= objects_.size()) {
    if (slot >= 65536) return;
    objects_.resize(static_cast<size_t>(slot) + 1);
  }
  objects_[static_cast<size_t>(slot)] = std::move(object);
}

void Player::SelectObject(size_t slot) {
  if (slot >= objects_.size()) return;
  const Object& o = objects_[slot];
  if (auto* pen = std::get_if<Pen>(&o))
    dc_.pen = *pen;
  else if (auto* brush = std::get_if<Brush>(&o))
    dc_.brush = *brush;
  else if (auto* font = std::get_if<Font>(&o))
    dc_.font = *font;
  else if (auto* palette = std::get_if<Palette>(&o))
    dc_.palette = *palette;
}

void Player::SelectStockObject(uint32_t index) {
  static const uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
  if (index <= 4)
    dc_.brush = Brush{BS_SOLID, greys[index], 0, {}};
  else if (index == 5)
    dc_.brush = Brush{BS_NULL, 0, 0, {}};
  else if (index == 6)
    dc_.pen = Pen{0, 0, 0xFFFFFF};
  else if (index == 7)
    dc_.pen = Pen{0, 0, 0};
  else if (index == 8)
    dc_.pen = Pen{PS_NULL, 0, 0};
  else if (index == 15)
    dc_.palette = {};
  else if (index >= 10 && index <= 17)
    dc_.font = Font{};
}

void Player::DeleteObject(size_t slot) {
  if (slot < objects_.size()) objects_[slot] = std::monostate{};
}

void Player::SaveDc() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(dc_);
}

void Player::RestoreDc(int which) {
  // Negative: relative to the newest save; positive: the n-th save counted from the first.
  size_t keep;
  if (which < 0) {
    const size_t back = static_cast<size_t>(-static_cast<int64_t>(which));
    if (back > saved_.size()) return;
    keep = saved_.size() - back;
  } else {
    if (which == 0 || static_cast<size_t>(which) > saved_.size()) return;
    keep = static_cast<size_t>(which) - 1;
  }
  dc_ = saved_[keep];
  saved_.resize(keep);
}

} // namespace gdi

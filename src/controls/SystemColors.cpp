#include "controls/SystemColors.h"

#include <QApplication>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include <array>
#include <optional>

namespace {

struct SystemColorRole {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Indices of the classic system colour table that have a palette counterpart.
std::optional<SystemColorRole> RoleOf(uint32_t index) {
  switch (index) {
  case 1: // desktop
  case 4: // menu
  case 15:
    return SystemColorRole{QPalette::Active, QPalette::Button}; // button face
  case 5:
    return SystemColorRole{QPalette::Active, QPalette::Base}; // window
  case 7:                                                     // menu text
  case 8:
    return SystemColorRole{QPalette::Active, QPalette::WindowText};
  case 13:
    return SystemColorRole{QPalette::Active, QPalette::Highlight};
  case 14:
    return SystemColorRole{QPalette::Active, QPalette::HighlightedText};
  case 16:
    return SystemColorRole{QPalette::Active, QPalette::Dark}; // button shadow
  case 17:
    return SystemColorRole{QPalette::Disabled, QPalette::Text}; // grey text
  case 18:
    return SystemColorRole{QPalette::Active, QPalette::ButtonText};
  case 20:
    return SystemColorRole{QPalette::Active, QPalette::Light}; // button highlight
  case 21:
    return SystemColorRole{QPalette::Active, QPalette::Shadow}; // 3-D dark shadow
  case 22:
    return SystemColorRole{QPalette::Active, QPalette::Midlight}; // 3-D light
  case 23:
    return SystemColorRole{QPalette::Active, QPalette::ToolTipText};
  case 24:
    return SystemColorRole{QPalette::Active, QPalette::ToolTipBase};
  default:
    return std::nullopt;
  }
}

// The classic defaults, for indices that the palette has no role for.
constexpr std::array<TColor, 25> kClassicColors = {
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF};

} // namespace

QColor ColorToQColor(TColor color) {
  if (!IsSystemColor(color)) return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
  const uint32_t index = color & 0xFFu;
  if (auto role = RoleOf(index)) return QApplication::palette().color(role->group, role->role);
  const TColor classic = index < kClassicColors.size() ? kClassicColors[index] : clBlack;
  return QColor(GetRValue(classic), GetGValue(classic), GetBValue(classic));
}

TColor ColorToRGB(TColor color) {
  return QColorToColor(ColorToQColor(color));
}

TColor QColorToColor(const QColor& color) {
  return RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
             static_cast<uint8_t>(color.blue()));
}

TColor ParentColorOf(const QWidget* widget) {
  const QWidget* parent = widget ? widget->parentWidget() : nullptr;
  if (!parent) return clBtnFace;
  const QVariant own = parent->property("Color");
  if (own.isValid() && own.canConvert<uint>()) return own.value<uint>();
  return QColorToColor(parent->palette().color(parent->backgroundRole()));
}

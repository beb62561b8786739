// Enumerations that several controls share: the caption's horizontal place and the docking of
// a control to an edge of its parent.
#pragma once

#include <QObject>

namespace ControlTypes {
Q_NAMESPACE

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)

} // namespace ControlTypes

using ControlTypes::TAlign;
using ControlTypes::TAlignment;
using enum ControlTypes::TAlignment;
using enum ControlTypes::TAlign;

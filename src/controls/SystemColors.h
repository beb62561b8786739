// TColor for widgets: system colours (0x80000000 plus an index) resolve through the
// application palette, so the controls follow the desktop's colour scheme.
#pragma once

#include "bmp/Color.h"

#include <QColor>

class QWidget;

// The colour as Qt draws it; a system colour is looked up in the application palette.
QColor ColorToQColor(TColor color);
// The plain 0x00BBGGRR value a colour shows as now.
TColor ColorToRGB(TColor color);
TColor QColorToColor(const QColor& color);
// The colour a control with "parent colour" on takes: the parent's own Color property when it
// has one (our controls), otherwise what the parent's palette paints its background with.
TColor ParentColorOf(const QWidget* widget);

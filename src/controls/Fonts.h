// The faces the stored window designs name, mapped onto fonts a Linux desktop has.
#pragma once

#include <QFont>
#include <QString>

// `height` as the designs give it: negative is the character height in pixels, positive the
// cell height (taken as the pixel size too). "Arial" becomes Liberation Sans (same metrics),
// "MS Sans Serif" a sans font, "System" the application's default font; each at that height.
QFont ControlFont(const QString& face, int height, bool bold = false);

#include "controls/Fonts.h"

#include <QApplication>

#include <cstdlib>

QFont ControlFont(const QString& face, int height, bool bold) {
  QFont font;
  if (face.compare("Arial", Qt::CaseInsensitive) == 0) {
    font = QFont("Liberation Sans");
  } else if (face.compare("System", Qt::CaseInsensitive) == 0) {
    font = QApplication::font();
  } else {
    font = QFont("Sans Serif");
    font.setStyleHint(QFont::SansSerif);
  }
  if (height != 0) font.setPixelSize(std::abs(height));
  font.setBold(bold);
  return font;
}

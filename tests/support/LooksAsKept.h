// A window or dialog as a user sees it, pixel for pixel, against a picture kept from a run
// whose screenshot was looked at: where every child sits, its text, font and picture.
// VANTREL_UPDATE_REFERENCES=1 rewrites the kept pictures; look at each before committing it.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

inline void ExpectLooksAsKept(QWidget& widget, const QString& name) {
  const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QString kept = QStringLiteral(VANTREL_TEST_DATA "/references/windows/") + name + ".png";
  if (qEnvironmentVariableIsSet("VANTREL_UPDATE_REFERENCES")) shown.save(kept);
  if (shown == QImage(kept).convertToFormat(QImage::Format_RGB32)) return;
  const QString seen = QDir::temp().filePath(name + "-shown.png");
  shown.save(seen);
  ADD_FAILURE() << name.toStdString() << " differs from its kept picture " << kept.toStdString()
                << "; what was shown is " << seen.toStdString();
}

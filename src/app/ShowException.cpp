#include "app/ShowException.h"

#include "app/Dialogs.h"

#include <QApplication>
#include <QMessageBox>

void ShowException(const std::exception& error, QWidget* parent) {
  QString message = QString::fromUtf8(error.what());
  // A full stop is appended when the last character sorts after ".": letters and digits get
  // one, a message that already ends in "." or ")" does not.
  if (!message.isEmpty() && message.back() > QChar('.')) message += '.';
  Dialogs().messageBox(parent, QApplication::applicationName(), message);
}

#include "app/Dialogs.h"

#include "app/ScreenCentre.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

TDialogs RealDialogs() {
  TDialogs d;
  d.messageBox = [](QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    CentreOnScreenWhenShown(&box);
    box.exec();
  };
  d.openFile = [](QWidget* parent, const QString& filter,
                  const QString& fileName) -> std::optional<QString> {
    QString name = QFileDialog::getOpenFileName(parent, {}, fileName, filter);
    if (name.isEmpty()) return std::nullopt;
    return name;
  };
  d.saveFile = [](QWidget* parent, const QString& filter, const QString& fileName,
                  const QString& defaultSuffix) -> std::optional<QString> {
    QFileDialog dialog(parent, {}, {}, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
  };
  return d;
}

} // namespace

TDialogs& Dialogs() {
  static TDialogs dialogs = RealDialogs();
  return dialogs;
}

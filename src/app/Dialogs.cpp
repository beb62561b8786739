#include "app/Dialogs.h"

#include "app/ScreenCentre.h"
#include "qt/StockReader.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

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
    QString name = QFileDialog::getOpenFileName(parent, {}, fileName, BrowseFilters(filter));
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

QString BrowseFilters(const QString& filter) {
  // The masks inside the window's filter's brackets ("Images... (*.bmp *.dib ...)").
  const QRegularExpressionMatch own = QRegularExpression(R"(\(([^)]*)\))").match(filter);
  QStringList masks =
      own.hasMatch() ? own.captured(1).split(' ', Qt::SkipEmptyParts) : QStringList();
  for (const QString& format : StockFormats())
    masks << "*." + format;
  masks.removeDuplicates();
  return filter + ";;" + QCoreApplication::translate("TDialogs", "Minden kép") + " (" +
         masks.join(' ') + ");;" + QCoreApplication::translate("TDialogs", "Minden fájl") + " (*)";
}

TDialogs& Dialogs() {
  static TDialogs dialogs = RealDialogs();
  return dialogs;
}

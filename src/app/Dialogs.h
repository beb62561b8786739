// The platform dialogs the windows use, behind one replaceable table so that tests can
// answer them without a person.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

struct TDialogs {
  // Stop icon and OK.
  std::function<void(QWidget* parent, const QString& caption, const QString& text)> messageBox;
  std::function<std::optional<QString>(QWidget* parent, const QString& filter,
                                       const QString& fileName)>
      openFile;
  std::function<std::optional<QString>(QWidget* parent, const QString& filter,
                                       const QString& fileName, const QString& defaultSuffix)>
      saveFile;
};

// The open dialog's filters: `filter` (the window's own, first), then all pictures (its masks
// and those of the formats Qt reads), then all files; named in the window's language.
QString BrowseFilters(const QString& filter);

// The dialogs in use; the real ones unless a test replaced them.
TDialogs& Dialogs();

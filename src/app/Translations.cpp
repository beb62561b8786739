#include "app/Translations.h"

#include "app/StringTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

std::unique_ptr<QTranslator>& Installed(int slot) {
  static std::unique_ptr<QTranslator> translators[2];
  return translators[slot];
}

void Install(int slot, const QString& name, const QStringList& folders) {
  auto& translator = Installed(slot);
  if (translator) QCoreApplication::removeTranslator(translator.get());
  translator = std::make_unique<QTranslator>();
  if (!name.isEmpty())
    for (const QString& folder : folders)
      if (translator->load(name, folder)) {
        QCoreApplication::installTranslator(translator.get());
        return;
      }
  translator.reset();
}

} // namespace

QStringList TranslationFolders() {
  const QString bin = QCoreApplication::applicationDirPath();
  return {bin + "/../share/vantrel/translations", bin + "/translations"};
}

void InstallTranslations(TLanguage language, const QStringList& folders) {
  SetTableLanguage(language);
  const QString code = LanguageCode(language);
  Install(0, language == TLanguage::Hungarian ? QString() : "vantrel_" + code, folders);
  Install(1, "qtbase_" + code, {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
}

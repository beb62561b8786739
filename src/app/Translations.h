// Puts the window into a language: the string table's set, the program's own texts and Qt's
// dialogs and standard buttons.
#pragma once

#include "app/Language.h"

#include <QStringList>

// Where the program's compiled translations are looked for: beside an installed program, then
// in the build tree.
QStringList TranslationFolders();

// Installs the translators for `language` in place of any installed before. Hungarian needs
// none of ours (it is the source language) but still takes Qt's Hungarian texts. A missing
// file leaves the source texts: the window stays usable.
void InstallTranslations(TLanguage language, const QStringList& folders = TranslationFolders());

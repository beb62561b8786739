// The window's language and texts in each language: chosen from the environment as gettext
// chooses, translated where the table and Qt Linguist files say, and fitting the controls.
#include "app/Language.h"
#include "TestSupport.h"
#include "app/About.h"
#include "app/AppAccessibility.h"
#include "app/AppResources.h"
#include "app/BitmapView.h"
#include "app/ComprImg.h"
#include "app/Dialogs.h"
#include "app/Translations.h"
#include "blz/UniBmp.h"
#include "controls/CaptionText.h"
#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/UniPanel.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <map>
#include <set>
#include <string>

namespace {

TEST(Language, FollowsTheLocaleVariablesAsGettextDoes) {
  using enum TLanguage;
  const std::pair<std::map<std::string, std::string>, TLanguage> cases[] = {
      {{}, Hungarian},
      {{{"LANG", "C"}}, Hungarian},
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, Hungarian}, // LANGUAGE is ignored under C
      {{{"LC_ALL", "POSIX"}, {"LANG", "de_DE.UTF-8"}}, Hungarian},
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "hu"}}, Hungarian},
      {{{"LANG", "en_US.UTF-8"}}, English},
      {{{"LANG", "fr_FR.UTF-8"}}, English}, // no translation of its own
      {{{"LANG", "de_AT@euro"}}, German},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}}, German},
      {{{"LC_ALL", ""}, {"LANG", "de_DE"}}, German}, // empty counts as unset
      {{{"LANG", "en_GB.UTF-8"}, {"LANGUAGE", "fr:de_CH:en"}}, German},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr"}}, German},
  };
  for (const auto& [environment, expected] : cases) {
    auto variable = [&](const char* name) -> const char* {
      auto it = environment.find(name);
      return it == environment.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(LanguageFromEnvironment(variable), expected) << testing::PrintToString(environment);
  }
}

QString TranslationsDir() {
  return QCoreApplication::applicationDirPath() + "/../src/translations";
}

int TextWidth(const QWidget* widget, const QString& text) {
  return widget->fontMetrics().horizontalAdvance(QString(text).remove('&'));
}

// No two texts of a group share their accelerator.
void ExpectDistinctAccelerators(const QStringList& texts) {
  std::set<QChar> keys;
  for (const QString& text : texts)
    if (!text.isEmpty()) {
      EXPECT_TRUE(keys.insert(AcceleratorOf(text).toLower()).second);
    }
}

// The window's texts in each language (buttons, Save As, menu, title, the error box, the about
// box), the accelerators apart, and each text as wide at most as its control allows.
TEST(Translations, WindowSpeaksTheChosenLanguage) {
  InitAppResources();
  const std::pair<TLanguage, QString> cases[] = {
      {TLanguage::German, "&Durchsuchen|&Beenden|&Speichern|&Zurücklesen|Speichern &als...|"
                          "&Dateikompression|&Schnellspeichern||B&eenden||Ü&ber|Vantrel für "
                          "Win32|F E H L E R|Das Format ist unbekannt|Über Vantrel"},
      {TLanguage::English, "&Browse|E&xit|&Save|&Control|Save &As...|&File Compression|&Quick "
                           "Save||E&xit||&About|Vantrel for Win32|E R R O R|The format is not "
                           "known|About Vantrel"},
  };
  int widest = 0; // the about text's lines run up to the OK button
  const TAboutBox hungarian(nullptr);
  for (const QString& line : hungarian.Comments->Caption().split('\r'))
    widest = std::max(widest, TextWidth(hungarian.Comments, line));
  const TDialogs saved = Dialogs();
  QStringList texts;
  Dialogs().messageBox = [&](QWidget*, const QString& caption, const QString& text) {
    texts << caption << text;
  };
  for (const auto& [language, expected] : cases) {
    InstallTranslations(language, {TranslationsDir()});
    TComprImg w;
    texts.clear();
    auto fits = [&](const QPushButton* b) {
      texts << b->text();
      const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
      EXPECT_LE(TextWidth(b, b->text()) + icon + 12, b->width()) << b->text().toStdString();
    };
    for (const QPushButton* b : {w.btnBrowse, w.btnExit, w.btnSave, w.btnControl})
      fits(b);
    w.QuickSave1Click();
    fits(w.btnSave);
    ExpectDistinctAccelerators(texts);
    const int menu = texts.size();
    for (const QAction* action : w.PopupMenu1->actions())
      texts << action->text();
    ExpectDistinctAccelerators(texts.mid(menu));
    texts << w.windowTitle();
    w.LoadImageFile("missing.gif");
    TAboutBox about(&w);
    texts << about.windowTitle();
    EXPECT_EQ(texts.join('|'), expected);
    for (const QString& line : about.Comments->Caption().split('\r'))
      EXPECT_LE(TextWidth(about.Comments, line), widest) << line.toStdString();
  }
  Dialogs() = saved;
  InstallTranslations(TLanguage::Hungarian, {});
}

// Role, name and description of what Qt alone would leave nameless fillers; the about text's
// name begins with its first line.
TEST(Accessibility, ControlsAndTheViewHaveRolesAndNames) {
  InstallAccessibility();
  testsupport::TempDir dir;
  TUniBitmap bitmap;
  bitmap.SetSize(30, 20);
  bitmap.SaveToFile(dir.File("sun.bmp"));
  TComprImg w;
  w.LoadImageFile(QString::fromStdString(dir.File("sun.bmp")));
  TAboutBox about(&w);
  const std::tuple<QWidget*, QAccessible::Role, QString, QString> cases[] = {
      {w.imgBrowse, QAccessible::Graphic, "sun.bmp", "30 x 20 képpont"},
      {w.UniPanel1, QAccessible::Pane, "Parancsok", ""},
      {about.WinLab, QAccessible::StaticText, "for Windows '32", ""},
      {about.ProgramIcon, QAccessible::Button, "A Vantrel emblémája", ""},
      {about.Comments, QAccessible::Pane, "A különbözô képek tömörítését végző alkalmazás,", ""},
  };
  for (const auto& [widget, role, name, description] : cases) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    EXPECT_EQ(std::tuple(a->role(), a->text(QAccessible::Name).section('\n', 0, 0),
                         a->text(QAccessible::Description)),
              std::tuple(role, name, description));
  }
}

// A box opened while its owner is hidden (a load from the command line) stands in the middle
// of the screen, not in a corner.
TEST(Boxes, StandInTheMiddleOfTheScreen) {
  TComprImg hidden;
  for (int box = 0; box < 2; ++box) {
    QTimer::singleShot(50, [] {
      QWidget* shown = QApplication::activeModalWidget();
      const QPoint centre = shown->screen()->availableGeometry().center();
      EXPECT_LE((shown->frameGeometry().center() - centre).manhattanLength(), 1);
      static_cast<QDialog*>(shown)->done(1);
    });
    box == 0 ? Dialogs().messageBox(&hidden, "H I B A", "A formátum nem ismert")
             : ShowAboutBox(&hidden);
  }
}

} // namespace

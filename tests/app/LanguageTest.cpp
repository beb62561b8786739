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
      {{{"LANG", "hu_HU.UTF-8"}}, Hungarian},
      {{{"LANG", "en_US.UTF-8"}}, English},
      {{{"LANG", "fr_FR.UTF-8"}}, English}, // no translation of its own
      {{{"LANG", "de_AT@euro"}}, German},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}}, German},
      {{{"LC_ALL", "hu_HU"}, {"LC_MESSAGES", "de_DE"}}, Hungarian},
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

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (const QAction* action : actions)
    texts << action->text();
  return texts;
}

int TextWidth(const QWidget* widget, const QString& text) {
  return widget->fontMetrics().horizontalAdvance(QString(text).remove('&'));
}

// Every text of the window in each language, the accelerators apart within the buttons and
// within the menu, and each caption no wider than its control allows.
TEST(Translations, WindowSpeaksTheChosenLanguage) {
  InitAppResources();
  using enum TLanguage;
  const struct {
    TLanguage language;
    QStringList buttons, menu;
    QString title, saveAs, about, error;
  } cases[] = {
      {Hungarian,
       {"&Keresés", "Ki&lépés", "&Mentés", "&Visszaolvasás"},
       {"&File-tömörítés", "&Gyorsmentés", "", "Ki&lépés", "", "&Névjegy"},
       "Vantrel for Win32",
       "Men&tés mint...",
       "About Vantrel",
       "H I B A|A formátum nem ismert"},
      {German,
       {"&Durchsuchen", "&Beenden", "&Speichern", "&Zurücklesen"},
       {"&Dateikompression", "&Schnellspeichern", "", "B&eenden", "", "Ü&ber"},
       "Vantrel für Win32",
       "Speichern &als...",
       "Über Vantrel",
       "F E H L E R|Das Format ist unbekannt"},
      {English,
       {"&Browse", "E&xit", "&Save", "&Control"},
       {"&File Compression", "&Quick Save", "", "E&xit", "", "&About"},
       "Vantrel for Win32",
       "Save &As...",
       "About Vantrel",
       "E R R O R|The format is not known"},
  };
  const TDialogs saved = Dialogs();
  int widest = 0;
  QString error;
  Dialogs().messageBox = [&](QWidget*, const QString& caption, const QString& text) {
    error = caption + "|" + text;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(LanguageCode(c.language));
    InstallTranslations(c.language, {TranslationsDir()});
    TComprImg w;
    QList<QPushButton*> buttons = {w.btnBrowse, w.btnExit, w.btnSave, w.btnControl};
    QStringList texts;
    for (QPushButton* b : buttons)
      texts << b->text();
    EXPECT_EQ(texts, c.buttons);
    EXPECT_EQ(Texts(w.PopupMenu1->actions()), c.menu);
    EXPECT_EQ(w.windowTitle(), c.title);
    w.QuickSave1Click();
    EXPECT_EQ(w.btnSave->text(), c.saveAs);
    texts << w.btnSave->text();

    std::set<QChar> keys;
    for (const QString& text : texts.mid(0, 2) + texts.mid(3))
      EXPECT_TRUE(keys.insert(AcceleratorOf(text).toLower()).second) << text.toStdString();
    keys.clear();
    for (const QString& text : c.menu) {
      if (!text.isEmpty()) {
        EXPECT_TRUE(keys.insert(AcceleratorOf(text).toLower()).second);
      }
    }
    for (QPushButton* b : buttons) {
      const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
      EXPECT_LE(TextWidth(b, b->text()) + icon + 12, b->width()) << b->text().toStdString();
    }

    w.LoadImageFile("missing.gif");
    EXPECT_EQ(error, c.error);
    TAboutBox about(&w);
    EXPECT_EQ(about.windowTitle(), c.about);
    // The about text's lines run up to the OK button: none wider than the widest Hungarian.
    const QStringList lines = about.Comments->Caption().split('\r');
    if (c.language == Hungarian)
      for (const QString& line : lines)
        widest = std::max(widest, TextWidth(about.Comments, line));
    for (const QString& line : lines)
      EXPECT_LE(TextWidth(about.Comments, line), widest) << line.toStdString();
  }
  Dialogs() = saved;
  InstallTranslations(Hungarian, {});
}

QAccessibleInterface* Accessible(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget);
}

// Role, name and description of the controls that Qt alone would leave nameless fillers.
TEST(Accessibility, ControlsAndTheViewHaveRolesAndNames) {
  InitAppResources();
  InstallAccessibility();
  testsupport::TempDir dir;
  TUniBitmap bitmap;
  bitmap.SetSize(30, 20);
  bitmap.SaveToFile(dir.File("sun.bmp"));
  TComprImg w;
  w.LoadImageFile(QString::fromStdString(dir.File("sun.bmp")));
  TAboutBox about(&w);
  const struct {
    QWidget* widget;
    QAccessible::Role role;
    QString name, description;
  } cases[] = {
      {&w, QAccessible::Window, "Vantrel for Win32: sun.bmp 30 x 20"},
      {w.imgBrowse, QAccessible::Graphic, "sun.bmp", "30 x 20 képpont"},
      {w.UniPanel1, QAccessible::Pane, "Parancsok"},
      {about.ProductName, QAccessible::StaticText, "Vantrel"},
      {about.WinLab, QAccessible::StaticText, "for Windows '32"},
      {about.ProgramIcon, QAccessible::Button, "A Vantrel emblémája"},
      {about.Comments, QAccessible::Pane,
       "A különbözô képek tömörítését végző alkalmazás,\n mely drag & drop módon is képes a "
       "fájlokat fogadni.\n A mentés alapértelmezésben *.blz kiterjesztéssel."},
  };
  for (const auto& c : cases) {
    QAccessibleInterface* a = Accessible(c.widget);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::tuple(a->role(), a->text(QAccessible::Name), a->text(QAccessible::Description)),
              std::tuple(c.role, c.name, c.description));
  }
  int clicks = 0;
  QObject::connect(about.ProgramIcon, &TPictButton::clicked, [&] { ++clicks; });
  Accessible(about.ProgramIcon)
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks, 1);
}

// A box opened while its owner is hidden (a load from the command line) stands in the middle
// of the screen, not in a corner.
TEST(Boxes, StandInTheMiddleOfTheScreen) {
  InitAppResources();
  TComprImg hidden;
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  auto expectCentred = [&] {
    QTimer::singleShot(50, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      EXPECT_LE((box->frameGeometry().center() - centre).manhattanLength(), 1);
      static_cast<QDialog*>(box)->done(1);
    });
  };
  expectCentred();
  Dialogs().messageBox(&hidden, "H I B A", "A formátum nem ismert");
  expectCentred();
  ShowAboutBox(&hidden);
}

} // namespace

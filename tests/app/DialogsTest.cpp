// The message box, the about box and the error report: what they show and how they end.
#include "app/Dialogs.h"
#include "LooksAsKept.h"
#include "app/About.h"
#include "app/AppResources.h"
#include "app/MessDlg.h"
#include "app/ShowException.h"
#include "controls/PictBtn.h"
#include "controls/UniPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>
#include <stdexcept>

namespace {

// Runs `whileShown` on the modal dialog once its loop runs; returns what `open` returned.
int WhileModal(const std::function<int()>& open, const std::function<void(QDialog&)>& whileShown) {
  QTimer::singleShot(0, [&] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(modal, nullptr);
    whileShown(*modal);
    if (modal->isVisible()) modal->done(-1); // the action did not end it
  });
  return open();
}

enum TAnswer { ClickYes, PressEnter, PressEscapeThenClose };

// The box is centred on the screen. Each picture kind shows its own resource (none for an
// unknown kind), the text in the font size asked for and one button, centred: the kept
// pictures show them. Escape is ignored and
// the close box answers Cancel.
TEST(MessageBox, ShowsItsPictureTextAndOneCentredButton) {
  InitAppResources();
  const struct {
    int kind;
    TAnswer answer;
    int result;
  } cases[] = {{mpQuestion, ClickYes, TMessDlgBox::mrYes},
               {mpExclamation, PressEnter, TMessDlgBox::mrYes},
               {mpStop, PressEscapeThenClose, TMessDlgBox::mrCancel},
               {mpInformation, ClickYes, TMessDlgBox::mrYes},
               {0, ClickYes, TMessDlgBox::mrYes},
               {5, ClickYes, TMessDlgBox::mrYes}};
  TMessDlgBox box;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const int result = WhileModal(
        [&] {
          return box.ShowMessDlg("&Rendben", "One\rTwo", "Caption " + QString::number(c.kind),
                                 static_cast<uint8_t>(9 + c.kind),
                                 static_cast<TMessPicture>(c.kind));
        },
        [&](QDialog& shown) {
          EXPECT_EQ(&shown, &box);
          EXPECT_EQ(box.windowTitle(), "Caption " + QString::number(c.kind));
          ExpectLooksAsKept(box, "message-" + QString::number(c.kind));
          EXPECT_EQ(box.frameGeometry().center(), box.screen()->availableGeometry().center());
          EXPECT_EQ(box.focusWidget(), box.YesBtn);
          if (c.answer == ClickYes) QTest::mouseClick(box.YesBtn, Qt::LeftButton);
          if (c.answer == PressEnter) QTest::keyClick(&box, Qt::Key_Return);
          if (c.answer == PressEscapeThenClose) {
            QTest::keyClick(&box, Qt::Key_Escape);
            EXPECT_TRUE(box.isVisible());
            box.close();
          }
        });
    EXPECT_EQ(result, c.result);
  }
}

// Shown as the window shows it: centred on the screen, at its fixed size.
TEST(AboutBox, ShowsTheNameTheLogoCentredAndEndsOnlyByOk) {
  InitAppResources();
  QWidget owner;
  WhileModal(
      [&] {
        ShowAboutBox(&owner);
        return 0;
      },
      [&](QDialog& shown) {
        auto& box = static_cast<TAboutBox&>(shown);
        EXPECT_EQ(box.windowTitle(), "About Vantrel");
        EXPECT_EQ(box.size(), QSize(390, 160)); // fixed: its texts and logo are laid out for it
        ExpectLooksAsKept(box, "about");
        EXPECT_EQ(box.frameGeometry().center(), box.screen()->availableGeometry().center());
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_TRUE(box.isVisible());
        QTest::mouseClick(box.OKButton, Qt::LeftButton);
        EXPECT_FALSE(box.isVisible());
      });
}

// A full stop follows a message whose last character sorts after "."; the caption is the
// program's name.
TEST(ShowException, AddsAFullStopAfterLettersAndDigitsOnly) {
  const TDialogs saved = Dialogs();
  QString caption, text;
  Dialogs().messageBox = [&](QWidget*, const QString& c, const QString& t) {
    caption = c;
    text = t;
  };
  const std::pair<const char*, const char*> cases[] = {{"Bad file", "Bad file."},
                                                       {"size 5", "size 5."},
                                                       {"done.", "done."},
                                                       {"(2^28)", "(2^28)"},
                                                       {"a-", "a-"},
                                                       {"a/", "a/."},
                                                       {"", ""}};
  for (const auto& [message, shown] : cases) {
    Guarded(nullptr, [&] { throw std::runtime_error(message); });
    EXPECT_EQ(text, shown);
    EXPECT_EQ(caption, QApplication::applicationName());
  }
  Dialogs() = saved;
}

// The window's own filter stays first; Qt's formats join ours under all pictures.
TEST(BrowseDialog, OffersAllPicturesAndAllFilesAfterTheWindowsFilter) {
  const QString own = "Images... (*.bmp *.gif)";
  const QStringList filters = BrowseFilters(own).split(";;");
  ASSERT_EQ(filters.size(), 3);
  EXPECT_EQ(filters[0], own);
  EXPECT_TRUE(filters[1].startsWith("Minden kép (*.bmp *.gif *.")) << filters[1].toStdString();
  EXPECT_TRUE(filters[1].contains(" *.png")) << filters[1].toStdString();
  EXPECT_FALSE(filters[1].contains("*.jpeg")) << "a format of ours comes from the window's list";
  EXPECT_EQ(filters[2], "Minden fájl (*)");
}

} // namespace

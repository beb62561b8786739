// The message box, the about box and the error report: what they show and how they end.
#include "app/Dialogs.h"
#include "app/About.h"
#include "app/AppResources.h"
#include "app/MessDlg.h"
#include "app/ShowException.h"
#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/UniPanel.h"
#include "LooksAsKept.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
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

QImage Rgb(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

enum TAnswer { ClickYes, PressEnter, PressEscapeThenClose };

// Each picture kind shows its own resource (none for an unknown kind); Escape is ignored and
// the close box answers Cancel.
TEST(MessageBox, ShowsItsPictureTextAndOneCentredButton) {
  InitAppResources();
  const struct {
    int kind;
    const char* picture; // file under src/app/resources, or none
    TAnswer answer;
    int result;
  } cases[] = {{mpQuestion, "QUESTBMP", ClickYes, TMessDlgBox::mrYes},
               {mpExclamation, "EXCLAMBMP", PressEnter, TMessDlgBox::mrYes},
               {mpStop, "STOPBMP", PressEscapeThenClose, TMessDlgBox::mrCancel},
               {mpInformation, "INFOBMP", ClickYes, TMessDlgBox::mrYes},
               {0, nullptr, ClickYes, TMessDlgBox::mrYes},
               {5, nullptr, ClickYes, TMessDlgBox::mrYes}};
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
          EXPECT_EQ(box.Label1->text(), "One\nTwo");
          EXPECT_EQ(box.Label1->font().pointSize(), 9 + c.kind);
          EXPECT_EQ(box.YesBtn->text(), "&Rendben");
          EXPECT_EQ(box.YesBtn->geometry(), QRect((316 - 77) / 2, 80, 77, 27));
          ExpectLooksAsKept(box, "message-" + QString::number(c.kind));
          EXPECT_EQ(box.focusWidget(), box.YesBtn);
          EXPECT_TRUE(box.NoBtn->isHidden());
          const QImage picture = box.Image1->pixmap().toImage();
          if (c.picture)
            EXPECT_EQ(Rgb(picture), Rgb(QImage(QString(VANTREL_SOURCE_DIR "/src/app/resources/") +
                                               c.picture + ".bmp")));
          else
            EXPECT_TRUE(picture.isNull());
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

TEST(AboutBox, ShowsTheNameTheLogoAndEndsOnlyByOk) {
  InitAppResources();
  QWidget owner;
  TAboutBox box(&owner);
  EXPECT_EQ(box.windowTitle(), "About Vantrel");
  EXPECT_EQ(box.ProductName->Caption(), "Vantrel");
  EXPECT_EQ(box.WinLab->Caption(), " for Windows '32");
  EXPECT_TRUE(box.Comments->Caption().startsWith(" A különbözô képek tömörítését"));
  ASSERT_NE(box.ProgramIcon->Picture(), nullptr);
  EXPECT_EQ(box.ProgramIcon->size(), QSize(64, 64));
  EXPECT_EQ(box.OKButton->text(), "&OK");
  EXPECT_EQ(box.size(), QSize(390, 160)); // fixed: its texts and logo are laid out for it
  const int result = WhileModal([&] { return box.exec(); },
                                [&](QDialog&) {
                                  ExpectLooksAsKept(box, "about");
                                  QTest::keyClick(&box, Qt::Key_Escape);
                                  EXPECT_TRUE(box.isVisible());
                                  QTest::mouseClick(box.OKButton, Qt::LeftButton);
                                });
  EXPECT_EQ(result, 1);
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

#include "app/ComprImg.h"
#include "TestSupport.h"
#include "app/AppResources.h"
#include "app/Dialogs.h"
#include "app/MessDlg.h"
#include "blz/UniBmp.h"
#include "controls/UniPanel.h"
#include "io/Streams.h"
#include "LooksAsKept.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

using TWriter = void (TUniBitmap::*)(TStream&) const;

// The bytes one of the bitmap's writers makes: by default the plain BMP file.
std::vector<uint8_t> Written(const TUniBitmap& bitmap, TWriter write = &TUniBitmap::SaveToStream) {
  return testsupport::Saved([&](TStream& s) { (bitmap.*write)(s); });
}

// A picture of w × h with a pattern, saved as a 24-bit BMP file.
std::string MakeBmp(const TempDir& dir, const std::string& name, int w, int h) {
  TUniBitmap bitmap;
  bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(x, y, RGB(x * 7, y * 5, (x ^ y) & 0xFF));
  bitmap.SaveToFile(dir.File(name));
  return dir.File(name);
}

// Closes the next modal dialog that opens and counts how many did.
struct ModalCloser {
  int seen = 0;
  QString title;
  void Arm() {
    QTimer::singleShot(50, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ++seen;
        title = modal->windowTitle();
        static_cast<QDialog*>(modal)->done(1);
      }
    });
  }
};

class MainWindow : public testing::Test {
protected:
  static void SetUpTestSuite() { InitAppResources(); }
  void SetUp() override {
    saved_ = Dialogs();
    Dialogs().messageBox = [this](QWidget*, const QString& caption, const QString& text) {
      messages_.push_back(caption + "|" + text);
    };
    window_ = std::make_unique<TComprImg>();
    MessDlgBox = new TMessDlgBox(window_.get());
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    window_.reset();
    MessDlgBox = nullptr;
    Dialogs() = saved_;
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->windowHandle(), key, modifiers);
  }
  // Makes a w × h BMP file in the test's folder and opens it.
  void Load(const std::string& name, int w, int h) {
    window_->LoadImageFile(QString::fromStdString(MakeBmp(dir_, name, w, h)));
  }

  TempDir dir_;
  TDialogs saved_;
  std::vector<QString> messages_;
  std::unique_ptr<TComprImg> window_;
};

TEST_F(MainWindow, LaysOutTheDesignWithItsCaptions) {
  TComprImg& w = *window_;
  EXPECT_EQ(w.size(), QSize(429, 281));
  ExpectLooksAsKept(w, "main-window");
  w.resize(600, 400); // the buttons keep to their edges; the picture's box takes the rest
  ExpectLooksAsKept(w, "main-window-wide");
  EXPECT_EQ(w.btnControl->geometry(), w.btnSave->geometry()); // hidden until a save
  w.resize(100, 50);
  EXPECT_EQ(w.size(), QSize(380, 73)); // room for the three buttons

  EXPECT_EQ(w.windowTitle(), "Vantrel for Win32");
  // The popup menu's items in order, separators empty, with their check marks.
  QStringList menu;
  for (const QAction* action : w.PopupMenu1->actions())
    menu << action->text() + (action->isChecked() ? "+" : "");
  EXPECT_EQ(menu,
            QStringList({"&File-tömörítés", "&Gyorsmentés+", "", "Ki&lépés", "", "&Névjegy"}));
  w.QuickSave1Click();
  EXPECT_EQ(w.btnSave->text(), "Men&tés mint...");
  w.QuickSave1Click();
  EXPECT_EQ(w.btnSave->text(), "&Mentés");
  EXPECT_FALSE(w.btnSave->isEnabled());
  EXPECT_TRUE(w.btnControl->isHidden());
}

// Quick Save writes NAME.BLZ in the chosen layout; the dialog's name picks the layout by its
// extension, other extensions get a BLZ stream. Control reads the file back.
TEST_F(MainWindow, SaveAndControlRoundTrip) {
  const TWriter packed = &TUniBitmap::SaveToPackedBmpStream, stream = &TUniBitmap::SaveToBLZStream;
  // The stream layout chosen, the name chosen in the dialog (empty: Quick Save), the file.
  const std::tuple<bool, std::string, std::string, TWriter> cases[] = {
      {false, "", "sun.BLZ", packed},
      {true, "", "sun.BLZ", stream},
      {false, "out.bmp", "OUT.BMP", packed},
      {true, "out2.blz", "OUT2.BLZ", stream},
      {false, "other.xyz", "OTHER.XYZ", stream}};
  TComprImg& w = *window_;
  for (const auto& [streamChosen, chosen, file, writer] : cases) {
    SCOPED_TRACE(file + (streamChosen ? " stream" : " packed"));
    if (streamChosen != w.chkCompress->isChecked()) w.chkCompressClick();
    if (chosen.empty() != w.QuickSave1->isChecked()) w.QuickSave1Click();
    Dialogs().saveFile = [&](QWidget*, const QString&, const QString&, const QString&) {
      return std::optional(QString::fromStdString(dir_.File(chosen)));
    };
    Load("sun.bmp", 70, 40);
    const std::vector<uint8_t> shown = Written(w.Bitmap());

    w.btnSaveClick();
    const std::string saved = dir_.File(file);
    EXPECT_EQ(w.SavedFileName().toStdString(), saved);
    EXPECT_FALSE(w.btnSave->isEnabled());
    EXPECT_TRUE(w.btnControl->isVisible());
    EXPECT_EQ(ReadFile(saved), Written(w.Bitmap(), writer));

    w.btnControlClick();
    EXPECT_EQ(Written(w.Bitmap()), shown);
    EXPECT_TRUE(w.btnSave->isEnabled());
    EXPECT_TRUE(w.btnControl->isHidden());
    EXPECT_EQ(w.FileName().toStdString(), saved);
  }
}

TEST_F(MainWindow, QuickSaveThatFailsKeepsTheOldFileAndSaysSo) {
  Load("gone.bmp", 8, 8);
  std::filesystem::remove_all(dir_.Path());
  ModalCloser closer;
  closer.Arm();
  window_->btnSaveClick();
  EXPECT_EQ(closer.title, "E R R O R");
  EXPECT_TRUE(window_->SavedFileName().isEmpty());
  EXPECT_TRUE(window_->btnSave->isEnabled());
}

// Arrows and Page Up/Down scroll by ten and never reach a control; a pasted picture (the
// copied one) is shown from its top-left corner.
TEST_F(MainWindow, KeysScrollCopyAndPaste) {
  TComprImg& w = *window_;
  Load("big.bmp", 900, 700);
  const std::vector<uint8_t> before = Written(w.Bitmap());
  QApplication::processEvents();
  w.btnBrowse->setFocus();
  QScrollBar* h = w.imgScrollBox->horizontalScrollBar();
  QScrollBar* v = w.imgScrollBox->verticalScrollBar();
  const std::tuple<Qt::Key, int, int> steps[] = {
      {Qt::Key_Right, 10, 0}, {Qt::Key_Right, 20, 0},     {Qt::Key_Left, 10, 0},
      {Qt::Key_Down, 10, 10}, {Qt::Key_PageDown, 10, 20}, {Qt::Key_PageDown, 10, 30},
      {Qt::Key_Up, 10, 20},   {Qt::Key_PageUp, 10, 10}};
  for (const auto& [key, x, y] : steps) {
    Key(key);
    EXPECT_EQ(std::pair(h->value(), v->value()), std::pair(x, y)) << key;
  }
  EXPECT_TRUE(w.btnBrowse->hasFocus()) << "an arrow moved the focus";
  ExpectLooksAsKept(w, "main-window-scrolled");

  Key(Qt::Key_Insert, Qt::ControlModifier);
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(w.FileName(), "CLIPBRD.BMP");
  EXPECT_EQ(w.windowTitle(), "Vantrel for Win32: Vágólapról 900 x 700");
  EXPECT_EQ(Written(w.Bitmap()), before);
  EXPECT_EQ(std::pair(h->value(), v->value()), std::pair(0, 0));
}

// A dropped local file opens; one that fails to load says so and leaves an empty image; other
// drops are ignored.
TEST_F(MainWindow, DroppedFiles) {
  testsupport::WriteFile(dir_.File("notes.gif"), {'h', 'e', 'l', 'l', 'o'});
  const QString bmp = QString::fromStdString(MakeBmp(dir_, "drop.bmp", 12, 9));
  const QString gif = QString::fromStdString(dir_.File("notes.gif")), none = "Vantrel for Win32";
  // A picture without an extension goes to the image loader, which knows it by its content.
  std::filesystem::copy_file(VANTREL_SOURCE_DIR "/src/app/resources/sample.gif",
                             dir_.File("sample"));
  const QString bare = QString::fromStdString(dir_.File("sample"));
  // The URL dropped, the width then shown, the window's title, the message shown.
  const std::tuple<QUrl, int, QString, QString> cases[] = {
      {QUrl("https://example.org/drop.bmp"), 0, none, ""},
      {QUrl::fromLocalFile("/" + QString(254, 'x')), 0, none, ""}, // 255 characters: too long
      {QUrl::fromLocalFile(gif), 0, none, "H I B A|A formátum nem ismert"},
      {QUrl::fromLocalFile(bmp), 12, "Vantrel for Win32: drop.bmp 12 x 9", ""},
      {QUrl::fromLocalFile(bare), 480, "Vantrel for Win32: sample 480 x 320", ""}};
  for (const auto& [url, width, title, message] : cases) {
    messages_.clear();
    QMimeData data;
    data.setUrls({url});
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: the application delivers drops only within a drag it started.
    static_cast<QObject*>(window_.get())->event(&drop);
    EXPECT_EQ(window_->Bitmap().Width(), width) << url.toString().toStdString();
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_EQ(messages_, message.isEmpty() ? std::vector<QString>{} : std::vector{message});
  }
}

// F1 opens the about box, once; a right click on the picture or the button bar opens the menu.
TEST_F(MainWindow, F1AndTheRightButtonOpenTheirPopups) {
  ModalCloser closer;
  closer.Arm();
  QTimer::singleShot(200, [&] { closer.Arm(); });
  Key(Qt::Key_F1);
  QTest::qWait(300);
  EXPECT_EQ(closer.seen, 1);
  EXPECT_EQ(closer.title, "About Vantrel");
  for (QPoint at : {QPoint(200, 150), QPoint(135, 20)}) {
    QTest::mouseClick(window_->windowHandle(), Qt::RightButton, {}, at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->PopupMenu1->isVisible(); }, 200))
        << "at " << at.x() << "," << at.y();
    window_->PopupMenu1->hide();
  }
}

TEST(QuickSaveName, CutsAtTheFirstOccurrenceOfTheExtension) {
  const std::pair<QString, QString> cases[] = {{"/pic/SUN.GIF", "/pic/SUN."},
                                               {"/pic/A.GIF.GIF", "/pic/A."},
                                               {"/pic/NOEXT", "/pic/NOEXT."},
                                               {"/pic/x.y/SUN.blz", "/pic/x.y/SUN."},
                                               {"CLIPBRD.BMP", QDir::currentPath() + "/CLIPBRD."}};
  for (const auto& [name, base] : cases)
    EXPECT_EQ(TComprImg::QuickSaveBase(name), base) << name.toStdString();
}

} // namespace

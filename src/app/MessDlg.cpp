#include "app/MessDlg.h"

#include "app/ScreenCentre.h"
#include "bmp/Bitmap.h"
#include "controls/CrispScaling.h"
#include "controls/Fonts.h"
#include "qt/BitmapQt.h"
#include "qt/Resources.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TMessDlgBox* MessDlgBox = nullptr;

namespace {

const char* const kPictureResources[] = {"QUESTBMP", "EXCLAMBMP", "STOPBMP", "INFOBMP"};

QImage LoadBitmapResource(const char* name) {
  try {
    TResourceStream resource(HInstance(), name, TResourceType::RT_BITMAP);
    TBitmap bitmap;
    bitmap.LoadFromStream(resource);
    return BitmapToQImage(bitmap);
  } catch (const std::exception&) {
    return {}; // a picture that does not load leaves the picture empty
  }
}

} // namespace

TMessDlgBox::TMessDlgBox(QWidget* parent) : QDialog(parent) {
  setObjectName("MessDlgBox");
  setFixedSize(316, 111);
  setWindowTitle("Msg_Caption");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowIcon(QIcon(":/icons/vantrel-32.png"));
  setFont(ControlFont("MS Sans Serif", -11, true));

  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 300, 65);
  Image1 = new QLabel(this);
  Image1->setGeometry(22, 16, 49, 49);
  Image1->setScaledContents(true);
  Label1 = new QLabel(tr("Valóban ki szeretne lépni"), this);
  Label1->setGeometry(80, 16, 217, 49);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label1->setFont(ControlFont("MS Sans Serif", -13, true));
  QPalette navy = Label1->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label1->setPalette(navy);

  YesBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogYesButton), tr("&Igen"), this);
  YesBtn->setGeometry(56, 80, 77, 27);
  YesBtn->setDefault(true);
  connect(YesBtn, &QPushButton::clicked, this, [this] { done(mrYes); });
  NoBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogNoButton), tr("&Nem"), this);
  NoBtn->setGeometry(184, 80, 77, 27);
  connect(NoBtn, &QPushButton::clicked, this, [this] { done(7); });
}

int TMessDlgBox::ShowMessDlg(const QString& ButtonText, const QString& MessageText,
                             const QString& DlgCaption, uint8_t FontSize,
                             TMessPicture PictureKind) {
  NoBtn->hide();
  int kind = static_cast<int>(PictureKind);
  const QImage picture =
      kind >= 1 && kind <= 4 ? LoadBitmapResource(kPictureResources[kind - 1]) : QImage();
  Image1->setPixmap(picture.isNull() ? QPixmap()
                                     : CrispPixmap(picture, Image1->size(), devicePixelRatioF()));
  YesBtn->move((width() - YesBtn->width()) / 2, YesBtn->y());
  YesBtn->setText(ButtonText);
  QString text = MessageText;
  Label1->setText(text.replace('\r', '\n'));
  QFont font = Label1->font();
  font.setPointSize(FontSize);
  Label1->setFont(font);
  setWindowTitle(DlgCaption);
  YesBtn->setFocus();
  CentreOnScreenWhenShown(this);
  return exec();
}

int TMessDlgBox::ShowExclamDlg(const QString& ButtonText, const QString& MessageText,
                               const QString& DlgCaption, uint8_t FontSize) {
  return ShowMessDlg(ButtonText, MessageText, DlgCaption, FontSize, mpExclamation);
}

void TMessDlgBox::keyPressEvent(QKeyEvent* event) {
  // Only the hidden cancel button would answer Escape; with one button it does nothing.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

// The close box.
void TMessDlgBox::reject() {
  done(mrCancel);
}

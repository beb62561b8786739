#include "app/About.h"

#include "app/ScreenCentre.h"
#include "blz/UniBmp.h"
#include "controls/Fonts.h"
#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/UniPanel.h"
#include "qt/Resources.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>

namespace {

TShadowedLabel* ShadowedLabel(QWidget* parent, const QString& text, QRect geometry, int height,
                              TColor color, TColor shadow, int down, int left) {
  auto* label = new TShadowedLabel(parent);
  label->setGeometry(geometry);
  label->SetCaption(text);
  label->SetShadowType(TShadowedLabel::shdULeft);
  label->SetSolidShadow(true);
  label->SetShadowColor(shadow);
  label->SetShadowDown(static_cast<uint16_t>(down));
  label->SetShadowLeft(static_cast<uint16_t>(left));
  label->setFont(ControlFont("Arial", height, true));
  label->SetFontColor(color);
  return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
  setObjectName("AboutBox");
  setWindowTitle(tr("About Vantrel"));
  setFixedSize(390, 160);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ControlFont("MS Sans Serif", -11));

  Panel1 = new QFrame(this);
  Panel1->setGeometry(0, 0, 390, 160);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1 = new QFrame(Panel1);
  Bevel1->setGeometry(3, 3, 384, 154);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  ProductName =
      ShadowedLabel(Panel1, "Vantrel", {131, 16, 236, 38}, -29, RGB(0, 255, 255), clBlack, 4, 10);
  WinLab = ShadowedLabel(Panel1, "for Windows '32", {195, 56, 101, 17}, -13, RGB(255, 255, 0),
                         RGB(128, 0, 0), 1, 1);
  Bevel2 = new QFrame(Panel1);
  Bevel2->setGeometry(10, 102, 369, 2);
  Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  ProgramIcon = new TPictButton(Panel1);
  ProgramIcon->setGeometry(40, 8, 64, 64);

  Comments = new TUniPanel(Panel1);
  Comments->setGeometry(10, 108, 370, 47);
  Comments->SetAlignment(taLeftJustify);
  Comments->SetBevelOuter(TUniPanel::bvOLowered);
  Comments->SetBevelInner(TUniPanel::bvINone);
  Comments->SetBevelWidth(2);
  Comments->SetBorderWidth(2);
  Comments->SetFrameColor(TUniPanel::frDefault);
  Comments->SetHighLight(clBtnHighlight);
  Comments->SetShadow(clBtnShadow);
  Comments->SetCaptnBckColor(clBtnFace);
  Comments->SetFocusHandle(nullptr);
  Comments->setFont(ControlFont("MS Sans Serif", -11));
  Comments->SetFontColor(clBlack);

  OKButton = new QPushButton(tr("&OK"), Comments);
  OKButton->setGeometry(285, 9, 74, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] { done(1); });
  FormCreate();
  OKButton->setFocus();
}

void TAboutBox::FormCreate() {
  TBitmap& logo = DefaultUniBitmap->BitmapFromPackedBmpResName(HInstance(), "LOGOICO");
  ProgramIcon->SetPicture(&logo);
  Comments->SetCaption(
      tr(" A különbözô képek tömörítését végző alkalmazás,\r mely drag && drop módon is képes a "
         "fájlokat fogadni.\r A mentés alapértelmezésben *.blz kiterjesztéssel."));
  WinLab->SetCaption(tr(" for Windows '32"));
  ProgramIcon->setAccessibleName(tr("A Vantrel emblémája"));
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return; // only OK and the close box end it
  QDialog::keyPressEvent(event);
}

void ShowAboutBox(QWidget* owner) {
  TAboutBox box(owner);
  CentreOnScreenWhenShown(&box);
  box.exec();
}

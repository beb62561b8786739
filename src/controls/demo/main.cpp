// A window that shows the custom controls in their main configurations, for a person to look
// at: the panel's nine caption places, bevels and frame colours, the label's shadow types, and
// the picture button over a coloured panel (clicks on its holes reach the panel).
#include "controls/Fonts.h"
#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/UniPanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

namespace {

TUniPanel* Panel(QWidget* parent, const QRect& bounds, const QString& caption) {
  auto* panel = new TUniPanel(parent);
  panel->setGeometry(bounds);
  panel->setFont(ControlFont("MS Sans Serif", -11));
  panel->SetCaption(caption);
  return panel;
}

void CaptionPlaces(QWidget* window) {
  const TAlignment horizontal[] = {taLeftJustify, taCenter, taRightJustify};
  const TUniPanel::TAlignmentV vertical[] = {TUniPanel::vertTop, TUniPanel::vertCenter,
                                             TUniPanel::vertBottom};
  const char* names[] = {"left", "centre", "right"};
  const char* rows[] = {"top", "middle", "bottom"};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      auto* panel = Panel(window, QRect(10 + col * 125, 10 + row * 55, 120, 50),
                          QString("%1 %2").arg(rows[row], names[col]));
      panel->SetAlignment(horizontal[col]);
      panel->SetAlignmentVert(vertical[row]);
      panel->SetBevelInner(TUniPanel::bvILowered);
      panel->SetBorderWidth(2);
      panel->SetCaptnBckColor(clWhite);
    }
  }
}

void FramesAndBevels(QWidget* window) {
  const struct {
    TUniPanel::TfrColor frame;
    TUniPanel::TPanelOBevel outer;
    TUniPanel::TPanelIBevel inner;
    const char* caption;
  } kinds[] = {
      {TUniPanel::frDefault, TUniPanel::bvORaised, TUniPanel::bvINone, "frDefault raised"},
      {TUniPanel::frGreen, TUniPanel::bvOLowered, TUniPanel::bvIRaised, "frGreen low/raised"},
      {TUniPanel::frYellow, TUniPanel::bvORaised, TUniPanel::bvILowered, "frYellow"},
      {TUniPanel::frBlue, TUniPanel::bvORaised, TUniPanel::bvIRaised, "frBlue"},
      {TUniPanel::frRed, TUniPanel::bvOLowered, TUniPanel::bvINone, "frRed lowered"},
      {TUniPanel::frPurple, TUniPanel::bvORaised, TUniPanel::bvILowered, "frPurple"},
  };
  int x = 400;
  int y = 10;
  for (const auto& kind : kinds) {
    auto* panel = Panel(window, QRect(x, y, 150, 40), kind.caption);
    panel->SetBevelWidth(3);
    panel->SetBorderWidth(2);
    panel->SetFrameColor(kind.frame);
    panel->SetBevelOuter(kind.outer);
    panel->SetBevelInner(kind.inner);
    y += 45;
    if (y > 100) {
      y = 10;
      x += 160;
    }
  }
  // Caption on its own background, several lines, a tab.
  auto* lines = Panel(window, QRect(400, 150, 150, 60), "First line\rSecond\tline");
  lines->SetCaptnBckColor(0x00C0FFFF);
  lines->SetAutoSize(true);
  auto* sized = Panel(window, QRect(560, 150, 10, 10), "AutoSize\twith a tab");
  sized->SetBevelInner(TUniPanel::bvILowered);
  sized->SetBorderWidth(3);
  sized->SetAutoSize(true);
  sized->SetCaptnBckColor(0x00FFE0C0);
  auto* colour = Panel(window, QRect(560, 180, 150, 25), "White on navy");
  colour->SetColor(clNavy);
  colour->SetCaptnTxtColor(clWhite);
}

void ToolBarAndComments(QWidget* window, QLabel* status) {
  // The main window's button bar: yellow frame, lowered inner bevel, buttons inside.
  auto* bar = Panel(window, QRect(10, 220, 429, 41), "");
  bar->SetFrameColor(TUniPanel::frYellow);
  bar->SetBevelInner(TUniPanel::bvILowered);
  for (auto [x, text] : {std::pair{5, "Browse..."}, {148, "E&xit"}, {304, "Save"}}) {
    auto* button = new QPushButton(text, bar);
    button->setGeometry(x, 4, 120, 33);
  }
  // The about box's comment panel with its OK button over the right end.
  auto* comments = Panel(window, QRect(10, 270, 370, 47),
                         "Vantrel stores pictures as BLZ files\rcompressed block by block\r"
                         "and reads them back.");
  comments->SetAlignment(taLeftJustify);
  comments->SetBevelOuter(TUniPanel::bvOLowered);
  comments->SetBevelWidth(2);
  comments->SetBorderWidth(2);
  auto* ok = new QPushButton("OK", comments);
  ok->setGeometry(300, 10, 60, 27);

  // Accelerators: Alt+T focuses the edit and clicks it; the caption's T is underlined.
  auto* edit = new QLineEdit(window);
  edit->setGeometry(450, 280, 150, 24);
  auto* accel = Panel(window, QRect(450, 220, 150, 50), "Alt+&T: to the edit");
  accel->SetFrameColor(TUniPanel::frBlue);
  accel->SetFocusControl(edit);
  accel->SetFocusClickEmulation(true);
  auto* cascade = Panel(window, QRect(610, 220, 150, 50), "Click: cascade");
  cascade->SetFocusControl(edit);
  cascade->SetFocusClickCascade(true);
  QObject::connect(cascade, &TUniPanel::clicked, status,
                   [status] { status->setText("cascade panel clicked; edit focused"); });
}

void Labels(QWidget* window) {
  const struct {
    TShadowedLabel::TShadowType type;
    const char* text;
  } types[] = {{TShadowedLabel::shdULeft, "Up left"},
               {TShadowedLabel::shdDLeft, "Down left"},
               {TShadowedLabel::shdURight, "Up right"},
               {TShadowedLabel::shdDRight, "Down right"}};
  int x = 10;
  for (const auto& type : types) {
    for (bool solid : {true, false}) {
      auto* label = new TShadowedLabel(window);
      label->move(x, solid ? 330 : 370);
      label->setFont(ControlFont("Arial", -20, true));
      label->SetFontColor(clYellow);
      label->SetShadowColor(clMaroon);
      label->SetShadowType(type.type);
      label->SetShadowLeft(4);
      label->SetShadowDown(4);
      label->SetSolidShadow(solid);
      label->SetCaption(type.text);
    }
    x += 140;
  }
  auto* product = new TShadowedLabel(window);
  product->setGeometry(11, 420, 236, 38);
  product->setFont(ControlFont("Arial", -29, true));
  product->SetFontColor(clAqua);
  product->SetShadowColor(clBlack);
  product->SetShadowType(TShadowedLabel::shdULeft);
  product->SetShadowLeft(10);
  product->SetShadowDown(4);
  product->SetCaption("Vantrel");
  auto* win = new TShadowedLabel(window);
  win->move(200, 430);
  win->setFont(ControlFont("Arial", -13, true));
  win->SetFontColor(clYellow);
  win->SetShadowColor(clMaroon);
  win->SetShadowType(TShadowedLabel::shdULeft);
  win->SetShadowLeft(1);
  win->SetShadowDown(1);
  win->SetCaption("for Windows '32");
  auto* disabled = new TShadowedLabel(window);
  disabled->move(340, 430);
  disabled->setFont(ControlFont("Arial", -16, true));
  disabled->SetCaption("Disabled &label");
  disabled->setEnabled(false);
  for (auto [y, alignment, text] : {std::tuple{470, taLeftJustify, "left, fixed size"},
                                    {500, taCenter, "centre, fixed size"},
                                    {530, taRightJustify, "right, fixed size"}}) {
    auto* fixed = new TShadowedLabel(window);
    fixed->SetAutoSize(false);
    fixed->setGeometry(10, y, 250, 26);
    fixed->SetColor(0x00E0E0E0);
    fixed->setFont(ControlFont("Arial", -16));
    fixed->SetShadowColor(clGray);
    fixed->SetAlignment(alignment);
    fixed->SetCaption(text);
  }
}

QImage Logo() {
  QImage logo(64, 64, QImage::Format_RGB32);
  logo.fill(Qt::white); // the bottom-left pixel: the see-through colour
  QPainter painter(&logo);
  painter.setBrush(QColor(0, 96, 192));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(4, 4, 56, 56);
  painter.setBrush(Qt::white);
  painter.drawEllipse(22, 22, 20, 20); // a hole in the middle
  painter.setBrush(QColor(255, 200, 0));
  painter.drawRect(28, 0, 8, 14);
  return logo;
}

void PictureButton(QWidget* window, QLabel* status) {
  auto* pad = Panel(window, QRect(680, 330, 200, 120), "");
  pad->SetColor(clGreen);
  pad->SetBevelOuter(TUniPanel::bvOLowered);
  auto* button = new TPictButton(pad);
  button->move(68, 28);
  button->SetPictureImage(Logo());
  button->SetInnerCursor(Qt::PointingHandCursor);
  QObject::connect(button, &TPictButton::clicked, status,
                   [status] { status->setText("picture button clicked"); });
  QObject::connect(pad, &TUniPanel::clicked, status,
                   [status] { status->setText("green panel clicked (through a hole?)"); });
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Vantrel controls");
  window.resize(900, 570);
  auto* status = new QLabel("click the controls", &window);
  status->setGeometry(300, 535, 500, 24);
  CaptionPlaces(&window);
  FramesAndBevels(&window);
  ToolBarAndComments(&window, status);
  Labels(&window);
  PictureButton(&window, status);
  window.show();
  return app.exec();
}

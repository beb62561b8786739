// The panel, the shadowed label and the picture button, drawn with a fixed font into images.
#include "LooksAsKept.h"
#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/SystemColors.h"
#include "controls/UniPanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr TColor kLight = 0x000000FF, kDark = 0x00FF0000, kFace = 0x00C0C0C0, kCells = 0x00FF00FF;

// Liberation Sans at 13 pixels without anti-aliasing: every text pixel has the text colour.
QFont FixedTestFont() {
  QFont font("Liberation Sans");
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// Paints twice, so that a control that sized itself while painting is rendered at its size.
QImage Render(QWidget& widget) {
  widget.grab();
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TColor PixelAt(const QImage& image, int x, int y) {
  return QColorToColor(image.pixelColor(x, y));
}

// How many pixels have a colour.
int Count(const QImage& image, TColor color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      count += PixelAt(image, x, y) == color;
  return count;
}

using TRecordedMouse = std::pair<QEvent::Type, QPoint>;

// What a recorder holds after one left click at `p`.
std::vector<TRecordedMouse> ClickAt(QPoint p) {
  return {{QEvent::MouseButtonPress, p}, {QEvent::MouseButtonRelease, p}};
}

class TMouseRecorder : public QWidget {
public:
  using QWidget::QWidget;
  std::vector<TRecordedMouse> Events;

protected:
  void mousePressEvent(QMouseEvent* e) override { Record(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { Record(e); }

private:
  void Record(QMouseEvent* e) {
    Events.push_back({e->type(), e->position().toPoint()});
    e->accept();
  }
};

bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

std::unique_ptr<TUniPanel> MakePanel(int w, int h, const QString& caption = "",
                                     TAlignment alignment = taCenter) {
  auto panel = std::make_unique<TUniPanel>();
  panel->resize(w, h);
  panel->setFont(FixedTestFont());
  panel->SetColor(kFace);
  panel->SetHighLight(kLight);
  panel->SetShadow(kDark);
  panel->SetCaption(caption);
  panel->SetAlignment(alignment);
  return panel;
}

std::unique_ptr<TShadowedLabel> MakeLabel(const QString& caption, TColor shadow = clWhite) {
  auto label = std::make_unique<TShadowedLabel>();
  label->setFont(FixedTestFont());
  label->SetCaption(caption);
  label->SetColor(kFace);
  label->SetShadowColor(shadow);
  return label;
}
// Auto-size from 7 x 7 in a parent of 80 x 50 takes the caption's width with one ampersand less
// (none without accelerators) and at most 255 characters, plus the panel's bevel of 1 on each
// side or the label's shadow of 10 x 4, except where docked. Only the panel takes tabs as tab
// stops and keeps its size for two lines; there the label is not measured.
TEST(Controls, AutoSizeMeasuresTheCaption) {
  const QFontMetrics m(FixedTestFont());
  const int th = m.height(), tw = m.horizontalAdvance("Size me");
  const int tabbed = m.horizontalAdvance("Sizeme") + m.horizontalAdvance('0') * 8;
  const int marked = m.horizontalAdvance("&Open && go"), accel = marked - m.horizontalAdvance('&');
  const int longest = m.horizontalAdvance(QString(255, 'i'));
  struct {
    QString Caption;
    TAlign Align;
    QSize Panel, Label;
    bool Accelerators = true;
  } const cases[] = {
      {"Size me", alNone, {tw + 2, th + 2}, {tw + 10, th + 4}},
      {"Size\tme", alNone, {tabbed + 2, th + 2}, {}},
      {"&Open && go", alNone, {accel + 2, th + 2}, {accel + 10, th + 4}},
      {"&Open && go", alNone, {marked + 2, th + 2}, {marked + 10, th + 4}, false},
      {QString(300, 'i'), alNone, {longest + 2, th + 2}, {longest + 10, th + 4}},
      {"Size me", alTop, {80, th + 2}, {80, th + 4}},
      {"Size me", alLeft, {tw + 2, 50}, {tw + 10, 50}},
      {"Size me", alClient, {80, 50}, {80, 50}},
      {"One\rTwo", alNone, {7, 7}, {}}, // the panel's text box is two lines high
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.Caption.toStdString() + " " + std::to_string(row.Align));
    QWidget parents[2];
    auto* panel = new TUniPanel(&parents[0]);
    auto* label = new TShadowedLabel(&parents[1]);
    label->SetShadowLeft(10);
    label->SetShadowDown(4);
    auto autoSized = [&](auto* control) {
      control->parentWidget()->resize(80, 50);
      control->setFont(FixedTestFont());
      control->resize(7, 7);
      control->SetShowAccelChar(row.Accelerators);
      control->SetCaption(row.Caption);
      control->SetAlign(row.Align);
      control->SetAutoSize(true);
      Render(*control);
      return control->size();
    };
    EXPECT_EQ(autoSized(panel), row.Panel);
    EXPECT_EQ(panel->Layout().TextHeight, th * (1 + row.Caption.count('\r')));
    EXPECT_EQ(row.Label.isValid() ? autoSized(label) : QSize(), row.Label);
    if (row.Label.isValid() && row.Align == alNone) { // a new font measures the caption again
      QFont larger = FixedTestFont();
      larger.setPixelSize(2 * QFontInfo(larger).pixelSize());
      const int before = label->height();
      label->setFont(larger);
      EXPECT_GT(label->height(), before);
    }
  }
}

// Each frame colour sets its pair of colours; setting the colours one at a time (first the light,
// then the dark one, or the other way round) passes through no pair to the frame colour.
TEST(UniPanel, FrameColourFollowsTheColourPair) {
  const std::tuple<TUniPanel::TfrColor, TColor, TColor> pairs[] = {
      {TUniPanel::frGreen, 0x0000FF00, 0x00008000},
      {TUniPanel::frYellow, 0x0000FFFF, 0x00008080},
      {TUniPanel::frBlue, 0x00FFFF00, 0x00800000},
      {TUniPanel::frRed, 0x000000FF, 0x00000080},
      {TUniPanel::frPurple, 0x00FF00FF, 0x00800080},
      {TUniPanel::frDefault, clBtnHighlight, clBtnShadow}};
  TUniPanel set, derived;
  bool lightFirst = true;
  for (const auto& [frame, light, dark] : pairs) {
    set.SetFrameColor(frame);
    EXPECT_EQ(std::pair(set.HighLight(), set.Shadow()), std::pair(light, dark)) << frame;
    lightFirst ? derived.SetHighLight(light) : derived.SetShadow(dark);
    EXPECT_EQ(derived.FrameColor(), TUniPanel::frUser) << frame;
    lightFirst ? derived.SetShadow(dark) : derived.SetHighLight(light);
    EXPECT_EQ(derived.FrameColor(), frame);
    lightFirst = !lightFirst;
  }
  set.SetFrameColor(TUniPanel::frUser); // keeps the pair it had
  EXPECT_EQ(set.HighLight(), clBtnHighlight);
}

// The caption's background follows the face until it is set apart; its text colour is the
// font's.
TEST(UniPanel, CaptionColoursAreCoupled) {
  auto panel = MakePanel(60, 24, "Red");
  panel->SetCaptnBckColor(panel->Color());
  EXPECT_FALSE(panel->CaptnColorDiff());
  panel->SetCaptnBckColor(clYellow); // sets it apart, as the caption box shows
  panel->SetCaptnColorDiff(false);
  EXPECT_EQ(panel->CaptnBckColor(), panel->Color());

  panel->SetFontColor(clGreen);
  EXPECT_EQ(panel->CaptnTxtColor(), clGreen);
  panel->SetCaptnTxtColor(clPurple);
  EXPECT_EQ(panel->FontColor(), clPurple);
  EXPECT_GT(Count(Render(*panel), clPurple), 0);
}

TEST(UniPanel, FocusHandleAcceptsOnlyEnabledWidgets) {
  TUniPanel panel;
  QWidget enabled, disabled;
  disabled.setEnabled(false);
  panel.SetFocusHandle(&enabled);
  panel.SetFocusHandle(&disabled);
  panel.SetFocusHandle(nullptr);
  EXPECT_EQ(panel.FocusHandle(), &enabled);

  auto* control = new QWidget;
  panel.SetFocusControl(control);
  EXPECT_EQ(panel.FocusHandle(), control);
  delete control;
  EXPECT_EQ(panel.FocusControl(), nullptr);
  EXPECT_EQ(panel.FocusHandle(), nullptr);
}

// Keys and clicks in a window with the panel ("&Open"), an edit that has the focus, and a
// target that records clicks and is the panel's focus handle.
TEST(UniPanel, AcceleratorsAndClicksReachTheirTargets) {
  enum : unsigned { NoAlt = 1, NoAccel = 2, FocusClick = 4, SelfClick = 8, Cascade = 16, Off = 32 };
  enum TInput { O, AltO, OOnTarget, DialogO, Click };
  enum TFocus { Edit, Panel, Target }; // the target takes the focus by an emulated click
  const std::tuple<unsigned, TInput, TFocus, int> cases[] = {
      // Flags, input, the focus after it, clicks of the panel.
      {0, O, Edit, 0},
      {0, AltO, Panel, 0},
      // Without Alt the bare letter works, but not while an edit takes it as text.
      {NoAlt, O, Edit, 0},
      {NoAlt, OOnTarget, Panel, 0},
      {NoAlt | NoAccel, DialogO, Edit, 0},
      // The emulated clicks reach their targets at the origin; the self click follows the focus.
      {FocusClick, AltO, Target, 0},
      {SelfClick, DialogO, Panel, 1},
      {0, Click, Edit, 1},
      {Cascade, Click, Target, 1},
      {Cascade | Off, Click, Edit, 1}, // a target disabled since is skipped
  };
  for (const auto& [flags, input, focus, clicked] : cases) {
    QWidget window;
    auto* panel = new TUniPanel(&window);
    auto* edit = new QLineEdit(&window);
    auto* target = new TMouseRecorder(&window);
    panel->SetCaption("&Open");
    target->setFocusPolicy(Qt::StrongFocus);
    panel->SetFocusHandle(target);
    target->setEnabled(!(flags & Off));
    panel->SetUseAltKey(!(flags & NoAlt));
    panel->SetShowAccelChar(!(flags & NoAccel));
    panel->SetFocusClickEmulation(flags & FocusClick);
    panel->SetSelfClickEmulation(flags & SelfClick);
    panel->SetFocusClickCascade(flags & Cascade);
    ASSERT_TRUE(ShowActive(window));
    (input == OOnTarget ? static_cast<QWidget*>(target) : edit)->setFocus();
    QSignalSpy clicks(panel, &TUniPanel::clicked);
    if (input == O || input == OOnTarget) QTest::keyClick(QApplication::focusWidget(), Qt::Key_O);
    if (input == AltO) QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
    if (input == DialogO) {
      EXPECT_EQ(panel->DialogChar('o', true), focus != Edit);
    }
    if (input == Click) QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(30, 20));
    QCoreApplication::processEvents();
    const QWidget* focused[] = {edit, panel, target};
    SCOPED_TRACE(testing::Message() << flags << " " << input);
    EXPECT_EQ(QApplication::focusWidget(), focused[focus]);
    EXPECT_EQ(edit->text(), input == O ? "o" : "");
    EXPECT_EQ(target->Events, focus == Target ? ClickAt({0, 0}) : std::vector<TRecordedMouse>{});
    EXPECT_EQ(clicks.count(), clicked);
  }
}

// Every look a setting gives, side by side against a picture kept from a run that was checked
// at known pixels and looked at: the bevels, border and inset, in tiny panels too; the caption box
// at each of the nine places, and cut where it is wider and higher than its panel, showing the end
// its alignment names; the label's shadow of each kind, solid or single, enabled or not (white
// shadow, grey text), at each alignment; two lines of which the label shows the first; the
// accelerator's underline under its own letter, also after a tab and a line break.
TEST(Controls, EachSettingLooksAsKept) {
  using enum TUniPanel::TPanelOBevel;
  using enum TUniPanel::TPanelIBevel;
  using enum TShadowedLabel::TShadowType;
  QWidget gallery;
  gallery.resize(760, 430);
  auto Unsized = [](std::unique_ptr<TShadowedLabel> label, int width, int height) {
    label->SetAutoSize(false);
    label->resize(width, height);
    return label;
  };
  int x = 0, y = 0, rowHeight = 0;
  auto place = [&](auto control, bool newRow = false) {
    if (newRow || x + control->width() > gallery.width()) x = 0, y += rowHeight + 4, rowHeight = 0;
    control->setParent(&gallery);
    control->move(x, y);
    x += control->width() + 4, rowHeight = std::max(rowHeight, control->height());
    return control.release();
  };
  const std::tuple<TUniPanel::TPanelOBevel, TUniPanel::TPanelIBevel, int, int> bevels[] = {
      {bvORaised, bvINone, 1, 0},
      {bvOLowered, bvINone, 1, 0},
      {bvORaised, bvINone, 1, 4},
      {bvORaised, bvILowered, 1, 4},
      {bvONone, bvIRaised, 2, 0}};
  for (const auto& [outer, inner, bevelWidth, borderWidth] : bevels) {
    auto panel = MakePanel(40, 30, "I", taLeftJustify);
    panel->SetAlignmentVert(TUniPanel::vertTop);
    panel->SetCaptnBckColor(kCells);
    panel->SetBevelOuter(outer);
    panel->SetBevelInner(inner);
    panel->SetBevelWidth(bevelWidth);
    panel->SetBorderWidth(borderWidth);
    place(std::move(panel));
  }
  // Tiny panels with both bevels: what is left of rings too thick for them, the inner one
  // drawn in what the outer one leaves.
  for (QSize size : {QSize(4, 3), QSize(6, 5), QSize(1, 1), QSize(1, 3), QSize(4, 1), QSize(4, 2)})
    for (int bevelWidth : {0, 1, 2}) {
      auto panel = MakePanel(size.width(), size.height());
      panel->SetBevelInner(bvILowered);
      panel->SetBevelWidth(bevelWidth);
      place(std::move(panel));
    }
  const int th = QFontMetrics(FixedTestFont()).height();
  for (bool wide : {false, true})
    for (TAlignment alignment : {taLeftJustify, taCenter, taRightJustify})
      for (auto alignmentV : {TUniPanel::vertTop, TUniPanel::vertCenter, TUniPanel::vertBottom}) {
        auto panel = wide ? MakePanel(30, th - 2, "A caption wider than the panel", alignment)
                          : MakePanel(101, 41, "Hello", alignment); // odd: centring truncates
        panel->SetAlignmentVert(alignmentV);
        panel->SetCaptnBckColor(kCells);
        place(std::move(panel));
      }
  for (TAlignment alignment : {taLeftJustify, taCenter, taRightJustify})
    place(MakePanel(30, 20, "MMMMMM" + QString(40, 'i') + "MMMMMM", alignment));
  auto sliver = MakePanel(40, 3, "Hello"); // a caption box one pixel high
  sliver->SetCaptnBckColor(kCells);
  place(std::move(sliver));
  const std::tuple<TShadowedLabel::TShadowType, int, int, TAlignment> shadows[] = {
      {shdULeft, 10, 4, taLeftJustify},
      {shdURight, 1, 0, taLeftJustify},
      {shdDLeft, 2, 3, taCenter},
      {shdDRight, 1, 1, taRightJustify},
      {shdDLeft, 0, 0, taLeftJustify}};
  for (const auto& [type, left, down, alignment] : shadows)
    for (bool solid : {true, false})
      for (bool enabled : {true, false}) {
        auto label = Unsized(MakeLabel("Ab", clRed), 101, 30);
        label->SetShadowType(type);
        label->SetShadowLeft(left);
        label->SetShadowDown(down);
        label->SetAlignment(alignment);
        label->SetSolidShadow(solid);
        label->setEnabled(enabled);
        place(std::move(label), solid && enabled);
      }
  auto twoLines = Unsized(MakeLabel("HH\rBottom line", clRed), 200, 60);
  twoLines->SetSolidShadow(false);
  twoLines->SetShadowType(shdDRight);
  twoLines->SetShadowLeft(3);
  twoLines->SetShadowDown(2);
  twoLines->SetColor(kCells);
  place(std::move(twoLines), true);
  for (const char* caption : {"A&B", "AB"})
    place(Unsized(MakeLabel(caption, kFace), 40, 20));
  for (const char* caption : {"&Open", "Open"})
    place(MakePanel(80, 30, caption));
  for (const char* caption : {"ab\tx&yz", "a&&b\t&wv", "one\rt&wo"}) {
    auto panel = MakePanel(60, 40, caption, taLeftJustify);
    panel->SetAutoSize(true); // the room for tabs; two lines keep the size
    panel->grab();
    place(std::move(panel));
  }
  gallery.grab(); // a control that sizes itself while painting is drawn at its size next time
  ExpectLooksAsKept(gallery, "controls");
}

TEST(ShadowedLabel, LeftClickAndAcceleratorFocus) {
  QWidget window;
  auto* label = new TShadowedLabel(&window);
  label->SetCaption("&Go");
  auto* edit = new QLineEdit(&window);
  auto* target = new QLineEdit(&window);
  ASSERT_TRUE(ShowActive(window));
  QSignalSpy clicks(label, &TShadowedLabel::clicked);
  QTest::mouseClick(label, Qt::RightButton, {}, {2, 2});
  QTest::mouseClick(label, Qt::LeftButton, {}, {2, 2});
  EXPECT_EQ(clicks.count(), 1);

  // Without a focus control the accelerator does nothing; with one, that control takes the focus.
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_G, Qt::AltModifier);
  EXPECT_TRUE(edit->hasFocus());
  label->SetFocusControl(target);
  QTest::keyClick(edit, Qt::Key_G, Qt::AltModifier);
  EXPECT_TRUE(target->hasFocus());
}

// 20 x 10: white (the bottom-left pixel, so see-through) with an opaque red square on the
// right half, a square of `inner` at the left top and a blue pixel just above the bottom-left
// one, which only that one pixel's colour makes opaque.
QImage Picture(QColor inner = Qt::white) {
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(10, 0, 10, 10, Qt::red);
  painter.fillRect(0, 0, 5, 5, inner);
  painter.end();
  image.setPixel(0, 8, qRgb(0, 0, 255));
  return image;
}

// Over a hole the button shows its parent, takes the parent's cursor and passes clicks on at the
// same numbers; over the opaque part it shows the picture, its own cursor, and is clicked.
TEST(PictButton, HolesShowTheParentAndPassClicksOn) {
  QWidget window;
  auto* parent = new TMouseRecorder(&window);
  auto* button = new TPictButton(parent);
  window.resize(200, 100);
  parent->setGeometry(10, 10, 150, 80);
  button->move(30, 20);
  button->SetPictureImage(Picture());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(button->size(), QSize(20, 10));
  EXPECT_TRUE(button->IsOpaque()); // it paints every pixel, its parent's where it has holes
  parent->setCursor(Qt::CrossCursor);
  button->SetInnerCursor(Qt::PointingHandCursor);
  const QImage shown = Render(*button);
  QSignalSpy clicks(button, &TPictButton::clicked);
  for (auto [at, hole] : {std::pair{QPoint(3, 7), true}, {QPoint(15, 5), false}}) {
    EXPECT_EQ(PixelAt(shown, at.x(), at.y()),
              hole ? QColorToColor(parent->palette().color(QPalette::Window)) : clRed);
    QMouseEvent move(QEvent::MouseMove, at, button->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    EXPECT_EQ(button->cursor().shape(), hole ? Qt::CrossCursor : Qt::PointingHandCursor);
    parent->Events.clear();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
    EXPECT_EQ(parent->Events, hole ? ClickAt(at) : std::vector<TRecordedMouse>{});
    EXPECT_EQ(clicks.count(), hole ? 0 : 1);
  }
  // Only a left press released over the button clicks; only a left double click counts.
  QSignalSpy doubles(button, &TPictButton::doubleClicked);
  QTest::mouseClick(button, Qt::RightButton, {}, {15, 5});
  QTest::mousePress(button, Qt::LeftButton, {}, {15, 5});
  QTest::mouseRelease(button, Qt::RightButton, {}, {15, 5}); // another button's release
  QTest::mouseRelease(button, Qt::LeftButton, {}, {25, 5});
  QTest::mouseDClick(button, Qt::RightButton, {}, {15, 5});
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(doubles.count(), 0);
  QTest::mouseDClick(button, Qt::LeftButton, {}, {15, 5});
  EXPECT_EQ(doubles.count(), 1);
  button->SetPicture(nullptr);
  EXPECT_EQ(button->size(), QSize(0, 0));
}

TEST(PictButton, SystemColourOfTheParentIsComparedAsItsRgbValue) {
  QWidget window;
  auto* panel = new TUniPanel(&window);
  panel->setGeometry(0, 0, 100, 60);
  panel->SetColor(clBtnFace);
  auto* button = new TPictButton(panel);
  button->move(10, 10);
  button->SetPictureImage(Picture(ColorToQColor(clBtnFace)));
  Render(*button);
  EXPECT_EQ(button->BackgroundColor(), clBtnFace);
  EXPECT_FALSE(button->HitTest({2, 2})); // shows the button face
  EXPECT_FALSE(button->HitTest({7, 7})); // transparent white
  EXPECT_TRUE(button->HitTest({12, 2})); // red
  EXPECT_EQ(button->LastHitColor(), clRed);
}

} // namespace

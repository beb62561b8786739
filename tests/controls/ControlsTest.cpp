// The panel, the shadowed label and the picture button, drawn with a fixed font into images.
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

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr TColor kLight = 0x000000FF, kDark = 0x00FF0000, kFace = 0x00C0C0C0, kCells = 0x00FF00FF,
                 kGrey = 0x00808080;

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

std::array<int, 4> Edges(const TRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

// How many pixels have a colour, and the smallest rectangle (right and bottom exclusive) they
// lie in.
struct TFound {
  int Count = 0;
  TRect Bounds;
};

TFound Find(const QImage& image, TColor color) {
  TFound f{0, {image.width(), image.height(), 0, 0}};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (PixelAt(image, x, y) == color) {
        ++f.Count;
        f.Bounds = {std::min(f.Bounds.Left, x), std::min(f.Bounds.Top, y),
                    std::max(f.Bounds.Right, x + 1), std::max(f.Bounds.Bottom, y + 1)};
      }
  return f;
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
// Colours along the diagonal from the top-left corner of a 40 x 30 panel and from each of the
// other three corners: L light, D dark, F face.
TEST(UniPanel, BevelsBorderAndInset) {
  using enum TUniPanel::TPanelOBevel;
  using enum TUniPanel::TPanelIBevel;
  // Outer, inner, bevel width, border width, inset, top-left diagonal, the others.
  using TRow =
      std::tuple<TUniPanel::TPanelOBevel, TUniPanel::TPanelIBevel, int, int, int, QString, QString>;
  const TRow cases[] = {
      {bvORaised, bvINone, 1, 0, 1, "LFF", "DFF"},
      {bvOLowered, bvINone, 1, 0, 1, "DFF", "LFF"},
      // The border is not counted in the inset without an inner bevel.
      {bvORaised, bvINone, 1, 4, 1, "LFFFFFF", "DFFFFFF"},
      {bvORaised, bvILowered, 1, 4, 6, "LFFFFDFF", "DFFFFLFF"},
      {bvONone, bvIRaised, 2, 0, 2, "LLFF", "DDFF"},
  };
  auto color = [](QChar c) { return c == 'L' ? kLight : c == 'D' ? kDark : kFace; };
  for (const auto& [outer, inner, bevelWidth, borderWidth, inset, topLeft, others] : cases) {
    auto panel = MakePanel(40, 30);
    panel->SetBevelOuter(outer);
    panel->SetBevelInner(inner);
    panel->SetBevelWidth(bevelWidth);
    panel->SetBorderWidth(borderWidth);
    const QImage image = Render(*panel);
    EXPECT_EQ(panel->Layout().Inset, inset) << outer << " " << inner;
    for (int i = 0; i < topLeft.size(); ++i) {
      EXPECT_EQ(PixelAt(image, i, i), color(topLeft[i])) << i << " " << outer << inner;
      for (QPoint p : {QPoint(39 - i, i), QPoint(i, 29 - i), QPoint(39 - i, 29 - i)})
        EXPECT_EQ(PixelAt(image, p.x(), p.y()), color(others[i])) << p.x() << "," << p.y();
    }
  }
}

// The caption box at each of the nine places; a caption wider and higher than a small panel is
// cut at its inner rectangle wherever it is placed.
TEST(UniPanel, CaptionBoxAtEachPlace) {
  const QFontMetrics metrics(FixedTestFont());
  const int tw = metrics.horizontalAdvance("Hello"), th = metrics.height();
  const int w = 101, h = 41; // odd sizes make the centring's truncation visible
  const std::pair<TAlignment, int> horizontal[] = {
      {taLeftJustify, 1}, {taCenter, (w - tw) / 2}, {taRightJustify, w - 1 - tw}};
  const std::pair<TUniPanel::TAlignmentV, int> vertical[] = {{TUniPanel::vertTop, 1},
                                                             {TUniPanel::vertCenter, (h - th) / 2},
                                                             {TUniPanel::vertBottom, h - 1 - th}};
  for (const auto& [alignment, left] : horizontal)
    for (const auto& [alignmentV, top] : vertical)
      for (bool wide : {false, true}) {
        auto panel = wide ? MakePanel(30, th - 2, "A caption wider than the panel", alignment)
                          : MakePanel(w, h, "Hello", alignment);
        panel->SetAlignmentVert(alignmentV);
        panel->SetCaptnBckColor(kCells);
        const QImage image = Render(*panel);
        const auto expected =
            wide ? std::array{1, 1, 29, th - 3} : std::array{left, top, left + tw, top + th};
        EXPECT_EQ(Edges(panel->Layout().Text), expected);
        EXPECT_EQ(Edges(Find(image, kCells).Bounds), expected);
      }
  // A cut caption shows the end its alignment names: "M"s at both ends, "i"s in the middle.
  const QString caption = "MMMMMM" + QString(40, 'i') + "MMMMMM";
  auto shown = [&](TAlignment a) {
    return Find(Render(*MakePanel(30, 20, caption, a)), clBlack).Count;
  };
  EXPECT_GT(shown(taLeftJustify), shown(taCenter));
  EXPECT_GT(shown(taRightJustify), shown(taCenter));
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
  EXPECT_GT(Find(Render(*panel), clPurple).Count, 0);
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

// The top-left corner of each draw, relative to the anchor; the text's is last. The anchor's x
// follows the alignment in a label 101 wide.
TEST(ShadowedLabel, DrawSequences) {
  using enum TShadowedLabel::TShadowType;
  const int tw = QFontMetrics(FixedTestFont()).horizontalAdvance("Ab");
  const std::vector<QPoint> upLeft = {{-10, 0}, {-10, 0}, {-9, 1}, {-8, 2}, {-7, 3},
                                      {-6, 4},  {-5, 4},  {-4, 4}, {-3, 4}, {-2, 4},
                                      {-1, 4},  {0, 4},   {0, 4}};
  // Shadow type, left, down, alignment, the corners.
  using TRow = std::tuple<TShadowedLabel::TShadowType, int, int, TAlignment, std::vector<QPoint>>;
  const TRow cases[] = {
      {shdULeft, 10, 4, taLeftJustify, upLeft},
      {shdURight, 1, 0, taLeftJustify, {{0, 0}, {0, 0}, {-1, 0}, {-1, 0}}},
      {shdDLeft, 2, 3, taCenter, {{-2, 3}, {-2, 3}, {-1, 2}, {0, 1}, {0, 0}, {0, 0}}},
      {shdDRight, 1, 1, taRightJustify, {{0, 1}, {0, 1}, {-1, 0}, {-1, 0}}},
      {shdDLeft, 0, 0, taLeftJustify, {{0, 0}, {0, 0}, {0, 0}}},
  };
  for (const auto& [type, left, down, alignment, relative] : cases) {
    auto label = MakeLabel("Ab", clRed);
    label->SetAutoSize(false);
    label->resize(101, 30);
    label->SetShadowType(type);
    label->SetShadowLeft(left);
    label->SetShadowDown(down);
    label->SetAlignment(alignment);
    const int anchor[] = {left - 1, 101 - tw - 1, (101 - tw) / 2 + 2}; // left, right, centre
    std::vector<QPoint> expected;
    for (QPoint p : relative)
      expected.push_back(p + QPoint(anchor[alignment], 0));
    // A single shadow is the first draw of the solid one, then the text. Disabled, the shadow
    // is white and the text grey.
    const std::vector<QPoint> single = {expected.front(), expected.back()};
    for (bool solid : {true, false})
      for (bool enabled : {true, false}) {
        label->SetSolidShadow(solid);
        label->setEnabled(enabled);
        const auto draws = label->PlanDraws();
        std::vector<QPoint> corners;
        for (size_t i = 0; i < draws.size(); ++i) {
          corners.emplace_back(draws[i].Box.Left, draws[i].Box.Top);
          const bool text = i + 1 == draws.size();
          EXPECT_EQ(draws[i].Color, enabled ? (text ? clBlack : clRed) : (text ? kGrey : clWhite));
        }
        EXPECT_EQ(corners, solid ? expected : single) << type << left << down << alignment << solid;
      }
  }
}

// The label's shadow lies where its draws say, under the text; of two lines it shows only the
// first. Both controls underline the accelerator: more text-coloured pixels than without it.
TEST(Controls, PaintShadowUnderlineAndOneLine) {
  auto label = MakeLabel("HH\rBottom line", clRed);
  label->SetAutoSize(false);
  label->resize(200, 60);
  label->SetSolidShadow(false);
  label->SetShadowType(TShadowedLabel::shdDRight);
  label->SetShadowLeft(3);
  label->SetShadowDown(2);
  label->SetColor(kCells);
  const QImage image = Render(*label);
  EXPECT_EQ(PixelAt(image, 199, 59), kCells); // its own background
  const TRect text = Find(image, clBlack).Bounds, shadow = Find(image, clRed).Bounds;
  // 3 to the right and 2 below; where the text covers it, the text wins.
  EXPECT_EQ(std::pair(shadow.Right - text.Right, shadow.Bottom - text.Bottom), std::pair(3, 2));
  EXPECT_LE(shadow.Bottom, QFontMetrics(FixedTestFont()).height() + 2);
  EXPECT_EQ(label->size(), QSize(200, 60)); // not auto-sized

  auto count = [](auto control) { return Find(Render(*control), clBlack).Count; };
  EXPECT_GT(count(MakeLabel("A&B", kFace)), count(MakeLabel("AB", kFace)));
  EXPECT_GT(count(MakePanel(80, 30, "&Open")), count(MakePanel(80, 30, "Open")));
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
// right half and a square of `inner` at the left top.
QImage Picture(QColor inner = Qt::white) {
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(10, 0, 10, 10, Qt::red);
  painter.fillRect(0, 0, 5, 5, inner);
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

#include "controls/UniPanel.h"
#include "ControlTestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr TColor kLight = 0x000000FF;
constexpr TColor kDark = 0x00FF0000;
constexpr TColor kFace = 0x00C0C0C0;
constexpr TColor kCells = 0x00FF00FF;

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
        EXPECT_GT(Find(image, clBlack).Count, 0);
      }
  // A cut caption shows the end its alignment names: "M"s at both ends, "i"s in the middle.
  const QString caption = "MMMMMM" + QString(40, 'i') + "MMMMMM";
  auto shown = [&](TAlignment a) {
    return Find(Render(*MakePanel(30, 20, caption, a)), clBlack).Count;
  };
  EXPECT_GT(shown(taLeftJustify), shown(taCenter));
  EXPECT_GT(shown(taRightJustify), shown(taCenter));
}

// Auto-size takes the caption's width with one ampersand less, tabs as tab stops and at most 255
// characters, except where the panel is docked or the caption has two lines.
TEST(UniPanel, AutoSizeMeasuresTheCaption) {
  const QFontMetrics m(FixedTestFont());
  const int th = m.height(), tw = m.horizontalAdvance("Size me");
  const int tabbed = m.horizontalAdvance("Sizeme") + m.horizontalAdvance('0') * 8;
  const int accel = m.horizontalAdvance("&Open && go") - m.horizontalAdvance('&');
  const std::tuple<QString, TAlign, QSize> cases[] = {
      {"Size me", alNone, {tw + 2, th + 2}},
      {"Size\tme", alNone, {tabbed + 2, th + 2}},
      {"&Open && go", alNone, {accel + 2, th + 2}},
      {QString(300, 'i'), alNone, {m.horizontalAdvance(QString(255, 'i')) + 2, th + 2}},
      {"Size me", alTop, {80, th + 2}},
      {"Size me", alLeft, {tw + 2, 50}},
      {"Size me", alClient, {80, 50}},
      {"One\rTwo", alNone, {80, 50}}, // the text box is two lines high
  };
  for (const auto& [caption, align, size] : cases) {
    QWidget parent;
    parent.resize(80, 50);
    auto* panel = new TUniPanel(&parent);
    panel->setFont(FixedTestFont());
    panel->resize(80, 50);
    panel->SetCaption(caption);
    panel->SetAlign(align);
    panel->SetAutoSize(true);
    Render(*panel);
    EXPECT_EQ(panel->size(), size) << caption.toStdString() << " " << align;
    EXPECT_EQ(panel->Layout().Text.Height(), th * (1 + caption.count('\r')));
  }
  auto unmarked = MakePanel(80, 50, "&Open && go"); // without accelerators nothing is less
  unmarked->SetShowAccelChar(false);
  Render(*unmarked);
  EXPECT_EQ(unmarked->Layout().TextWidth, m.horizontalAdvance("&Open && go"));
  // The accelerator is underlined: more text-coloured pixels than without the mark.
  EXPECT_GT(Find(Render(*MakePanel(80, 30, "&Open")), clBlack).Count,
            Find(Render(*MakePanel(80, 30, "Open")), clBlack).Count);
}

TEST(UniPanel, FrameColourFollowsTheColourPair) {
  TUniPanel panel;
  EXPECT_EQ(panel.FrameColor(), TUniPanel::frDefault);
  panel.SetHighLight(0x0000FF00);
  EXPECT_EQ(panel.FrameColor(), TUniPanel::frUser);
  panel.SetShadow(0x00008000);
  EXPECT_EQ(panel.FrameColor(), TUniPanel::frGreen);
  panel.SetShadow(0x00008001);
  EXPECT_EQ(panel.FrameColor(), TUniPanel::frUser);
  const std::tuple<TUniPanel::TfrColor, TColor, TColor> pairs[] = {
      {TUniPanel::frYellow, 0x0000FFFF, 0x00008080},
      {TUniPanel::frBlue, 0x00FFFF00, 0x00800000},
      {TUniPanel::frRed, 0x000000FF, 0x00000080},
      {TUniPanel::frPurple, 0x00FF00FF, 0x00800080},
      {TUniPanel::frDefault, clBtnHighlight, clBtnShadow}};
  for (const auto& [frame, light, dark] : pairs) {
    panel.SetFrameColor(frame);
    EXPECT_EQ(panel.HighLight(), light);
    EXPECT_EQ(panel.Shadow(), dark);
  }
  panel.SetFrameColor(TUniPanel::frRed);
  panel.SetFrameColor(TUniPanel::frUser); // keeps the pair it had
  EXPECT_EQ(panel.HighLight(), 0x000000FFu);
}

TEST(UniPanel, CaptionColoursAreCoupled) {
  auto panel = MakePanel(60, 24, "Red");
  panel->SetCaptnBckColor(panel->Color());
  EXPECT_FALSE(panel->CaptnColorDiff());
  panel->SetCaptnBckColor(clYellow);
  EXPECT_TRUE(panel->CaptnColorDiff());
  panel->SetCaptnColorDiff(false);
  EXPECT_EQ(panel->CaptnBckColor(), panel->Color());
  EXPECT_FALSE(panel->CaptnColorDiff());

  panel->SetFontColor(clGreen);
  EXPECT_EQ(panel->CaptnTxtColor(), clGreen);
  panel->SetCaptnTxtColor(clPurple);
  EXPECT_EQ(panel->FontColor(), clPurple);
  const QImage image = Render(*panel);
  EXPECT_GT(Find(image, clPurple).Count, 0);
  EXPECT_EQ(Find(image, clGreen).Count, 0);
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
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
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

} // namespace

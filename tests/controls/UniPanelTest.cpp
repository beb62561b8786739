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
  const struct {
    TUniPanel::TPanelOBevel Outer;
    TUniPanel::TPanelIBevel Inner;
    int BevelWidth, BorderWidth, Inset;
    std::string TopLeft, Others;
  } cases[] = {
      {bvORaised, bvINone, 1, 0, 1, "LFF", "DFF"},
      {bvOLowered, bvINone, 1, 0, 1, "DFF", "LFF"},
      // The border is not counted in the inset without an inner bevel.
      {bvORaised, bvINone, 1, 4, 1, "LFFFFFF", "DFFFFFF"},
      {bvORaised, bvILowered, 1, 4, 6, "LFFFFDFF", "DFFFFLFF"},
      {bvONone, bvIRaised, 2, 0, 2, "LLFF", "DDFF"},
  };
  auto color = [](char c) { return c == 'L' ? kLight : c == 'D' ? kDark : kFace; };
  for (const auto& c : cases) {
    auto panel = MakePanel(40, 30);
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBevelWidth(c.BevelWidth);
    panel->SetBorderWidth(c.BorderWidth);
    const QImage image = Render(*panel);
    EXPECT_EQ(panel->Layout().Inset, c.Inset) << c.Outer << " " << c.Inner;
    for (int i = 0; i < static_cast<int>(c.TopLeft.size()); ++i) {
      EXPECT_EQ(PixelAt(image, i, i), color(c.TopLeft[i])) << i << " " << c.Outer << c.Inner;
      for (QPoint p : {QPoint(39 - i, i), QPoint(i, 29 - i), QPoint(39 - i, 29 - i)})
        EXPECT_EQ(PixelAt(image, p.x(), p.y()), color(c.Others[i])) << p.x() << "," << p.y();
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

TEST(UniPanel, AutoSize) {
  const QFontMetrics metrics(FixedTestFont());
  const int th = metrics.height();
  const int tw = metrics.horizontalAdvance("Size me");
  const int tab = metrics.horizontalAdvance('0') * 8;
  const struct {
    QString Caption;
    TAlign Align;
    QSize Expected;
  } cases[] = {
      {"Size me", alNone, QSize(tw + 2, th + 2)},
      {"Size\tme", alNone, QSize(metrics.horizontalAdvance("Sizeme") + tab + 2, th + 2)},
      {"Size me", alTop, QSize(80, th + 2)},
      {"Size me", alLeft, QSize(tw + 2, 50)},
      {"Size me", alClient, QSize(80, 50)},
      // Two lines: the panel keeps its size; the text box is two lines high.
      {"One\rTwo", alNone, QSize(80, 50)},
  };
  for (const auto& c : cases) {
    QWidget parent;
    parent.resize(80, 50);
    auto* panel = new TUniPanel(&parent);
    panel->setFont(FixedTestFont());
    panel->resize(80, 50);
    panel->SetCaption(c.Caption);
    panel->SetAlign(c.Align);
    panel->SetAutoSize(true);
    Render(*panel);
    EXPECT_EQ(panel->size(), c.Expected) << c.Caption.toStdString() << " " << c.Align;
    EXPECT_EQ(panel->Layout().Text.Height(), th * (1 + c.Caption.count('\r')));
  }
}

// One ampersand is measured less and underlines; at most 255 characters count.
TEST(UniPanel, MeasuresAndUnderlinesTheCaption) {
  const QFontMetrics metrics(FixedTestFont());
  const int amp = metrics.horizontalAdvance('&');
  const struct {
    QString Caption;
    bool ShowAccelChar;
    int Width;
  } cases[] = {{"&Open && go", true, metrics.horizontalAdvance("&Open && go") - amp},
               {"&Open && go", false, metrics.horizontalAdvance("&Open && go")},
               {QString(300, 'i'), true, metrics.horizontalAdvance(QString(255, 'i'))}};
  for (const auto& c : cases) {
    auto panel = MakePanel(400, 40, c.Caption);
    panel->SetShowAccelChar(c.ShowAccelChar);
    Render(*panel);
    EXPECT_EQ(panel->Layout().TextWidth, c.Width) << c.Caption.toStdString();
  }
  // Same text in the same place; the marked one has extra text-coloured pixels below it.
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
  enum : unsigned {
    NoAltKey = 1,
    NoAccel = 2,
    FocusClick = 4,
    SelfClick = 8,
    Cascade = 16,
    TargetOff = 32
  };
  enum TInput { O, AltO, OOnTarget, DialogO, Click };
  enum TFocus { Edit, Panel, Target };
  const struct {
    unsigned Flags;
    TInput Input;
    TFocus Focus;
    bool TargetClicked;
    int PanelClicks;
  } cases[] = {
      {0, O, Edit, false, 0},
      {0, AltO, Panel, false, 0},
      // Without Alt the bare letter works, but not while an edit takes it as text.
      {NoAltKey, O, Edit, false, 0},
      {NoAltKey, OOnTarget, Panel, false, 0},
      {NoAltKey | NoAccel, DialogO, Edit, false, 0},
      // The emulated clicks reach their targets at the origin; the self click follows the focus.
      {FocusClick, AltO, Target, true, 0},
      {SelfClick, DialogO, Panel, false, 1},
      {0, Click, Edit, false, 1},
      {Cascade, Click, Target, true, 1},
      {Cascade | TargetOff, Click, Edit, false, 1}, // a target disabled since is skipped
  };
  for (const auto& c : cases) {
    QWidget window;
    auto* panel = new TUniPanel(&window);
    auto* edit = new QLineEdit(&window);
    auto* target = new TMouseRecorder(&window);
    window.resize(300, 200);
    panel->setGeometry(0, 0, 120, 40);
    panel->SetCaption("&Open");
    edit->setGeometry(0, 50, 100, 24);
    target->setGeometry(150, 50, 100, 50);
    target->setFocusPolicy(Qt::StrongFocus);
    panel->SetFocusHandle(target);
    target->setEnabled(!(c.Flags & TargetOff));
    panel->SetUseAltKey(!(c.Flags & NoAltKey));
    panel->SetShowAccelChar(!(c.Flags & NoAccel));
    panel->SetFocusClickEmulation(c.Flags & FocusClick);
    panel->SetSelfClickEmulation(c.Flags & SelfClick);
    panel->SetFocusClickCascade(c.Flags & Cascade);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QSignalSpy clicks(panel, &TUniPanel::clicked);
    if (c.Input == OOnTarget) target->setFocus();
    if (c.Input == O || c.Input == OOnTarget)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_O);
    if (c.Input == AltO) QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
    if (c.Input == DialogO) EXPECT_EQ(panel->DialogChar('o', true), c.Focus != Edit);
    if (c.Input == Click) QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(30, 20));
    QCoreApplication::processEvents();
    const QWidget* focus[] = {edit, panel, target};
    EXPECT_EQ(QApplication::focusWidget(), focus[c.Focus]) << c.Flags << " " << c.Input;
    EXPECT_EQ(edit->text(), c.Input == O ? "o" : "") << c.Flags << " " << c.Input;
    EXPECT_EQ(target->Events, c.TargetClicked ? ClickAt({0, 0}) : std::vector<TRecordedMouse>{});
    EXPECT_EQ(clicks.count(), c.PanelClicks) << c.Flags << " " << c.Input;
  }
}

} // namespace

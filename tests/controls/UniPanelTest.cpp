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

std::unique_ptr<TUniPanel> MakePanel(int w, int h, const QString& caption = "") {
  auto panel = std::make_unique<TUniPanel>();
  panel->resize(w, h);
  panel->setFont(FixedTestFont());
  panel->SetColor(kFace);
  panel->SetHighLight(kLight);
  panel->SetShadow(kDark);
  panel->SetCaption(caption);
  return panel;
}

struct BevelCase {
  TUniPanel::TPanelOBevel Outer;
  TUniPanel::TPanelIBevel Inner;
  int BevelWidth, BorderWidth, Inset;
  struct Probe {
    int X, Y;
    TColor Color;
  };
  std::vector<Probe> Probes;
};

TEST(UniPanel, BevelsBorderAndInset) {
  using enum TUniPanel::TPanelOBevel;
  using enum TUniPanel::TPanelIBevel;
  constexpr TColor L = kLight, D = kDark, F = kFace;
  const BevelCase cases[] = {
      // Raised outer bevel: top-left corner light, the other three dark.
      {bvORaised, bvINone, 1, 0, 1, {{0, 0, L}, {1, 0, L}, {0, 1, L}, {39, 0, D}, {0, 29, D}}},
      {bvORaised, bvINone, 1, 0, 1, {{39, 29, D}, {38, 29, D}, {39, 28, D}, {1, 1, F}}},
      {bvOLowered, bvINone, 1, 0, 1, {{0, 0, D}, {39, 0, L}, {0, 29, L}, {39, 29, L}}},
      // The border is not counted in the inset without an inner bevel.
      {bvORaised, bvINone, 1, 4, 1, {{0, 0, L}, {2, 2, F}}},
      // An inner lowered bevel inside a border of 4: its ring is at 5.
      {bvORaised, bvILowered, 1, 4, 6, {{0, 0, L}, {4, 4, F}, {5, 5, D}, {34, 5, L}, {5, 24, L}}},
      {bvORaised, bvILowered, 1, 4, 6, {{34, 24, L}, {6, 5, D}, {6, 6, F}}},
      {bvONone, bvIRaised, 2, 0, 2, {{0, 0, L}, {1, 1, L}, {39, 29, D}, {38, 28, D}, {38, 1, D}}},
      {bvONone, bvIRaised, 2, 0, 2, {{2, 2, F}}},
  };
  for (const BevelCase& c : cases) {
    auto panel = MakePanel(40, 30);
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBevelWidth(c.BevelWidth);
    panel->SetBorderWidth(c.BorderWidth);
    const QImage image = Render(*panel);
    EXPECT_EQ(panel->Layout().Inset, c.Inset) << c.Outer << " " << c.Inner;
    for (const auto& probe : c.Probes)
      EXPECT_EQ(PixelAt(image, probe.X, probe.Y), probe.Color)
          << "at " << probe.X << "," << probe.Y << " for " << c.Outer << "/" << c.Inner;
  }
}

TEST(UniPanel, TextBoxAtEachOfTheNinePlaces) {
  const QFontMetrics metrics(FixedTestFont());
  const int tw = metrics.horizontalAdvance("Hello");
  const int th = metrics.height();
  const int w = 101, h = 41; // odd sizes make the centring's truncation visible
  const struct {
    TAlignment Horizontal;
    int Left;
  } horizontal[] = {{taLeftJustify, 1}, {taCenter, (w - tw) / 2}, {taRightJustify, w - 1 - tw}};
  const struct {
    TUniPanel::TAlignmentV Vertical;
    int Top;
  } vertical[] = {{TUniPanel::vertTop, 1},
                  {TUniPanel::vertCenter, (h - th) / 2},
                  {TUniPanel::vertBottom, h - 1 - th}};
  for (const auto& hz : horizontal) {
    for (const auto& vt : vertical) {
      auto panel = MakePanel(w, h, "Hello");
      panel->SetAlignment(hz.Horizontal);
      panel->SetAlignmentVert(vt.Vertical);
      panel->SetCaptnBckColor(kCells);
      const QImage image = Render(*panel);
      const TRect expected{hz.Left, vt.Top, hz.Left + tw, vt.Top + th};
      EXPECT_TRUE(SameRect(panel->Layout().Text, expected)) << hz.Left << "," << vt.Top;
      EXPECT_TRUE(SameRect(BoundsOf(image, kCells), expected)) << hz.Left << "," << vt.Top;
      EXPECT_GT(CountOf(image, clBlack), 0);
    }
  }
}

TEST(UniPanel, CaptionLargerThanThePanelIsCutAtTheInnerRectangle) {
  const int th = QFontMetrics(FixedTestFont()).height();
  for (auto vertical : {TUniPanel::vertBottom, TUniPanel::vertCenter, TUniPanel::vertTop}) {
    auto panel = MakePanel(30, th - 2, "A caption wider than the panel");
    panel->SetAlignmentVert(vertical);
    panel->SetAlignment(taRightJustify);
    panel->SetCaptnBckColor(kCells);
    const QImage image = Render(*panel);
    const TRect inner{1, 1, 29, th - 3};
    EXPECT_TRUE(SameRect(panel->Layout().Text, inner));
    EXPECT_TRUE(SameRect(BoundsOf(image, kCells), inner));
  }
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
  }
  auto twoLines = MakePanel(80, 50, "One\rTwo");
  twoLines->SetAutoSize(true);
  Render(*twoLines);
  EXPECT_EQ(twoLines->Layout().TextHeight, 2 * th);
  EXPECT_EQ(twoLines->Layout().Text.Height(), 2 * th);
}

TEST(UniPanel, MeasuresOneAmpersandLessAndAtMost255Characters) {
  const QFontMetrics metrics(FixedTestFont());
  auto panel = MakePanel(400, 40, "&Open && go");
  Render(*panel);
  EXPECT_EQ(panel->Layout().TextWidth,
            metrics.horizontalAdvance("&Open && go") - metrics.horizontalAdvance('&'));
  panel->SetShowAccelChar(false);
  Render(*panel);
  EXPECT_EQ(panel->Layout().TextWidth, metrics.horizontalAdvance("&Open && go"));

  panel->SetCaption(QString(300, 'i'));
  Render(*panel);
  EXPECT_EQ(panel->Layout().TextWidth, metrics.horizontalAdvance(QString(255, 'i')));
}

TEST(UniPanel, AcceleratorIsUnderlined) {
  auto plain = MakePanel(80, 30, "Open");
  auto marked = MakePanel(80, 30, "&Open");
  const QImage a = Render(*plain);
  const QImage b = Render(*marked);
  // Same text in the same place; the marked one has extra text-coloured pixels below it.
  EXPECT_GT(CountOf(b, clBlack), CountOf(a, clBlack));
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

  const struct {
    TUniPanel::TfrColor Frame;
    TColor Light, Dark;
  } pairs[] = {{TUniPanel::frYellow, 0x0000FFFF, 0x00008080},
               {TUniPanel::frBlue, 0x00FFFF00, 0x00800000},
               {TUniPanel::frRed, 0x000000FF, 0x00000080},
               {TUniPanel::frPurple, 0x00FF00FF, 0x00800080},
               {TUniPanel::frDefault, clBtnHighlight, clBtnShadow}};
  for (const auto& p : pairs) {
    panel.SetFrameColor(p.Frame);
    EXPECT_EQ(panel.HighLight(), p.Light);
    EXPECT_EQ(panel.Shadow(), p.Dark);
  }
  panel.SetFrameColor(TUniPanel::frRed);
  panel.SetFrameColor(TUniPanel::frUser);
  EXPECT_EQ(panel.HighLight(), 0x000000FFu);
  EXPECT_EQ(panel.property("FrameColor").toInt(), TUniPanel::frUser);
}

TEST(UniPanel, CaptionBackgroundAndItsSwitchAreCoupled) {
  TUniPanel panel;
  EXPECT_EQ(panel.CaptnBckColor(), panel.Color());
  panel.SetCaptnBckColor(panel.Color());
  EXPECT_FALSE(panel.CaptnColorDiff());
  panel.SetCaptnBckColor(clYellow);
  EXPECT_TRUE(panel.CaptnColorDiff());
  panel.SetCaptnColorDiff(false);
  EXPECT_EQ(panel.CaptnBckColor(), panel.Color());
  EXPECT_FALSE(panel.CaptnColorDiff());
}

TEST(UniPanel, CaptionColourIsTheFontColour) {
  auto panel = MakePanel(60, 24, "Red");
  panel->SetFontColor(clGreen);
  EXPECT_EQ(panel->CaptnTxtColor(), clGreen);
  panel->SetCaptnTxtColor(clPurple);
  EXPECT_EQ(panel->FontColor(), clPurple);
  const QImage image = Render(*panel);
  EXPECT_GT(CountOf(image, clPurple), 0);
  EXPECT_EQ(CountOf(image, clGreen), 0);
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

// A window with the panel, an edit that has the focus, and a target that records clicks.
struct AcceleratorWindow {
  QWidget window;
  TUniPanel* panel = new TUniPanel(&window);
  QLineEdit* edit = new QLineEdit(&window);
  TMouseRecorder* target = new TMouseRecorder(&window);

  AcceleratorWindow() {
    window.resize(300, 200);
    panel->setGeometry(0, 0, 120, 40);
    panel->SetCaption("&Open");
    edit->setGeometry(0, 50, 100, 24);
    target->setGeometry(150, 50, 100, 50);
    target->setFocusPolicy(Qt::StrongFocus);
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
  }
};

TEST(UniPanel, AcceleratorNeedsAltWhileUseAltKeyIsOn) {
  AcceleratorWindow w;
  QTest::keyClick(w.edit, Qt::Key_O);
  EXPECT_TRUE(w.edit->hasFocus());
  EXPECT_EQ(w.edit->text(), "o");
  QTest::keyClick(w.edit, Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(w.panel->hasFocus());

  // Without Alt the bare letter works, but not while an edit takes it as text.
  w.edit->setFocus();
  w.panel->SetUseAltKey(false);
  QTest::keyClick(w.edit, Qt::Key_O);
  EXPECT_TRUE(w.edit->hasFocus());
  w.target->setFocus();
  QTest::keyClick(w.target, Qt::Key_O);
  EXPECT_TRUE(w.panel->hasFocus());

  w.edit->setFocus();
  w.panel->SetShowAccelChar(false);
  EXPECT_FALSE(w.panel->DialogChar('o', true));
  EXPECT_TRUE(w.edit->hasFocus());
}

TEST(UniPanel, ClickEmulationsReachTheirTargetsAtTheOrigin) {
  AcceleratorWindow w;
  w.panel->SetFocusHandle(w.target);
  w.panel->SetFocusClickEmulation(true);
  QTest::keyClick(w.edit, Qt::Key_O, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.target->hasFocus());
  ASSERT_EQ(w.target->Events.size(), 2u);
  EXPECT_EQ(w.target->Events[0].Type, QEvent::MouseButtonPress);
  EXPECT_EQ(w.target->Events[1].Type, QEvent::MouseButtonRelease);
  EXPECT_EQ(w.target->Events[0].Position, QPoint(0, 0));
  EXPECT_EQ(w.target->Events[1].Position, QPoint(0, 0));

  // The self click: the panel clicks itself after taking the focus.
  w.panel->SetFocusClickEmulation(false);
  w.panel->SetSelfClickEmulation(true);
  QSignalSpy clicks(w.panel, &TUniPanel::clicked);
  w.edit->setFocus();
  EXPECT_TRUE(w.panel->DialogChar('O', true));
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(w.target->Events.size(), 2u);
}

TEST(UniPanel, ClickCascadeReachesTheTargetAtTheOrigin) {
  AcceleratorWindow w;
  w.panel->SetFocusHandle(w.target);
  QSignalSpy clicks(w.panel, &TUniPanel::clicked);
  QTest::mouseClick(w.panel, Qt::LeftButton, {}, QPoint(30, 20));
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.target->Events.empty()); // cascade off

  w.panel->SetFocusClickCascade(true);
  QTest::mouseClick(w.panel, Qt::LeftButton, {}, QPoint(30, 20));
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_TRUE(w.target->hasFocus());
  ASSERT_EQ(w.target->Events.size(), 2u);
  EXPECT_EQ(w.target->Events[0].Type, QEvent::MouseButtonPress);
  EXPECT_EQ(w.target->Events[0].Position, QPoint(0, 0));
  EXPECT_EQ(w.target->Events[1].Position, QPoint(0, 0));

  // A target disabled since is skipped.
  w.target->setEnabled(false);
  QTest::mouseClick(w.panel, Qt::LeftButton, {}, QPoint(30, 20));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.target->Events.size(), 2u);
}

} // namespace

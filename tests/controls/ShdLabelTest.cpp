#include "controls/ShdLabel.h"
#include "ControlTestSupport.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr TColor kFace = 0x00C0C0C0;

std::unique_ptr<TShadowedLabel> MakeLabel(const QString& caption, TColor shadow = clWhite) {
  auto label = std::make_unique<TShadowedLabel>();
  label->setFont(FixedTestFont());
  label->SetCaption(caption);
  label->SetColor(kFace);
  label->SetShadowColor(shadow);
  return label;
}

TEST(ShadowedLabel, SolidShadowDrawSequences) {
  using enum TShadowedLabel::TShadowType;
  const std::vector<QPoint> upLeft = {{-10, 0}, {-10, 0}, {-9, 1}, {-8, 2}, {-7, 3},
                                      {-6, 4},  {-5, 4},  {-4, 4}, {-3, 4}, {-2, 4},
                                      {-1, 4},  {0, 4},   {0, 4}};
  const struct {
    TShadowedLabel::TShadowType Type;
    uint16_t Left, Down;
    std::vector<QPoint> Expected; // relative to the anchor (x, y); the last is the text
  } cases[] = {
      {shdULeft, 10, 4, upLeft},
      {shdURight, 1, 0, {{0, 0}, {0, 0}, {-1, 0}, {-1, 0}}},
      {shdDLeft, 2, 3, {{-2, 3}, {-2, 3}, {-1, 2}, {0, 1}, {0, 0}, {0, 0}}},
      {shdDRight, 1, 1, {{0, 1}, {0, 1}, {-1, 0}, {-1, 0}}},
      {shdDLeft, 0, 0, {{0, 0}, {0, 0}, {0, 0}}},
  };
  for (const auto& c : cases) {
    auto label = MakeLabel("Ab");
    label->SetShadowType(c.Type);
    label->SetShadowLeft(c.Left);
    label->SetShadowDown(c.Down);
    const int x = c.Left - 1; // left-justified anchor
    std::vector<QPoint> expected;
    for (QPoint p : c.Expected)
      expected.push_back(p + QPoint(x, 0));
    // A single shadow is the first draw of the solid one, then the text.
    const std::vector<QPoint> single = {expected.front(), expected.back()};
    for (bool solid : {true, false}) {
      label->SetSolidShadow(solid);
      const auto draws = label->PlanDraws();
      std::vector<QPoint> corners;
      for (size_t i = 0; i < draws.size(); ++i) {
        corners.emplace_back(draws[i].Box.Left, draws[i].Box.Top);
        EXPECT_EQ(draws[i].Color, i + 1 < draws.size() ? clWhite : clBlack);
      }
      EXPECT_EQ(corners, solid ? expected : single) << c.Type << c.Left << c.Down << solid;
    }
  }
}

TEST(ShadowedLabel, AnchorByAlignment) {
  const int tw = QFontMetrics(FixedTestFont()).horizontalAdvance("Wide");
  const std::pair<TAlignment, int> cases[] = {
      {taLeftJustify, 3 - 1}, {taCenter, (101 - tw) / 2 + 2}, {taRightJustify, 101 - tw - 1}};
  for (const auto& [alignment, x] : cases) {
    auto label = MakeLabel("Wide");
    label->SetAutoSize(false);
    label->resize(101, 30);
    label->SetShadowLeft(3);
    label->SetShadowType(TShadowedLabel::shdDLeft);
    label->SetAlignment(alignment);
    EXPECT_EQ(label->PlanDraws().back().Box.Left, x) << alignment;
  }
}

TEST(ShadowedLabel, ShadowTextAndDisabledPixels) {
  auto label = MakeLabel("HH", clRed);
  label->SetSolidShadow(false);
  label->SetShadowType(TShadowedLabel::shdDRight);
  label->SetShadowLeft(3);
  label->SetShadowDown(2);
  QImage image = Render(*label);
  const TRect text = Find(image, clBlack).Bounds, shadow = Find(image, clRed).Bounds;
  // The shadow lies 3 to the right and 2 below; where the text covers it, the text wins.
  EXPECT_EQ(shadow.Right - text.Right, 3);
  EXPECT_EQ(shadow.Bottom - text.Bottom, 2);

  // Disabled: a white shadow and grey text, drawn last.
  label->SetFontColor(clBlue);
  label->setEnabled(false);
  image = Render(*label);
  EXPECT_GT(Find(image, clWhite).Count, 0);
  EXPECT_GT(Find(image, 0x00808080).Count, 0);
  EXPECT_EQ(Find(image, clRed).Count + Find(image, clBlue).Count, 0);
  EXPECT_EQ(label->PlanDraws().back().Color, 0x00808080u);
}

TEST(ShadowedLabel, AutoSizeAddsTheShadowToTheText) {
  const QFontMetrics metrics(FixedTestFont());
  const int tw = metrics.horizontalAdvance("Sized"), th = metrics.height();
  const struct {
    TAlign Align;
    bool AutoSize;
    QSize Expected; // from 7 x 7, with a shadow of 10 x 4
  } cases[] = {
      {alNone, true, {tw + 10, th + 4}}, {alTop, true, {200, th + 4}}, {alNone, false, {7, 7}}};
  for (const auto& c : cases) {
    QWidget parent;
    parent.resize(200, 100);
    auto* label = new TShadowedLabel(&parent);
    label->setFont(FixedTestFont());
    label->SetShadowLeft(10);
    label->SetShadowDown(4);
    label->SetAutoSize(c.AutoSize);
    label->resize(7, 7);
    label->SetCaption("Sized");
    label->SetAlign(c.Align);
    Render(*label);
    EXPECT_EQ(label->size(), c.Expected) << c.Align << c.AutoSize;
    EXPECT_EQ(label->TxtWidth(), tw);
    EXPECT_EQ(label->TxtHeight(), th);
  }
}

TEST(ShadowedLabel, AmpersandIsMeasuredOnceAndUnderlines) {
  const QFontMetrics metrics(FixedTestFont());
  auto label = MakeLabel("A&B", kFace);
  auto plain = MakeLabel("AB", kFace);
  EXPECT_GT(Find(Render(*label), clBlack).Count, Find(Render(*plain), clBlack).Count);
  EXPECT_EQ(label->TxtWidth(), metrics.horizontalAdvance("A&B") - metrics.horizontalAdvance('&'));
  label->SetCaption(QString(300, 'i'));
  Render(*label);
  EXPECT_EQ(label->TxtWidth(), metrics.horizontalAdvance(QString(255, 'i')));
}

TEST(ShadowedLabel, OnlyTheFirstLineIsVisible) {
  auto one = MakeLabel("Top", kFace);
  auto two = MakeLabel("Top\rBottom line", kFace);
  two->SetAutoSize(false);
  const QImage a = Render(*one);
  two->resize(200, a.height() + 20);
  EXPECT_EQ(Find(Render(*two), clBlack).Bounds.Bottom, Find(a, clBlack).Bounds.Bottom);
}

TEST(ShadowedLabel, LeftClickAndAcceleratorFocus) {
  QWidget window;
  auto* label = new TShadowedLabel(&window);
  label->SetCaption("&Go");
  auto* edit = new QLineEdit(&window);
  auto* target = new QLineEdit(&window);
  edit->move(0, 40);
  target->move(0, 80);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
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

} // namespace

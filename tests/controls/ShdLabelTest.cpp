#include "controls/ShdLabel.h"
#include "ControlTestSupport.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TShadowedLabel> MakeLabel(const QString& caption) {
  auto label = std::make_unique<TShadowedLabel>();
  label->setFont(FixedTestFont());
  label->SetCaption(caption);
  label->SetColor(0x00C0C0C0);
  return label;
}

std::vector<QPoint> Corners(const std::vector<TTextDraw>& draws) {
  std::vector<QPoint> corners;
  for (const TTextDraw& d : draws)
    corners.emplace_back(d.Box.Left, d.Box.Top);
  return corners;
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
    const auto draws = label->PlanDraws();
    EXPECT_EQ(Corners(draws), expected) << c.Type << " " << c.Left << " " << c.Down;
    for (size_t i = 0; i + 1 < draws.size(); ++i)
      EXPECT_EQ(draws[i].Color, clWhite);
    EXPECT_EQ(draws.back().Color, clBlack);

    label->SetSolidShadow(false);
    const auto single = label->PlanDraws();
    ASSERT_EQ(single.size(), 2u);
    EXPECT_EQ(Corners(single).front(), expected.front());
    EXPECT_EQ(Corners(single).back(), expected.back());
  }
}

TEST(ShadowedLabel, AnchorByAlignment) {
  const QFontMetrics metrics(FixedTestFont());
  const int tw = metrics.horizontalAdvance("Wide");
  const struct {
    TAlignment Alignment;
    int X;
  } cases[] = {
      {taLeftJustify, 3 - 1}, {taCenter, (101 - tw) / 2 + 2}, {taRightJustify, 101 - tw - 1}};
  for (const auto& c : cases) {
    auto label = MakeLabel("Wide");
    label->SetAutoSize(false);
    label->resize(101, 30);
    label->SetShadowLeft(3);
    label->SetShadowType(TShadowedLabel::shdDLeft);
    label->SetAlignment(c.Alignment);
    EXPECT_EQ(label->PlanDraws().back().Box.Left, c.X) << c.Alignment;
  }
}

TEST(ShadowedLabel, SingleShadowPixels) {
  auto label = MakeLabel("HH");
  label->SetSolidShadow(false);
  label->SetShadowColor(clRed);
  label->SetShadowType(TShadowedLabel::shdDRight);
  label->SetShadowLeft(3);
  label->SetShadowDown(2);
  const QImage image = Render(*label);
  const TRect text = BoundsOf(image, clBlack);
  const TRect shadow = BoundsOf(image, clRed);
  // The shadow lies 3 to the right and 2 below; where the text covers it, the text wins.
  EXPECT_EQ(shadow.Right - text.Right, 3);
  EXPECT_EQ(shadow.Bottom - text.Bottom, 2);
}

TEST(ShadowedLabel, DisabledLabelHasWhiteShadowAndGreyText) {
  auto label = MakeLabel("Off");
  label->SetShadowColor(clRed);
  label->SetFontColor(clBlue);
  label->setEnabled(false);
  const QImage image = Render(*label);
  EXPECT_GT(CountOf(image, clWhite), 0);
  EXPECT_GT(CountOf(image, 0x00808080), 0);
  EXPECT_EQ(CountOf(image, clRed), 0);
  EXPECT_EQ(CountOf(image, clBlue), 0);
  // Grey text over the white shadow: the text is drawn last.
  const auto draws = label->PlanDraws();
  EXPECT_EQ(draws.back().Color, 0x00808080u);
}

TEST(ShadowedLabel, AutoSizeAddsTheShadowToTheText) {
  const QFontMetrics metrics(FixedTestFont());
  const int tw = metrics.horizontalAdvance("Sized"), th = metrics.height();
  auto label = MakeLabel("Sized");
  label->SetShadowLeft(10);
  label->SetShadowDown(4);
  Render(*label);
  EXPECT_EQ(label->size(), QSize(tw + 10, th + 4));
  EXPECT_EQ(label->TxtWidth(), tw);
  EXPECT_EQ(label->TxtHeight(), th);

  QWidget parent;
  parent.resize(200, 100);
  auto* docked = new TShadowedLabel(&parent);
  docked->setFont(FixedTestFont());
  docked->SetCaption("Sized");
  docked->SetAlign(alTop);
  Render(*docked);
  EXPECT_EQ(docked->size(), QSize(200, th + 2));

  auto fixed = MakeLabel("Sized");
  fixed->SetAutoSize(false);
  fixed->resize(7, 7);
  Render(*fixed);
  EXPECT_EQ(fixed->size(), QSize(7, 7));
}

TEST(ShadowedLabel, AmpersandIsMeasuredOnceAndUnderlines) {
  const QFontMetrics metrics(FixedTestFont());
  auto label = MakeLabel("A&B");
  Render(*label);
  EXPECT_EQ(label->TxtWidth(), metrics.horizontalAdvance("A&B") - metrics.horizontalAdvance('&'));
  auto plain = MakeLabel("AB");
  label->SetShadowColor(0x00C0C0C0);
  plain->SetShadowColor(0x00C0C0C0);
  EXPECT_GT(CountOf(Render(*label), clBlack), CountOf(Render(*plain), clBlack));

  auto long_ = MakeLabel(QString(300, 'i'));
  Render(*long_);
  EXPECT_EQ(long_->TxtWidth(), metrics.horizontalAdvance(QString(255, 'i')));
}

TEST(ShadowedLabel, OnlyTheFirstLineIsVisible) {
  auto one = MakeLabel("Top");
  auto two = MakeLabel("Top\rBottom line");
  one->SetShadowColor(0x00C0C0C0);
  two->SetShadowColor(0x00C0C0C0);
  two->SetAutoSize(false);
  const QImage a = Render(*one);
  two->resize(200, a.height() + 20);
  const QImage b = Render(*two);
  EXPECT_EQ(BoundsOf(b, clBlack).Bottom, BoundsOf(a, clBlack).Bottom);
}

} // namespace

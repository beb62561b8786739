#include "controls/ShdLabel.h"
#include "ControlTestSupport.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr TColor kFace = 0x00C0C0C0, kGrey = 0x00808080;

std::unique_ptr<TShadowedLabel> MakeLabel(const QString& caption, TColor shadow = clWhite) {
  auto label = std::make_unique<TShadowedLabel>();
  label->setFont(FixedTestFont());
  label->SetCaption(caption);
  label->SetColor(kFace);
  label->SetShadowColor(shadow);
  return label;
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

TEST(ShadowedLabel, PaintsTheShadowTheUnderlineAndOneLine) {
  auto label = MakeLabel("HH", clRed);
  label->SetSolidShadow(false);
  label->SetShadowType(TShadowedLabel::shdDRight);
  label->SetShadowLeft(3);
  label->SetShadowDown(2);
  const QImage image = Render(*label);
  const TRect text = Find(image, clBlack).Bounds, shadow = Find(image, clRed).Bounds;
  // The shadow lies 3 to the right and 2 below; where the text covers it, the text wins.
  EXPECT_EQ(shadow.Right - text.Right, 3);
  EXPECT_EQ(shadow.Bottom - text.Bottom, 2);

  // The accelerator is underlined; of two lines only the first is shown.
  auto count = [](const QString& caption) {
    return Find(Render(*MakeLabel(caption, kFace)), clBlack).Count;
  };
  EXPECT_GT(count("A&B"), count("AB"));
  auto one = MakeLabel("Top", kFace);
  auto two = MakeLabel("Top\rBottom line", kFace);
  two->SetAutoSize(false);
  const QImage a = Render(*one);
  two->resize(200, a.height() + 20);
  EXPECT_EQ(Find(Render(*two), clBlack).Bounds.Bottom, Find(a, clBlack).Bounds.Bottom);
}

// Auto-size adds the shadow to the caption, measured with one ampersand less and at most 255
// characters, except where the label is docked.
TEST(ShadowedLabel, AutoSizeAddsTheShadowToTheText) {
  const QFontMetrics m(FixedTestFont());
  const int tw = m.horizontalAdvance("Sized"), th = m.height();
  // Caption, docking, auto-size, the size from 7 x 7 with a shadow of 10 x 4.
  const std::tuple<QString, TAlign, bool, QSize> cases[] = {
      {"Sized", alNone, true, {tw + 10, th + 4}},
      {"A&B", alNone, true, {m.horizontalAdvance("A&B") - m.horizontalAdvance('&') + 10, th + 4}},
      {QString(300, 'i'), alNone, true, {m.horizontalAdvance(QString(255, 'i')) + 10, th + 4}},
      {"Sized", alTop, true, {200, th + 4}},
      {"Sized", alNone, false, {7, 7}}};
  for (const auto& [caption, align, autoSize, size] : cases) {
    QWidget parent;
    parent.resize(200, 100);
    auto* label = new TShadowedLabel(&parent);
    label->setFont(FixedTestFont());
    label->SetShadowLeft(10);
    label->SetShadowDown(4);
    label->SetAutoSize(autoSize);
    label->resize(7, 7);
    label->SetCaption(caption);
    label->SetAlign(align);
    Render(*label);
    EXPECT_EQ(label->size(), size) << caption.toStdString() << align << autoSize;
  }
}

TEST(ShadowedLabel, LeftClickAndAcceleratorFocus) {
  QWidget window;
  auto* label = new TShadowedLabel(&window);
  label->SetCaption("&Go");
  auto* edit = new QLineEdit(&window);
  auto* target = new QLineEdit(&window);
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

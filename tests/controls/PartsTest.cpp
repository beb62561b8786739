// The pieces the controls are built from: docking, crisp scaling, system colours, fonts and
// the captions read aloud.
#include "controls/Accessible.h"
#include "controls/CrispScaling.h"
#include "controls/Docking.h"
#include "controls/Fonts.h"
#include "controls/SystemColors.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A docked control keeps to its edge of the parent's client area when it is docked, when the
// parent is resized and when it resizes itself.
TEST(Docking, KeepsTheControlOnItsEdge) {
  // The control's geometry: docked in 80 x 50, the parent then 100 x 60, the control 30 x 25.
  const std::tuple<TAlign, QRect, QRect, QRect> cases[] = {
      {alNone, {10, 10, 20, 15}, {10, 10, 20, 15}, {10, 10, 30, 25}},
      {alTop, {2, 3, 74, 15}, {2, 3, 94, 15}, {2, 3, 94, 25}},
      {alBottom, {2, 30, 74, 15}, {2, 40, 94, 15}, {2, 30, 94, 25}},
      {alLeft, {2, 3, 20, 42}, {2, 3, 20, 52}, {2, 3, 30, 52}},
      {alRight, {56, 3, 20, 42}, {76, 3, 20, 52}, {66, 3, 30, 52}},
      {alClient, {2, 3, 74, 42}, {2, 3, 94, 52}, {2, 3, 94, 52}}};
  for (const auto& [align, docked, parentResized, controlResized] : cases) {
    SCOPED_TRACE(align);
    QWidget parent;
    parent.setContentsMargins(2, 3, 4, 5);
    parent.resize(80, 50);
    auto* control = new QWidget(&parent);
    control->setGeometry(10, 10, 20, 15);
    auto* docking = new TDocking(control);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    docking->SetAlign(align);
    EXPECT_EQ(control->geometry(), docked);
    parent.resize(100, 60);
    EXPECT_EQ(control->geometry(), parentResized);
    control->resize(30, 25);
    EXPECT_EQ(control->geometry(), controlResized);

    QWidget other;
    other.resize(40, 30);
    other.show();
    control->setParent(&other);
    control->show();
    if (align == alClient || align == alBottom) {
      EXPECT_EQ(control->geometry(), align == alClient ? QRect(0, 0, 40, 30) : QRect(0, 5, 40, 25));
    }
  }
  // Auto-size of a control of 30 x 20 that wants 50 x 10.
  const std::pair<TAlign, QSize> sizes[] = {{alNone, {50, 10}},   {alTop, {30, 10}},
                                            {alBottom, {30, 10}}, {alLeft, {50, 20}},
                                            {alRight, {50, 20}},  {alClient, {30, 20}}};
  for (const auto& [align, size] : sizes)
    EXPECT_EQ(AutoSizeFor(align, {30, 20}, {50, 10}), size) << align;
}

// A picture is drawn at the largest whole multiple the scale allows, centred in the device
// pixels of its logical size: where the red of a 2 x 1 picture lands.
TEST(CrispScaling, WholeMultiplesCentredInTheDevicePixels) {
  QImage image(2, 1, QImage::Format_RGB32);
  image.fill(Qt::red);
  const std::tuple<QSize, qreal, QSize, QRect> cases[] = {
      {{2, 1}, 1.0, {2, 1}, {0, 0, 2, 1}},
      {{4, 4}, 1.5, {6, 6}, {2, 2, 2, 1}},
      {{3, 3}, 2.5, {8, 8}, {2, 3, 4, 2}},
      {{3, 2}, 1.9999999, {6, 4}, {1, 1, 4, 2}},
  };
  for (const auto& [logical, ratio, device, drawn] : cases) {
    const QImage shown = CrispPixmap(image, logical, ratio).toImage();
    EXPECT_EQ(shown.size(), device) << ratio;
    QRect red;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        if (shown.pixel(x, y) == qRgb(255, 0, 0)) red |= QRect(x, y, 1, 1);
    EXPECT_EQ(red, drawn) << ratio;
    EXPECT_EQ(CrispOffset(image.size(), logical, ratio), drawn.topLeft()) << ratio;
  }
}

// System colours follow the palette role that matches them, the others the classic scheme; a
// palette whose every colour differs shows which role was taken.
TEST(SystemColors, EachIndexFollowsItsPaletteRoleOrTheClassicScheme) {
  const QPalette saved = QApplication::palette();
  QPalette distinct;
  for (int group = 0; group < QPalette::NColorGroups; ++group)
    for (int role = 0; role < QPalette::NColorRoles; ++role)
      distinct.setColor(QPalette::ColorGroup(group), QPalette::ColorRole(role),
                        QColor(role * 9, 40 + group * 60, 255 - role * 9));
  QApplication::setPalette(distinct);
  using P = QPalette;
  const std::tuple<TColor, P::ColorGroup, P::ColorRole> roles[] = {
      {0x80000001, P::Active, P::Button},      {0x80000004, P::Active, P::Button},
      {clBtnFace, P::Active, P::Button},       {clWindow, P::Active, P::Base},
      {0x80000007, P::Active, P::WindowText},  {clWindowText, P::Active, P::WindowText},
      {0x8000000D, P::Active, P::Highlight},   {0x8000000E, P::Active, P::HighlightedText},
      {clBtnShadow, P::Active, P::Dark},       {clGrayText, P::Disabled, P::Text},
      {clBtnText, P::Active, P::ButtonText},   {clBtnHighlight, P::Active, P::Light},
      {0x80000015, P::Active, P::Shadow},      {0x80000016, P::Active, P::Midlight},
      {0x80000017, P::Active, P::ToolTipText}, {0x80000018, P::Active, P::ToolTipBase}};
  for (const auto& [color, group, role] : roles) {
    EXPECT_EQ(ColorToQColor(color), distinct.color(group, role)) << std::hex << color;
    EXPECT_EQ(ColorToRGB(color), QColorToColor(distinct.color(group, role)));
  }
  QApplication::setPalette(saved);
  const std::pair<TColor, QColor> fixed[] = {{0x00332211, QColor(0x11, 0x22, 0x33)},
                                             {0x80000000, QColor(0xD4, 0xD0, 0xC8)},
                                             {0x80000002, QColor(0x0A, 0x24, 0x6A)},
                                             {0x80000009, Qt::white},
                                             {0x80000019, Qt::black},
                                             {0x800000FF, Qt::black}};
  for (const auto& [color, shown] : fixed)
    EXPECT_EQ(ColorToQColor(color), shown) << std::hex << color;

  // The parent colour: the parent's own Color property, else its background, else the face.
  QWidget plain, withColor;
  QPalette green = plain.palette();
  green.setColor(plain.backgroundRole(), QColor(1, 2, 3));
  plain.setPalette(green);
  withColor.setProperty("Color", uint{0x00445566});
  const std::pair<QWidget*, TColor> parents[] = {
      {nullptr, clBtnFace}, {&plain, RGB(1, 2, 3)}, {&withColor, 0x00445566}};
  for (const auto& [parent, color] : parents) {
    QWidget child(parent);
    EXPECT_EQ(ParentColorOf(&child), color);
  }
  EXPECT_EQ(ParentColorOf(nullptr), clBtnFace);
}

// The controls' face names map onto fonts this system has; a height's sign is dropped.
TEST(Fonts, FacesMapOntoInstalledFamilies) {
  const struct {
    const char* face;
    int height;
    QString family;
  } cases[] = {{"Arial", -13, "Liberation Sans"},
               {"arial", 20, "Liberation Sans"},
               {"SYSTEM", -9, QApplication::font().family()},
               {"Courier", 11, "Sans Serif"}};
  for (const auto& c : cases) {
    const QFont font = ControlFont(c.face, c.height, c.height > 0);
    EXPECT_EQ(font.family(), c.family) << c.face;
    EXPECT_EQ(font.pixelSize(), std::abs(c.height)) << c.face;
    EXPECT_EQ(font.bold(), c.height > 0) << c.face;
  }
}

// A caption as read aloud: an accelerator mark anywhere goes, a doubled one stays single, a
// last one stays; without accelerators every mark stays.
TEST(SpokenCaption, AcceleratorMarksGoAndReturnsBreakLines) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"&Keresés", true, "Keresés"},
      {"a&&b", true, "a&b"},
      {"a&", true, "a&"},
      {"Ne&m", true, "Nem"},
      {"&Keresés", false, "&Keresés"},
      {" két\rsor ", true, "két\nsor"},
  };
  for (const auto& [caption, accelerators, spoken] : cases)
    EXPECT_EQ(SpokenCaption(caption, accelerators), QString(spoken)) << caption;
}

} // namespace

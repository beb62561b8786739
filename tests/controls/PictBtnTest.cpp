#include "controls/PictBtn.h"
#include "ControlTestSupport.h"
#include "controls/UniPanel.h"
#include "graphics/Bitmap.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

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

  TBitmap big;
  big.Allocate(64, 32, TPixelFormat::pf24bit);
  button->SetPicture(&big);
  EXPECT_EQ(button->size(), QSize(64, 32));
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

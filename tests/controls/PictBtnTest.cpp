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

struct ButtonWindow {
  QWidget window;
  TMouseRecorder* parent = new TMouseRecorder(&window);
  TPictButton* button = new TPictButton(parent);

  ButtonWindow() {
    window.resize(200, 100);
    parent->setGeometry(10, 10, 150, 80);
    button->move(30, 20);
    button->SetPictureImage(Picture());
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    Render(*button);
  }
};

TEST(PictButton, ClickOnAHoleReachesTheParentAtTheSameNumbers) {
  ButtonWindow w;
  QSignalSpy clicks(w.button, &TPictButton::clicked);
  QTest::mouseClick(w.button, Qt::LeftButton, {}, QPoint(3, 7));
  EXPECT_EQ(w.parent->Events, ClickAt({3, 7}));
  EXPECT_EQ(clicks.count(), 0);
  QTest::mouseClick(w.button, Qt::LeftButton, {}, QPoint(15, 5));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(w.parent->Events.size(), 2u);
}

TEST(PictButton, SizeShownPixelsCursorAndOpaqueMarking) {
  ButtonWindow w;
  EXPECT_EQ(w.button->size(), QSize(20, 10));
  EXPECT_TRUE(w.button->IsOpaque());
  EXPECT_EQ(w.button->TransparentColor(), clWhite);
  const QImage shown = Render(*w.button);
  EXPECT_EQ(PixelAt(shown, 0, 9), QColorToColor(w.parent->palette().color(QPalette::Window)));
  EXPECT_EQ(PixelAt(shown, 15, 5), clRed);

  // The inner cursor over the opaque part, the parent's over a hole.
  w.parent->setCursor(Qt::CrossCursor);
  w.button->SetInnerCursor(Qt::PointingHandCursor);
  for (auto [at, shape] :
       {std::pair{QPoint(15, 5), Qt::PointingHandCursor}, {{3, 7}, Qt::CrossCursor}}) {
    QMouseEvent move(QEvent::MouseMove, at, w.button->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w.button, &move);
    EXPECT_EQ(w.button->cursor().shape(), shape);
  }

  TBitmap big;
  big.Allocate(64, 32, TPixelFormat::pf24bit);
  w.button->SetPicture(&big);
  EXPECT_EQ(w.button->size(), QSize(64, 32));
  w.button->SetPicture(nullptr);
  EXPECT_EQ(w.button->size(), QSize(0, 0));
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

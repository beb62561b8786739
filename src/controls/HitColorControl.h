// THitColorControl: a control whose see-through pixels are holes. A mouse message over a pixel
// that shows the transparent or the background colour is not handled here but sent on to the
// parent widget, with the position unchanged; the cursor becomes InnerCursor only over the
// opaque part.
#pragma once

#include "bmp/Color.h"

#include <QCursor>
#include <QWidget>

class THitColorControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QCursor InnerCursor READ InnerCursor WRITE SetInnerCursor)

public:
  explicit THitColorControl(QWidget* owner = nullptr);

  QCursor InnerCursor() const { return innerCursor_; }
  // Takes effect at the next mouse move or paint.
  void SetInnerCursor(const QCursor& cursor) { innerCursor_ = cursor; }

  // True when the pixel at `point` (client coordinates) belongs to the control.
  bool HitTest(const QPoint& point);
  TColor LastHitColor() const { return lastHitColor_; }
  TColor TransparentColor() const { return transparentColor_; }
  TColor BackgroundColor() const { return backgroundColor_; }

signals:
  void clicked();
  void doubleClicked();

protected:
  // The colour shown at `point`; outside the control nothing matches a hole.
  virtual TColor ShownPixel(const QPoint& point) const;
  void SetTransparentColor(TColor color) { transparentColor_ = color; }
  void SetBackgroundColor(TColor color) { backgroundColor_ = color; }
  // Shows InnerCursor over the opaque part and the parent's cursor over a hole.
  void UpdateCursor(bool onButton);

  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  TColor lastHitColor_ = 0;
  TColor transparentColor_ = 0;
  TColor backgroundColor_ = 0;
  QCursor innerCursor_;
  bool leftPressed_ = false;
};

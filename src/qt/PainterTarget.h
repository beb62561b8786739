// TPainterTarget: the draw target over a QPainter, the only one there is. The Qt layer's own
// graphics (icons, metafiles) paint with the painter itself, which PainterOf gives them.
#pragma once

#include "bmp/DrawTarget.h"

class QPainter;

class TPainterTarget : public TDrawTarget {
public:
  explicit TPainterTarget(QPainter& painter) : painter_(painter) {}

  void DrawBitmap(const TBitmap& bitmap, const TRect& rect) override;
  QPainter& Painter() const { return painter_; }

private:
  QPainter& painter_;
};

// The painter behind `target`, which must be a TPainterTarget (std::bad_cast otherwise).
QPainter& PainterOf(TDrawTarget& target);

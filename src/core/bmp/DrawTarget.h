// TDrawTarget: where a graphic draws itself. The core declares it so that its classes can
// draw without knowing the device; the Qt layer implements it over a painter.
#pragma once

#include "bmp/Graphic.h"

class TDrawTarget {
public:
  virtual ~TDrawTarget() = default;

  // Draws `bitmap` stretched into `rect`; an empty bitmap draws nothing.
  virtual void DrawBitmap(const TBitmap& bitmap, const TRect& rect) = 0;
};

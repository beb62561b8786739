// A three-dimensional frame: rings of one pixel, light on the left and top, dark on the right
// and bottom, drawn inwards from the outline of a rectangle.
#pragma once

#include "bmp/Graphic.h"

#include <QColor>

class QPainter;

// Draws `width` rings inside `rect` (right and bottom exclusive). The top-left corner pixel of a
// ring takes the top colour, the other three corners the bottom colour. `rect` is left shrunk
// by `width` on every side.
void Frame3D(QPainter& painter, TRect& rect, const QColor& top, const QColor& bottom, int width);

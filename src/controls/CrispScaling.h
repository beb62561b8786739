// Bitmaps on scaled screens: a small bitmap (a glyph, a logo) is scaled by the largest whole
// number not above the screen's device pixel ratio, nearest-neighbour, and centred in its
// place. Every image pixel thus becomes a square of device pixels and nothing blurs; at a ratio
// of 1.5 the bitmap keeps its own size and a margin surrounds it.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

int WholeScale(qreal ratio);

// Where the scaled image starts, in device pixels, within `logical` at `ratio`.
QPoint CrispOffset(QSize image, QSize logical, qreal ratio);

// `image` scaled and centred on a transparent pixmap of `logical` size at `ratio`.
QPixmap CrispPixmap(const QImage& image, QSize logical, qreal ratio);

// An icon that draws `image` that way at whatever size and ratio it is asked for.
QIcon CrispIcon(const QImage& image);

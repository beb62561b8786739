// Caption measuring and drawing shared by the panel and the label: captions are cut to 255
// characters, an ampersand marks the accelerator, carriage returns break lines and tabs
// expand to tab stops.
#pragma once

#include "bmp/Graphic.h"

#include <QColor>
#include <QFontMetrics>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

constexpr int kMaxCaptionLength = 255;

QString LimitCaption(const QString& caption);
// The character after the caption's first ampersand, or a null character when there is none.
QChar AcceleratorOf(const QString& caption);
// Width and height of the caption measured as one line, with one ampersand's width taken off
// when accelerators are shown and the caption has an ampersand. Line breaks and tabs have no
// width of their own here.
struct TCaptionSize {
  uint16_t Width = 0;
  uint16_t Height = 0;
};
TCaptionSize MeasureCaption(const QFontMetrics& metrics, const QString& caption,
                            bool showAccelChar);

struct TCaptionFormat {
  Qt::Alignment Alignment = Qt::AlignLeft; // AlignLeft, AlignHCenter or AlignRight
  bool ShowAccelChar = true;               // "&x" underlines x, "&&" shows one ampersand
  int TabStop = 8;                         // in average character widths
  QColor Color;
  std::optional<QColor> Background; // fills each line's text cells when set
};

// Draws the caption's lines from the top of `box`, each aligned within it, clipped to it.
void DrawCaption(QPainter& painter, const TRect& box, const QString& caption,
                 const TCaptionFormat& format);

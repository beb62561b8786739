#include "controls/CaptionText.h"

#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

uint16_t ClampToU16(int value) {
  return static_cast<uint16_t>(std::clamp(value, 0, int{std::numeric_limits<uint16_t>::max()}));
}

QString WithoutControlChars(QString text) {
  text.remove(QChar('\r'));
  text.remove(QChar('\n'));
  text.remove(QChar('\t'));
  return text;
}

// A line with its accelerator markup resolved: the text to show and the index of the
// character to underline (-1 for none).
struct TShownLine {
  QString Text;
  int Underline = -1;
};

TShownLine ResolvePrefixes(const QString& line, bool showAccelChar) {
  if (!showAccelChar) return {line, -1};
  TShownLine shown;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] != '&') {
      shown.Text += line[i];
      continue;
    }
    if (++i >= line.size()) break; // a trailing ampersand shows nothing
    if (line[i] != '&' && shown.Underline < 0)
      shown.Underline = static_cast<int>(shown.Text.size());
    shown.Text += line[i];
  }
  return shown;
}

// Advance of each tab-separated segment: the x offset where each segment starts.
struct TSegment {
  int Start = 0; // index into the shown text
  QString Text;
  int X = 0;
};

std::vector<TSegment> LayOutTabs(const QFontMetrics& metrics, const QString& text, int tabPixels) {
  std::vector<TSegment> segments;
  int x = 0;
  int start = 0;
  for (const QString& part : text.split('\t')) {
    if (!segments.empty() && tabPixels > 0) x = (x / tabPixels + 1) * tabPixels;
    segments.push_back({start, part, x});
    x += metrics.horizontalAdvance(part);
    start += static_cast<int>(part.size()) + 1;
  }
  return segments;
}

} // namespace

QString LimitCaption(const QString& caption) {
  return caption.left(kMaxCaptionLength);
}

QChar AcceleratorOf(const QString& caption) {
  const qsizetype amp = caption.indexOf('&');
  if (amp < 0 || amp + 1 >= caption.size()) return QChar();
  return caption[amp + 1];
}

TCaptionSize MeasureCaption(const QFontMetrics& metrics, const QString& caption,
                            bool showAccelChar) {
  int width = metrics.horizontalAdvance(WithoutControlChars(caption));
  if (showAccelChar && caption.contains('&')) width -= metrics.horizontalAdvance('&');
  return {ClampToU16(width), ClampToU16(metrics.height())};
}

void DrawCaption(QPainter& painter, const TRect& box, const QString& caption,
                 const TCaptionFormat& format) {
  if (box.Width() <= 0 || box.Height() <= 0) return;
  painter.save();
  painter.setClipRect(QRect(box.Left, box.Top, box.Width(), box.Height()), Qt::IntersectClip);
  const QFontMetrics metrics = painter.fontMetrics();
  const int tabPixels = format.TabStop * metrics.averageCharWidth();
  static const QRegularExpression kLineBreak("\r\n|\r|\n");
  int y = box.Top;
  for (const QString& line : caption.split(kLineBreak)) {
    if (y >= box.Bottom) break;
    const TShownLine shown = ResolvePrefixes(line, format.ShowAccelChar);
    const std::vector<TSegment> segments = LayOutTabs(metrics, shown.Text, tabPixels);
    const int lineWidth = segments.back().X + metrics.horizontalAdvance(segments.back().Text);
    int x = box.Left;
    if (format.Alignment & Qt::AlignHCenter) x = box.Left + (box.Width() - lineWidth) / 2;
    if (format.Alignment & Qt::AlignRight) x = box.Right - lineWidth;
    if (format.Background) painter.fillRect(x, y, lineWidth, metrics.height(), *format.Background);
    painter.setPen(format.Color);
    for (const TSegment& segment : segments) {
      painter.drawText(QPoint(x + segment.X, y + metrics.ascent()), segment.Text);
      const int underline = shown.Underline - segment.Start;
      if (shown.Underline >= 0 && underline >= 0 && underline < segment.Text.size()) {
        const int ux = x + segment.X + metrics.horizontalAdvance(segment.Text.left(underline));
        const int uw = metrics.horizontalAdvance(segment.Text[underline]);
        const int uy = y + metrics.ascent() + std::max(1, metrics.underlinePos());
        painter.fillRect(ux, uy, uw, std::max(1, metrics.lineWidth()), format.Color);
      }
    }
    y += metrics.height();
  }
  painter.restore();
}

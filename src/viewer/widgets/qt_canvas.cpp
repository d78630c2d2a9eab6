#include "viewer/widgets/qt_canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPolygon>
#include <algorithm>
#include <map>

namespace kest {

QColor ToQColor(TColor color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

namespace {
QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void TQtCanvas::Restore() {
  painter_.restore();
  // The font is part of the saved state; ours follows it on the next SetFont.
  has_font_ = false;
}

void TQtCanvas::ClipRect(const TRect& rect) {
  painter_.setClipRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), Qt::IntersectClip);
}

void TQtCanvas::SetPen(const TPen& pen) {
  if (pen.Style == psClear) {
    painter_.setPen(Qt::NoPen);
    return;
  }
  QPen qpen(ToQColor(pen.Color));
  qpen.setWidth(pen.Width);
  qpen.setCapStyle(Qt::FlatCap);
  qpen.setCosmetic(true);  // widths are device pixels already
  // Patterns are device pixels: on a printer they keep the screen's size on paper
  // (a dotted grid at 300 dpi would otherwise read as a grey wash).
  const QPaintDevice* device = painter_.device();
  const qreal k = pattern_scale_ > 0 ? std::max<qreal>(1, pattern_scale_)
                  : device           ? std::max<qreal>(1, device->logicalDpiY() / 96.0)
                                     : 1;
  const qreal dash = 4 * k, gap = 2 * k, dot = 1;
  switch (pen.Style) {
    case psDash:
      qpen.setDashPattern({dash, gap});
      break;
    case psDot:
      qpen.setDashPattern({dot, 2 * k - 1});
      break;  // every second pixel on screen
    case psDashDot:
      qpen.setDashPattern({dash, gap, dot, gap});
      break;
    case psDashDotDot:
      qpen.setDashPattern({dash, gap, dot, gap, dot, gap});
      break;
    default:
      qpen.setStyle(Qt::SolidLine);
      break;
  }
  painter_.setPen(qpen);
}

// A font height is the height of the character cell (ascent and descent), as the
// column layouts were drawn for; Qt's pixel size is the em, which makes a taller
// cell. The largest pixel size whose cell fits the height is taken (remembered per
// family, style and height: it is asked for on every header paint).
int TQtCanvas::CellPixelSize(QFont& qfont, int height) {
  height = std::max(1, height);
  const QString key = qfont.family() + (qfont.bold() ? "b" : "") + (qfont.italic() ? "i" : "") +
                      QString::number(height);
  thread_local std::map<QString, int> sizes;
  if (auto it = sizes.find(key); it != sizes.end()) return it->second;
  int size = height;
  for (; size > 1; --size) {
    qfont.setPixelSize(size);
    if (QFontMetrics(qfont).height() <= height) break;
  }
  if (sizes.size() > 4096) sizes.clear();
  sizes[key] = size;
  return size;
}

void TQtCanvas::SetFont(const TFont& font) {
  text_color_ = ToQColor(font.Color);
  if (has_font_ && font.Name == font_.Name && font.Height == font_.Height &&
      font.Bold == font_.Bold && font.Italic == font_.Italic)
    return;
  font_ = font;
  has_font_ = true;
  QFont qfont(QString::fromStdString(font.Name));
  qfont.setBold(font.Bold);
  qfont.setItalic(font.Italic);
  qfont.setStyleHint(QFont::SansSerif);
  qfont.setPixelSize(CellPixelSize(qfont, font.Height));
  painter_.setFont(qfont);
}

void TQtCanvas::FillRect(const TRect& rect, TColor color) {
  painter_.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ToQColor(color));
}

void TQtCanvas::FillDither(const TRect& rect, TColor base, TColor dots) {
  QImage tile(8, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x)
      tile.setPixelColor(x, y, ToQColor((x % 2) == (y % 2) ? dots : base));
  }
  painter_.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), QBrush(tile));
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void TQtCanvas::Polyline(const TPoint* points, int count) {
  static_assert(sizeof(TPoint) == sizeof(QPoint));
  // QPoint is two ints laid out like TPoint.
  painter_.drawPolyline(reinterpret_cast<const QPoint*>(points), count);
}

void TQtCanvas::FrameRect(const TRect& rect) {
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
}

void TQtCanvas::TextOut(int x, int y, std::string_view text) {
  QPen pen = painter_.pen();
  painter_.setPen(text_color_);
  QFontMetrics metrics(painter_.font());
  painter_.drawText(x, y + metrics.ascent(), ToQString(text));
  painter_.setPen(pen);
}

int TQtCanvas::TextWidth(std::string_view text) {
  return QFontMetrics(painter_.font()).horizontalAdvance(ToQString(text));
}

int TQtCanvas::TextHeight(std::string_view) { return QFontMetrics(painter_.font()).height(); }

}  // namespace kest

#include "viewer/widgets/column_glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace kest {

QPixmap ColumnGlyph(const std::string& name) {
  QPixmap pixmap(18, 18);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::darkGray, 1));
  p.drawRect(1, 1, 15, 15);
  if (name == "GRAPHICSCOLUMNGLYPH") {
    QPainterPath curve(QPointF(6, 2));
    curve.cubicTo(14, 6, 2, 11, 11, 16);
    p.setPen(QPen(QColor(200, 0, 0), 1.5));
    p.drawPath(curve);
  } else if (name == "TEXTCOLUMNGLYPH") {
    p.setPen(Qt::black);
    for (int y = 4; y <= 13; y += 4) p.drawLine(4, y, 13, y);
  } else if (name == "ARGCOLUMNGLYPH") {
    p.setPen(Qt::black);
    for (int y = 3; y <= 15; y += 3) p.drawLine(y % 6 ? 10 : 5, y, 15, y);
  } else if (name == "MARKERCOLUMNGLYPH") {
    p.setPen(QPen(Qt::blue, 2));
    p.drawLine(2, 5, 9, 5);
    p.drawLine(2, 12, 9, 12);
  } else if (name == "HUECOLUMNGLYPH") {
    QLinearGradient g(0, 2, 0, 16);
    g.setColorAt(0, Qt::blue);
    g.setColorAt(1, Qt::red);
    p.fillRect(2, 2, 14, 14, g);
  }
  return pixmap;
}

}  // namespace kest

#include "app/office/curve_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kest {

TCurvePlot::TCurvePlot(QWidget* parent) : QWidget(parent) {
  setMinimumSize(160, 200);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void TCurvePlot::SetSeries(std::vector<Series> series) {
  series_ = std::move(series);
  update();
}

void TCurvePlot::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void TCurvePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm = p.fontMetrics();
  const int line = fm.height();
  const QRect area = rect().adjusted(6, line * 3 + 4, -6, -line - 4);
  p.setPen(Qt::black);
  p.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, title_);
  double z0 = std::numeric_limits<double>::max(), z1 = -z0, v0 = z0, v1 = -z0;
  for (const Series& s : series_)
    for (auto [z, v] : s.Points) {
      if (std::isnan(v)) continue;
      z0 = std::min(z0, z), z1 = std::max(z1, z), v0 = std::min(v0, v), v1 = std::max(v1, v);
    }
  p.setPen(QColor(160, 160, 160));
  p.drawRect(area);
  if (z0 > z1) return;
  if (z1 - z0 < 1e-9) z1 = z0 + 1;
  if (v1 - v0 < 1e-9) v0 -= 0.5, v1 += 0.5;
  // The numbers at the corners: depths left, values at the bottom.
  p.setPen(Qt::black);
  p.drawText(QRect(area.left(), area.top() - line - 1, area.width(), line), Qt::AlignLeft,
             QString::number(z0, 'f', 2));
  p.drawText(QRect(area.left() + 2, area.bottom() + 2, area.width() - 4, line), Qt::AlignLeft,
             QString::number(z1, 'f', 2) + "   " + QString::number(v0, 'g', 4));
  p.drawText(QRect(area.left(), area.bottom() + 2, area.width() - 2, line), Qt::AlignRight,
             QString::number(v1, 'g', 4));
  auto at = [&](double z, double v) {
    return QPointF(area.left() + (v - v0) / (v1 - v0) * area.width(),
                   area.top() + (z - z0) / (z1 - z0) * area.height());
  };
  int legend = 0;
  for (const Series& s : series_) {
    QPainterPath path;
    bool pen_down = false;
    for (auto [z, v] : s.Points) {
      if (std::isnan(v)) {
        pen_down = false;
        continue;
      }
      pen_down ? path.lineTo(at(z, v)) : path.moveTo(at(z, v));
      pen_down = true;
    }
    p.setPen(QPen(s.Color, 1.2));
    p.drawPath(path);
    p.drawText(QRect(4 + legend, line + 2, width(), line), Qt::AlignLeft, s.Name);
    legend += fm.horizontalAdvance(s.Name) + 12;
  }
}

}  // namespace kest

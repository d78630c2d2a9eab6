#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

namespace kest {

// A small plot of curves against depth, depth downwards as on the tablet: each series
// a polyline of (depth in metres, value) points, a NaN value a gap. The depth range
// and the value range are those of all series; the corners carry their numbers.
// Used by the analyst's windows for overlays and for shift against depth.
class TCurvePlot : public QWidget {
 public:
  struct Series {
    QString Name;
    QColor Color;
    std::vector<std::pair<double, double>> Points;  // depth, value
  };
  explicit TCurvePlot(QWidget* parent = nullptr);
  void SetSeries(std::vector<Series> series);
  void SetTitle(const QString& title);
  const std::vector<Series>& AllSeries() const { return series_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<Series> series_;
  QString title_;
};

}  // namespace kest

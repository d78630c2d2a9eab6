#pragma once

#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "viewer/widgets/qt_canvas.h"

namespace kest {

class TLogViewer;

// Shows the sheet buffer the columns are painted into, with the cursor line drawn
// over it on the window only; mouse, keys and auto-scrolling go to the viewer.
class TLogViewerSheetPanel : public QWidget {
 public:
  explicit TLogViewerSheetPanel(TLogViewer& viewer);
  TCanvas* BeginPaint();
  void EndPaint();
  const QImage& Buffer() const { return buffer_; }
  void SetAutoScroll(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  void ChooseCursor(bool pressed);
  TLogViewer& viewer_;
  QImage buffer_;
  std::optional<QPainter> painter_;
  std::optional<TQtCanvas> canvas_;
  QTimer auto_scroll_;
};

}  // namespace kest

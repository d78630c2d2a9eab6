#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "viewer/core/viewer_links.h"

namespace kest {

class TLogViewer;

// Draws every column header into its buffer and handles header keys, focus,
// clicks and width dragging.
class TLogViewerHeaderPanel : public QWidget {
 public:
  explicit TLogViewerHeaderPanel(TLogViewer& viewer);
  ~TLogViewerHeaderPanel() override;
  void RepaintHeaders();
  const QImage& Buffer() const { return buffer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  class Link;
  class ColumnLink;
  TLogViewer& viewer_;
  QImage buffer_;
  // Last: the viewer stops calling before the buffer goes.
  std::unique_ptr<Link> link_;
  std::unique_ptr<ColumnLink> column_link_;
};

}  // namespace kest

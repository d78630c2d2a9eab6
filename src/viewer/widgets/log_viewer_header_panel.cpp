#include "viewer/widgets/log_viewer_header_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/qt_canvas.h"

namespace kest {

class TLogViewerHeaderPanel::Link : public TLVLink {
 public:
  explicit Link(TLogViewerHeaderPanel& panel) : panel_(panel) {}
  void ViewerChanged(TLogViewerEvents events) override {
    if (events.Has(veColumns)) panel_.viewer_.LayoutPanels();
    if (events.HasAny({veColumns, veFocus, veMarks, veLayout, veColumnChanged}))
      panel_.RepaintHeaders();
  }

 private:
  TLogViewerHeaderPanel& panel_;
};

class TLogViewerHeaderPanel::ColumnLink : public TLVColumnLink {
 public:
  explicit ColumnLink(TLogViewerHeaderPanel& panel) : panel_(panel) {}
  void ColumnChanged(TLogViewerColumn*) override { panel_.RepaintHeaders(); }

 private:
  TLogViewerHeaderPanel& panel_;
};

TLogViewerHeaderPanel::TLogViewerHeaderPanel(TLogViewer& viewer)
    : QWidget(&viewer),
      viewer_(viewer),
      link_(std::make_unique<Link>(*this)),
      column_link_(std::make_unique<ColumnLink>(*this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  link_->SetViewer(&viewer);
  column_link_->SetViewer(&viewer);
}

TLogViewerHeaderPanel::~TLogViewerHeaderPanel() = default;

void TLogViewerHeaderPanel::RepaintHeaders() {
  if (height() <= 0 || width() <= 0 || viewer_.HeaderPanelHeight() == 0) return;
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
  buffer_.fill(Qt::white);
  QPainter painter(&buffer_);
  TQtCanvas canvas(painter);
  viewer_.PaintHeaders(canvas, width());
  painter.end();
  update();
}

void TLogViewerHeaderPanel::resizeEvent(QResizeEvent*) { RepaintHeaders(); }

void TLogViewerHeaderPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (buffer_.isNull()) {
    painter.fillRect(event->rect(), Qt::white);
    return;
  }
  painter.drawImage(event->rect(), buffer_, event->rect());
}

void TLogViewerHeaderPanel::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const TMouseButton button = event->button() == Qt::LeftButton    ? TMouseButton::kLeft
                              : event->button() == Qt::RightButton ? TMouseButton::kRight
                                                                   : TMouseButton::kMiddle;
  if (viewer_.HeaderMouseDown(p.x(), p.y(), button, TLogViewer::TranslateShift(event->modifiers())))
    grabMouse();
}

void TLogViewerHeaderPanel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (viewer_.HeaderDragging()) {
    viewer_.HeaderMouseMove(p.x(), p.y());
    return;
  }
  const bool split = viewer_.Interactive() && viewer_.SplitterAt(p.x(), p.y());
  setCursor(split ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TLogViewerHeaderPanel::mouseReleaseEvent(QMouseEvent*) {
  if (!viewer_.HeaderDragging()) return;
  releaseMouse();
  viewer_.HeaderMouseUp();
}

void TLogViewerHeaderPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  viewer_.HeaderMouseDoubleClick(p.x(), p.y());
}

void TLogViewerHeaderPanel::keyPressEvent(QKeyEvent* event) {
  viewer_.HeaderPanelKeyDown(TLogViewer::TranslateKey(event->key(), event->modifiers()),
                             TLogViewer::TranslateShift(event->modifiers()));
}

void TLogViewerHeaderPanel::focusInEvent(QFocusEvent*) { viewer_.HeaderPanelFocused(); }

}  // namespace kest

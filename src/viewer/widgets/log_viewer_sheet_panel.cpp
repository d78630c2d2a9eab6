#include "viewer/widgets/log_viewer_sheet_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRandomGenerator>

#include "support/rounding.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

TLogViewerSheetPanel::TLogViewerSheetPanel(TLogViewer& viewer) : QWidget(&viewer), viewer_(viewer) {
  setObjectName("LogViewerSheetPanel");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  auto_scroll_.setInterval(100);
  QObject::connect(&auto_scroll_, &QTimer::timeout, this, [this] { viewer_.AutoScrollTick(); });
}

TCanvas* TLogViewerSheetPanel::BeginPaint() {
  if (buffer_.isNull() || painter_) return painter_ ? &*canvas_ : nullptr;
  painter_.emplace(&buffer_);
  canvas_.emplace(*painter_);
  return &*canvas_;
}

void TLogViewerSheetPanel::EndPaint() {
  canvas_.reset();
  painter_.reset();
}

void TLogViewerSheetPanel::SetAutoScroll(bool on) {
  if (on) {
    auto_scroll_.start();
  } else {
    auto_scroll_.stop();
  }
}

void TLogViewerSheetPanel::resizeEvent(QResizeEvent*) {
  EndPaint();
  buffer_ = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
  if (!buffer_.isNull()) buffer_.fill(Qt::white);
  viewer_.SetSheetPanelSize(width(), height());
}

void TLogViewerSheetPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect r = event->rect();
  if (buffer_.isNull()) {
    painter.fillRect(r, Qt::white);
    return;
  }
  painter.drawImage(r, buffer_, r);
  if (!viewer_.ShowCursor()) return;
  const int row = RoundHalfEven32((viewer_.CursorPos() - viewer_.ViewTop() + 1.0) /
                                  viewer_.Scale() * viewer_.PixelsPerMm());
  const TPen& pen = viewer_.CursorPen();
  const int half = (pen.Width + 1) / 2;
  if (row + half < r.top() || row - half > r.bottom()) return;
  QPen qpen(ToQColor(pen.Color));
  qpen.setWidth(pen.Width);
  painter.setPen(qpen);
  painter.drawLine(0, row, width(), row);
}

void TLogViewerSheetPanel::ChooseCursor(bool pressed) {
  if (!(viewer_.Interactive() && viewer_.HandDrag())) {
    setCursor(Qt::CrossCursor);
  } else if (!pressed) {
    setCursor(Qt::OpenHandCursor);
  } else {
    // Now and then the hand has a mind of its own.
    setCursor(QRandomGenerator::global()->bounded(200) == 0 ? Qt::ForbiddenCursor
                                                            : Qt::ClosedHandCursor);
  }
}

void TLogViewerSheetPanel::mousePressEvent(QMouseEvent* event) {
  const TMouseButton button =
      event->button() == Qt::LeftButton ? TMouseButton::kLeft : TMouseButton::kRight;
  ChooseCursor(button == TMouseButton::kLeft);
  viewer_.SheetMouseDown(static_cast<int>(event->position().y()), button);
}

void TLogViewerSheetPanel::mouseMoveEvent(QMouseEvent* event) {
  if (viewer_.SheetMouseMode() == TLogViewerCore::mmNone) {
    ChooseCursor(false);
    return;
  }
  viewer_.SheetMouseMove(static_cast<int>(event->position().y()));
}

void TLogViewerSheetPanel::mouseReleaseEvent(QMouseEvent*) {
  viewer_.SheetMouseUp();
  ChooseCursor(false);
}

void TLogViewerSheetPanel::keyPressEvent(QKeyEvent* event) {
  if (!viewer_.KeyDown(TLogViewer::TranslateKey(event->key(), event->modifiers()),
                       TLogViewer::TranslateShift(event->modifiers())))
    QWidget::keyPressEvent(event);
}

void TLogViewerSheetPanel::focusInEvent(QFocusEvent*) { viewer_.SheetPanelFocused(); }

}  // namespace kest

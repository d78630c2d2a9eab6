#include "viewer/widgets/log_viewer.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <QWheelEvent>

#include "viewer/widgets/log_viewer_header_panel.h"
#include "viewer/widgets/log_viewer_scroll_bar.h"
#include "viewer/widgets/log_viewer_sheet_panel.h"

namespace kest {

TLogViewer::TLogViewer(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  SetDpi(logicalDpiY() > 0 ? logicalDpiY() : 96);
  UpdateGuard update(*this);
  header_ = std::make_unique<TLogViewerHeaderPanel>(*this);
  sheet_panel_ = std::make_unique<TLogViewerSheetPanel>(*this);
  scroll_bar_ = std::make_unique<TLogViewerScrollBar>(*this);
}

// The panels listen to the viewer: as members they go after this body and before
// the core part, while it is whole.
TLogViewer::~TLogViewer() { destroying_ = true; }

void TLogViewer::LayoutPanels() {
  if (!header_ || !sheet_panel_ || !scroll_bar_) return;
  const int header_height = HeaderPanelHeight();
  const int bar = scroll_bar_->sizeHint().width();
  header_->setGeometry(0, 0, width(), header_height);
  header_->setVisible(header_height > 0);
  scroll_bar_->setGeometry(width() - bar, header_height, bar, height() - header_height);
  sheet_panel_->setGeometry(0, header_height, width() - bar, height() - header_height);
}

void TLogViewer::resizeEvent(QResizeEvent*) { LayoutPanels(); }

TShiftState TLogViewer::TranslateShift(Qt::KeyboardModifiers m) {
  return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
          m.testFlag(Qt::AltModifier)};
}

TViewerKey TLogViewer::TranslateKey(int key, Qt::KeyboardModifiers m) {
  const bool pad = m.testFlag(Qt::KeypadModifier);
  switch (key) {
    case Qt::Key_PageUp:
      return TViewerKey::kPageUp;
    case Qt::Key_PageDown:
      return TViewerKey::kPageDown;
    case Qt::Key_Home:
      return TViewerKey::kHome;
    case Qt::Key_End:
      return TViewerKey::kEnd;
    case Qt::Key_Up:
      return TViewerKey::kUp;
    case Qt::Key_Down:
      return TViewerKey::kDown;
    case Qt::Key_Left:
      return TViewerKey::kLeft;
    case Qt::Key_Right:
      return TViewerKey::kRight;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return TViewerKey::kTab;
    case Qt::Key_Space:
      return TViewerKey::kSpace;
    case Qt::Key_Plus:
      return pad ? TViewerKey::kPadPlus : TViewerKey::kOther;
    case Qt::Key_Minus:
      return pad ? TViewerKey::kPadMinus : TViewerKey::kOther;
    case Qt::Key_F11:
      return TViewerKey::kF11;
    default:
      return TViewerKey::kOther;
  }
}

void TLogViewer::keyPressEvent(QKeyEvent* event) {
  if (!KeyDown(TranslateKey(event->key(), event->modifiers()), TranslateShift(event->modifiers())))
    QWidget::keyPressEvent(event);
}

void TLogViewer::wheelEvent(QWheelEvent* event) {
  wheel_rest_ += event->angleDelta().y();
  const int notches = wheel_rest_ / 120;
  wheel_rest_ -= notches * 120;
  const int row = sheet_panel_ ? sheet_panel_->mapFrom(this, event->position().toPoint()).y() : 0;
  for (int i = 0; i < std::abs(notches); ++i) {
    if (event->modifiers() & Qt::ControlModifier) {
      ZoomAt(row, notches > 0);
    } else if (notches > 0) {
      ScrollUp();
    } else {
      ScrollDown();
    }
  }
  event->accept();
}

TCanvas* TLogViewer::BeginSheetPaint() {
  return sheet_panel_ ? sheet_panel_->BeginPaint() : nullptr;
}

void TLogViewer::EndSheetPaint() {
  if (sheet_panel_) sheet_panel_->EndPaint();
}

void TLogViewer::InvalidateSheetWindow(const TRect& r, bool now) {
  if (!sheet_panel_) return;
  const QRect rect(r.Left, r.Top, r.Width(), r.Height());
  if (now) {
    sheet_panel_->repaint(rect);
  } else {
    sheet_panel_->update(rect);
  }
}

void TLogViewer::FocusHeaderPanel() {
  if (header_ && header_->isVisible()) header_->setFocus();
}

void TLogViewer::FocusSheetPanel() {
  if (sheet_panel_) sheet_panel_->setFocus();
  SheetPanelFocused();
}

void TLogViewer::SetAutoScrollTimer(bool on) {
  if (sheet_panel_) sheet_panel_->SetAutoScroll(on);
}

void TLogViewer::HeadersChanged() {
  if (header_) {
    header_->RepaintHeaders();
    header_->repaint();
  }
}

}  // namespace kest

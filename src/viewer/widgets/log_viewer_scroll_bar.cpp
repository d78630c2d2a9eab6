#include "viewer/widgets/log_viewer_scroll_bar.h"

#include "support/rounding.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

class TLogViewerScrollBar::Link : public TLVLink {
 public:
  explicit Link(TLogViewerScrollBar& bar) : bar_(bar) {}
  void ViewerChanged(TLogViewerEvents events) override {
    TLogViewer& v = bar_.viewer_;
    bar_.setting_ = true;
    if (events.HasAny({veColumns, veSpan})) {
      const int page = RoundHalfEven32(v.ViewSpan());
      bar_.setRange(v.SheetFirst(), v.SheetLast());
      bar_.setPageStep(page);
      bar_.setSingleStep(std::max(1, RoundHalfEven32(page / 20.0)));
    }
    if (events.HasAny({vePosition, veCursor, veColumns}) && !bar_.moving_) {
      if (bar_.maximum() != v.SheetLast() || bar_.minimum() != v.SheetFirst())
        bar_.setRange(v.SheetFirst(), v.SheetLast());
      bar_.setValue(v.CursorPos());
    }
    bar_.setting_ = false;
  }

 private:
  TLogViewerScrollBar& bar_;
};

TLogViewerScrollBar::TLogViewerScrollBar(TLogViewer& viewer)
    : QScrollBar(Qt::Vertical, &viewer), viewer_(viewer), link_(std::make_unique<Link>(*this)) {
  setFocusPolicy(Qt::NoFocus);
  link_->SetViewer(&viewer);
  QObject::connect(this, &QScrollBar::valueChanged, this, [this](int value) {
    if (setting_ || !viewer_.Interactive()) return;
    moving_ = true;
    viewer_.SetCursorPos(value);
    moving_ = false;
  });
}

TLogViewerScrollBar::~TLogViewerScrollBar() = default;

}  // namespace kest

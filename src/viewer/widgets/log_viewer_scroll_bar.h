#pragma once

#include <QScrollBar>
#include <memory>

namespace kest {

class TLogViewer;

// Shows the cursor over the sheet's range; moving it moves the cursor when the
// viewer is interactive.
class TLogViewerScrollBar : public QScrollBar {
 public:
  explicit TLogViewerScrollBar(TLogViewer& viewer);
  ~TLogViewerScrollBar() override;

 private:
  class Link;
  TLogViewer& viewer_;
  bool moving_ = false;         // the bar itself moves the cursor
  bool setting_ = false;        // the viewer moves the bar
  std::unique_ptr<Link> link_;  // last: the viewer stops calling before the rest goes
};

}  // namespace kest

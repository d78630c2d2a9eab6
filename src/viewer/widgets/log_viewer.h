#pragma once

#include <QWidget>
#include <memory>

#include "viewer/core/log_viewer_core.h"

class QImage;

namespace kest {

class TLogViewerHeaderPanel;
class TLogViewerSheetPanel;
class TLogViewerScrollBar;

// The tablet control: a header panel across the top, the sheet panel under it and
// a scroll bar on the right, all following the viewer through its listeners.
// The host calls Refresh from its idle handler.
//
// The viewer owns its panels (they are also its Qt children): they go with its
// members, before the core part, so their listeners leave a whole viewer. Never
// delete a panel from outside.
class TLogViewer : public QWidget, public TLogViewerCore {
 public:
  explicit TLogViewer(QWidget* parent = nullptr);
  ~TLogViewer() override;

  TLogViewerHeaderPanel* HeaderPanel() const { return header_.get(); }
  TLogViewerSheetPanel* SheetPanel() const { return sheet_panel_.get(); }
  TLogViewerScrollBar* ScrollBar() const { return scroll_bar_.get(); }
  // Places the three panels (the header's height follows the tree's depth).
  void LayoutPanels();

  // Qt keys in the viewer's terms.
  static TViewerKey TranslateKey(int key, Qt::KeyboardModifiers modifiers);
  static TShiftState TranslateShift(Qt::KeyboardModifiers modifiers);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The wheel scrolls; with Ctrl it zooms around the pointer.
  void wheelEvent(QWheelEvent* event) override;

  TCanvas* BeginSheetPaint() override;
  void EndSheetPaint() override;
  void InvalidateSheetWindow(const TRect& rect, bool now) override;
  void FocusHeaderPanel() override;
  void FocusSheetPanel() override;
  void SetAutoScrollTimer(bool on) override;
  void HeadersChanged() override;

 private:
  // Freed in reverse: the scroll bar, the sheet panel, then the header panel.
  std::unique_ptr<TLogViewerHeaderPanel> header_;
  std::unique_ptr<TLogViewerSheetPanel> sheet_panel_;
  std::unique_ptr<TLogViewerScrollBar> scroll_bar_;
  int wheel_rest_ = 0;  // a touchpad's part of a notch
};

}  // namespace kest

#pragma once

#include <QWidget>

#include "viewer/log_viewer_core.h"

class QImage;

namespace kest {

class TLogViewerHeaderPanel;
class TLogViewerSheetPanel;
class TLogViewerScrollBar;

// The tablet control: a header panel across the top, the sheet panel under it and
// a scroll bar on the right, all following the viewer through its listeners.
// The host calls Refresh from its idle handler.
class TLogViewer : public QWidget, public TLogViewerCore {
 public:
  explicit TLogViewer(QWidget* parent = nullptr);
  ~TLogViewer() override;

  TLogViewerHeaderPanel* HeaderPanel() const { return header_; }
  TLogViewerSheetPanel* SheetPanel() const { return sheet_panel_; }
  TLogViewerScrollBar* ScrollBar() const { return scroll_bar_; }
  // Places the three panels (the header's height follows the tree's depth).
  void LayoutPanels();

  // Qt keys in the viewer's terms.
  static TViewerKey TranslateKey(int key, Qt::KeyboardModifiers modifiers);
  static TShiftState TranslateShift(Qt::KeyboardModifiers modifiers);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

  TCanvas* BeginSheetPaint() override;
  void EndSheetPaint() override;
  void InvalidateSheetWindow(const TRect& rect, bool now) override;
  void FocusHeaderPanel() override;
  void FocusSheetPanel() override;
  void SetAutoScrollTimer(bool on) override;
  void HeadersChanged() override;

 private:
  TLogViewerHeaderPanel* header_ = nullptr;
  TLogViewerSheetPanel* sheet_panel_ = nullptr;
  TLogViewerScrollBar* scroll_bar_ = nullptr;
};

}  // namespace kest

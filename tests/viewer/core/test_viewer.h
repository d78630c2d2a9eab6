#pragma once

#include <memory>
#include <vector>

#include "recording_canvas.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

// A headless viewer whose sheet panel draws into a recording canvas.
class TestViewer : public TLogViewerCore {
 public:
  TestViewer(int width = 1000, int height = 1000) { SetSheetPanelSize(width, height); }
  RecordingCanvas canvas;
  bool draw = false;
  std::vector<TRect> window_invalidations;

 protected:
  TCanvas* BeginSheetPaint() override { return draw ? &canvas : nullptr; }
  void InvalidateSheetWindow(const TRect& r, bool) override { window_invalidations.push_back(r); }
};

// Records every delivery.
class EventLog : public TLVLink {
 public:
  explicit EventLog(TLogViewerCore& v) { SetViewer(&v); }
  std::vector<TLogViewerEvents> deliveries;
  void ViewerChanged(TLogViewerEvents e) override { deliveries.push_back(e); }
  bool Saw(TLogViewerEvent e) const {
    for (auto d : deliveries)
      if (d.Has(e)) return true;
    return false;
  }
};

}  // namespace kest

#pragma once

#include "viewer/core/viewer_types.h"

namespace kest {

class TLogViewerCore;
class TLogViewerColumn;

// A listener of one viewer. It detaches itself when freed; a viewer that goes first
// detaches its listeners.
class TGenericLVLink {
 public:
  TGenericLVLink() = default;
  virtual ~TGenericLVLink();
  TGenericLVLink(const TGenericLVLink&) = delete;
  TGenericLVLink& operator=(const TGenericLVLink&) = delete;

  TLogViewerCore* Viewer() const { return viewer_; }
  void SetViewer(TLogViewerCore* viewer);

 protected:
  virtual void Attach(TLogViewerCore& viewer) = 0;
  virtual void Detach(TLogViewerCore& viewer) = 0;

 private:
  friend class TLogViewerCore;
  TLogViewerCore* viewer_ = nullptr;
};

// Whole-viewer listener: receives the set of codes raised (one code at a time, or
// everything collected between BeginUpdate and EndUpdate at once).
class TLVLink : public TGenericLVLink {
 public:
  virtual void ViewerChanged(TLogViewerEvents events) = 0;

 protected:
  void Attach(TLogViewerCore& viewer) override;
  void Detach(TLogViewerCore& viewer) override;
};

// Per-column listener: told which column's drawing properties changed.
class TLVColumnLink : public TGenericLVLink {
 public:
  virtual void ColumnChanged(TLogViewerColumn* column) = 0;
  // Raised by nothing; kept for listeners that watch one column's data.
  virtual void ColumnDataChanged(TLogViewerColumn*) {}
  // Routes a code; anything but veColumnChanged raises ELogViewerError.
  void Deliver(TLogViewerEvent event, TLogViewerColumn* column);

 protected:
  void Attach(TLogViewerCore& viewer) override;
  void Detach(TLogViewerCore& viewer) override;
};

}  // namespace kest

#include "viewer/core/viewer_links.h"

#include "viewer/core/log_viewer_core.h"

namespace kest {

TGenericLVLink::~TGenericLVLink() {
  // The derived part is gone: detach through the base lists directly.
  if (viewer_) viewer_->ForgetLink(this);
}

void TGenericLVLink::SetViewer(TLogViewerCore* viewer) {
  if (viewer == viewer_) return;
  if (viewer_) Detach(*viewer_);
  viewer_ = viewer;
  if (viewer_) Attach(*viewer_);
}

void TLVLink::Attach(TLogViewerCore& viewer) { viewer.AddViewerLink(this); }
void TLVLink::Detach(TLogViewerCore& viewer) { viewer.ForgetLink(this); }

void TLVColumnLink::Attach(TLogViewerCore& viewer) { viewer.AddColumnLink(this); }
void TLVColumnLink::Detach(TLogViewerCore& viewer) { viewer.ForgetLink(this); }

void TLVColumnLink::Deliver(TLogViewerEvent event, TLogViewerColumn* column) {
  if (event != veColumnChanged) throw ELogViewerError("TLVColumnLink received invalid event");
  ColumnChanged(column);
}

}  // namespace kest

// Viewer layouts: faults are reported and skipped, and the tree that loads is
// consistent: it saves, what it saves loads, and from then on a round trip gives
// the same bytes. (The first save may differ from a later one only in the column
// names, which are given afresh on loading.)
#include "fuzz_common.h"
#include "support/stream.h"
#include "viewer/core/log_viewer_core.h"

using namespace kest;

namespace {

// A viewer without a window: nothing is painted.
class HeadlessViewer : public TLogViewerCore {
 public:
  HeadlessViewer() { SetSheetPanelSize(800, 600); }

 protected:
  TCanvas* BeginSheetPaint() override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HeadlessViewer viewer;
  viewer.OnLayoutError = [](const std::string&) {};
  MemoryStream in(fuzz::Bytes(data, size));
  if (!fuzz::Guarded([&] { viewer.LoadLayout(in); })) return 0;
  auto round_trip = [](MemoryStream& saved) {
    HeadlessViewer again;
    again.OnLayoutError = [](const std::string&) {};
    saved.Seek(0);
    fuzz::Require(fuzz::Guarded([&] { again.LoadLayout(saved); }), "a saved layout loads");
    MemoryStream resaved;
    again.SaveLayout(resaved);
    return resaved;
  };
  MemoryStream first;
  viewer.SaveLayout(first);
  MemoryStream second = round_trip(first);
  MemoryStream third = round_trip(second);
  fuzz::Require(third.Bytes() == second.Bytes(), "a saved layout round-trips to the same bytes");
  return 0;
}

// Redraw cost of the tablet: a 1000-pixel sheet panel with 8 graphics columns over
// 8 tracks of 1,000,000 samples, at 1:200 and 1:120000, and one appended row
// during recording.
#include <QApplication>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "bench_line.h"
#include "log/log_sheet.h"
#include "viewer/core/graphics_column.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/log_viewer_sheet_panel.h"

using namespace kest;

namespace {
double Millis(const std::function<void()>& work, int repeats) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) work();
  std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / repeats;
}
}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  constexpr int kTracks = 8;
  constexpr int kSamples = 1000000;
  TLogSheet sheet;
  TLogTrack* tracks[kTracks];
  for (int k = 0; k < kTracks; ++k) {
    tracks[k] = sheet.NewTrack("T" + std::to_string(k));
    tracks[k]->SetStep(100);
    std::vector<float> values(kSamples);
    for (int i = 0; i < kSamples; ++i)
      values[i] = static_cast<float>(50 + 30 * std::sin(i / (37.0 + k)) +
                                     (static_cast<int64_t>(i) * 7919 % 23));
    tracks[k]->LoadSamples(values.data(), kSamples);
  }
  sheet.Update();

  TLogViewer viewer;
  viewer.SetAppendMode(amIgnore);
  TLogViewerColumn* previous = nullptr;
  for (int k = 0; k < kTracks; ++k) {
    auto* g = viewer.NewColumn<TGraphicsColumn>();
    if (previous)
      g->InsertAfter(previous);
    else
      g->AddChild(viewer.RootColumn());
    g->SetRelativeWidth(125);
    g->SetScale(150);  // the curves stay inside their columns (no wrap labels)
    previous = g;
  }
  viewer.resize(1200, 1000 + viewer.HeaderPanelHeight());
  viewer.show();
  QApplication::processEvents();
  viewer.SetSheet(&sheet);
  for (int k = 0; k < kTracks; ++k)
    static_cast<TGraphicsColumn*>(viewer.Column(k))->SetParameter("T" + std::to_string(k));
  QApplication::processEvents();
  const int height = viewer.SheetPanel()->height();

  for (int32_t scale : {200, 120000}) {
    viewer.SetScale(scale);
    viewer.SetViewTop(kSamples * 100 / 3);
    const double ms = Millis([&] { viewer.RedrawAll(); }, 10);
    bench::Line("viewer full redraw 1:" + std::to_string(scale),
                bench::Format("%d px, 8 columns x 8 tracks x 1M samples", height),
                bench::Format("%.2f ms", ms));
  }

  // Recording: the end inside the view, one row appended and shown per call.
  viewer.SetScale(200);
  viewer.SetViewTop(sheet.End() - static_cast<int32_t>(viewer.ViewSpan()) / 2);
  viewer.Refresh();
  const double append = Millis(
      [&] {
        for (TLogTrack* t : tracks) t->Append(t->LastSample());
        viewer.Refresh();
      },
      200);
  bench::Line("viewer appended row", "8 tracks of 1M samples, 1:200",
              bench::Format("%.3f ms", append));
  return 0;
}

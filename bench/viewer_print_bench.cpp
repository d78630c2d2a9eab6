// Printing a long log: 2,000 m of a 12-track depth log (10 cm step) at 1:200, that
// is 10 m of paper, to a PDF of A4 pages and to one 300 dpi PNG; then a log five
// times as long to PDF, to show that memory does not grow with the length.
#include <sys/resource.h>

#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "bench_line.h"
#include "log/log_sheet.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/widgets/print_output.h"

using namespace kest;

namespace {

double PeakMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void FillSheet(TLogSheet& sheet, int tracks, int samples) {
  for (int k = 0; k < tracks; ++k) {
    TLogTrack* t = sheet.NewTrack("T" + std::to_string(k));
    t->SetOrigin(1'000'000);
    t->SetStep(100);
    std::vector<float> values(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
      values[static_cast<size_t>(i)] = static_cast<float>(50 + 30 * std::sin(i / (37.0 + k)) +
                                                          (static_cast<int64_t>(i) * 7919 % 23));
    t->LoadSamples(values.data(), samples);
  }
  sheet.Update();
}

void BuildLayout(TLogViewerCore& viewer, int tracks) {
  TLogViewerColumn* previous = nullptr;
  for (int k = 0; k < tracks; ++k) {
    auto* g = viewer.NewColumn<TGraphicsColumn>();
    if (previous) {
      g->InsertAfter(previous);
    } else {
      g->AddChild(viewer.RootColumn());
    }
    g->SetRelativeWidth(1000 / tracks);
    g->SetScale(150);
    g->SetParameter("T" + std::to_string(k));
    previous = g;
  }
}

template <typename F>
double Seconds(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  EnsureGuiApplication();
  const std::string dir = std::filesystem::temp_directory_path() / "kest_print_bench";
  std::filesystem::create_directories(dir);
  constexpr int kTracks = 12;
  const double base_mb = PeakMb();

  for (int metres : {2000, 10000}) {
    TLogSheet sheet;
    FillSheet(sheet, kTracks, metres * 10 + 1);
    TLogViewerCore viewer;
    BuildLayout(viewer, kTracks);
    viewer.SetSheet(&sheet);
    viewer.SetScale(200);
    const std::string size = bench::Format("%d m, %d tracks, 1:200", metres, kTracks);
    RenderOptions options;
    options.Monochrome = false;
    int pages = 0;
    const std::string pdf = dir + "/log.pdf";
    const double pdf_s = Seconds([&] { pages = RenderPdf(viewer, options, pdf); });
    const double pdf_mb = std::filesystem::file_size(pdf) / 1e6;
    bench::Line("print to PDF", size,
                bench::Format("%.2f s, %d pages, %.1f MB", pdf_s, pages, pdf_mb));
    bench::Line("print to PDF, peak memory", size,
                bench::Format("%.0f MB (%.0f MB before printing)", PeakMb(), base_mb));
    if (metres == 2000) {
      const std::string png = dir + "/log.png";
      const double png_s = Seconds([&] { RenderPng(viewer, options, png); });
      bench::Line("print to PNG 300 dpi", size,
                  bench::Format("%.2f s, %.1f MB", png_s, std::filesystem::file_size(png) / 1e6));
      bench::Line("print to PNG, peak memory", size, bench::Format("%.0f MB", PeakMb()));
    }
    viewer.SetSheet(nullptr);
  }
  std::filesystem::remove_all(dir);
  return 0;
}

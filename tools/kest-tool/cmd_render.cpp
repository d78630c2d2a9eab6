// kest-tool render: prints a log headless, through the programs' own print path,
// into a PDF of pages or one tall PNG.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/core/standard_layout.h"
#include "command.h"
#include "log/log_sheet.h"
#include "session/log_document.h"
#include "support/number_text.h"
#include "support/stream.h"
#include "tool_environment.h"
#include "viewer/core/canvas.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/track_column.h"
#include "viewer/widgets/print_output.h"

namespace kest::tool {
namespace {

int IntOption(std::vector<std::string>& args, std::string_view name, int fallback, int low,
              int high) {
  const std::string text = TakeOption(args, name);
  if (text.empty()) return fallback;
  auto value = ParseInt(text);
  if (!value || *value < low || *value > high)
    throw UsageError(std::string(name) + " takes " + std::to_string(low) + " to " +
                     std::to_string(high));
  return *value;
}

std::optional<int32_t> MetresOption(std::vector<std::string>& args, std::string_view name) {
  const std::string text = TakeOption(args, name);
  if (text.empty()) return std::nullopt;
  auto value = ParseFloat(text);
  if (!value || !(std::abs(*value) < 2e6)) throw UsageError(std::string(name) + " takes metres");
  return static_cast<int32_t>(std::lround(*value * 1000));
}

// Tells which of the layout's track columns find no track in the sheet.
void ReportUnlinked(const TLogViewerCore& viewer) {
  for (int i = 0; i < viewer.ColumnCount(); ++i) {
    const auto* column = dynamic_cast<const TTrackColumn*>(viewer.Column(i));
    if (column && column->Parameter() != "NONE" && !column->Track())
      std::cerr << "warning: the layout's curve " << column->Parameter()
                << " is not in the sheet (printed empty)\n";
  }
}

// A viewer that draws on nothing: one pass over the whole sheet sets the
// auto-scaled curves' scales as a screen showing the whole log would.
class SettlingViewer : public TLogViewerCore {
 public:
  void SettleAutoScales() {
    const int32_t scale = Scale();
    const double span = std::max<double>(SheetLast() - SheetFirst(), 1);
    // The first scale at which the whole sheet fits 4000 rows (or the smallest).
    int32_t fit = kScales[kScaleCount - 1];
    for (int32_t s : kScales)
      if (s > 0 && span * PixelsPerMm() / s <= 4000) {
        fit = s;
        break;
      }
    SetScale(fit);
    SetSheetPanelSize(1000, static_cast<int>(std::min(span * PixelsPerMm() / fit + 1, 32767.0)));
    SetViewTop(SheetFirst());
    drawing_ = true;
    RedrawAll();
    drawing_ = false;
    Refresh();  // the changed scales announced
    SetScale(scale);
  }

 protected:
  TCanvas* BeginSheetPaint() override { return drawing_ ? &canvas_ : nullptr; }

 private:
  class NullCanvas : public TCanvas {
    void Save() override {}
    void Restore() override {}
    void Translate(int, int) override {}
    void ClipRect(const TRect&) override {}
    void SetPen(const TPen&) override {}
    void SetFont(const TFont&) override {}
    void FillRect(const TRect&, TColor) override {}
    void FillDither(const TRect&, TColor, TColor) override {}
    void Line(int, int, int, int) override {}
    void Polyline(const TPoint*, int) override {}
    void FrameRect(const TRect&) override {}
    void TextOut(int, int, std::string_view) override {}
    int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * 7; }
    int TextHeight(std::string_view) override { return 14; }
  } canvas_;
  bool drawing_ = false;
};

std::string HeadLinePath(const std::string& name, const ToolEnvironment& env) {
  if (name.empty()) return {};
  namespace fs = std::filesystem;
  if (fs::exists(name)) return name;
  const std::string in_folder = env.DataDir() + "/HeadLine/" + name;
  if (fs::exists(in_folder)) return in_folder;
  throw UsageError("no head-line template " + name + " (looked in " + env.DataDir() + "/HeadLine)");
}

int Render(const std::vector<std::string>& argv) {
  auto args = argv;
  const std::string out = TakeOption(args, "--out");
  const std::string layout = TakeOption(args, "--layout");
  const std::string headline = TakeOption(args, "--headline");
  const std::string margins = TakeOption(args, "--margins");
  const std::string page = TakeOption(args, "--page");
  const bool mono = TakeFlag(args, "--mono");
  const int scale = IntOption(args, "--scale", 200, 1, 100000);
  const int dpi = IntOption(args, "--dpi", 300, 36, 1200);
  const auto from = MetresOption(args, "--from");
  const auto to = MetresOption(args, "--to");
  ToolEnvironment env(args);
  ExpectPositional(args, 1);
  if (out.empty()) throw UsageError("--out OUT.pdf or OUT.png is required");
  const std::string ext = std::filesystem::path(out).extension().string();
  const bool pdf = ext == ".pdf" || ext == ".PDF";
  if (!pdf && ext != ".png" && ext != ".PNG") throw UsageError("--out must end in .pdf or .png");

  RenderOptions options;
  options.Monochrome = mono;
  options.Dpi = dpi;
  if (!page.empty()) {
    auto paper = ParsePaperSize(page);
    if (!paper) throw UsageError("--page takes A4, A3 or WxHmm");
    options.Paper = *paper;
  }
  if (!margins.empty()) {
    const size_t comma = margins.find(',');
    auto l = ParseInt(margins.substr(0, comma));
    auto r = comma == std::string::npos ? l : ParseInt(margins.substr(comma + 1));
    if (!l || !r || *l < 0 || *r < 0 || *l > 500 || *r > 500)
      throw UsageError("--margins takes L,R in millimetres");
    options.Settings.LeftMarginMm = *l;
    options.Settings.RightMarginMm = *r;
  }
  options.Settings.HeadLine = HeadLinePath(headline, env);

  LogDocument document;
  document.Open(args[0], env.FileOptions());
  TLogSheet& sheet = document.Sheet();
  const bool time = sheet.Argument() == laTime;
  // --from/--to are metres of depth, or minutes of a time log.
  auto argument = [&](std::optional<int32_t> milli) -> std::optional<int32_t> {
    if (!milli) return std::nullopt;
    return time ? static_cast<int32_t>(std::lround(*milli * 60.0)) : *milli;
  };
  options.Settings.Top = argument(from);
  options.Settings.Bottom = argument(to);

  EnsureGuiApplication();
  SettlingViewer viewer;
  viewer.SetArgumentKind(sheet.Argument());
  viewer.SetScale(scale);
  if (layout.empty()) {
    BuildStandardLayout(viewer, sheet);
  } else {
    viewer.OnLayoutError = [](const std::string& message) {
      std::cerr << "warning: layout: " << message << "\n";
    };
    FileStream in(layout, FileStream::Mode::Read);
    viewer.LoadLayout(in);
  }
  viewer.SetSheet(&sheet);
  viewer.SetScale(scale);
  ReportUnlinked(viewer);
  viewer.SettleAutoScales();

  const RenderWarning warn = [](const std::string& message, const std::string& cause) {
    std::cerr << "warning: " << message << " (" << cause << ")\n";
  };
  int last_percent = -1;
  const RenderProgress progress = [&](int64_t done, int64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent / 10 != last_percent / 10) std::cerr << "rendering " << percent << " %\n";
    last_percent = percent;
    return true;
  };
  const int pages = pdf ? RenderPdf(viewer, options, out, progress, warn)
                        : RenderPng(viewer, options, out, progress, warn);
  std::cout << out << "\n" << pages << (pages == 1 ? " page" : " pages") << "\n";
  viewer.SetSheet(nullptr);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("render",
                  "FILE --out OUT.pdf|OUT.png [--layout FILE] [--scale N] [--from M --to M] "
                  "[--headline NAME.RTF] [--mono] [--margins L,R] [--page A4|A3|WxHmm] [--dpi N] "
                  "[--root DIR]",
                  "print a log into a PDF of pages or one tall PNG, as the programs print it",
                  Render);

}  // namespace kest::tool

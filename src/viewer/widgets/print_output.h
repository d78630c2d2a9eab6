#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "viewer/core/log_print.h"

namespace kest {

class TLogViewerCore;

// A paper size in millimetres.
struct PaperSize {
  double WidthMm = 210;
  double HeightMm = 297;
};
// "A4", "A3" (either case) or "WxHmm" ("210x297mm", the unit optional); nullopt
// for anything else or a side outside 20..5000 mm.
std::optional<PaperSize> ParsePaperSize(std::string_view text);

// What to render and how.
struct RenderOptions {
  PrintSettings Settings;
  bool Monochrome = true;
  PaperSize Paper;
  int Dpi = 300;
};

// Called with the work done and the whole (pages, or image rows); false cancels.
using RenderProgress = std::function<bool(int64_t done, int64_t total)>;
// A failure that does not stop the output (the head line's): the message for the
// user and its cause.
using RenderWarning = std::function<void(const std::string& message, const std::string& cause)>;

// The print path without a printer, for the command line and the programs alike:
// a PDF of pages (vector curves and text) or one tall PNG of the whole output,
// written under a temporary name and renamed when complete (nothing is left under
// `path` on failure or cancel). Returns the page count (1 for the PNG). Raises
// EKestError; ERenderCancelled when the progress callback said stop. A
// QGuiApplication must exist (EnsureGuiApplication).
int RenderPdf(TLogViewerCore& viewer, const RenderOptions& options, const std::string& path,
              const RenderProgress& progress = {}, const RenderWarning& warning = {});
int RenderPng(TLogViewerCore& viewer, const RenderOptions& options, const std::string& path,
              const RenderProgress& progress = {}, const RenderWarning& warning = {});

KEST_DECLARE_ERROR(ERenderCancelled, EKestError);

// Creates an application object on the offscreen platform when the process has
// none (command-line rendering); fonts and painting need one.
void EnsureGuiApplication();

}  // namespace kest

// kest-tool depth-match, splice, repeat-qc, resample, filter: the analyst's tools of
// the editor's "Сервис" menu on log files. Every result is written through a
// temporary file renamed into place, so nothing half-made stands under OUT.
#include <cmath>
#include <cstdio>
#include <memory>

#include "analysis/depth_match.h"
#include "analysis/log_resample.h"
#include "analysis/log_splice.h"
#include "analysis/repeat_control.h"
#include "analysis/shift_command.h"
#include "command.h"
#include "log/log_sheet.h"
#include "session/log_document.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/undo_stack.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

// A length option in metres (or centimetres: `scale` 10) as whole millimetres.
int32_t TakeLength(std::vector<std::string>& args, std::string_view name, double def,
                   double mm_per_unit) {
  const double v = TakeNumber(args, name, def);
  if (!(v > 0) || v * mm_per_unit > 1e9 || RoundHalfEven32(v * mm_per_unit) < 1)
    throw UsageError(std::string(name) + " takes a positive length");
  return RoundHalfEven32(v * mm_per_unit);
}

std::unique_ptr<LogDocument> OpenLog(const std::string& path, const LogFileOptions& options) {
  auto document = std::make_unique<LogDocument>();
  document->Open(path, options);
  return document;
}

int DepthMatch(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  DepthMatchOptions o;
  o.Curve = TakeOption(args, "--curve");
  if (o.Curve.empty()) throw UsageError("--curve MNEM is required");
  o.RefCurve = TakeOption(args, "--ref-curve");
  o.MaxShift = TakeLength(args, "--max-shift", 5, 1000);
  const bool piecewise = std::find(args.begin(), args.end(), "--window") != args.end() ||
                         std::any_of(args.begin(), args.end(), [](const std::string& a) {
                           return a.rfind("--window=", 0) == 0;
                         });
  if (piecewise) o.Window = TakeLength(args, "--window", 0, 1000);
  const std::string out = TakeOption(args, "--out");
  ExpectPositional(args, 2);
  if (piecewise && !out.empty())
    throw UsageError("--out applies one shift for the whole log: leave out --window");
  LogFileOptions options = env.FileOptions();
  o.NullValue = options.Las.NullValue;
  if (!out.empty()) WriterFor(out, options);  // an unwritable format fails before any work
  auto reference = OpenLog(args[0], options);
  auto log = OpenLog(args[1], options);
  DepthMatchResult r = MatchDepth(reference->Sheet(), log->Sheet(), o);
  auto metres = [](double mm) { return FormatFixed(mm / 1000.0, 3); };
  auto r_text = [](double r) {
    return std::isnan(r) ? std::string("undefined") : FormatFixed(r, 3);
  };
  if (piecewise) {
    bool all = true;
    for (const DepthMatchWindow& w : r.Windows) {
      std::printf("%s %s %s %s%s\n", metres(w.Top).c_str(), metres(w.Bottom).c_str(),
                  metres(w.Shift).c_str(), r_text(w.Correlation).c_str(),
                  w.Found ? "" : " not found");
      all = all && w.Found;
    }
    return all ? 0 : 1;
  }
  const DepthMatchWindow& w = r.Windows[0];
  std::printf("shift %s correlation %s%s\n", metres(w.Shift).c_str(), r_text(w.Correlation).c_str(),
              w.Found ? "" : " not found");
  if (!w.Found) {
    if (!out.empty())
      std::fprintf(stderr, "kest-tool depth-match: no shift found, %s not written\n", out.c_str());
    return 1;
  }
  if (!out.empty()) {
    UndoStack undo;  // the editor's operation, done once
    undo.Push(ShiftSheetCommand(log->Sheet(), -RoundHalfEven32(w.Shift)));
    log->SaveAs(out, options);
  }
  return 0;
}

int Splice(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  const std::string at_text = TakeOption(args, "--at");
  if (at_text.empty()) throw UsageError("--at D1[,D2 ...] is required");
  std::vector<int32_t> at;
  size_t start = 0;
  while (start <= at_text.size()) {
    const size_t comma = at_text.find(',', start);
    const std::string item =
        at_text.substr(start, comma == std::string::npos ? comma : comma - start);
    auto v = ParseFloat(item);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > 2e6)
      throw UsageError("--at takes depths in metres separated by commas, not \"" + item + "\"");
    at.push_back(RoundHalfEven32(*v * 1000));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  for (const auto& a : args)
    if (a.rfind("--", 0) == 0) throw UsageError("unknown option " + a);
  if (args.size() < 3) throw UsageError("two logs and OUT at least");
  const std::string out = args.back();
  args.pop_back();
  if (at.size() + 1 != args.size())
    throw UsageError("--at takes one depth fewer than there are logs");
  LogFileOptions options = env.FileOptions();
  WriterFor(out, options);
  std::vector<std::unique_ptr<LogDocument>> logs;
  std::vector<const TLogSheet*> sheets;
  for (const auto& path : args) {
    logs.push_back(OpenLog(path, options));
    sheets.push_back(&logs.back()->Sheet());
  }
  LogDocument composite;
  SpliceLogs(sheets, at, composite.Sheet(), options.Las.NullValue);
  composite.SaveAs(out, options);
  const TLogSheet& s = composite.Sheet();
  std::printf("%s: %d curves, %s – %s\n", out.c_str(), s.Count(),
              FormatFixed(s.Start() / 1000.0, 2).c_str(), FormatFixed(s.End() / 1000.0, 2).c_str());
  return 0;
}

int RepeatQc(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  const bool json = TakeFlag(args, "--json");
  ExpectPositional(args, 2);
  LogFileOptions options = env.FileOptions();
  auto main_pass = OpenLog(args[0], options);
  auto repeat = OpenLog(args[1], options);
  auto stats = CompareRepeat(main_pass->Sheet(), repeat->Sheet(), options.Las.NullValue);
  const std::string text = json ? RepeatStatsJson(stats) : RepeatStatsText(stats);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

int Resample(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  const int32_t step = TakeLength(args, "--step", 0, 10);
  const std::string method = TakeOption(args, "--method");
  ExpectPositional(args, 2);
  if (method != "" && method != "nearest" && method != "linear" && method != "peak")
    throw UsageError("--method takes nearest, linear or peak");
  LogFileOptions options = env.FileOptions();
  WriterFor(args[1], options);
  auto in = OpenLog(args[0], options);
  LogDocument out;
  ResampleLog(in->Sheet(), out.Sheet(), step,
              ResampleMethodByName(method.empty() ? "nearest" : method), options.Las.NullValue);
  out.SaveAs(args[1], options);
  return 0;
}

int Filter(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  const std::string curve = TakeOption(args, "--curve");
  if (curve.empty()) throw UsageError("--curve MNEM is required");
  const double mean = TakeNumber(args, "--mean", 0), median = TakeNumber(args, "--median", 0);
  if ((mean != 0) == (median != 0)) throw UsageError("one of --mean CM or --median CM");
  const double cm = mean != 0 ? mean : median;
  if (!(cm > 0) || cm > 1e8) throw UsageError("the filter takes a positive length in cm");
  ExpectPositional(args, 2);
  LogFileOptions options = env.FileOptions();
  WriterFor(args[1], options);
  auto log = OpenLog(args[0], options);
  const std::string made =
      AddFilteredTrack(log->Sheet(), curve, RoundHalfEven32(cm * 10),
                       mean != 0 ? FilterKind::Mean : FilterKind::Median, options.Las.NullValue);
  log->SaveAs(args[1], options);
  std::printf("created: %s\n", made.c_str());
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("depth-match",
                  "REF LOG --curve MNEM [--ref-curve MNEM] [--max-shift M] [--window M] "
                  "[--out OUT] [--root DIR]",
                  "the depth shift of LOG against REF (\"shift <m> correlation <r>\"; per "
                  "window \"<top> <bottom> <shift> <r>\"); --out writes LOG moved onto REF",
                  DepthMatch);
KEST_TOOL_COMMAND("splice", "A B [C ...] --at D1[,D2 ...] OUT [--root DIR]",
                  "join logs into one composite at the splice depths (metres)", Splice);
KEST_TOOL_COMMAND("repeat-qc", "MAIN REPEAT [--json] [--root DIR]",
                  "per curve over the common interval: top, bottom, samples, mean and "
                  "standard deviation of REPEAT - MAIN, correlation",
                  RepeatQc);
KEST_TOOL_COMMAND("resample", "IN OUT --step CM [--method nearest|linear|peak] [--root DIR]",
                  "the log on a new step (peak: the LAS export's rule)", Resample);
KEST_TOOL_COMMAND("filter", "IN OUT --curve MNEM (--mean|--median) CM [--root DIR]",
                  "a moving mean or median of a curve into a new track MNEM_MEAN or MNEM_MEDIAN",
                  Filter);

}  // namespace kest::tool

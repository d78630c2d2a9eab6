// kest-tool add-curve: copies one curve of another log into a log, as the editor's
// "Добавление кривой" does, and writes the result. The copy (named "NAME(FILE)" and
// resampled onto the sheet's step) is written to OUT as an ordinary track, since a
// comparison copy that stayed foreign would not be saved.
#include <cstdio>

#include "command.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/curve_adder.h"
#include "session/log_document.h"
#include "support/code_page.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

// CURVE is a parameter name with an optional "#N" (N counts same-named tracks from
// 0), or an exchange mnemonic.
int FindCurve(const TLogSheet& sheet, const std::string& curve) {
  std::string name = curve;
  int n = 0;
  if (auto hash = curve.rfind('#'); hash != std::string::npos) {
    auto number = ParseInt(curve.substr(hash + 1));
    if (!number || *number < 0) throw UsageError("CURVE: bad number after #");
    name = curve.substr(0, hash);
    n = static_cast<int>(*number);
  }
  if (const TLogTrack* t = sheet.FindTrack(name, n)) return sheet.IndexOf(t);
  if (const TLogParameter* p = LogParameters().FindByMnemonic(name))
    if (const TLogTrack* t = sheet.FindTrack(p->Name, n)) return sheet.IndexOf(t);
  return -1;
}

int AddCurve(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  ExpectPositional(args, 4);
  LogFileOptions options = env.FileOptions();
  WriterFor(args[3], options);
  LogDocument document;
  document.Open(args[0], options);
  CurveAdder adder(document.Sheet(), LogParameters());
  adder.Open(args[1], options);
  if (!adder.Compatible()) {
    throw ECurveAddError(std::string(kCurveAddFailed) + "\n" +
                         (adder.File().Argument() == laTime
                              ? "файл записан по времени, а лист - по глубине"
                              : "файл записан по глубине, а лист - по времени"));
  }
  int index = FindCurve(adder.File(), args[2]);
  if (index < 0) throw ECurveAddError(std::string(kCurveAddFailed) + "\nнет кривой " + args[2]);
  std::string message = adder.Add(index);
  adder.LastAdded()->SetForeign(false);
  document.SaveAs(args[3], options);
  std::printf("%s\n", message.c_str());
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("add-curve", "SHEET OTHER CURVE OUT [--root DIR]",
                  "add CURVE of OTHER to SHEET as \"NAME(FILE)\" on SHEET's step, write OUT",
                  AddCurve);

}  // namespace kest::tool

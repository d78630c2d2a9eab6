// LAS import through a small parameter dictionary (the argument curves and a few
// curves with units, so that both the table's entries and new ones are made).
// A failed import leaves the sheet empty; a file that imports and exports imports
// again with the same tracks, and exported at its own step with the same samples
// (to the three decimals LAS keeps; gaps stay gaps).
#include <cmath>
#include <memory>

#include "fuzz_common.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "support/stream.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWLisp* lisp = new TWLisp();
  (void)lisp;
  // Fresh tables per input, so a run does not depend on the inputs before it.
  TLogParameterTables tables;
  TLogParameters& p = tables.Parameters();
  p.Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "м", "Глуб.");
  p.Add("TIME", "Время", 0, "0.000", "TIME", "с", "Время");
  p.Add("GK", "Гамма-каротаж", 0, "0.00", "GR", "мкР/ч", "ГК");
  p.Add("RHOB", "Объемная плотность", 0, "0.000", "RHOB", "г/см3", "Плотн.");
  p.Add("ILD", "Индукционный каротаж", 0, "0.00", "ILD", "Ом·м", "ИК");
  p.Add("NOMNEM", "Без мнемоники", 0, "0", "", "0,1 м", "");
  TLasOptions options;
  options.Dictionary = &p;
  const TLogSheetFilerClass format{"LAS", [&] { return std::make_unique<TLasFiler>(options); }};

  TLogSheet sheet;
  MemoryStream in(fuzz::Bytes(data, size));
  if (!fuzz::Guarded([&] { LoadSheet(format, in, sheet, nullptr); })) {
    fuzz::Require(sheet.Count() == 0, "a failed import leaves no tracks");
    return 0;
  }
  // Export resamples to 10 mm: a range of kilometres on a coarse step is millions of
  // rows, right but slow; such sheets are read only.
  sheet.UpdateRange();
  if (sheet.HasRange() && (int64_t{sheet.End()} - sheet.Start()) / 10 * sheet.Count() > 100000)
    return 0;
  // At the sheet's own step every row is one sample.
  const int32_t step = sheet.Count() > 0 && sheet.IsStepUniform() ? sheet.SheetStep() : 0;
  const bool own_step = step >= 10 && step <= 200 && step % 10 == 0;
  if (own_step) options.StepCm = step / 10;
  MemoryStream out;
  if (!fuzz::Guarded([&] { SaveSheet(format, out, sheet, nullptr); })) return 0;
  TLogSheet again;
  out.Seek(0);
  fuzz::Require(fuzz::Guarded([&] { LoadSheet(format, out, again, nullptr); }),
                "an exported sheet imports again");
  fuzz::Require(again.Count() == sheet.Count(), "an exported sheet keeps its tracks");
  if (!own_step) return 0;
  // The depth curve is written as the rows' index: the other tracks are compared.
  for (int k = sheet.Argument() == laDepth ? 1 : 0; k < sheet.Count(); ++k) {
    const TLogTrack& a = *sheet.Tracks(k);
    const TLogTrack& b = *again.Tracks(k);
    for (int32_t i = 0; i < a.Count(); ++i) {
      const float v = a.Sample(i);
      if (std::isinf(v)) continue;  // not a number LAS text can carry
      const int64_t at = (int64_t{a.ArgumentOf(i)} - b.Origin()) / b.Step();
      fuzz::Require(at >= 0 && at < b.Count(), "an exported sample keeps its row");
      const float w = b.Sample(static_cast<int32_t>(at));
      if (IsNullSample(v, options.NullValue)) {
        fuzz::Require(IsNullSample(w, options.NullValue), "a gap stays a gap");
      } else {
        fuzz::Require(!IsNullSample(w, options.NullValue) &&
                          std::fabs(double{w} - v) <= 0.0005 + 1e-6 * std::fabs(double{v}),
                      "an exported sample keeps its value");
      }
    }
  }
  return 0;
}

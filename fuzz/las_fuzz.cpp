// LAS import through a small parameter dictionary (the argument curves and a few
// curves with units, so that both the table's entries and new ones are made).
// A failed import leaves the sheet empty; a file that imports and exports imports
// again with the same tracks.
#include <memory>

#include "fuzz_common.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
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
  MemoryStream out;
  if (!fuzz::Guarded([&] { SaveSheet(format, out, sheet, nullptr); })) return 0;
  TLogSheet again;
  out.Seek(0);
  fuzz::Require(fuzz::Guarded([&] { LoadSheet(format, out, again, nullptr); }),
                "an exported sheet imports again");
  fuzz::Require(again.Count() == sheet.Count(), "an exported sheet keeps its tracks");
  return 0;
}

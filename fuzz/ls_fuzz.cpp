// LS files of both versions (so the LZHUF decoder too), through the format registry
// as the program loads them. A file that loads must save and load again.
#include "fuzz_common.h"
#include "log/log_sheet.h"
#include "support/stream.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TLogSheet sheet;
  MemoryStream in(fuzz::Bytes(data, size));
  bool loaded = fuzz::Guarded([&] { sheet.LoadFromStream(in, "LS"); });
  if (!loaded) {
    fuzz::Require(sheet.Count() == 0, "a failed load leaves no tracks");
    fuzz::Require(sheet.Params().Count() == 0, "a failed load leaves no params");
    return 0;
  }
  MemoryStream out;
  if (!fuzz::Guarded([&] { sheet.SaveToStream(out, "LS"); })) return 0;
  TLogSheet again;
  out.Seek(0);
  fuzz::Require(fuzz::Guarded([&] { again.LoadFromStream(out, "LS"); }),
                "a saved sheet loads again");
  fuzz::Require(again.Count() == sheet.Count(), "a saved sheet keeps its tracks");
  return 0;
}

// Crash files: tolerant of truncation, never more than a failed load.
#include "fuzz_common.h"
#include "log/log_sheet.h"
#include "support/stream.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TLogSheet sheet;
  MemoryStream in(fuzz::Bytes(data, size));
  if (!fuzz::Guarded([&] { sheet.LoadFromStream(in, "TMP"); }))
    fuzz::Require(sheet.Count() == 0, "a failed load leaves no tracks");
  return 0;
}

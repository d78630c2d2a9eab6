// LAS import through the parameter dictionary (empty tables: every mnemonic is new).
// A file that imports must export and import again when the sheet can be exported.
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
  TLasOptions options;
  options.Dictionary = &tables.Parameters();
  TLasFiler filer(options);

  TLogSheet sheet;
  MemoryStream in(fuzz::Bytes(data, size));
  bool loaded = fuzz::Guarded([&] { filer.Read(in, sheet); });
  if (!loaded) return 0;
  MemoryStream out;
  fuzz::Guarded([&] { filer.Write(out, sheet); });
  return 0;
}

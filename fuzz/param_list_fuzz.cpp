// The binary "Data" of typed parameter lists (research parameters in LS files).
#include "fuzz_common.h"
#include "log/param_list.h"
#include "support/stream.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryStream in(fuzz::Bytes(data, size));
  TParamList list;
  if (!fuzz::Guarded([&] { list.ReadData(in); })) return 0;
  MemoryStream out;
  list.WriteData(out);
  out.Seek(0);
  TParamList again;
  fuzz::Require(fuzz::Guarded([&] { again.ReadData(out); }), "written data reads back");
  fuzz::Require(again.Count() == list.Count(), "same number of items");
  return 0;
}

// The LZHUF decoder alone, without the component stream around it.
#include "fuzz_common.h"
#include "log/lzhuf.h"
#include "support/stream.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryStream in(fuzz::Bytes(data, size));
  fuzz::Guarded([&] {
    std::vector<uint8_t> out = LzhufDecode(in);
    // The declared length is bounded by what the input could produce.
    fuzz::Require(
        static_cast<int64_t>(out.size()) <= kLzhufMaxRatio * static_cast<int64_t>(size) + 64,
        "output bounded by the input");
  });
  return 0;
}

// What a surface recorder sends back: its zero page, its status word and the
// six-byte record stream. Every decoder takes any bytes: the stream never reads past
// its input, never gives more records than whole six-byte groups before the end
// marker, and every record encodes back to the same record.
#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "fuzz_common.h"
#include "memtool/surface_records.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  if (auto z = DecodeSurfaceZeroPage(bytes)) {
    (void)SurfaceStartText(*z);
    for (int page_size : {264, 528}) {
      int64_t n = SurfaceRecordCount(z->LastPage, z->LastOffset, page_size);
      (void)SurfaceCountText(n);
      if (SurfaceRecordBytes(z->LastPage, z->LastOffset, page_size) < 0) std::abort();
    }
  }
  if (size >= 4) {
    uint32_t v;
    std::memcpy(&v, data, 4);
    SurfaceStatusRows rows;
    rows.Apply(DecodeSurfaceStatus(v));
    // The page count, the page size bit and the five flags survive; nothing else.
    if (EncodeSurfaceStatus(DecodeSurfaceStatus(v)) !=
        ((v & 0xFF3E'00FFu) | ((v >> 8 & 0xFF) != 0 ? 0x100u : 0u)))
      std::abort();
  }
  SurfaceRecordStream s = DecodeSurfaceRecords(bytes);
  if (s.Records.size() * 6 > size) std::abort();
  if (!s.EndMarker && s.Records.size() * 6 + s.LeftoverBytes != size) std::abort();
  for (const SurfaceRecord& r : s.Records) {
    auto b = EncodeSurfaceRecord(r);
    SurfaceRecordStream back = DecodeSurfaceRecords(b);
    if (back.Records.size() != 1 || back.Records[0].DepthTenths != r.DepthTenths ||
        back.Records[0].Mark != r.Mark || back.Records[0].Tension != r.Tension)
      std::abort();
  }
  std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
  DepthDigits d = EncodeDepthText(text);
  if (d.Error.empty() && DecodeDepthDigits(d.Bytes) > 99999) std::abort();
  return 0;
}

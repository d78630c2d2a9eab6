// The packet parser: any byte stream, with the first byte choosing which IDs are
// attached, fed in chunks whose sizes come from the input too.
#include <algorithm>

#include "fuzz_common.h"
#include "link/logger_packet_driver.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TLoggerPacketDriver driver;
  const uint8_t mask = data[0];
  for (int id = 0; id < 256; ++id)
    if ((id & mask) == 0 || id == 0x92 || id == 0x93) driver.AttachID(static_cast<uint8_t>(id));
  const size_t chunk = 1 + data[1] % 16;
  size_t pos = 2;
  while (pos < size) {
    size_t n = std::min(chunk, size - pos);
    driver.Feed(data + pos, n);
    pos += n;
    TPacket packet;
    while (driver.GetPacket(packet)) {
    }
  }
  fuzz::Require(driver.GoodCount() >= 0 && driver.BadCount() >= 0, "counts never wrap");
  return 0;
}

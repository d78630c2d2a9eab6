#include "link/reply_sensor.h"

namespace kest {

void TLoggerReplySensor::Decode(const TPacket& p) {
  Data = uint32_t{p[3]} << 24 | uint32_t{p[4]} << 16 | uint32_t{p[1]} << 8 | p[2];
  Value = static_cast<int32_t>(static_cast<uint32_t>(Value) + 1);
}

}  // namespace kest

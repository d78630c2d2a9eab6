#pragma once

#include <cstdint>

#include "link/logger_sensor.h"

namespace kest {

// A sensor that carries a stream of 32-bit reply values (the memory tool's answers),
// handler "LongIntegerReply". Data is the last value, built as a "LongInteger" sensor
// builds it (data bytes D0 D1 D2 D3 as D2 D3 D0 D1, high first); Value counts the
// packets, so that every packet is a change and two equal values in a row both reach
// the observers.
class TLoggerReplySensor : public TLoggerDriverSensor {
 public:
  uint32_t Data = 0;
  void Decode(const TPacket& packet) override;
};

}  // namespace kest

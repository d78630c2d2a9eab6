#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "link/packet_buffer.h"

namespace kest {

class Clock;
class TLoggerPacketDriver;
class TLoggerSensor;
class TLoggerDriverSensor;

// Maps packet IDs to the sensors listening to them and dispatches buffered packets
// on the main thread. A sensor with k IDs takes k of the 64 entries; entries of one
// ID are contiguous, groups keep the order of their first entry and entries within
// a group the order of addition.
class TLoggerSensorDriver {
 public:
  static constexpr int kMaxEntries = 64;
  static constexpr uint8_t kFreeID = 255;

  TLoggerSensorDriver(TLoggerPacketDriver& packets, Clock& clock);
  ~TLoggerSensorDriver();
  TLoggerSensorDriver(const TLoggerSensorDriver&) = delete;
  TLoggerSensorDriver& operator=(const TLoggerSensorDriver&) = delete;

  // Attaches each ID at the packet driver and enters it ("Out of entries" beyond 64).
  void AddSensor(TLoggerDriverSensor* sensor);
  void RemoveSensor(TLoggerDriverSensor* sensor);
  // Drains the packet buffer into the sensors; false once the buffer is empty.
  bool Dispatch();

  std::function<void(TLoggerSensor& sensor)> OnSensorChange;

  int EntryCount() const { return entry_count_; }
  uint8_t EntryID(int i) const { return entry_ids_[static_cast<size_t>(i)]; }
  TLoggerDriverSensor* EntrySensor(int i) const { return entry_sensors_[static_cast<size_t>(i)]; }
  int FirstEntry(uint8_t id) const { return first_entry_[id]; }

 private:
  void Insert(TLoggerDriverSensor* sensor, uint8_t id);
  void RebuildFirstEntry();
  void DispatchPacket(const TPacket& packet);

  TLoggerPacketDriver& packets_;
  Clock& clock_;
  std::array<uint8_t, kMaxEntries> entry_ids_;
  std::array<TLoggerDriverSensor*, kMaxEntries> entry_sensors_{};
  int entry_count_ = 0;
  std::array<int, 256> first_entry_;
};

}  // namespace kest

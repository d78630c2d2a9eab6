#include "link/logger_sensor_driver.h"

#include "link/logger_module.h"
#include "link/logger_packet_driver.h"
#include "link/logger_sensor.h"
#include "support/clock.h"
#include "support/errors.h"

namespace kest {

TLoggerSensorDriver::TLoggerSensorDriver(TLoggerPacketDriver& packets, Clock& clock)
    : packets_(packets), clock_(clock) {
  entry_ids_.fill(kFreeID);
  RebuildFirstEntry();
}

TLoggerSensorDriver::~TLoggerSensorDriver() {
  while (entry_count_ > 0) RemoveSensor(entry_sensors_[0]);
}

void TLoggerSensorDriver::Insert(TLoggerDriverSensor* sensor, uint8_t id) {
  if (entry_count_ >= kMaxEntries) throw EAssertionFailed("Out of entries");
  int at = entry_count_;
  if (first_entry_[id] >= 0) {
    at = first_entry_[id];
    while (at < entry_count_ && entry_ids_[static_cast<size_t>(at)] == id) ++at;
    for (int i = entry_count_; i > at; --i) {
      entry_ids_[static_cast<size_t>(i)] = entry_ids_[static_cast<size_t>(i - 1)];
      entry_sensors_[static_cast<size_t>(i)] = entry_sensors_[static_cast<size_t>(i - 1)];
    }
  }
  entry_ids_[static_cast<size_t>(at)] = id;
  entry_sensors_[static_cast<size_t>(at)] = sensor;
  ++entry_count_;
  // Keep the index current while a sensor with several IDs is being entered.
  RebuildFirstEntry();
}

void TLoggerSensorDriver::RebuildFirstEntry() {
  first_entry_.fill(-1);
  for (int i = 0; i < kMaxEntries; ++i) {
    uint8_t id = entry_ids_[static_cast<size_t>(i)];
    if (i == 0 || id != entry_ids_[static_cast<size_t>(i - 1)]) {
      if (first_entry_[id] < 0) first_entry_[id] = i;
    }
  }
  first_entry_[kFreeID] = -1;  // the free tail is never dispatched
}

void TLoggerSensorDriver::AddSensor(TLoggerDriverSensor* sensor) {
  // Check room first so that a failure leaves neither attachments nor entries behind.
  if (entry_count_ + sensor->IDCount() > kMaxEntries) throw EAssertionFailed("Out of entries");
  try {
    for (int i = 0; i < sensor->IDCount(); ++i) {
      packets_.AttachID(sensor->IDs(i));
      Insert(sensor, sensor->IDs(i));
    }
  } catch (...) {
    RemoveSensor(sensor);  // undo the IDs entered so far
    throw;
  }
}

void TLoggerSensorDriver::RemoveSensor(TLoggerDriverSensor* sensor) {
  int kept = 0;
  for (int i = 0; i < entry_count_; ++i) {
    if (entry_sensors_[static_cast<size_t>(i)] == sensor) {
      packets_.DetachID(entry_ids_[static_cast<size_t>(i)]);
      continue;
    }
    entry_ids_[static_cast<size_t>(kept)] = entry_ids_[static_cast<size_t>(i)];
    entry_sensors_[static_cast<size_t>(kept)] = entry_sensors_[static_cast<size_t>(i)];
    ++kept;
  }
  for (int i = kept; i < entry_count_; ++i) {
    entry_ids_[static_cast<size_t>(i)] = kFreeID;
    entry_sensors_[static_cast<size_t>(i)] = nullptr;
  }
  entry_count_ = kept;
  RebuildFirstEntry();
}

void TLoggerSensorDriver::DispatchPacket(const TPacket& packet) {
  int first = first_entry_[packet[0]];
  if (first < 0) return;
  TLoggerDriverSensor* last = nullptr;
  for (int i = first; i < entry_count_ && entry_ids_[static_cast<size_t>(i)] == packet[0]; ++i) {
    last = entry_sensors_[static_cast<size_t>(i)];
    int32_t before = last->Value;
    last->Decode(packet);
    if (last->Value != before && OnSensorChange) {
      OnSensorChange(*last);
      // The handler may let the host's events run, and what runs there may remove
      // sensors (another tool string): the rest of this packet is then dropped.
      if (i >= entry_count_ || entry_sensors_[static_cast<size_t>(i)] != last) return;
    }
  }
  if (last && last->Module() &&
      (last->Name() == "COMMANDACK" || last->Location != TSensorLocation::Service))
    last->Module()->Heard(clock_.NowMs());
}

bool TLoggerSensorDriver::Dispatch() {
  TPacket packet;
  while (packets_.GetPacket(packet)) DispatchPacket(packet);
  return false;
}

}  // namespace kest

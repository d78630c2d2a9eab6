#include "memtool/calibration_record.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "support/assert.h"

namespace kest {

namespace {

constexpr size_t kFull = 0, kReference = 49, kReduced = 56, kTemperature = 70, kThermal = 77,
                 kMeasurement = 134, kCompensation = 190, kDivider = 246;

constexpr uint8_t kDefaultGains[TCoefRecord::kGains] = {0x90, 0xB0, 0x90, 0x30, 0x10};
constexpr double kDefaultDividers[TCoefRecord::kDividers] = {1000, 500, 500, 1, 1};

}  // namespace

int TCoefRecord::Columns(TCoefTable table) {
  switch (table) {
    case TCoefTable::Full:
    case TCoefTable::Reference:
    case TCoefTable::Reduced:
      return 7;
    case TCoefTable::Temperature:
      return 1;
    case TCoefTable::Thermal:
      return 4;
    case TCoefTable::Measurement:
    case TCoefTable::Compensation:
      return 8;
    case TCoefTable::Divider:
      return kDividers;
  }
  return 0;
}

int TCoefRecord::Rows(TCoefTable table) {
  switch (table) {
    case TCoefTable::Reduced:
    case TCoefTable::Thermal:
      return 2;
    case TCoefTable::Reference:
    case TCoefTable::Divider:
      return 1;
    default:
      return kRows;
  }
}

size_t TCoefRecord::Place(TCoefTable table, int column, int row) {
  KEST_ASSERT(column >= 0 && column < Columns(table) && row >= 0 && row < Rows(table));
  const auto c = static_cast<size_t>(column), r = static_cast<size_t>(row);
  switch (table) {
    case TCoefTable::Full:
      return kFull + 7 * c + r;
    case TCoefTable::Reference:
      return kReference + c;
    case TCoefTable::Reduced:
      return kReduced + 7 * r + c;
    case TCoefTable::Temperature:
      return kTemperature + r;
    case TCoefTable::Thermal:
      return kThermal + 7 * r + c;
    case TCoefTable::Measurement:
      return kMeasurement + 7 * c + r;
    case TCoefTable::Compensation:
      return kCompensation + 7 * c + r;
    case TCoefTable::Divider:
      return kDivider + c;
  }
  return 0;
}

double TCoefRecord::At(size_t index) const {
  KEST_ASSERT(index < kDoubles);
  uint64_t bits = 0;
  for (size_t i = 0; i < 8; ++i) bits |= uint64_t{bytes_[8 * index + i]} << (8 * i);
  return std::bit_cast<double>(bits);
}

void TCoefRecord::Set(size_t index, double value) {
  KEST_ASSERT(index < kDoubles);
  const auto bits = std::bit_cast<uint64_t>(value);
  for (size_t i = 0; i < 8; ++i) bytes_[8 * index + i] = static_cast<uint8_t>(bits >> (8 * i));
}

uint8_t TCoefRecord::Gain(int channel) const {
  KEST_ASSERT(channel >= 0 && channel < kGains);
  return bytes_[kGainOffset + static_cast<size_t>(channel)];
}

void TCoefRecord::SetGain(int channel, uint8_t value) {
  KEST_ASSERT(channel >= 0 && channel < kGains);
  bytes_[kGainOffset + static_cast<size_t>(channel)] = value;
}

TCoefRecord TCoefRecord::FromBytes(std::span<const uint8_t, kBytes> bytes) {
  TCoefRecord r;
  std::memcpy(r.bytes_.data(), bytes.data(), kBytes);
  return r;
}

void SetDefaultGains(TCoefRecord& record) {
  for (int i = 0; i < TCoefRecord::kGains; ++i) record.SetGain(i, kDefaultGains[i]);
}

void SetDefaultDividers(TCoefRecord& record) {
  for (int i = 0; i < TCoefRecord::kDividers; ++i)
    record.Put(TCoefTable::Divider, i, 0, kDefaultDividers[i]);
}

TCoefRecord NewCoefRecord() {
  TCoefRecord r;
  SetDefaultGains(r);
  SetDefaultDividers(r);
  SetReferencePressures(r, TPressureUnits::MPa);
  return r;
}

void SetUnitTable(TCoefRecord& r) {
  for (int c = 0; c < 7; ++c) {
    for (int row = 0; row < 7; ++row) r.Put(TCoefTable::Full, c, row, 0);
    for (int row = 0; row < 2; ++row) r.Put(TCoefTable::Reduced, c, row, 0);
    r.Put(TCoefTable::Temperature, 0, c, 0);
  }
  r.Put(TCoefTable::Full, 0, 1, 0.001);
  r.Put(TCoefTable::Reduced, 0, 1, 0.001);
  r.Put(TCoefTable::Temperature, 0, 1, 0.002);
  r.Put(TCoefTable::Thermal, 0, 0, 1.0);
  r.Put(TCoefTable::Thermal, 0, 1, 0.0);
  SetDefaultGains(r);
}

std::array<double, 7> ReferencePressures(TPressureUnits units) {
  if (units == TPressureUnits::Kgf)
    return {0, 9.80665, 19.6133, 29.4195, 39.2266, 49.03325, 58.8399};
  return {0, 10, 20, 30, 40, 50, 60};
}

void SetReferencePressures(TCoefRecord& record, TPressureUnits units) {
  auto p = ReferencePressures(units);
  for (int j = 0; j < 7; ++j) record.Put(TCoefTable::Reference, j, 0, p[static_cast<size_t>(j)]);
}

TPressureUnits ReferenceUnits(const TCoefRecord& record) {
  auto kgf = ReferencePressures(TPressureUnits::Kgf);
  for (int j = 1; j < 7; ++j)
    if (std::fabs(record.Get(TCoefTable::Reference, j, 0) - kgf[static_cast<size_t>(j)]) > 1e-9)
      return TPressureUnits::MPa;
  return TPressureUnits::Kgf;
}

}  // namespace kest

#include "link/logger_sensor.h"

#include <map>

#include "link/link_errors.h"
#include "link/reply_sensor.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "support/assert.h"
#include "support/code_page.h"

namespace kest {

namespace {

// BE16(a): Pa high byte, Pa+1 low byte.
uint32_t BE16(const TPacket& p, int a) { return uint32_t{p[a]} << 8 | p[a + 1]; }

class TLS_Counter : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override { Value += p[0] == IDs(0) ? -1 : 1; }
};

class TLS_Detector : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket&) override { ++Value; }
};

class TLS_Word0 : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override { Value = static_cast<int32_t>(BE16(p, 1)); }
};

class TLS_Word1 : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override { Value = static_cast<int32_t>(BE16(p, 3)); }
};

class TLS_Delta0 : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override {
    Value = static_cast<int32_t>(static_cast<uint32_t>(Value) + BE16(p, 1));  // wraps at 32 bits
  }
};

class TLS_Byte2 : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override { Value = p[3]; }
};

class TLS_Multiband : public TLoggerDriverSensor {
 public:
  void Configure(TNode* args) override {
    auto values = Integers(args);
    if (values.empty()) throw ELispEvalError("Многодиапазонному датчику нужен номер диапазона");
    band_ = static_cast<uint8_t>(values[0] & 0xFF);
    for (size_t i = 1; i < values.size(); ++i) AddID(static_cast<uint8_t>(values[i] & 0xFF));
  }
  void Decode(const TPacket& p) override {
    if (p[3] == band_) Value = static_cast<int32_t>(BE16(p, 1));
  }

 private:
  uint8_t band_ = 0;
};

class TLS_LongInt : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override {
    Value = static_cast<int32_t>(BE16(p, 3) << 16 | BE16(p, 1));
  }
};

class TLS_SwapLongInt : public TLoggerDriverSensor {
 public:
  void Decode(const TPacket& p) override {
    Value = static_cast<int32_t>(BE16(p, 1) << 16 | BE16(p, 3));
  }
};

using KindMap = std::map<std::string, SensorFactory>;

template <typename T>
SensorFactory Factory() {
  return [] { return std::make_unique<T>(); };
}

KindMap& Kinds() {
  static KindMap kinds = {
      {"COUNTER", Factory<TLS_Counter>()},
      {"DETECTOR", Factory<TLS_Detector>()},
      {"WORD0", Factory<TLS_Word0>()},
      {"WORD1", Factory<TLS_Word1>()},
      {"DELTA0", Factory<TLS_Delta0>()},
      {"BYTE2", Factory<TLS_Byte2>()},
      {"MULTIBAND", Factory<TLS_Multiband>()},
      {"LONGINTEGER", Factory<TLS_LongInt>()},
      {"SWAPINTEGER", Factory<TLS_SwapLongInt>()},
      {"LONGINTEGERREPLY", Factory<TLoggerReplySensor>()},
  };
  return kinds;
}

}  // namespace

TSensorLocation StrToSensorLocation(std::string_view text) {
  std::string upper = UpperCase(text);
  if (upper == "SERVICE") return TSensorLocation::Service;
  if (upper == "GROUND") return TSensorLocation::Ground;
  if (upper == "LOGGER") return TSensorLocation::Logger;
  throw ELoggerError(std::string(text) + " is not a valid sensor location");
}

const char* SensorLocationName(TSensorLocation location) {
  switch (location) {
    case TSensorLocation::Ground:
      return "GROUND";
    case TSensorLocation::Logger:
      return "LOGGER";
    default:
      return "SERVICE";
  }
}

void TLoggerSensor::SetName(std::string_view name) { name_ = UpperCase(name); }

void TLoggerSensor::SetModule(TLoggerModule* module) {
  KEST_ASSERT(module_ == nullptr);
  module_ = module;
}

uint8_t TLoggerDriverSensor::IDs(int i) const {
  Require(i >= 0 && i < id_count_, "Index out of bounds");
  return ids_[static_cast<size_t>(i)];
}

void TLoggerDriverSensor::AddID(uint8_t id) {
  Require(id_count_ < kMaxIDs, "TLoggerDriverSensor: Out of IDs");
  ids_[static_cast<size_t>(id_count_++)] = id;
}

std::vector<int32_t> TLoggerDriverSensor::Integers(TNode* args) {
  std::vector<int32_t> values;
  for (auto* cell = NodeCast<TConsNode>(args); cell; cell = cell->Next()) {
    auto* number = NodeCast<TIntNode>(cell->Car());
    if (!number) throw ELispEvalError("Аргументы обработчика датчика должны быть целыми");
    values.push_back(number->Value());
  }
  return values;
}

void TLoggerDriverSensor::Configure(TNode* args) {
  for (int32_t v : Integers(args)) AddID(static_cast<uint8_t>(v & 0xFF));
}

void RegisterSensorKind(std::string_view handler, SensorFactory factory) {
  if (!Kinds().emplace(UpperCase(handler), std::move(factory)).second)
    throw ELoggerError("Повторный вид датчика \"" + std::string(handler) + "\"");
}

std::vector<std::string> SensorKindNames() {
  std::vector<std::string> names;
  for (const auto& [name, factory] : Kinds()) names.push_back(name);
  return names;
}

std::unique_ptr<TLoggerDriverSensor> CreateSensor(std::string_view handler) {
  auto it = Kinds().find(UpperCase(handler));
  if (it == Kinds().end())
    throw EAssertionFailed("Нет датчика с обработчиком \"" + std::string(handler) + "\"");
  return it->second();
}

void TSensorNode::Print(std::string& out, int) const { out += "[SENSOR]"; }

}  // namespace kest

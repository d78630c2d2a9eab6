#include "sim/tool_simulator.h"

#include <algorithm>
#include <cmath>

#include "link/link_errors.h"
#include "link/module_classes.h"
#include "lisp/cons_node.h"
#include "lisp/keyword_list.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"
#include "support/clock.h"
#include "support/code_page.h"

namespace kest::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Catching up after a long pause simulates at most this much time at once.
constexpr int64_t kMaxCatchUpMs = 60'000;
constexpr int64_t kSliceMs = 5;
constexpr double kMaxBurstMs = 100;
// Output of the memory tool waiting on the line, at most (unpaced: a read buffer).
constexpr size_t kMemoryBacklogBytes = 1200;
constexpr size_t kReadBufferBytes = 6000;

int32_t FromBCD(const uint8_t* bytes, size_t count) {
  int32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 100 + (bytes[i] >> 4) * 10 + (bytes[i] & 0x0F);
  return value;
}

int32_t Clamp16(double v) { return static_cast<int32_t>(std::clamp(std::lround(v), 0L, 65535L)); }

}  // namespace

ToolSimulator::ToolSimulator(const TModuleClasses& classes, SimSettings settings, Clock& clock)
    : settings_(std::move(settings)),
      clock_(clock),
      formation_(settings_.seed),
      winch_(settings_.winch),
      rng_(settings_.seed),
      noise_rng_(settings_.seed ^ 0x9E3779B9u),
      memory_(std::make_unique<MemoryToolSimulator>(settings_.memory_tool, clock)),
      line_(settings_.line),
      start_ms_(clock.NowMs()) {
  // Called with mutex_ held (from Available and Receive) or before any thread runs.
  surface_ = std::make_unique<SurfaceRecorderSimulator>(settings_.surface_recorder, clock,
                                                        [this](int64_t ms) { return DepthAt(ms); });
  LoadString(classes);
  last_ms_ = clock_.NowMs();
  next_data_ms_ = next_tension_ms_ = last_ms_;
  counted_reference_m_ = winch_.CountedDepth();
}

void ToolSimulator::LoadString(const TModuleClasses& classes) {
  int32_t base_offset = 0;
  auto add_class = [&](const TModuleClass& top, size_t module, bool system) {
    std::vector<const TModuleClass*> chain;
    for (const TModuleClass* c = &top; c;
         c = c->Extends.empty() ? nullptr : classes.Find(c->Extends)) {
      chain.insert(chain.begin(), c);
      if (chain.size() > 16) break;
    }
    for (const TModuleClass* c : chain) {
      TConsNode* list = GetList("sensors", c->Form.Get());
      for (auto* cell = list; cell; cell = cell->Next()) {
        TNode* entry = cell->Car();
        Sensor s;
        s.name = UpperCase(GetStr("name", entry));
        s.module = module;
        s.offset_mm = base_offset + GetIntDef("offset", entry, 0);
        s.surface = UpperCase(GetStrDef("location", entry, "LOGGER")) == "GROUND";
        auto* handler = NodeCast<TConsNode>(FindEntry("handler", entry));
        if (!handler) continue;
        if (auto* kind = NodeCast<TSymbolNode>(handler->Car())) s.kind = kind->Name();
        bool first = true;
        for (auto* arg = handler->Next(); arg; arg = arg->Next()) {
          auto* n = NodeCast<TIntNode>(arg->Car());
          if (!n) continue;
          if (s.kind == "MULTIBAND" && first)
            s.band = n->Value();
          else
            s.ids.push_back(static_cast<uint8_t>(n->Value() & 0xFF));
          first = false;
        }
        if (system && s.name != "DEPTH-SENSOR" && s.name != "MAG-LABEL-SENSOR") continue;
        sensors_.push_back(std::move(s));
      }
      if (!system) base_offset += c->Length;
    }
  };
  if (const TModuleClass* system = classes.Find("System")) add_class(*system, SIZE_MAX, true);
  for (const SimModule& m : settings_.string) {
    modules_.push_back({UpperCase(m.class_name), m.number, false});
    add_class(classes.Get(m.class_name), modules_.size() - 1, false);
  }
}

// ---------------------------------------------------------------------------
// Commands

void ToolSimulator::Receive(const uint8_t* bytes, size_t count) {
  std::lock_guard lock(mutex_);
  AdvanceTo(clock_.NowMs());
  for (size_t i = 0; i < count; ++i) {
    if (!never_ack_ && !settings_.never_acknowledge) out_.push_back(kAcknowledge);
    if (expect_left_ == 0 && line_ == MemoryLine::SurfaceRecorder && surface_->Takes(bytes[i]))
      surface_->Receive(bytes[i]);
    else if (expect_left_ == 0 && line_ == MemoryLine::MemoryTool && memory_->Takes(bytes[i]))
      memory_->Receive(bytes[i]);
    else
      Command(bytes[i]);
  }
}

void ToolSimulator::Command(uint8_t byte) {
  if (expect_left_ > 0) {
    expect_.push_back(byte);
    if (--expect_left_ > 0) return;
    const uint8_t* arg = expect_.data() + 1;
    switch (expect_[0]) {
      case 0xFB:
        power_value_ = arg[0] << 8 | arg[1];
        break;
      case 0xA2:
        depth_step_ = std::copysign(FromBCD(arg, 2) / 100000.0, depth_step_);
        break;
      case 0xA3:
        depth_set_ = FromBCD(arg, 3) / 10.0;
        // The logger cleared its counter: count from here.
        counted_reference_m_ = winch_.CountedDepth();
        counts_sent_ = 0;
        break;
      default:
        break;  // 0xA4 / 0xA5 parameters are taken and not used
    }
    expect_.clear();
    return;
  }
  auto expect = [&](size_t arguments) {
    expect_ = {byte};
    expect_left_ = arguments;
  };
  switch (byte) {
    case 0xF2:
      powered_ = true;
      break;
    case 0xF3:
      powered_ = false;
      break;
    case 0xFA:
      break;  // keep-alive
    case 0xFB:
      expect(2);
      break;
    case 0xA0:
      depth_step_ = -std::fabs(depth_step_);
      break;
    case 0xA1:
      depth_step_ = std::fabs(depth_step_);
      break;
    case 0xA2:
      expect(2);
      break;
    case 0xA3:
      expect(3);
      break;
    case 0xA4:
    case 0xA5:
      expect(4);
      break;
    default:
      break;  // an init command: nothing to do until power on
  }
}

// ---------------------------------------------------------------------------
// Output

void ToolSimulator::EmitByte(uint8_t byte) {
  if (settings_.drop_rate > 0 && std::uniform_real_distribution<>(0, 1)(rng_) < settings_.drop_rate)
    return;
  if (settings_.corrupt_rate > 0 &&
      std::uniform_real_distribution<>(0, 1)(rng_) < settings_.corrupt_rate)
    byte ^= static_cast<uint8_t>(1 + rng_() % 255);
  out_.push_back(byte);
}

void ToolSimulator::Emit(const uint8_t (&packet)[6]) {
  for (uint8_t b : packet) EmitByte(b);
}

int32_t ToolSimulator::RawValue(const Sensor& s, int64_t now_ms) const {
  double depth = FormationDepth(winch_.TrueDepth() + s.offset_mm / 1000.0);
  FormationReading f = formation_.At(depth);
  const std::string& n = s.name;
  if (n == "GK-COUNTER") return Clamp16(f.gamma * 10);
  if (n == "NK-NEAR-COUNTER") return Clamp16(f.neutron_near);
  if (n == "NK-FAR-COUNTER") return Clamp16(f.neutron_far);
  if (n == "ILD-SIGNAL") return Clamp16(f.resistivity_deep * 100);
  if (n == "ILM-SIGNAL") return Clamp16(f.resistivity_medium * 100);
  if (n == "SP-SIGNAL") return Clamp16((f.sp + 500) * 10);
  if (n == "CALI-SENSOR") return Clamp16((f.caliper - 50) * 10);
  if (n == "TEMP-SENSOR" || n == "TEMPERATURE-SENSOR") return Clamp16(f.temperature * 100);
  if (n == "PRES-SENSOR" || n == "PRESSURE-SENSOR") return Clamp16(0.0098 * depth * 1000);
  if (n == "TENSION-SENSOR" || n == "SR-TENSION-SENSOR") return Clamp16(winch_.Tension());
  if (n == "CABLE-VOLTAGE") return 2200;
  if (n == "MODULENUMBER") return s.module < modules_.size() ? modules_[s.module].number : 0;
  if (n == "ANALOG-SIGNAL") return Clamp16(2048 + 1000 * std::sin(2 * kPi * now_ms / 5000.0));
  if (n == "PULSE-SIGNAL") return (now_ms / 1000) % 2 ? 4000 : 0;
  return 0;
}

// A counting channel's sample: a Poisson count around the rate (the count of one
// sampling window), so that a tool standing still reads what a real one does.
int32_t ToolSimulator::Counted(const Sensor& s, int32_t rate) {
  if (!settings_.count_noise || rate <= 0) return rate;
  if (s.name != "GK-COUNTER" && s.name != "NK-NEAR-COUNTER" && s.name != "NK-FAR-COUNTER")
    return rate;
  return Clamp16(std::poisson_distribution<int32_t>(rate)(noise_rng_));
}

void ToolSimulator::SendDataPackets(bool surface_only, int64_t now_ms) {
  // One packet per ID, filled by every sensor listening to it.
  std::map<uint8_t, std::array<uint8_t, 6>> packets;
  for (const Sensor& s : sensors_) {
    if (s.ids.empty() || s.surface != surface_only) continue;
    if (s.name == "DEPTH-SENSOR" || s.name == "MAG-LABEL-SENSOR") continue;
    if (s.module < modules_.size() && modules_[s.module].silent) continue;
    if (s.kind == "COUNTER" || s.kind == "DETECTOR") continue;
    auto& p = packets.try_emplace(s.ids[0], std::array<uint8_t, 6>{s.ids[0], 0, 0, 0, 0, 0})
                  .first->second;
    auto v = static_cast<uint32_t>(Counted(s, RawValue(s, now_ms)));
    if (s.kind == "WORD0" || s.kind == "DELTA0") {
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v);
    } else if (s.kind == "WORD1") {
      p[3] = static_cast<uint8_t>(v >> 8);
      p[4] = static_cast<uint8_t>(v);
    } else if (s.kind == "BYTE2") {
      p[3] = static_cast<uint8_t>(v);
    } else if (s.kind == "MULTIBAND") {
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v);
      p[3] = static_cast<uint8_t>(s.band);
    } else if (s.kind == "LONGINTEGER") {
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v);
      p[3] = static_cast<uint8_t>(v >> 24);
      p[4] = static_cast<uint8_t>(v >> 16);
    } else if (s.kind == "SWAPINTEGER") {
      p[1] = static_cast<uint8_t>(v >> 24);
      p[2] = static_cast<uint8_t>(v >> 16);
      p[3] = static_cast<uint8_t>(v >> 8);
      p[4] = static_cast<uint8_t>(v);
    }
  }
  for (auto& [id, p] : packets) {
    p[5] = static_cast<uint8_t>(0x100 - ((p[0] + p[1] + p[2] + p[3] + p[4]) & 0xFF));
    const uint8_t raw[6] = {p[0], p[1], p[2], p[3], p[4], p[5]};
    Emit(raw);
  }
}

void ToolSimulator::Step(int64_t now_ms, double seconds) {
  winch_.Advance(seconds);
  // Depth counter: one packet per count of the step, up or down.
  const Sensor* counter = nullptr;
  const Sensor* label = nullptr;
  for (const Sensor& s : sensors_) {
    if (s.name == "DEPTH-SENSOR" && s.ids.size() >= 2) counter = &s;
    if (s.name == "MAG-LABEL-SENSOR" && !s.ids.empty()) label = &s;
  }
  if (counter) {
    double step = std::max(std::fabs(depth_step_), 1e-5);
    auto target =
        static_cast<int64_t>(std::llround((winch_.CountedDepth() - counted_reference_m_) / step));
    // A sudden jump (the depth set by hand) is not played as thousands of counts.
    if (std::llabs(target - counts_sent_) > 100000) counts_sent_ = target;
    while (counts_sent_ != target) {
      uint8_t id = counts_sent_ < target ? counter->ids[1] : counter->ids[0];
      counts_sent_ += counts_sent_ < target ? 1 : -1;
      const uint8_t p[6] = {id, 0, 0, 0, 0, static_cast<uint8_t>(0x100 - id)};
      Emit(p);
    }
  }
  if (label) {
    while (labels_sent_ < winch_.LabelCrossings()) {
      ++labels_sent_;
      uint8_t id = label->ids[0];
      const uint8_t p[6] = {id, 0, 0, 0, 0, static_cast<uint8_t>(0x100 - id)};
      Emit(p);
    }
  }
  if (now_ms >= next_tension_ms_) {
    next_tension_ms_ = now_ms + settings_.tension_period_ms;
    SendDataPackets(true, now_ms);
  }
  if (now_ms >= next_data_ms_) {
    next_data_ms_ = now_ms + settings_.data_period_ms;
    if (powered_) SendDataPackets(false, now_ms);
  }
}

void ToolSimulator::AdvanceTo(int64_t now_ms) {
  int64_t elapsed = now_ms - last_ms_;
  if (elapsed <= 0) return;
  if (elapsed > kMaxCatchUpMs) {
    last_ms_ = now_ms - kMaxCatchUpMs;
    elapsed = kMaxCatchUpMs;
  }
  // A line cannot save up what it did not carry while idle: at most a few ticks'
  // worth goes out at once (a long reply after a quiet spell would otherwise arrive
  // in one burst larger than the logger's packet ring).
  line_budget_ = std::min(line_budget_ + static_cast<double>(elapsed) * kLineBytesPerMs,
                          kMaxBurstMs * kLineBytesPerMs);
  while (last_ms_ < now_ms) {
    int64_t slice = std::min(kSliceMs, now_ms - last_ms_);
    last_ms_ += slice;
    Step(last_ms_, slice / 1000.0);
  }
}

size_t ToolSimulator::Available() {
  std::lock_guard lock(mutex_);
  AdvanceTo(clock_.NowMs());
  // The memory tool's replies join the line in whole packets, a few at a time.
  const size_t backlog = settings_.unpaced ? kReadBufferBytes : kMemoryBacklogBytes;
  // Both run; only the one on the line is heard.
  std::deque<uint8_t> unheard;
  if (line_ == MemoryLine::SurfaceRecorder) {
    surface_->Drain(out_, backlog);
    memory_->Drain(unheard, backlog);
  } else {
    memory_->Drain(out_, backlog);
    surface_->Drain(unheard, backlog);
  }
  if (settings_.unpaced) return out_.size();
  return std::min(out_.size(), static_cast<size_t>(line_budget_));
}

size_t ToolSimulator::Read(uint8_t* out, size_t count) {
  std::lock_guard lock(mutex_);
  size_t n = std::min(
      {count, out_.size(), settings_.unpaced ? out_.size() : static_cast<size_t>(line_budget_)});
  for (size_t i = 0; i < n; ++i) {
    out[i] = out_.front();
    out_.pop_front();
  }
  if (!settings_.unpaced) line_budget_ -= static_cast<double>(n);
  return n;
}

// ---------------------------------------------------------------------------

void ToolSimulator::SetSpeed(double m_per_h) {
  std::lock_guard lock(mutex_);
  AdvanceTo(clock_.NowMs());
  winch_.SetSpeed(m_per_h);
}

void ToolSimulator::SetTrueDepth(double depth_m) {
  std::lock_guard lock(mutex_);
  winch_.SetTrueDepth(depth_m);
}

void ToolSimulator::SetSilent(const std::string& class_name, bool silent) {
  std::lock_guard lock(mutex_);
  for (auto& m : modules_)
    if (m.class_name == UpperCase(class_name)) m.silent = silent;
}

void ToolSimulator::SetNeverAcknowledge(bool never) {
  std::lock_guard lock(mutex_);
  never_ack_ = never;
}

bool ToolSimulator::Powered() const {
  std::lock_guard lock(mutex_);
  return powered_;
}

double ToolSimulator::DepthStep() const {
  std::lock_guard lock(mutex_);
  return depth_step_;
}

double ToolSimulator::DepthSet() const {
  std::lock_guard lock(mutex_);
  return depth_set_;
}

int32_t ToolSimulator::PowerValue() const {
  std::lock_guard lock(mutex_);
  return power_value_;
}

double ToolSimulator::TrueDepth() const {
  std::lock_guard lock(mutex_);
  return winch_.TrueDepth();
}

double ToolSimulator::SensorDepth(const std::string& sensor_name) const {
  std::lock_guard lock(mutex_);
  for (const Sensor& s : sensors_)
    if (s.name == UpperCase(sensor_name)) return winch_.TrueDepth() + s.offset_mm / 1000.0;
  return winch_.TrueDepth();
}

void ToolSimulator::SetLine(MemoryLine line) {
  std::lock_guard lock(mutex_);
  line_ = line;
}

MemoryLine ToolSimulator::Line() const {
  std::lock_guard lock(mutex_);
  return line_;
}

double ToolSimulator::FormationDepth(double reported_m) const {
  return reported_m - settings_.depth_error_m - settings_.depth_stretch * reported_m / 100;
}

double ToolSimulator::DepthAt(int64_t clock_ms) const {
  if (memory_->Launched()) {
    // The tool's clock at `clock_ms`, in hours after its launch.
    const int64_t tool_ms = memory_->NowMs() - (clock_.NowMs() - clock_ms);
    const double hours = static_cast<double>(tool_ms - memory_->LaunchMs()) / 3'600'000.0;
    return memory_->ReadingAt(hours).depth_m;
  }
  const auto& surface = settings_.surface_recorder;
  if (!surface.profile.empty()) {
    const double hours =
        static_cast<double>(clock_ms - start_ms_) / 3'600'000.0 + surface.history_h;
    return SurfaceRecorderSimulator::ProfileDepth(surface.profile, hours);
  }
  return winch_.TrueDepth();
}

std::vector<std::string> ToolSimulator::SensorNames() const {
  std::vector<std::string> names;
  for (const Sensor& s : sensors_) names.push_back(s.name);
  return names;
}

}  // namespace kest::sim

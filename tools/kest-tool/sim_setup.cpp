#include "sim_setup.h"

#include <cmath>

#include "command.h"
#include "support/number_text.h"

namespace kest::tool {

void TakeDepthError(std::vector<std::string>& args, sim::SimSettings& s) {
  s.depth_error_m = TakeNumber(args, "--depth-error", 0);
  s.depth_stretch = TakeNumber(args, "--depth-stretch", 0);
  if (!std::isfinite(s.depth_error_m) || std::fabs(s.depth_error_m) > 1000)
    throw UsageError("--depth-error takes metres from -1000 to 1000");
  if (!std::isfinite(s.depth_stretch) || std::fabs(s.depth_stretch) > 10)
    throw UsageError("--depth-stretch takes metres per 100 m from -10 to 10");
}

sim::SimSettings TakeSimSettings(std::vector<std::string>& args) {
  sim::SimSettings s;
  s.winch.speed_m_per_h = TakeNumber(args, "--speed", 0);
  s.winch.start_depth_m = TakeNumber(args, "--depth", 1000);
  s.corrupt_rate = TakeNumber(args, "--corrupt", 0);
  s.drop_rate = TakeNumber(args, "--drop", 0);
  TakeDepthError(args, s);
  const double seed = TakeNumber(args, "--seed", 1);
  if (!(seed >= 0 && seed <= 4294967295.0) || seed != std::floor(seed))
    throw UsageError("--seed takes a whole number from 0 to 4294967295");
  s.seed = static_cast<uint32_t>(seed);
  s.never_acknowledge = TakeFlag(args, "--never-ack");
  // The memory tool and the surface recorder share command codes: one is on the line.
  std::string line = TakeOption(args, "--line");
  if (line == "surface")
    s.line = sim::MemoryLine::SurfaceRecorder;
  else if (!line.empty() && line != "memory")
    throw UsageError("--line takes memory or surface");
  std::string string = TakeOption(args, "--string");
  if (!string.empty()) {
    s.string.clear();
    size_t start = 0;
    while (start <= string.size()) {
      size_t comma = string.find(',', start);
      std::string item =
          string.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      sim::SimModule m;
      auto hash = item.rfind('#');
      m.class_name = item.substr(0, hash);
      if (hash != std::string::npos) {
        auto n = ParseInt(item.substr(hash + 1));
        if (!n) throw UsageError("--string takes CLASS#NUMBER,...");
        m.number = *n;
      }
      s.string.push_back(m);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return s;
}

}  // namespace kest::tool

// kest-tool live: a logger on a port (the built-in simulator by default) with the
// tool string loaded and powered, printing its channels once a second.
#include <cstdio>

#include "command.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "sim/sim_port.h"
#include "sim_setup.h"
#include "support/clock.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

int Live(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  std::string port = TakeOption(args, "--port");
  const double seconds = TakeNumber(args, "--seconds", 10);
  std::string channels_text = TakeOption(args, "--channels");
  sim::SimSettings settings = TakeSimSettings(args);
  ExpectPositional(args, 0);
  if (port.empty()) port = "SIM";

  TModuleClasses classes(env.DataDir() + "/Classes");
  classes.Reload();
  TModuleDefs defs(env.DataDir() + "/Модули");
  defs.Reload();
  Clock& clock = SystemClock();
  auto simulator = std::make_shared<sim::ToolSimulator>(classes, settings, clock);
  sim::RegisterSimPort(simulator);

  HeadlessHost host;
  TLogger logger(host, clock, classes);
  for (const sim::SimModule& m : settings.string)
    logger.AddModuleWithSettings(defs.Get(m.class_name, m.number));
  logger.SetPortName(port);
  logger.SetDepthStep(0.01, settings.winch.start_depth_m);
  if (logger.CanInitialize()) logger.Initialize(true);

  std::vector<std::string> names;
  if (channels_text.empty()) channels_text = "DEPTH,SPEED,TENSION,GK,NK-NEAR,NK-FAR,TEMP,PRES,CALI";
  for (size_t start = 0; start <= channels_text.size();) {
    size_t comma = channels_text.find(',', start);
    std::string name =
        channels_text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (logger.Channels().Find(name))
      names.push_back(name);
    else
      std::fprintf(stderr, "no channel %s in this tool string\n", name.c_str());
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::printf("%6s", "t, s");
  for (const auto& n : names) std::printf(" %10s", n.c_str());
  std::printf("\n");
  int64_t start_ms = clock.NowMs();
  int64_t next = start_ms + 1000;
  while (clock.NowMs() - start_ms < seconds * 1000) {
    host.WaitAndProcess(20);
    if (clock.NowMs() < next) continue;
    next += 1000;
    std::printf("%6.1f", (clock.NowMs() - start_ms) / 1000.0);
    for (const auto& n : names)
      std::printf(" %10s", FormatFixed(logger.Channels().Get(n)->Value, 3).c_str());
    std::printf("\n");
    std::fflush(stdout);
  }
  int alive = 0;
  for (int i = 0; i < logger.ModuleCount(); ++i) alive += logger.Modules(i)->Alive;
  std::printf("modules alive: %d of %d; packets good/bad in the last second: %d/%d\n", alive,
              logger.ModuleCount(), logger.Sensors().Get("PACKETS")->Value,
              logger.Sensors().Get("SKIPPED-BYTES")->Value);
  logger.SetActive(false);
  UnregisterPortName("SIM");
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND(
    "live",
    "[--port NAME] [--seconds N] [--channels A,B,...] [--speed M/H] [--depth M] "
    "[--string CLASS#N,...] [--corrupt P] [--drop P] [--seed N] [--root DIR]",
    "run a logger on a port (default the built-in simulator SIM) and print its channels", Live);

}  // namespace kest::tool

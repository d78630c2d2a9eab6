// kest-tool sim: the tool simulator on a pseudo-terminal, for the real serial path.
#include <csignal>
#include <cstdio>
#include <thread>

#include "command.h"
#include "link/module_classes.h"
#include "sim/pty_server.h"
#include "sim_setup.h"
#include "support/clock.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

int Sim(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  if (!TakeFlag(args, "--pty"))
    throw UsageError("only --pty is served: the in-process port is SIM");
  const double seconds = TakeNumber(args, "--seconds", 0);  // 0: until stopped
  sim::SimSettings settings = TakeSimSettings(args);
  ExpectPositional(args, 0);

  TModuleClasses classes(env.DataDir() + "/Classes");
  classes.Reload();
  auto simulator = std::make_shared<sim::ToolSimulator>(classes, settings, SystemClock());
  sim::PtyServer server(simulator);
  std::printf("PTY %s\n", server.SlavePath().c_str());
  std::fflush(stdout);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::jthread serve([&](std::stop_token stop) { server.Run(stop); });
  int64_t end = SystemClock().NowMs() + static_cast<int64_t>(seconds * 1000);
  while (!g_stop && (seconds <= 0 || SystemClock().NowMs() < end)) SystemClock().SleepMs(20);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("sim",
                  "--pty [--speed M/H] [--depth M] [--string CLASS#N,...] [--line memory|surface] "
                  "[--corrupt P] [--drop P] [--seed N] [--depth-error M] [--depth-stretch M] "
                  "[--never-ack] [--seconds N] [--root DIR]",
                  "serve the simulated tool string on a pseudo-terminal (prints \"PTY <path>\")",
                  Sim);

}  // namespace kest::tool

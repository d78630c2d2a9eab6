// Read-out of a memory tool's whole memory: the simulated tool behind the in-process
// port with the line's pacing off (fake time: the 10 ms byte pause and the 25 ms
// receive tick cost nothing), through the real logger, reply sensors, collector and
// read-out into a sheet. Prints pages per second over the link, and the decoding
// alone (reply values to samples to sheet rows), which must stay far faster.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench_line.h"
#include "fakes/stepped_clock.h"
#include "fakes/stepped_memory_link.h"
#include "link/device_functions.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"

namespace {

using namespace kest;
double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

class NoHost : public MemoryToolHost {
 public:
  bool AskWarning(const std::string&) override { return true; }
  void ShowStatusText(const std::string&) override {}
  void ShowActivity(bool) override {}
};

void OverTheLink() {
  const char* root = std::getenv("KEST_SOURCE_DIR");
  std::string classes_dir = std::string(root ? root : ".") + "/data/Data/Classes";
  TWLisp lisp;
  RegisterDeviceFunctions(lisp);
  TModuleClasses classes(classes_dir);
  classes.Reload();
  testing::SteppedClock clock(1000);
  sim::SimSettings settings;
  settings.unpaced = true;
  auto simulator = std::make_shared<sim::ToolSimulator>(classes, settings, clock);
  sim::RegisterSimPort(simulator);
  HeadlessHost host;
  {
    TLogger logger(host, clock, classes);
    logger.AddModule(classes.Get("Автономный"));
    logger.SetProtocolMode(1);
    logger.SetPortName("SIM");
    testing::SteppedMemoryLink link(logger, host, clock, 1);
    NoHost ui;
    TMemoryTool tool(link, ui, [] { return ToolTime{2026, 1, 1, 0, 0, 0, 0}; });

    // One task on channel 0 at 1 s that fills the memory: 8188 data pages.
    TTask& task = tool.Table().Tasks(0);
    task.Start = MakeTaskTime(2026, 1, 1, 1, 0);
    const int64_t minutes = 36027;  // 25 days 27 minutes: 01:00 on the 1st to 01:27 on the 26th
    task.End = MakeTaskTime(2026, 1, 26, 1, 27);
    task.ComputeDuration();
    task.Tracks[0].Period = 1;
    if (task.Duration != minutes || !tool.Launch()) {
      std::printf("could not program the tool (duration %d)\n", task.Duration);
      return;
    }
    simulator->MemoryTool().FastForward(minutes / 60.0 + 2);
    const int64_t pages = tool.Table().Pages(0, 0);

    TLogSheet sheet;
    TMemoryReadout readout(tool, logger.Channels(), sheet);
    auto start = std::chrono::steady_clock::now();
    ReadoutResult r = readout.ReadTrack(0, {});
    double s = Seconds(std::chrono::steady_clock::now() - start);
    std::printf("link:   %lld pages (+ status, table) %lld rows in %.2f s: %.0f pages/s\n",
                static_cast<long long>(pages), static_cast<long long>(r.Rows), s, pages / s);
    bench::Line("memtool: read-out over the in-process port, unpaced",
                bench::Format("%lld pages", (long long)pages),
                bench::Format("%.0f pages/s", pages / s));
  }
  UnregisterPortName("SIM");
}

void Decoding() {
  const int pages = 8192;
  std::vector<uint32_t> values(static_cast<size_t>(pages) * 132);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint32_t>(i * 2654435761u);
  TLogSheet sheet;
  TLogTrack* a = sheet.NewTrack("PRESSURE");
  TLogTrack* b = sheet.NewTrack("TEMPERATURE");
  sheet.SetSteps(1000);
  auto start = std::chrono::steady_clock::now();
  std::vector<uint16_t> samples;
  for (size_t i = 0; i < values.size(); i += 1000)
    UnpackSamples(
        std::span<const uint32_t>(values).subspan(i, std::min<size_t>(1000, values.size() - i)),
        samples);
  int64_t rows = static_cast<int64_t>(samples.size());
  {
    SheetLock lock(sheet);
    AppendResampled(*a, samples, rows, 1.0, 0.001f, true);
    AppendResampled(*b, samples, rows, 0.25, 0.002f, true);
  }
  sheet.UpdateRange();
  double s = Seconds(std::chrono::steady_clock::now() - start);
  std::printf("decode: %d pages -> %lld rows x 2 tracks in %.3f s: %.0f pages/s\n", pages,
              static_cast<long long>(rows), s, pages / s);
  bench::Line("memtool: decoding pages into sheet rows", bench::Format("%d pages, 2 tracks", pages),
              bench::Format("%.0f pages/s", pages / s));
}

}  // namespace

int main() {
  Decoding();
  OverTheLink();
  return 0;
}

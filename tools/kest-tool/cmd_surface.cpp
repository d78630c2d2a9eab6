// kest-tool surface: the surface recorder's window without a screen, on the same core
// (test, clock, depth, zero page, the recording read into a log file).
#include <cstdio>
#include <iostream>

#include "command.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/port_device.h"
#include "log/log_sheet.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memtool_errors.h"
#include "memtool/surface_recorder.h"
#include "memtool_session.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"
#include "tool_environment.h"

namespace kest::tool {

namespace {

// Progress on stderr; questions answered by --yes.
class SurfaceHost : public MemoryToolHost {
 public:
  explicit SurfaceHost(bool yes) : yes_(yes) {}
  bool AskWarning(const std::string& text) override {
    std::fprintf(stderr, "%s\n%s\n", text.c_str(),
                 yes_ ? "-> да (--yes)" : "-> нет (ответ даёт --yes)");
    return yes_;
  }
  void ShowStatusText(const std::string&) override {}
  void ShowActivity(bool) override {}

 private:
  bool yes_;
};

// The logger with the surface recorder's module on the port; behind "SIM" the
// simulator with the recorder on the line and an hour of a run down to 500 m and up
// already logged.
struct SurfaceSession : PortInstallation {
  SurfaceSession(std::vector<std::string>& args, bool yes) : PortInstallation(args), ui(yes) {}
  void Open() {
    if (port == "SIM") {
      sim::SimSettings settings;
      settings.line = sim::MemoryLine::SurfaceRecorder;
      settings.surface_recorder.initial_time = LocalToolTime();
      settings.surface_recorder.history_h = 1;
      settings.surface_recorder.profile = {{0, 0}, {0.4, 500}, {0.5, 500}, {0.9, 0}};
      simulator = std::make_shared<sim::ToolSimulator>(classes, settings, SystemClock());
      sim::RegisterSimPort(simulator);
    }
    logger = std::make_unique<TLogger>(host, SystemClock(), classes);
    if (const TModuleDef* def = defs.Find(kSurfaceRecorderClass, 1))
      logger->AddModuleWithSettings(*def);
    else
      logger->AddModule(classes.Get(kSurfaceRecorderClass));
    logger->SetProtocolMode(1);
    logger->SetPortName(port);
    if (!logger->Active()) throw EMemoryToolError("Порт " + port + " не открывается");
    keep_alive_off = std::make_unique<KeepAliveSuspension>(*logger);
    link = std::make_unique<LoggerMemoryLink>(*logger, host, SystemClock());
    recorder = std::make_unique<TSurfaceRecorder>(*link, ui);
  }
  ~SurfaceSession() {
    recorder.reset();
    link.reset();
    keep_alive_off.reset();
    logger.reset();
    if (simulator) UnregisterPortName("SIM");
  }

  SurfaceHost ui;
  std::shared_ptr<sim::ToolSimulator> simulator;
  HeadlessHost host;
  std::unique_ptr<TLogger> logger;
  std::unique_ptr<KeepAliveSuspension> keep_alive_off;
  std::unique_ptr<LoggerMemoryLink> link;
  std::unique_ptr<TSurfaceRecorder> recorder;
};

std::string TimeText(const ToolTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", t.Day, t.Month, t.Year, t.Hour,
                t.Minute, t.Second);
  return buf;
}

void PrintZeroPage(const TSurfaceRecorder& r) {
  const SurfaceZeroPage& z = r.ZeroPage();
  std::printf("%s\n%s\n", SurfaceStartText(z).c_str(),
              SurfaceCountText(SurfaceRecordCount(z.LastPage, z.LastOffset, r.PageSize())).c_str());
  std::printf("Последняя страница\t%d\nСмещение\t%d\n", z.LastPage, z.LastOffset);
  std::printf("Натяжение k=%.3f b=%.3f\nСкорость k=%.3f\nКоэффициент глубины\t%d\n", z.TensionK,
              z.TensionB, z.SpeedK, z.DepthCoefficient);
}

int Surface(const std::vector<std::string>& in) {
  std::vector<std::string> args = in;
  bool yes = TakeFlag(args, "--yes");
  bool set = TakeFlag(args, "--set");
  SurfaceSession s(args, yes);
  if (args.empty()) throw UsageError("which action?");
  std::string action = args[0];
  args.erase(args.begin());

  if (action == "status") {
    ExpectPositional(args, 0);
    s.Open();
    if (!s.recorder->Test()) std::fprintf(stderr, "%s\n", kNoReplyText);
    for (int row = 0; row < SurfaceStatusRows::kRowCount; ++row)
      std::printf("%s\t%s\n", SurfaceStatusRows::Title(row),
                  s.recorder->StatusRows().Text(row).c_str());
  } else if (action == "clock") {
    ExpectPositional(args, 0);
    s.Open();
    if (set) s.recorder->SetClock(LocalToolTime());
    auto t = s.recorder->ReadClock();
    if (!t) throw EMemoryToolError(kNoReplyText);
    std::printf("%s\n", TimeText(*t).c_str());
  } else if (action == "depth") {
    if (!set || args.size() != 1) throw UsageError("depth --set METRES");
    s.Open();
    s.recorder->Standby();
    std::printf("%s\n", s.recorder->SetDepth(args[0]).c_str());
  } else if (action == "zero-page") {
    ExpectPositional(args, 0);
    s.Open();
    s.recorder->Test();
    if (!s.recorder->ReadZeroPage()) throw EMemoryToolError(kNoReplyText);
    PrintZeroPage(*s.recorder);
  } else if (action == "read") {
    ExpectPositional(args, 1);
    const std::string out = args[0];
    s.Open();
    s.recorder->Standby();
    if (!s.recorder->Test()) throw EMemoryToolError(kNoReplyText);
    if (!s.recorder->ReadZeroPage()) throw EMemoryToolError(kNoReplyText);
    // A document of its own: nothing else is overwritten.
    LogDocument document;
    SurfaceReadout r = s.recorder->ReadData(document.Sheet(), {}, ToolStringText(*s.logger));
    if (r.Rows > 0) {
      document.SaveAs(out, s.env.FileOptions());
      std::printf("%s: строк %lld из %lld\n", out.c_str(), static_cast<long long>(r.Rows),
                  static_cast<long long>(r.Expected));
    }
    std::printf("%s\n", r.Message.c_str());
    if (!r.Complete) return 1;
  } else {
    throw UsageError("unknown action " + action);
  }
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("surface",
                  "status | clock [--set] | depth --set M | zero-page | read OUT.ls [--yes] "
                  "[--port P] [--root DIR]",
                  "set up and read out the surface recorder (port SIM: the simulator's)", Surface);

}  // namespace kest::tool

// kest-tool record: the recorder without a screen. Drives the tool (the built-in
// simulator by default) through a depth or time run, records it into a research
// folder as the recorder window does, and prints the saved file's path.
// kest-tool recover: restores the crash file of a recorder that died.
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "app/core/recorder.h"
#include "command.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/port_device.h"
#include "session/installation_folders.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "session/session_host.h"
#include "sim/sim_port.h"
#include "sim_setup.h"
#include "support/clock.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "tool_environment.h"
#include "witness/witness_settings.h"

namespace kest::tool {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

// Answers the session's questions from the command line and reports on stderr.
class ToolSessionHost : public HeadlessSessionHost {
 public:
  void ShowWarning(const std::string& message) override {
    HeadlessSessionHost::ShowWarning(message);
    std::fprintf(stderr, "%s\n", message.c_str());
  }
  void SaveFinished(const std::string& path, bool ok) override {
    HeadlessSessionHost::SaveFinished(path, ok);
    if (!ok) std::fprintf(stderr, "saving %s failed (see the diagnostic log)\n", path.c_str());
  }
};

// --root, else KEST_ROOT, the system settings file or the user root (seeded from
// the shipped template). A root named on the command line without data is seeded too.
std::string TakeRoot(std::vector<std::string>& args) {
  return OpenInstallationRoot(KEST_DEFAULT_ROOT, TakeOption(args, "--root"));
}

// "MAIN/BASE/MID/END": class names or definitions "CLASS N" / "CLASS #N".
std::vector<sim::SimModule> ParseTools(const std::string& text) {
  std::vector<sim::SimModule> modules;
  size_t start = 0;
  while (start <= text.size()) {
    size_t slash = text.find('/', start);
    std::string item =
        text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    sim::SimModule m{item, 0};
    size_t blank = item.find_last_of(" #");
    if (blank != std::string::npos) {
      if (auto n = ParseInt(item.substr(blank + 1))) {
        m.number = *n;
        m.class_name = item.substr(0, item.find_last_not_of(" #", blank) + 1);
      }
    }
    if (!m.class_name.empty()) modules.push_back(m);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (modules.empty()) throw UsageError("--tools takes MAIN/BASE/MID/END");
  return modules;
}

struct Installation {
  explicit Installation(std::vector<std::string>& args)
      : root(TakeRoot(args)),
        folders(InstallationFolders::FromRoot(root)),
        env((args.insert(args.end(), {"--root", root}), args)),
        classes(folders.Classes),
        defs(folders.Modules) {
    classes.Reload();
    defs.Reload();
  }
  std::string root;
  InstallationFolders folders;
  ToolEnvironment env;
  TModuleClasses classes;
  TModuleDefs defs;
};

void OpenResearch(Research& research, const std::string& name) {
  research.Open("");
  if (name.empty()) return;
  auto folder = ResearchFolderPath(name);
  if (folder && std::filesystem::is_directory(research.Base() + "/" + *folder)) {
    research.Open(name);
  } else {
    research.ResearchParams.Clear();
    research.Start(name);
  }
}

// Offers the crash file of an earlier run; a restored one is saved at once as the
// next file of the research, since the next recording would clear it.
void Recover(Recorder& recorder, ToolSessionHost& ui, bool yes) {
  ui.Yes = yes;
  RecordingSession& session = recorder.Session();
  if (!std::filesystem::exists(session.CrashFile())) return;
  if (!recorder.OfferCrashRecovery()) {
    std::printf("crash file %s deleted\n", session.CrashFile().c_str());
    return;
  }
  TLogSheet& sheet = recorder.Sheet();
  int rows = sheet.Count() ? sheet.Tracks(0)->Count() : 0;
  std::string path = session.SaveToResearch("Восстановлено из crash.tmp");
  recorder.WaitForSaves();
  std::printf("recovered %d rows of %d curves from %s into %s\n", rows, sheet.Count(),
              session.CrashFile().c_str(), path.c_str());
}

void Progress(Recorder& recorder, bool final) {
  TLogSheet& sheet = recorder.Sheet();
  TLogger& logger = recorder.Logger();
  int rows = sheet.Count() ? sheet.Tracks(0)->Count() : 0;
  std::string line =
      "depth " + FormatFixed(logger.DepthChannel()->Value, 2) + " m, rows " + std::to_string(rows);
  if (isatty(STDOUT_FILENO)) {
    std::printf("\r%-60s%s", line.c_str(), final ? "\n" : "");
  } else if (final) {
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

int Record(const std::vector<std::string>& argv) {
  auto args = argv;
  std::string port = TakeOption(args, "--port");
  std::string mode_text = TakeOption(args, "--mode");
  double step_cm = TakeNumber(args, "--step", 10);
  double period = TakeNumber(args, "--period", 1);
  double from = TakeNumber(args, "--from", 1000);
  double to = TakeNumber(args, "--to", 1010);
  // Depth runs take a positive speed (1000 m/h unless given); a time run keeps the
  // tool still unless given one, positive down and negative up.
  const double speed_given = TakeNumber(args, "--speed", std::nan(""));
  double duration = TakeNumber(args, "--duration", 10);
  double auto_save = TakeNumber(args, "--auto-save", 0);
  std::string tools = TakeOption(args, "--tools");
  std::string research_name = TakeOption(args, "--research");
  std::string description = TakeOption(args, "--description");
  std::string recover = TakeOption(args, "--recover");
  sim::SimSettings sim_settings;
  TakeDepthError(args, sim_settings);
  std::string publish = TakeOption(args, "--publish");
  Installation inst(args);
  ExpectPositional(args, 0);

  if (port.empty()) port = "SIM";
  if (mode_text.empty()) mode_text = "down";
  uint8_t mode = mode_text == "time"   ? RecordingSession::rmTime
                 : mode_text == "down" ? RecordingSession::rmDepthDown
                 : mode_text == "up"   ? RecordingSession::rmDepthUp
                                       : 0;
  if (mode == 0) throw UsageError("--mode takes time, down or up");
  if (step_cm != 1 && step_cm != 10 && step_cm != 20)
    throw UsageError("--step takes 1, 10 or 20 (cm)");
  if (period < 0 || period > 60 || period != static_cast<int>(period))
    throw UsageError("--period takes 0..60 s");
  if (from < 0 || to <= from) throw UsageError("--from and --to take depths with from < to");
  const double speed =
      std::isnan(speed_given) ? (mode == RecordingSession::rmTime ? 0 : 1000) : speed_given;
  if (mode != RecordingSession::rmTime && speed <= 0)
    throw UsageError("--speed takes a positive speed (a time run takes any, negative up)");
  if (!IsValidDescription(description))
    throw UsageError("--description may not hold ! # $ % & * / @ \\ ^ ~");
  if (!recover.empty() && recover != "yes" && recover != "no")
    throw UsageError("--recover takes yes or no");
  const WitnessSettings witness = publish.empty() ? WitnessSettings{} : ParseWitnessUrl(publish);
  int32_t step_mm = static_cast<int32_t>(step_cm * 10);

  if (!tools.empty()) sim_settings.string = ParseTools(tools);
  double start = mode == RecordingSession::rmDepthDown ? from - step_mm / 1000.0
                 : mode == RecordingSession::rmDepthUp ? to + step_mm / 1000.0
                                                       : from;
  sim_settings.winch.start_depth_m = start;
  Clock& clock = SystemClock();
  std::shared_ptr<sim::ToolSimulator> simulator;
  // The in-process tool leaves port "SIM" once the recorder has let go of it.
  struct SimPort {
    bool registered = false;
    ~SimPort() {
      if (registered) UnregisterPortName("SIM");
    }
  } sim_port;
  if (port == "SIM") {
    simulator = std::make_shared<sim::ToolSimulator>(inst.classes, sim_settings, clock);
    sim::RegisterSimPort(simulator);
    sim_port.registered = true;
  }

  HeadlessHost host;
  MemorySettings settings;
  ToolSessionHost ui;
  Recorder recorder(host, clock, settings, inst.folders, inst.classes, ui);
  recorder.LoadSettings();
  TLogger& logger = recorder.Logger();
  for (const sim::SimModule& m : sim_settings.string)
    logger.AddModuleWithSettings(inst.defs.Get(m.class_name, m.number));
  if (!recorder.ChoosePort(port)) return 1;
  // One depth count per centimetre, coarser for fast winches so the line keeps up.
  double roller = std::max(0.01, std::abs(speed) / 3600.0 / 300.0);
  logger.SetDepthStep(roller, start);
  if (logger.CanInitialize()) logger.Initialize(true);

  OpenResearch(recorder.CurrentResearch(), research_name);
  Recover(recorder, ui, recover != "no");
  recorder.SetWitness(witness);
  recorder.ToolStringChanged();
  RecordingSession& session = recorder.Session();
  session.RecordStep = step_mm;
  if (mode == RecordingSession::rmTime) session.SetTimeDelay(static_cast<int32_t>(period));
  session.SetAutoSaveInterval(static_cast<int64_t>(auto_save * 60000));
  if (!description.empty()) ui.Texts.push_back(description);

  g_interrupted = false;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  int64_t settle = clock.NowMs() + 300;
  while (clock.NowMs() < settle) host.WaitAndProcess(20);
  recorder.StartRecording(mode);
  if (simulator) simulator->SetSpeed(mode == RecordingSession::rmDepthUp ? -speed : speed);
  int64_t started = clock.NowMs();
  int64_t next_progress = started;
  int32_t end_mm =
      static_cast<int32_t>(std::lround((mode == RecordingSession::rmDepthDown ? to : from) * 1000));
  auto done = [&] {
    if (g_interrupted) return true;
    switch (mode) {
      case RecordingSession::rmDepthDown:
        return session.LastDepth() >= end_mm;
      case RecordingSession::rmDepthUp:
        return session.LastDepth() <= end_mm;
      default:
        return clock.NowMs() - started >= duration * 1000;
    }
  };
  while (!done()) {
    host.WaitAndProcess(20);
    recorder.Idle();
    if (clock.NowMs() >= next_progress) {
      next_progress += 500;
      Progress(recorder, false);
    }
  }
  if (simulator) simulator->SetSpeed(0);
  Progress(recorder, true);
  std::string path = recorder.Stop();
  recorder.WaitForSaves();
  // The witness's last rows and the end go out before the program does; a broker
  // that is away does not hold the recording's result back for long.
  if (!recorder.FlushWitness(10000))
    std::fprintf(stderr, "the live witness could not send everything to the broker\n");
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  if (path.empty()) {
    std::printf("not saved\n");
    return 0;
  }
  std::printf("%s\n", path.c_str());
  return ui.Failed.empty() ? 0 : 1;
}

int RecoverCommand(const std::vector<std::string>& argv) {
  auto args = argv;
  std::string research_name = TakeOption(args, "--research");
  bool no = TakeFlag(args, "--no");
  Installation inst(args);
  ExpectPositional(args, 0);
  if (!std::filesystem::exists(inst.folders.CrashFile)) {
    std::printf("no crash file at %s\n", inst.folders.CrashFile.c_str());
    return 0;
  }
  HeadlessHost host;
  MemorySettings settings;
  ToolSessionHost ui;
  Recorder recorder(host, SystemClock(), settings, inst.folders, inst.classes, ui);
  recorder.LoadSettings();
  OpenResearch(recorder.CurrentResearch(), research_name);
  Recover(recorder, ui, !no);
  return ui.Failed.empty() ? 0 : 1;
}

}  // namespace

KEST_TOOL_COMMAND(
    "record",
    "[--port SIM|DEVICE] [--root DIR] [--mode time|down|up] [--step 1|10|20] [--period S] "
    "[--from M --to M] [--speed M/H] [--duration S] [--tools MAIN/BASE/MID/END] "
    "[--research NAME] [--description TEXT] [--auto-save MIN] [--recover yes|no] "
    "[--depth-error M] [--depth-stretch M] [--publish mqtt[s]://USER:PASS@HOST:PORT/UNIT]",
    "record a run into a research folder as the recorder does (Ctrl-C stops and saves); "
    "--publish streams it live to an MQTT broker as the recorder's live witness does",
    Record);
KEST_TOOL_COMMAND(
    "recover", "[--root DIR] [--research NAME] [--no]",
    "restore the crash file of a recorder that died into the research (--no deletes it)",
    RecoverCommand);

}  // namespace kest::tool

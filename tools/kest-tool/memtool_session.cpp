#include "memtool_session.h"

#include <unistd.h>

#include <cstdio>

#include "command.h"
#include "link/logger.h"
#include "link/port_device.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_tool.h"
#include "memtool/memtool_errors.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"

namespace kest::tool {

namespace {
constexpr const char* kMemoryClass = "Автономный";
}  // namespace

TerminalHost::TerminalHost(bool yes) : yes_(yes), terminal_(isatty(STDERR_FILENO) != 0) {}

bool TerminalHost::AskWarning(const std::string& text) {
  std::fprintf(stderr, "%s\n%s\n", text.c_str(),
               yes_ ? "-> да (--yes)" : "-> нет (ответ даёт --yes)");
  return yes_;
}

void TerminalHost::ShowStatusText(const std::string& text) {
  if (text.rfind("Повторное", 0) == 0) {
    EndLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  } else if (terminal_ && text != last_) {
    std::fprintf(stderr, "\r%-60s", text.c_str());
    last_ = text;
  }
}

void TerminalHost::EndLine() {
  if (!last_.empty()) std::fprintf(stderr, "\n");
  last_.clear();
}

PortInstallation::PortInstallation(std::vector<std::string>& args)
    : port(TakeOption(args, "--port")),
      root(OpenInstallationRoot(KEST_DEFAULT_ROOT, TakeOption(args, "--root"))),
      folders(InstallationFolders::FromRoot(root)),
      env((args.insert(args.end(), {"--root", root}), args)),
      classes(folders.Classes),
      defs(folders.Modules) {
  classes.Reload();
  defs.Reload();
  if (port.empty()) port = "SIM";
}

MemoryToolSession::MemoryToolSession(std::vector<std::string>& args, bool yes)
    : PortInstallation(args), ui(yes), state_file(root + "/sim-memory-tool.state") {}

void MemoryToolSession::Open() {
  if (port == "SIM") {
    simulator = std::make_shared<sim::ToolSimulator>(classes, sim::SimSettings{}, SystemClock());
    simulator->MemoryTool().LoadState(state_file);
    sim::RegisterSimPort(simulator);
  }
  logger = std::make_unique<TLogger>(host, SystemClock(), classes);
  if (const TModuleDef* def = defs.Find(kMemoryClass, 1))
    logger->AddModuleWithSettings(*def);
  else
    logger->AddModule(classes.Get(kMemoryClass));
  logger->SetProtocolMode(1);
  logger->SetPortName(port);
  if (!logger->Active()) throw EMemoryToolError("Порт " + port + " не открывается");
  link = std::make_unique<LoggerMemoryLink>(*logger, host, SystemClock());
  tool = std::make_unique<TMemoryTool>(*link, ui, LocalToolTime);
}

MemoryToolSession::~MemoryToolSession() {
  tool.reset();
  link.reset();
  logger.reset();
  if (simulator) {
    try {
      simulator->MemoryTool().SaveState(state_file);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
    UnregisterPortName("SIM");
  }
}

}  // namespace kest::tool

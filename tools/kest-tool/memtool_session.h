#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "memtool/memory_tool_host.h"
#include "session/installation_folders.h"
#include "tool_environment.h"

namespace kest {
class LoggerMemoryLink;
class TLogger;
class TMemoryTool;
namespace sim {
class ToolSimulator;
}
}  // namespace kest

namespace kest::tool {

// Questions on the terminal: --yes answers them; otherwise a question is a refusal.
// Progress goes to a terminal only; a page read again is always told.
class TerminalHost : public MemoryToolHost {
 public:
  explicit TerminalHost(bool yes);
  bool AskWarning(const std::string& text) override;
  void ShowStatusText(const std::string& text) override;
  void ShowActivity(bool) override {}
  void EndLine();

 private:
  bool yes_;
  bool terminal_;
  std::string last_;
};

// What a command that talks to a device needs before it connects: the port (--port,
// default SIM) and the installation (--root) with its module classes and
// definitions read. The options are taken from `args`.
struct PortInstallation {
  explicit PortInstallation(std::vector<std::string>& args);

  std::string port;
  std::string root;
  InstallationFolders folders;
  ToolEnvironment env;
  TModuleClasses classes;
  TModuleDefs defs;
};

// The logger with the memory tool's module on the port, the simulator behind "SIM"
// with its memory kept in the installation between runs. Open connects.
struct MemoryToolSession : PortInstallation {
  MemoryToolSession(std::vector<std::string>& args, bool yes);
  ~MemoryToolSession();
  void Open();

  TerminalHost ui;
  std::string state_file;
  std::shared_ptr<sim::ToolSimulator> simulator;
  HeadlessHost host;
  std::unique_ptr<TLogger> logger;
  std::unique_ptr<LoggerMemoryLink> link;
  std::unique_ptr<TMemoryTool> tool;
};

}  // namespace kest::tool

#include "tool_environment.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "command.h"
#include "link/device_functions.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "session/installation_folders.h"
#include "session/log_document.h"

namespace kest::tool {

ToolEnvironment::ToolEnvironment(std::vector<std::string>& args) {
  root_ = TakeOption(args, "--root");
  if (root_.empty()) {
    const char* env = std::getenv("KEST_ROOT");
    if (env && *env) root_ = env;
  }
  // A root of the user's is completed from the template and checked as the program
  // does; without one the template itself is read.
  root_ = root_.empty() ? std::string(KEST_DEFAULT_ROOT)
                        : OpenInstallationRoot(KEST_DEFAULT_ROOT, root_);
  lisp_ = std::make_unique<TWLisp>();
  RegisterDeviceFunctions(*lisp_);
  namespace fs = std::filesystem;
  if (fs::exists(fs::path(DataDir()) / TLogParameterTables::kParametersFile))
    tables_ = std::make_unique<TLogParameterTables>(DataDir());
  else
    tables_ = std::make_unique<TLogParameterTables>();
  auto warn = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
  tables_->Parameters().OnMissingDescription = [warn](const std::string& message,
                                                      const std::string&) { warn(message); };
}

ToolEnvironment::~ToolEnvironment() = default;

LogFileOptions ToolEnvironment::FileOptions() const {
  LogFileOptions options;
  options.Las.TemplateFile = DataDir() + "/LAS Headers/.msk";
  options.Las.OnWarning = [](const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
  };
  return options;
}

}  // namespace kest::tool

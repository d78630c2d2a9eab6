#include "tool_environment.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "command.h"
#include "link/device_functions.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"

namespace kest::tool {

ToolEnvironment::ToolEnvironment(std::vector<std::string>& args) {
  root_ = TakeOption(args, "--root");
  if (root_.empty()) {
    const char* env = std::getenv("KEST_ROOT");
    root_ = env && *env ? env : KEST_DEFAULT_ROOT;
  }
  lisp_ = std::make_unique<TWLisp>();
  RegisterDeviceFunctions(*lisp_);
  namespace fs = std::filesystem;
  if (fs::exists(fs::path(DataDir()) / TLogParameterTables::kParametersFile))
    tables_ = std::make_unique<TLogParameterTables>(DataDir());
  else
    tables_ = std::make_unique<TLogParameterTables>();
  auto warn = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
  tables_->Parameters().OnMissingDescription = [warn](const std::string& message, const std::string&) {
    warn(message);
  };
  TLasOptions& las = LasOptions();
  las.Dictionary = &tables_->Parameters();
  las.TemplateFile = DataDir() + "/LAS Headers/.msk";
  las.OnWarning = warn;
}

ToolEnvironment::~ToolEnvironment() { LasOptions().Dictionary = nullptr; }

}  // namespace kest::tool

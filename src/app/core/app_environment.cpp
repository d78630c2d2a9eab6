#include "app/core/app_environment.h"

#include <filesystem>

#include "link/device_functions.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/research_parameters.h"
#include "support/diagnostic_log.h"

namespace kest {

AppEnvironment::AppEnvironment(const std::string& root)
    : folders_(InstallationFolders::FromRoot(root)) {
  namespace fs = std::filesystem;
  lisp_ = std::make_unique<TWLisp>();
  RegisterDeviceFunctions(*lisp_);
  Diag().Component("ROdoz: initialized");

  if (fs::exists(fs::path(folders_.Data) / TLogParameterTables::kParametersFile))
    tables_ = std::make_unique<TLogParameterTables>(folders_.Data);
  else
    tables_ = std::make_unique<TLogParameterTables>();

  auto report = [this](const TModuleLoadFailure& f) {
    Diag().Error(f.FileName + ": " + f.Message);
    load_failures_.push_back(f.FileName + ": " + f.Message);
  };
  classes_ = std::make_unique<TModuleClasses>(folders_.Classes);
  classes_->OnLoadError = report;
  classes_->Reload();
  defs_ = std::make_unique<TModuleDefs>(folders_.Modules);
  defs_->OnLoadError = report;
  defs_->Reload();

  research_parameters_ = std::make_unique<TResearchParameters>();
  try {
    research_parameters_->Reload(folders_.Data + "/research params");
  } catch (const std::exception& e) {
    Diag().Error(std::string("research params: ") + e.what());
    load_failures_.push_back(folders_.Data + "/research params: " + e.what());
  }
}

AppEnvironment::~AppEnvironment() = default;

}  // namespace kest

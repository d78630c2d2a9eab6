#pragma once

#include <memory>
#include <string>
#include <vector>

#include "session/installation_folders.h"

namespace kest {

class TWLisp;
class TLogParameterTables;
class TModuleClasses;
class TModuleDefs;
class TResearchParameters;

// The single objects of one run, made at start-up in this order: the script engine
// with the device functions, the parameter tables of the data folder (LAS exchange
// and captions), the module classes and definitions, the research parameter
// descriptions. Reach them through the usual accessors (Lisp(), ModuleClasses(), ...).
class AppEnvironment {
 public:
  explicit AppEnvironment(const std::string& root);
  ~AppEnvironment();
  AppEnvironment(const AppEnvironment&) = delete;
  AppEnvironment& operator=(const AppEnvironment&) = delete;

  const InstallationFolders& Folders() const { return folders_; }
  TModuleClasses& Classes() { return *classes_; }
  TModuleDefs& Defs() { return *defs_; }
  TResearchParameters& ResearchParameters() { return *research_parameters_; }
  // Files of the data folder that failed to load at start ("file: message"): the
  // main window lists them once it is up, since the program runs on without them.
  const std::vector<std::string>& LoadFailures() const { return load_failures_; }

 private:
  InstallationFolders folders_;
  std::unique_ptr<TWLisp> lisp_;
  std::unique_ptr<TLogParameterTables> tables_;
  std::unique_ptr<TModuleClasses> classes_;
  std::unique_ptr<TModuleDefs> defs_;
  std::unique_ptr<TResearchParameters> research_parameters_;
  std::vector<std::string> load_failures_;
};

}  // namespace kest

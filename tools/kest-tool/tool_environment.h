#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kest {
struct LogFileOptions;
class TWLisp;
class TLogParameterTables;
}  // namespace kest

namespace kest::tool {

// What file commands need from an installation: the script engine and the parameter
// tables of <root>/Data (LAS mnemonics and captions), and the LAS header template.
// The root comes from --root DIR, else KEST_ROOT (completed from the template and
// checked by OpenInstallationRoot), else the installation template the tool was
// built with. A root without tables still works: LAS import then adds every
// mnemonic as a new parameter.
class ToolEnvironment {
 public:
  // Takes --root from `args`.
  explicit ToolEnvironment(std::vector<std::string>& args);
  ~ToolEnvironment();
  const std::string& Root() const { return root_; }
  std::string DataDir() const { return root_ + "/Data"; }
  // Log file options of this installation (the LAS header template); reader
  // warnings are printed on stderr.
  LogFileOptions FileOptions() const;

 private:
  std::string root_;
  std::unique_ptr<TWLisp> lisp_;
  std::unique_ptr<TLogParameterTables> tables_;
};

}  // namespace kest::tool

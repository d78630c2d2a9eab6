#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kest::tool {

// One subcommand of kest-tool. Each lives in its own cmd_*.cpp and registers itself
// with KEST_TOOL_COMMAND, so layers add commands without touching main.cpp.
// `run` gets the arguments after the command name and returns the exit code;
// exceptions are reported by main as "ClassName: message" with exit code 1.
struct Command {
  std::string_view name;
  std::string_view usage;    // arguments, e.g. "FILE [--json]"
  std::string_view summary;  // one line
  int (*run)(const std::vector<std::string>& args);
};

std::vector<Command>& Commands();

// The installation template: under the tool's own prefix when installed, else the
// source tree's (KEST_DEFAULT_ROOT).
std::string TemplateDir();

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command) { Commands().push_back(command); }
};

// Raised for wrong command lines; main prints the usage of the command.
class UsageError : public std::exception {
 public:
  explicit UsageError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Small command-line helpers: flags are removed from `args` as they are taken.
bool TakeFlag(std::vector<std::string>& args, std::string_view flag);
// "--name VALUE" or "--name=VALUE"; empty when absent.
std::string TakeOption(std::vector<std::string>& args, std::string_view name);
// A number option ("--name N"); `def` when absent; UsageError when not a number.
double TakeNumber(std::vector<std::string>& args, std::string_view name, double def);
// Fails with UsageError unless exactly `count` positional arguments remain.
void ExpectPositional(const std::vector<std::string>& args, size_t count);

}  // namespace kest::tool

#define KEST_TOOL_CONCAT_(a, b) a##b
#define KEST_TOOL_CONCAT(a, b) KEST_TOOL_CONCAT_(a, b)
#define KEST_TOOL_COMMAND(...) \
  static const ::kest::tool::CommandRegistrar KEST_TOOL_CONCAT(kRegistrar, __LINE__)({__VA_ARGS__})

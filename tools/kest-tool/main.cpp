// kest-tool: the command-line companion of the workstation. Every core capability
// is reachable from here so that scripts, CI and field engineers can use it without
// a screen.
#include <algorithm>
#include <cstdio>
#include <exception>

#include "command.h"
#include "session/installation_folders.h"
#include "support/fatal_error.h"
#include "support/number_text.h"

namespace kest::tool {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

std::string TemplateDir() {
  static const std::string dir =
      LocateProgramFiles(RunningProgramPath(), KEST_BUILD_TEMPLATE).TemplateDir;
  return dir;
}

bool TakeFlag(std::vector<std::string>& args, std::string_view flag) {
  auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

std::string TakeOption(std::vector<std::string>& args, std::string_view name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
      std::string value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      return value;
    }
    if (args[i].size() > name.size() && args[i].compare(0, name.size(), name) == 0 &&
        args[i][name.size()] == '=') {
      std::string value = args[i].substr(name.size() + 1);
      args.erase(args.begin() + static_cast<long>(i));
      return value;
    }
  }
  return {};
}

double TakeNumber(std::vector<std::string>& args, std::string_view name, double def) {
  const std::string text = TakeOption(args, name);
  if (text.empty()) return def;
  auto value = ParseFloat(text);
  if (!value) throw UsageError(std::string(name) + " takes a number");
  return *value;
}

void ExpectPositional(const std::vector<std::string>& args, size_t count) {
  for (const auto& a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
  if (args.size() != count) throw UsageError("wrong number of arguments");
}

namespace {

// The manual page kest-tool(1) and the bash completion are made from this text at
// build time: "usage:" gives the synopsis, a line ending in ":" a section, a line
// indented by two an entry (a command and its arguments), by six the entry's text,
// any other line a paragraph.
void PrintHelp(std::FILE* out) {
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  std::fprintf(out,
               "usage: kest-tool COMMAND [ARGS]\n\n"
               "The command-line companion of the KEST workstation: it inspects, converts and\n"
               "renders log files, runs scripts and expressions, records headless, reads out\n"
               "memory tools and serves the tool simulator, with the same code as the windows.\n"
               "\ncommands:\n");
  for (const auto& c : commands) {
    std::fprintf(out, "  %.*s %.*s\n      %.*s\n", int(c.name.size()), c.name.data(),
                 int(c.usage.size()), c.usage.data(), int(c.summary.size()), c.summary.data());
  }
  std::fprintf(out,
               "\nenvironment:\n"
               "  KEST_ROOT\n"
               "      the installation root that commands read and record into (--root DIR "
               "overrides it); it is completed from the installation template and checked; "
               "unset, commands read the template itself\n"
               "\nexit status:\n"
               "  0\n      the command did its work\n"
               "  1\n      a wrong command line (the usage is printed) or an error, printed as "
               "\"ClassName: message\"\n"
               "\nsee also:\n"
               "  kest(1)\n      the recorder and the curve editor\n");
}

// Runs the command named by argv[1]. A usage error is printed with the usage; other
// errors reach main.
int Run(int argc, char** argv) {
  if (argc < 2 || std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "help") {
    PrintHelp(argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  std::string_view name = argv[1];
  auto& commands = Commands();
  auto it = std::find_if(commands.begin(), commands.end(),
                         [&](const Command& c) { return c.name == name; });
  if (it == commands.end()) {
    std::fprintf(stderr, "kest-tool: unknown command \"%s\" (see kest-tool help)\n", argv[1]);
    return 1;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  try {
    return it->run(args);
  } catch (const UsageError& e) {
    std::fflush(stdout);  // what the command printed comes before the complaint
    std::fprintf(stderr, "kest-tool %s: %s\nusage: kest-tool %s %.*s\n", argv[1], e.what(), argv[1],
                 int(it->usage.size()), it->usage.data());
  }
  return 1;
}

}  // namespace
}  // namespace kest::tool

int main(int argc, char** argv) {
  kest::InstallTerminateHandler();
  try {
    return kest::tool::Run(argc, argv);
  } catch (...) {
    // Whatever was thrown, even not a std::exception: "ClassName: message", exit 1,
    // after what the command printed so far.
    std::fflush(stdout);
    kest::ReportFatalError(kest::FatalErrorText(std::current_exception()));
  }
  return 1;
}

#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace kest::testing {

// What a program run by a test printed and how it ended.
struct CommandResult {
  int code;  // exit status; -1 when the program was killed by a signal (an abort)
  std::string out;
};

// Runs `command` (shell syntax) and collects its stdout, with stderr joined to it
// when `join_stderr`.
inline CommandResult RunCommand(const std::string& command, bool join_stderr) {
  FILE* pipe = popen((join_stderr ? command + " 2>&1" : command).c_str(), "r");
  CommandResult r{-1, {}};
  if (!pipe) return r;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace kest::testing

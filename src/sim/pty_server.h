#pragma once

#include <memory>
#include <stop_token>
#include <string>

#include "sim/tool_simulator.h"
#include "support/unique_fd.h"

namespace kest::sim {

// Serves a simulator on a pseudo-terminal, so the logger can reach it through the
// real serial path by opening the terminal's name. The simulator paces its own
// output (a pty ignores the baud rate).
class PtyServer {
 public:
  // Raises EInOutError when no pseudo-terminal can be had.
  explicit PtyServer(std::shared_ptr<ToolSimulator> simulator);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // The device the logger opens, such as /dev/pts/3.
  const std::string& SlavePath() const { return slave_path_; }
  // Moves bytes both ways until stopped.
  void Run(std::stop_token stop);

 private:
  std::shared_ptr<ToolSimulator> simulator_;
  UniqueFd master_;
  std::string slave_path_;
};

}  // namespace kest::sim

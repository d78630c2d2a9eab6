#pragma once

#include <functional>

#include "link/logger_host.h"

namespace kest::testing {

// A host whose event processing runs a test's callback (for example to deliver an
// acknowledgement packet while a command waits). Runs everything on the caller.
class FakeHost : public LoggerHost {
 public:
  void RunOnMainThread(const std::function<void()>& fn) override { fn(); }
  void ProcessMessages() override {
    ++pumps;
    if (on_pump) on_pump();
  }
  std::function<void()> on_pump;
  int pumps = 0;
};

}  // namespace kest::testing

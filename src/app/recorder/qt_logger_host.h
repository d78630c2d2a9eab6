#pragma once

#include <QObject>

#include "link/logger_host.h"

namespace kest {

// The logger's host in the desktop program: functions from the logger's threads run
// on the GUI thread through a blocking queued call; waits on the GUI thread pump
// the event loop. Create it on the GUI thread.
class QtLoggerHost : public LoggerHost {
 public:
  QtLoggerHost();
  ~QtLoggerHost() override;
  void RunOnMainThread(const std::function<void()>& fn) override;
  void ProcessMessages() override;

 private:
  QObject receiver_;  // lives on the GUI thread
};

}  // namespace kest

#pragma once

#include <functional>
#include <vector>

#include "link/logger_core.h"

namespace kest {

class TGenericLoggerLink;

// What windows place on a form to observe a logger: it joins the logger's observers
// and hands the logger's notifications to its links. Main thread only.
class TLoggerDataSource {
 public:
  TLoggerDataSource() = default;
  // Leaves the logger and lets go of every link.
  ~TLoggerDataSource();
  TLoggerDataSource(const TLoggerDataSource&) = delete;
  TLoggerDataSource& operator=(const TLoggerDataSource&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  LoggerCore* Logger() const { return logger_; }
  // Leaves the old logger's observers and joins the new one's.
  void SetLogger(LoggerCore* logger);
  // Enabled and a logger set.
  bool Active() const { return active_; }

  // Called by the links themselves (TGenericLoggerLink::SetDataSource).
  void AddLink(TGenericLoggerLink* link);
  void RemoveLink(TGenericLoggerLink* link);
  int LinkCount() const { return static_cast<int>(links_.size()); }

  // Called by the logger. State changes re-run every link's UpdateActive; other kinds
  // reach the active links while the source is active. A link that fails to follow a
  // change is logged and left unresolved: one observer must not break the logger's
  // operation or keep the others from hearing of it.
  void Notify(TLoggerNotifyKind kind, TLoggerPayload payload = {});
  // Called by the logger from AddDataSource / RemoveDataSource.
  void AttachLogger(LoggerCore* logger) { logger_ = logger; }

  std::function<void(TLoggerDataSource& sender)> OnLayoutChange;
  std::function<void(TLoggerDataSource& sender, TLoggerModule* module)> OnModuleChange;
  std::function<void(TLoggerDataSource& sender)> OnStateChange;

 private:
  void UpdateState();
  template <typename Fn>
  void ForEachLink(Fn fn);

  bool enabled_ = true;
  bool active_ = false;
  bool destroying_ = false;
  LoggerCore* logger_ = nullptr;
  std::vector<TGenericLoggerLink*> links_;
};

}  // namespace kest

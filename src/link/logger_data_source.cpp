#include "link/logger_data_source.h"

#include <algorithm>

#include "link/logger_link.h"
#include "support/diagnostic_log.h"

namespace kest {

TLoggerDataSource::~TLoggerDataSource() {
  destroying_ = true;
  SetLogger(nullptr);
  for (TGenericLoggerLink* link : std::vector(links_)) link->DataSourceGone();
}

void TLoggerDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify(TLoggerNotifyKind::lnStateChange);
}

void TLoggerDataSource::SetLogger(LoggerCore* logger) {
  if (logger == logger_) return;
  if (logger_) logger_->RemoveDataSource(*this);
  logger_ = nullptr;  // also for a logger that did not list this source
  if (logger) logger->AddDataSource(*this);
}

void TLoggerDataSource::AddLink(TGenericLoggerLink* link) {
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TLoggerDataSource::RemoveLink(TGenericLoggerLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

template <typename Fn>
void TLoggerDataSource::ForEachLink(Fn fn) {
  // Handlers may add or remove links; walk a copy and skip those that left.
  for (TGenericLoggerLink* link : std::vector(links_)) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    try {
      fn(link);
    } catch (const std::exception& e) {
      Diag().Error(std::string("Logger link: ") + e.what());
    }
  }
}

void TLoggerDataSource::UpdateState() {
  bool active = enabled_ && logger_ != nullptr;
  if (active == active_) return;
  active_ = active;
  ForEachLink([](TGenericLoggerLink* link) { link->UpdateActive(); });
  if (!destroying_ && OnStateChange) OnStateChange(*this);
}

void TLoggerDataSource::Notify(TLoggerNotifyKind kind, TLoggerPayload payload) {
  if (kind == TLoggerNotifyKind::lnStateChange) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (kind) {
    case TLoggerNotifyKind::lnLayoutChange:
      ForEachLink([](TGenericLoggerLink* link) {
        if (link->Active()) link->LayoutChanged();
      });
      if (OnLayoutChange) OnLayoutChange(*this);
      break;
    case TLoggerNotifyKind::lnSensorChange: {
      auto* sensor = std::holds_alternative<TLoggerSensor*>(payload)
                         ? std::get<TLoggerSensor*>(payload)
                         : nullptr;
      ForEachLink([sensor](TGenericLoggerLink* link) {
        if (link->Active()) link->SensorChanged(sensor);
      });
      break;
    }
    case TLoggerNotifyKind::lnChannelChange: {
      auto* channel = std::holds_alternative<TLoggerChannel*>(payload)
                          ? std::get<TLoggerChannel*>(payload)
                          : nullptr;
      ForEachLink([channel](TGenericLoggerLink* link) {
        if (link->Active()) link->ChannelChanged(channel);
      });
      break;
    }
    case TLoggerNotifyKind::lnModuleChange: {
      auto* module = std::holds_alternative<TLoggerModule*>(payload)
                         ? std::get<TLoggerModule*>(payload)
                         : nullptr;
      if (OnModuleChange) OnModuleChange(*this, module);
      break;
    }
    default:
      break;
  }
}

}  // namespace kest

#include "link/logger_core.h"

#include <algorithm>

#include "link/logger_channels.h"
#include "link/logger_data_source.h"
#include "link/logger_sensors.h"

namespace kest {

void LoggerCore::AddDataSource(TLoggerDataSource& source) {
  if (std::find(data_sources_.begin(), data_sources_.end(), &source) != data_sources_.end()) return;
  data_sources_.push_back(&source);
  source.AttachLogger(this);
  source.Notify(TLoggerNotifyKind::lnStateChange);
  source.Notify(TLoggerNotifyKind::lnLayoutChange);
}

void LoggerCore::RemoveDataSource(TLoggerDataSource& source) {
  auto it = std::find(data_sources_.begin(), data_sources_.end(), &source);
  if (it == data_sources_.end()) return;
  data_sources_.erase(it);
  source.AttachLogger(nullptr);
  source.Notify(TLoggerNotifyKind::lnStateChange);
}

void LoggerCore::DeliverToDataSources(TLoggerNotifyKind kind, TLoggerPayload payload) {
  // A handler may make a source leave; walk a copy.
  std::vector<TLoggerDataSource*> sources = data_sources_;
  for (TLoggerDataSource* source : sources)
    if (std::find(data_sources_.begin(), data_sources_.end(), source) != data_sources_.end())
      source->Notify(kind, payload);
}

void LoggerCore::ConnectLists() {
  TLoggerSensors& sensors = Sensors();
  TLoggerChannels& channels = Channels();
  sensors.OnLayoutChange = [this] { Notify(TLoggerNotifyKind::lnLayoutChange); };
  sensors.BeginUpdate = [this] { BeginUpdate(); };
  sensors.EndUpdate = [this] { EndUpdate(); };
  sensors.OnRemove = [&channels](TLoggerSensor& s) { channels.SensorRemoved(&s); };
  channels.OnLayoutChange = [this] { Notify(TLoggerNotifyKind::lnLayoutChange); };
  channels.BeginUpdate = [this] { BeginUpdate(); };
  channels.EndUpdate = [this] { EndUpdate(); };
}

void LoggerCore::DetachDataSources() {
  while (!data_sources_.empty()) data_sources_.back()->SetLogger(nullptr);
}

}  // namespace kest

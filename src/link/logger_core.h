#pragma once

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

namespace kest {

class TLoggerChannel;
class TLoggerChannels;
class TLoggerDataSource;
class TLoggerModule;
class TLoggerSensor;
class TLoggerSensors;

// What the logger tells its observers.
enum class TLoggerNotifyKind : uint8_t {
  lnLayoutChange = 0,   // a sensor, channel or module was added or removed; power set
  lnSensorChange = 1,   // payload: the sensor
  lnChannelChange = 2,  // payload: the channel
  lnModuleChange = 3,   // payload: the module (added, or its alive flag changed)
  lnStateChange = 4,    // initialised state changed or a power value was sent
};
// None when a batch of changes is delivered at the end of an update bracket.
using TLoggerPayload =
    std::variant<std::monostate, TLoggerSensor*, TLoggerChannel*, TLoggerModule*>;

// The side of the logger that device modules, channels and data sources need: its
// sensor and channel lists, its modules, the running sums that module loading keeps,
// its change notifications and its observers. TLogger implements it; tests use a
// small stand-in. Main thread only.
//
// The logger is expected to wire its lists so that
//   Sensors().OnLayoutChange / Channels().OnLayoutChange  -> Notify(lnLayoutChange)
//   Sensors().BeginUpdate/EndUpdate, Channels() likewise  -> its update bracket
//   Sensors().OnRemove(sensor)                            -> Channels().SensorRemoved
// and to create channels with ChannelHandler() as their change handler.
class LoggerCore {
 public:
  virtual ~LoggerCore() = default;

  virtual TLoggerSensors& Sensors() = 0;
  virtual TLoggerChannels& Channels() = 0;
  virtual int ModuleCount() const = 0;
  virtual TLoggerModule* Modules(int index) const = 0;

  // Raises a notification; inside the update bracket the logger only remembers the
  // kind, and delivers it without payload when the bracket closes.
  virtual void Notify(TLoggerNotifyKind kind, TLoggerPayload payload = {}) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  // The change handler of every channel of this logger: raises lnChannelChange.
  void ChannelChanged(TLoggerChannel& channel) {
    Notify(TLoggerNotifyKind::lnChannelChange, &channel);
  }

  // Running sums kept while modules are loaded (see LoadClass).
  int32_t Power = 0;         // sum of the loaded modules' power values
  int32_t InitCommand = 0;   // from the last module of kind 2 or 3 that declares one
  int32_t ModuleOffset = 0;  // sum of the loaded modules' lengths

  // Observers. AddDataSource sets the source's logger, lets it re-evaluate its state
  // and sends it a layout change; RemoveDataSource undoes it. Data sources call these
  // from SetLogger.
  void AddDataSource(TLoggerDataSource& source);
  void RemoveDataSource(TLoggerDataSource& source);
  int DataSourceCount() const { return static_cast<int>(data_sources_.size()); }
  TLoggerDataSource* DataSources(int i) const { return data_sources_[static_cast<size_t>(i)]; }
  // Delivers a notification to every data source at once, in list order (what the
  // logger does outside its update bracket).
  void DeliverToDataSources(TLoggerNotifyKind kind, TLoggerPayload payload = {});

 protected:
  // The logger's destructor detaches every data source, from the last.
  void DetachDataSources();
  // Wires the sensor and channel lists to this logger as described above (call
  // once the lists exist, from the constructor of the implementation).
  void ConnectLists();

 private:
  std::vector<TLoggerDataSource*> data_sources_;
};

}  // namespace kest

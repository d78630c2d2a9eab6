#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/recording_session.h"
#include "witness/witness_format.h"

namespace kest {

class WitnessPublisher;

// "2026-12-10T03:15:00+03:00": now, local, with the zone's offset.
std::string LocalIsoNow();

// Hands the recording session's runs to a publisher: the header from the working
// sheet when a run starts, each row as it is added in the recording order, the
// withdrawals when the tool moves back, the end with the saved file's name. Reads
// the sheet on the main thread, where the session writes it; a row added outside
// the session (the sampler's marker) goes with the next event or Sync.
class WitnessRecording : public RecordingListener {
 public:
  // Gives the tablet's columns for the tracks of a run; empty: one column per track.
  using LayoutFn = std::function<std::vector<WitnessColumn>(const WitnessHeader&)>;

  explicit WitnessRecording(WitnessPublisher& publisher, LayoutFn layout = {});

  void RecordingStarted(RecordingSession& session) override;
  void RowAdded(RecordingSession& session) override;
  void RowDropped(RecordingSession& session) override;
  void RecordingEnded(RecordingSession& session, const std::string& saved_path) override;

  // Publishes what changed in the sheet since the last event.
  void Sync(RecordingSession& session);
  int64_t Rows() const { return rows_; }

  // The header of the run `session` is recording (tracks, argument, step, direction).
  static WitnessHeader HeaderOf(RecordingSession& session);

 private:
  WitnessPublisher& publisher_;
  LayoutFn layout_;
  bool running_ = false;
  int64_t rows_ = 0;
  float null_value_ = 0;
};

}  // namespace kest

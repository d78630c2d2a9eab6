#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "witness/row_store.h"
#include "witness/witness_format.h"
#include "witness/witness_settings.h"

namespace kest {

class MqttClient;

struct WitnessPublisherOptions {
  int64_t rows_interval_ms = 1000;  // live rows go out at most this often
  // The history chunk still filling is republished at most this often (a complete
  // chunk goes at once): a viewer opening mid-run misses at most this much until
  // the next republication, and the link is not filled with copies of it.
  int64_t open_chunk_interval_ms = 10000;
  size_t memory_limit = 4u << 20;  // rows beyond this go to the spill file
  std::string spill_dir;           // the research folder; empty: never spill
  int reconnect_min_s = 1;
  int reconnect_max_s = 16;
  // How long the publisher waits for the broker's retained run list at connect
  // before it publishes its own (merged) list.
  int64_t runs_wait_ms = 300;
};

// Publishes the runs of one unit (docs/witness.md) from a thread of its own, so the
// recording never waits for the network. The recorder hands over events (a run
// starts, a row, rows withdrawn, the run ends) in a swap under a short lock; the
// publisher thread keeps the run's rows in a RowStore (memory up to a limit, then a
// spill file) whatever the broker does, and from that store publishes the live
// rows, the history chunks, the header, the run list and the end. When the broker
// comes back after a loss, everything retained is published again and the rows
// sent while it was away reach viewers as history.
class WitnessPublisher {
 public:
  struct Status {
    bool connected = false;
    int64_t waiting = 0;  // rows recorded but not yet sent to the broker
    std::string error;    // the broker's refusal, empty when none
  };

  WitnessPublisher(const WitnessSettings& settings, WitnessPublisherOptions options = {});
  // Gives the broker a moment for what is queued (at most 2 s), then disconnects.
  ~WitnessPublisher();
  WitnessPublisher(const WitnessPublisher&) = delete;
  WitnessPublisher& operator=(const WitnessPublisher&) = delete;

  // Main thread, never blocking.
  void Begin(WitnessHeader header);  // unit and run are filled in when empty
  void Add(WitnessRow row);
  void Withdraw(int64_t rows_left);  // the run now has `rows_left` rows
  void End(std::string file, int64_t rows);

  Status GetStatus() const;
  // Waits until everything handed over reached the broker (acknowledged), or
  // `timeout_ms` passed, or the broker refused the user or password; true when it
  // all went.
  bool Flush(int64_t timeout_ms);
  // A run id for `started` ("2026-12-10T03-15-00", "-2" ... when taken).
  std::string NewRunId(const std::string& started_local);

 private:
  struct BeginEvent {
    WitnessHeader header;
  };
  struct RowEvent {
    WitnessRow row;
  };
  struct WithdrawEvent {
    int64_t rows_left;
  };
  struct EndEvent {
    std::string file;
    int64_t rows;
  };
  using Event = std::variant<BeginEvent, RowEvent, WithdrawEvent, EndEvent>;

  void Push(Event event);
  void ThreadMain();
  void Network(int64_t now);
  void Apply(Event& event, int64_t now);
  void PublishDue(int64_t now, bool force);
  bool Send(const std::string& topic, const std::string& payload, bool retain);
  void MarkDirty(int64_t from_row);
  bool Idle() const;  // publisher thread: nothing left to send
  void MergeRuns(const RunsMessage& theirs);

  WitnessSettings settings_;
  WitnessPublisherOptions options_;
  std::unique_ptr<MqttClient> client_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable flushed_;
  std::vector<Event> events_;
  bool stop_ = false;
  std::atomic<int64_t> handed_rows_{0};  // rows handed over, minus withdrawn
  std::string error_;
  std::vector<RunsMessage> their_runs_;  // retained lists from the broker, to merge
  std::map<std::string, int> run_ids_;   // main thread: ids given

  std::atomic<bool> connected_{false};
  std::atomic<bool> reconnected_{false};
  std::atomic<int64_t> in_flight_{0};
  std::atomic<int64_t> sent_rows_{0};
  std::atomic<bool> idle_{true};
  std::atomic<bool> refused_{false};  // the broker refused the user or password

  // Publisher thread only.
  std::unique_ptr<RowStore> store_;
  bool in_run_ = false;
  WitnessHeader header_;
  RunsMessage runs_;
  bool runs_known_ = false;  // the broker's retained list was read (or waited for)
  int64_t connected_at_ = 0;
  bool header_dirty_ = false, runs_dirty_ = false;
  std::optional<EndMessage> end_;
  bool end_dirty_ = false;
  int64_t live_from_ = 0;    // the next live rows message starts here
  bool live_dirty_ = false;  // rows withdrawn or added since the last live message
  int64_t next_rows_at_ = 0;
  std::map<int64_t, int64_t> dirty_chunks_;  // chunk -> when it first changed
  std::map<int64_t, int64_t> chunk_sent_at_;
  int64_t chunks_published_ = 0;  // chunks [0, n) hold retained rows on the broker
  bool socket_ = false;           // TCP connected (the broker may not have answered yet)
  int64_t next_connect_ = 0;
  int64_t retry_delay_ms_ = 1000;
  std::thread thread_;
};

}  // namespace kest

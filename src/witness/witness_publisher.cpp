#include "witness/witness_publisher.h"

#include <algorithm>
#include <chrono>

#include "support/diagnostic_log.h"
#include "witness/mqtt_client.h"

namespace kest {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

constexpr size_t kMaxRunsListed = 50;
constexpr int64_t kMinChunkInterval = 1000;
constexpr int64_t kStopGraceMs = 2000;

}  // namespace

// The publisher's own thread drives libmosquitto (mosquitto_loop), not the library's
// thread (mosquitto_loop_start): connecting, reconnecting with back-off when the
// broker is gone (also when it was never there), publishing and the callbacks all
// happen on one thread, so what is sent, acknowledged and still due is one state
// without locks, and the back-off is ours to bound. The recorder only hands events
// over under a short lock; a slow or absent broker stalls this thread, never it.
WitnessPublisher::WitnessPublisher(const WitnessSettings& settings, WitnessPublisherOptions options)
    : settings_(settings),
      options_(std::move(options)),
      store_(std::make_unique<RowStore>("", options_.memory_limit)) {
  MqttClient::Callbacks callbacks;
  callbacks.connected = [this](int rc) {
    if (rc != 0) {
      std::lock_guard lock(mutex_);
      error_ = MqttClient::ConnackText(rc);
      refused_ = true;
      flushed_.notify_all();
      return;
    }
    refused_ = false;
    {
      std::lock_guard lock(mutex_);
      error_.clear();
    }
    client_->Subscribe(UnitTopic(settings_.unit) + "runs", 1);
    connected_ = true;
    reconnected_ = true;
    retry_delay_ms_ = int64_t{options_.reconnect_min_s} * 1000;
  };
  callbacks.disconnected = [this] { connected_ = false; };
  callbacks.published = [this](int) { --in_flight_; };
  callbacks.message = [this](const std::string& topic, std::string_view payload, bool) {
    if (topic != UnitTopic(settings_.unit) + "runs" || payload.empty()) return;
    std::string why;
    auto runs = ParseRuns(payload, &why);
    if (!runs) {
      Diag().Error("witness: the broker's run list is damaged: " + why);
      runs = RunsMessage{};
    }
    std::lock_guard lock(mutex_);
    their_runs_.push_back(std::move(*runs));
  };
  client_ = std::make_unique<MqttClient>(settings_, std::move(callbacks));
  retry_delay_ms_ = int64_t{options_.reconnect_min_s} * 1000;
  runs_.unit = settings_.unit;
  thread_ = std::thread([this] { ThreadMain(); });
}

WitnessPublisher::~WitnessPublisher() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  client_.reset();
}

void WitnessPublisher::Push(Event event) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    idle_ = false;
  }
  wake_.notify_all();
}

void WitnessPublisher::Begin(WitnessHeader header) {
  header.unit = settings_.unit;
  if (header.run.empty()) header.run = NewRunId(header.started);
  handed_rows_ = 0;
  sent_rows_ = 0;
  Push(BeginEvent{std::move(header)});
}

void WitnessPublisher::Add(WitnessRow row) {
  ++handed_rows_;
  Push(RowEvent{std::move(row)});
}

void WitnessPublisher::Withdraw(int64_t rows_left) {
  handed_rows_ = std::min<int64_t>(handed_rows_, rows_left);
  Push(WithdrawEvent{rows_left});
}

void WitnessPublisher::End(std::string file, int64_t rows) {
  Push(EndEvent{std::move(file), rows});
}

std::string WitnessPublisher::NewRunId(const std::string& started) {
  // "2026-12-10T03:15:00+03:00" -> "2026-12-10T03-15-00"
  std::string id = started.substr(0, 19);
  std::replace(id.begin(), id.end(), ':', '-');
  if (id.empty() || !UnitNameProblem(id).empty()) id = "run";
  const int n = ++run_ids_[id];
  return n == 1 ? id : id + "-" + std::to_string(n);
}

WitnessPublisher::Status WitnessPublisher::GetStatus() const {
  Status s;
  s.connected = connected_;
  s.waiting = std::max<int64_t>(0, handed_rows_ - sent_rows_);
  std::lock_guard lock(mutex_);
  s.error = error_;
  return s;
}

bool WitnessPublisher::Flush(int64_t timeout_ms) {
  std::unique_lock lock(mutex_);
  wake_.notify_all();
  return flushed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] {
    return (events_.empty() && idle_) || refused_;
  }) && !refused_;
}

// Connects when due (at once, then after the back-off), or does up to 50 ms of
// network work.
void WitnessPublisher::Network(int64_t now) {
  if (!socket_) {
    if (now < next_connect_) return;
    const std::string error = client_->Connect();
    socket_ = error.empty();
    if (!socket_) {
      next_connect_ = now + retry_delay_ms_;
      retry_delay_ms_ =
          std::min<int64_t>(retry_delay_ms_ * 2, int64_t{options_.reconnect_max_s} * 1000);
      std::lock_guard lock(mutex_);
      error_ = "брокер " + settings_.host + ":" + std::to_string(settings_.port) +
               " недоступен: " + error;
      return;
    }
  }
  if (!client_->Loop(50)) {
    socket_ = false;
    connected_ = false;
    next_connect_ = now + retry_delay_ms_;
    retry_delay_ms_ =
        std::min<int64_t>(retry_delay_ms_ * 2, int64_t{options_.reconnect_max_s} * 1000);
  }
}

void WitnessPublisher::ThreadMain() {
  int64_t stop_deadline = 0;
  while (true) {
    Network(NowMs());
    std::vector<Event> events;
    bool stopping = false;
    {
      std::unique_lock lock(mutex_);
      // Without a connection the network gives no pause: wait for events instead.
      if (!socket_)
        wake_.wait_for(lock, std::chrono::milliseconds(50),
                       [this] { return stop_ || !events_.empty(); });
      events.swap(events_);
      stopping = stop_;
      for (const RunsMessage& theirs : their_runs_) MergeRuns(theirs);
      their_runs_.clear();
    }
    const int64_t now = NowMs();
    for (Event& e : events) Apply(e, now);
    PublishDue(now, stopping);
    const bool idle = Idle();
    {
      std::lock_guard lock(mutex_);
      idle_ = idle && events_.empty();
    }
    flushed_.notify_all();
    if (stopping) {
      if (stop_deadline == 0) stop_deadline = now + kStopGraceMs;
      if (idle || now >= stop_deadline) break;
    }
  }
  if (socket_) {
    client_->Disconnect();
    client_->Loop(50);
  }
}

void WitnessPublisher::MergeRuns(const RunsMessage& theirs) {
  // Runs of earlier sessions the broker keeps go before this session's own.
  std::vector<RunEntry> merged;
  for (const RunEntry& e : theirs.runs) {
    auto mine = std::find_if(runs_.runs.begin(), runs_.runs.end(),
                             [&](const RunEntry& r) { return r.run == e.run; });
    if (mine == runs_.runs.end()) merged.push_back(e);
  }
  if (!merged.empty()) {
    merged.insert(merged.end(), runs_.runs.begin(), runs_.runs.end());
    runs_.runs = std::move(merged);
    if (runs_.runs.size() > kMaxRunsListed)
      runs_.runs.erase(runs_.runs.begin(), runs_.runs.end() - static_cast<long>(kMaxRunsListed));
    runs_dirty_ = in_run_ || runs_dirty_;
  }
  runs_known_ = true;
}

void WitnessPublisher::MarkDirty(int64_t from_row) {
  const int64_t now = NowMs();
  const int64_t end = std::max(chunks_published_ * kHistoryChunk, store_->Count());
  for (int64_t c = from_row / kHistoryChunk; c * kHistoryChunk < std::max(end, from_row + 1); ++c)
    dirty_chunks_.emplace(c, now);
}

void WitnessPublisher::Apply(Event& event, int64_t now) {
  if (auto* begin = std::get_if<BeginEvent>(&event)) {
    if (in_run_ && !end_) {
      end_ = EndMessage{"", store_->Count()};
      end_dirty_ = true;
    }
    PublishDue(now, true);  // what is left of the run before goes first
    header_ = std::move(begin->header);
    store_ = std::make_unique<RowStore>(
        options_.spill_dir.empty() ? std::string()
                                   : options_.spill_dir + "/witness-" + header_.run + ".rows",
        options_.memory_limit);
    store_->Reset(header_.tracks.size());
    for (RunEntry& r : runs_.runs) r.recording = false;
    runs_.runs.push_back({header_.run, header_.started, true});
    if (runs_.runs.size() > kMaxRunsListed) runs_.runs.erase(runs_.runs.begin());
    in_run_ = true;
    header_dirty_ = runs_dirty_ = true;
    end_.reset();
    end_dirty_ = false;
    live_from_ = 0;
    live_dirty_ = false;
    next_rows_at_ = now;
    dirty_chunks_.clear();
    chunk_sent_at_.clear();
    chunks_published_ = 0;
    sent_rows_ = 0;
  } else if (!in_run_) {
    return;  // rows without a run: nothing to show them in
  } else if (auto* row = std::get_if<RowEvent>(&event)) {
    store_->Append(row->row);
    MarkDirty(store_->Count() - 1);
    live_dirty_ = true;
  } else if (auto* withdraw = std::get_if<WithdrawEvent>(&event)) {
    if (withdraw->rows_left < store_->Count()) {
      const int64_t left = std::max<int64_t>(0, withdraw->rows_left);
      MarkDirty(left);
      store_->Truncate(left);
      live_from_ = std::min(live_from_, left);
      live_dirty_ = true;
    }
  } else if (auto* end = std::get_if<EndEvent>(&event)) {
    end_ = EndMessage{end->file, end->rows};
    end_dirty_ = true;
    for (RunEntry& r : runs_.runs)
      if (r.run == header_.run) r.recording = false;
    runs_dirty_ = true;
  }
}

bool WitnessPublisher::Send(const std::string& topic, const std::string& payload, bool retain) {
  if (!connected_) return false;
  ++in_flight_;
  const int rc = client_->Publish(topic, payload, 1, retain);
  if (rc != 0) {
    --in_flight_;
    return false;
  }
  return true;
}

void WitnessPublisher::PublishDue(int64_t now, bool force) {
  if (!connected_) return;
  const int64_t count = store_->Count();
  if (reconnected_.exchange(false)) {
    // A broker back after a loss may have lost what it retained (restarted without
    // persistence): everything retained goes again, and the rows recorded while it
    // was away go as history, not as one huge live message.
    connected_at_ = now;
    header_dirty_ = runs_dirty_ = in_run_;
    if (in_run_) {
      MarkDirty(0);
      for (auto& [c, since] : dirty_chunks_) since = now - options_.open_chunk_interval_ms;
      chunk_sent_at_.clear();
      live_from_ = count;
      live_dirty_ = false;
      end_dirty_ = end_.has_value();
    }
  }
  if (!in_run_) return;
  const std::string run = RunTopic(settings_.unit, header_.run);
  if (header_dirty_ && Send(run + "header", HeaderJson(header_), true)) header_dirty_ = false;

  if (live_dirty_ && (force || end_ || now >= next_rows_at_)) {
    // After a long loss the history carries the rows; a live message stays small.
    if (count - live_from_ <= kHistoryChunk)
      Send(run + "rows", RowsJson(live_from_, store_->Read(live_from_, count)), false);
    live_from_ = count;
    live_dirty_ = false;
    next_rows_at_ = now + options_.rows_interval_ms;
  }

  const bool final = force || end_.has_value();
  for (auto it = dirty_chunks_.begin(); it != dirty_chunks_.end();) {
    const int64_t c = it->first;
    const int64_t from = c * kHistoryChunk;
    const bool complete = count >= from + kHistoryChunk;
    auto sent = chunk_sent_at_.find(c);
    // A chunk goes first as soon as live rows would; the filling one then every
    // open_chunk_interval_ms.
    const bool due = final || (sent == chunk_sent_at_.end()
                                   ? now - it->second >= options_.rows_interval_ms
                                   : now - sent->second >=
                                         std::max(kMinChunkInterval,
                                                  complete ? 0 : options_.open_chunk_interval_ms));
    if (!due) {
      ++it;
      continue;
    }
    const std::string topic = run + "history/" + std::to_string(c);
    bool ok = true;
    if (from >= count) {
      if (c < chunks_published_) ok = Send(topic, "", true);  // wholly withdrawn
    } else {
      ok = Send(topic,
                RowsJson(from, store_->Read(from, std::min(count, from + kHistoryChunk)), count),
                true);
      if (ok) chunks_published_ = std::max(chunks_published_, c + 1);
    }
    if (!ok) break;
    chunk_sent_at_[c] = now;
    it = dirty_chunks_.erase(it);
  }
  if (chunks_published_ * kHistoryChunk > count && dirty_chunks_.empty())
    chunks_published_ = (count + kHistoryChunk - 1) / kHistoryChunk;
  if (dirty_chunks_.empty() && !live_dirty_)
    sent_rows_ = count;
  else if (!live_dirty_)
    sent_rows_ = std::min<int64_t>(live_from_, count);

  if (runs_dirty_ && (runs_known_ || force || now - connected_at_ >= options_.runs_wait_ms) &&
      Send(UnitTopic(settings_.unit) + "runs", RunsJson(runs_), true))
    runs_dirty_ = false;
  if (end_dirty_ && dirty_chunks_.empty() && !live_dirty_ &&
      Send(run + "end", EndJson(*end_), true))
    end_dirty_ = false;
}

bool WitnessPublisher::Idle() const {
  if (in_flight_ > 0) return false;
  if (!in_run_) return true;
  return !header_dirty_ && !runs_dirty_ && !live_dirty_ && dirty_chunks_.empty() && !end_dirty_;
}

}  // namespace kest

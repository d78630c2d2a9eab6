#include "witness/witness_recording.h"

#include <cmath>
#include <ctime>
#include <filesystem>

#include "log/null_sample.h"
#include "session/research.h"
#include "support/number_text.h"
#include "witness/witness_publisher.h"

namespace kest {

std::string LocalIsoNow() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string s = text;
  if (s.size() == 24) s.insert(22, ":");  // +0300 -> +03:00
  return s;
}

namespace {

constexpr const char* kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                    "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

std::vector<WitnessColumn> DefaultLayout(const WitnessHeader& header) {
  std::vector<WitnessColumn> columns;
  for (size_t i = 0; i < header.tracks.size(); ++i) {
    WitnessColumn column;
    WitnessCurve curve;
    curve.track = static_cast<int32_t>(i);
    curve.color = kPalette[i % std::size(kPalette)];
    column.curves.push_back(curve);
    columns.push_back(column);
  }
  return columns;
}

}  // namespace

WitnessRecording::WitnessRecording(WitnessPublisher& publisher, LayoutFn layout)
    : publisher_(publisher), layout_(std::move(layout)) {}

WitnessHeader WitnessRecording::HeaderOf(RecordingSession& session) {
  WitnessHeader h;
  const TLogSheet& sheet = session.Sheet();
  const uint8_t mode = session.RecordMode();
  h.time = mode == RecordingSession::rmTime;
  h.direction = h.time ? "time" : mode == RecordingSession::rmDepthUp ? "up" : "down";
  h.research = session.CurrentResearch().ResearchName();
  h.well = session.CurrentResearch().ResearchParams.Value("well");
  h.started = LocalIsoNow();
  int32_t step = sheet.Count() ? sheet.Tracks(0)->Step() : 0;
  for (const RecordingSession::RecordedTrack& r : session.RecordedTracks()) {
    WitnessTrack t;
    t.name = t.mnemonic = t.caption = r.track->Parameter();
    step = r.track->Step();
    t.offset = h.time ? 0 : r.offset / 1000.0;
    // The shift the stop gives the track (its offset in whole steps).
    t.shift = h.time ? 0 : RecordingSession::ShiftedOrigin(r.offset, step, 0) / 1000.0;
    h.tracks.push_back(std::move(t));
  }
  h.step = step / 1000.0;
  return h;
}

void WitnessRecording::RecordingStarted(RecordingSession& session) {
  WitnessHeader header = HeaderOf(session);
  header.columns = layout_ ? layout_(header) : DefaultLayout(header);
  if (header.columns.empty()) header.columns = DefaultLayout(header);
  null_value_ = static_cast<float>(ParseFloat(session.NullValue).value_or(kDefaultNullValue));
  publisher_.Begin(std::move(header));
  running_ = true;
  rows_ = 0;
  Sync(session);
}

void WitnessRecording::RowAdded(RecordingSession& session) { Sync(session); }
void WitnessRecording::RowDropped(RecordingSession& session) { Sync(session); }

void WitnessRecording::Sync(RecordingSession& session) {
  if (!running_) return;
  const auto tracks = session.RecordedTracks();
  if (tracks.empty()) return;
  const TLogTrack& first = *tracks.front().track;
  const int64_t count = first.Count();
  if (count < rows_) {
    publisher_.Withdraw(count);
    rows_ = count;
  }
  const double scale = 1000.0;  // mm and ms to m and s
  for (; rows_ < count; ++rows_) {
    WitnessRow row;
    // Row k of the recording order: sample k going down (or in time), sample
    // Count-1-k going up, where each new row goes in front.
    auto index = [&](const TLogTrack& t) {
      return static_cast<int32_t>(t.Ascending() ? rows_ : t.Count() - 1 - rows_);
    };
    row.arg = first.ArgumentOf(index(first)) / scale;
    row.values.reserve(tracks.size());
    for (const RecordingSession::RecordedTrack& r : tracks) {
      const int32_t i = index(*r.track);
      const float v = i >= 0 && i < r.track->Count() ? r.track->Sample(i) : NAN;
      row.values.push_back(IsNullSample(v, null_value_) ? NAN : v);
    }
    publisher_.Add(std::move(row));
  }
}

void WitnessRecording::RecordingEnded(RecordingSession& session, const std::string& saved_path) {
  if (!running_) return;
  running_ = false;
  publisher_.End(std::filesystem::path(saved_path).filename().string(), rows_);
  (void)session;
}

}  // namespace kest

#include "witness/witness_run.h"

#include <cmath>

#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "session/recording_session.h"

namespace kest {

namespace {

// Messages held while waiting for a gap to fill; beyond this the oldest go.
constexpr size_t kMaxWaiting = 4096;
// Rows a message may reach beyond those held (holes to be filled by history).
constexpr int64_t kMaxAhead = 2'000'000;

}  // namespace

WitnessRun::WitnessRun(NoticeFn notice) : notice_(std::move(notice)) {}

void WitnessRun::Notice(const std::string& text) const {
  if (notice_) notice_(text);
}

bool WitnessRun::OnHeader(std::string_view payload) {
  std::string why;
  auto header = ParseHeader(payload, &why);
  if (!header) {
    Notice("header ignored: " + why);
    return false;
  }
  if (header_ && header_->tracks.size() != header->tracks.size()) {
    // The same run with other tracks: what was held cannot be kept.
    rows_.clear();
    known_.clear();
    holes_ = 0;
  }
  header_ = std::move(header);
  auto early = std::move(early_);
  early_.clear();
  for (Held& h : early) h.chunk < 0 ? OnRows(h.payload) : OnHistory(h.chunk, h.payload, h.retained);
  return true;
}

bool WitnessRun::Early(int64_t chunk, std::string_view payload, bool retained) {
  if (payload.size() > kMaxWitnessMessage) {
    Notice("message ignored: larger than 1 MB");
    return false;
  }
  if (early_.size() >= kMaxWaiting) early_.pop_front();
  early_.push_back({chunk, std::string(payload), retained});
  return true;
}

// Rows far beyond those held would only make holes to fill: such a message is
// damaged or hostile.
bool WitnessRun::Reachable(int64_t end) {
  if (end <= static_cast<int64_t>(rows_.size()) + kMaxAhead) return true;
  Notice("message ignored: its rows lie too far beyond the rows held");
  return false;
}

void WitnessRun::SetLength(int64_t length) {
  const size_t n = static_cast<size_t>(length);
  for (size_t i = n; i < known_.size(); ++i) holes_ -= known_[i] ? 0 : 1;
  if (n > known_.size()) holes_ += static_cast<int64_t>(n - known_.size());
  rows_.resize(n);
  known_.resize(n, 0);
}

void WitnessRun::Put(int64_t from, const std::vector<WitnessRow>& rows) {
  const int64_t end = from + static_cast<int64_t>(rows.size());
  if (end > static_cast<int64_t>(rows_.size())) SetLength(end);
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t at = static_cast<size_t>(from) + i;
    if (!known_[at]) {
      known_[at] = 1;
      --holes_;
    }
    rows_[at] = rows[i];
  }
}

bool WitnessRun::OnRows(std::string_view payload) {
  if (!header_) return Early(-1, payload, false);
  std::string why;
  auto m = ParseRows(payload, header_->tracks.size(), &why);
  if (!m) {
    Notice("rows ignored: " + why);
    return false;
  }
  if (!Reachable(m->from + static_cast<int64_t>(m->rows.size()))) return false;
  // The run is now as long as these rows reach: rows after them were withdrawn.
  SetLength(m->from);
  Put(m->from, m->rows);
  return true;
}

bool WitnessRun::OnHistory(int64_t chunk, std::string_view payload, bool retained) {
  if (chunk < 0 || chunk > kMaxRowIndex / kHistoryChunk) {
    Notice("history ignored: chunk number out of range");
    return false;
  }
  const int64_t from = chunk * kHistoryChunk;
  if (payload.empty()) {
    // The chunk was withdrawn whole.
    if (static_cast<int64_t>(rows_.size()) > from) SetLength(from);
    return true;
  }
  if (!header_) return Early(chunk, payload, retained);
  std::string why;
  auto parsed = ParseRows(payload, header_->tracks.size(), &why);
  if (!parsed) {
    Notice("history ignored: " + why);
    return false;
  }
  const RowsMessage& m = *parsed;
  const int64_t end = m.from + static_cast<int64_t>(m.rows.size());
  if (m.from != from || !m.total || m.rows.size() > size_t(kHistoryChunk) || *m.total < end) {
    Notice("history ignored: chunk " + std::to_string(chunk) + " does not hold its rows");
    return false;
  }
  if (!Reachable(*m.total)) return false;
  Put(m.from, m.rows);
  // Live, the chunk tells how long the run is now. From the broker's store, chunks
  // come in no order and each is as new as its last change: none cuts the others.
  if (!retained) SetLength(*m.total);
  return true;
}

bool WitnessRun::OnEnd(std::string_view payload) {
  if (payload.empty()) return true;
  std::string why;
  auto end = ParseEnd(payload, &why);
  if (!end) {
    Notice("end ignored: " + why);
    return false;
  }
  end_ = std::move(end);
  return true;
}

bool WitnessRun::Complete() const {
  return header_ && end_ && static_cast<int64_t>(rows_.size()) == end_->rows && holes_ == 0;
}

void WitnessRun::BuildSheet(TLogSheet& sheet) const {
  SheetLock lock(sheet);
  sheet.Clear();
  if (!header_) return;
  const WitnessHeader& h = *header_;
  const TLogArgument argument = h.time ? laTime : laDepth;
  sheet.SetArgument(argument);
  std::vector<TLogTrack*> tracks;
  for (const WitnessTrack& t : h.tracks) {
    TLogTrack* track = sheet.NewTrack(t.name);
    track->SetArgument(argument);
    tracks.push_back(track);
  }
  const int32_t step = static_cast<int32_t>(std::lround(h.step * 1000));
  const bool up = h.direction == "up";
  sheet.SetSteps(std::max(step, 1));
  sheet.SetAscending(!up);
  const int32_t first =
      rows_.empty() ? 0 : static_cast<int32_t>(std::lround(rows_.front().arg * 1000));
  // Going up each new row goes one step in front of the origin.
  sheet.SetOrigins(up ? first + step : first);
  for (const WitnessRow& row : rows_)
    for (size_t i = 0; i < tracks.size(); ++i)
      tracks[i]->Append(i >= row.values.size() || std::isnan(row.values[i]) ? kDefaultNullValue
                                                                            : row.values[i]);
  if (!h.time && !tracks.empty()) {
    const int32_t base = tracks.front()->Origin();
    for (size_t i = 0; i < tracks.size(); ++i)
      tracks[i]->SetOrigin(RecordingSession::ShiftedOrigin(
          static_cast<int32_t>(std::lround(h.tracks[i].offset * 1000)), step, base));
  }
  sheet.UpdateRange();
}

}  // namespace kest

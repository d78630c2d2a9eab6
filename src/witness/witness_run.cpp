#include "witness/witness_run.h"

#include <cmath>

#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "session/recording_session.h"

namespace kest {

namespace {

// Messages held while waiting for a gap to fill; beyond this the oldest go.
constexpr size_t kMaxWaiting = 4096;

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
    pending_.clear();
    pending_history_.clear();
  }
  header_ = std::move(header);
  auto early = std::move(early_);
  early_.clear();
  for (auto& [chunk, text] : early) chunk < 0 ? OnRows(text) : OnHistory(chunk, text);
  return true;
}

bool WitnessRun::OnRows(std::string_view payload) {
  if (!header_) {
    if (payload.size() > kMaxWitnessMessage) {
      Notice("rows ignored: message larger than 1 MB");
      return false;
    }
    if (early_.size() >= kMaxWaiting) early_.pop_front();
    early_.emplace_back(-1, std::string(payload));
    return true;
  }
  std::string why;
  auto m = ParseRows(payload, header_->tracks.size(), &why);
  if (!m) {
    Notice("rows ignored: " + why);
    return false;
  }
  if (m->from > static_cast<int64_t>(rows_.size())) {
    if (pending_.size() >= kMaxWaiting) pending_.pop_front();
    pending_.push_back(std::move(*m));
    return true;
  }
  ApplyRows(*m);
  return true;
}

bool WitnessRun::OnHistory(int64_t chunk, std::string_view payload) {
  if (chunk < 0 || chunk > kMaxRowIndex / kHistoryChunk) {
    Notice("history ignored: chunk number out of range");
    return false;
  }
  const int64_t from = chunk * kHistoryChunk;
  if (payload.empty()) {
    // The chunk was withdrawn whole.
    if (static_cast<int64_t>(rows_.size()) > from) rows_.resize(static_cast<size_t>(from));
    pending_history_.erase(pending_history_.lower_bound(from), pending_history_.end());
    return true;
  }
  if (!header_) {
    if (payload.size() > kMaxWitnessMessage) {
      Notice("history ignored: message larger than 1 MB");
      return false;
    }
    if (early_.size() >= kMaxWaiting) early_.pop_front();
    early_.emplace_back(chunk, std::string(payload));
    return true;
  }
  std::string why;
  auto parsed = ParseRows(payload, header_->tracks.size(), &why);
  if (!parsed) {
    Notice("history ignored: " + why);
    return false;
  }
  RowsMessage m = std::move(*parsed);
  if (m.from != from || !m.total || m.rows.size() > size_t(kHistoryChunk) ||
      *m.total < m.from + static_cast<int64_t>(m.rows.size())) {
    Notice("history ignored: chunk " + std::to_string(chunk) + " does not hold its rows");
    return false;
  }
  if (m.from > static_cast<int64_t>(rows_.size())) {
    if (pending_history_.size() >= kMaxWaiting) pending_history_.erase(pending_history_.begin());
    pending_history_[m.from] = std::move(m);
    return true;
  }
  ApplyHistory(m);
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

void WitnessRun::ApplyRows(const RowsMessage& m) {
  rows_.resize(static_cast<size_t>(m.from));
  rows_.insert(rows_.end(), m.rows.begin(), m.rows.end());
}

// A chunk is the run as it was when the chunk was sent: its rows replace those held,
// and when it was the last chunk then, rows held beyond it were withdrawn since.
void WitnessRun::ApplyHistory(const RowsMessage& m) {
  const int64_t end = m.from + static_cast<int64_t>(m.rows.size());
  const int64_t keep =
      std::min<int64_t>(static_cast<int64_t>(rows_.size()), std::max(*m.total, end));
  std::vector<WitnessRow> tail;
  if (keep > end) tail.assign(rows_.begin() + end, rows_.begin() + keep);
  rows_.resize(static_cast<size_t>(m.from));
  rows_.insert(rows_.end(), m.rows.begin(), m.rows.end());
  rows_.insert(rows_.end(), tail.begin(), tail.end());
  Settle();
}

// Held chunks and live rows that now join what is held are applied, in order.
void WitnessRun::Settle() {
  for (auto it = pending_history_.begin();
       it != pending_history_.end() && it->first <= static_cast<int64_t>(rows_.size());) {
    RowsMessage m = std::move(it->second);
    pending_history_.erase(it);
    ApplyHistory(m);  // settles again
    it = pending_history_.begin();
  }
  std::deque<RowsMessage> still;
  for (RowsMessage& m : pending_) {
    if (m.from <= static_cast<int64_t>(rows_.size()))
      ApplyRows(m);
    else
      still.push_back(std::move(m));
  }
  pending_ = std::move(still);
}

bool WitnessRun::Complete() const {
  return header_ && end_ && static_cast<int64_t>(rows_.size()) == end_->rows;
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
      tracks[i]->Append(std::isnan(row.values[i]) ? kDefaultNullValue : row.values[i]);
  if (!h.time && !tracks.empty()) {
    const int32_t base = tracks.front()->Origin();
    for (size_t i = 0; i < tracks.size(); ++i)
      tracks[i]->SetOrigin(RecordingSession::ShiftedOrigin(
          static_cast<int32_t>(std::lround(h.tracks[i].offset * 1000)), step, base));
  }
  sheet.UpdateRange();
}

}  // namespace kest

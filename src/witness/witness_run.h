#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "witness/witness_format.h"

namespace kest {

class TLogSheet;

// One run rebuilt from its messages as a receiver gets them: the retained header
// and history chunks and the live rows, in whatever order they come. Rows that
// start beyond what is held wait until history fills the gap; a message that is not
// JSON, too large or of the wrong shape is left out with a notice.
class WitnessRun {
 public:
  using NoticeFn = std::function<void(const std::string&)>;
  explicit WitnessRun(NoticeFn notice = {});

  // Each takes the payload of the run's topic; false when it was left out.
  bool OnHeader(std::string_view payload);
  bool OnRows(std::string_view payload);
  bool OnHistory(int64_t chunk, std::string_view payload);  // empty payload: chunk cleared
  bool OnEnd(std::string_view payload);

  const std::optional<WitnessHeader>& Header() const { return header_; }
  const std::vector<WitnessRow>& Rows() const { return rows_; }
  const std::optional<EndMessage>& End() const { return end_; }
  // The run ended and every row it had is here.
  bool Complete() const;
  // Messages waiting for history to fill a gap.
  size_t Waiting() const { return pending_.size() + pending_history_.size(); }

  // The run as the recorder saves it: tracks of the header's names, argument, step
  // and direction, each moved by its sensor's offset as the recorder's stop does.
  void BuildSheet(TLogSheet& sheet) const;

 private:
  void Notice(const std::string& text) const;
  void ApplyRows(const RowsMessage& m);
  void ApplyHistory(const RowsMessage& m);
  void Settle();

  NoticeFn notice_;
  std::optional<WitnessHeader> header_;
  std::vector<WitnessRow> rows_;
  std::optional<EndMessage> end_;
  std::deque<RowsMessage> pending_;  // live rows beyond what is held, in arrival order
  std::map<int64_t, RowsMessage> pending_history_;  // by first row
  std::deque<std::pair<int64_t, std::string>> early_;  // before the header: chunk (-1 live)
};

}  // namespace kest

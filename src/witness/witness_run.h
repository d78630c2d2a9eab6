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
  // `retained`: delivered from the broker's store at subscribing (the newest of each
  // chunk, in no particular order), not live in the order it was published.
  bool OnHeader(std::string_view payload);
  bool OnRows(std::string_view payload);
  bool OnHistory(int64_t chunk, std::string_view payload, bool retained);  // "": cleared
  bool OnEnd(std::string_view payload);

  const std::optional<WitnessHeader>& Header() const { return header_; }
  // The rows as known now; rows not yet known (Missing) have no values.
  const std::vector<WitnessRow>& Rows() const { return rows_; }
  int64_t Missing() const { return holes_; }
  const std::optional<EndMessage>& End() const { return end_; }
  // The run ended and every row it had is here.
  bool Complete() const;

  // The run as the recorder saves it: tracks of the header's names, argument, step
  // and direction, each moved by its sensor's offset as the recorder's stop does.
  void BuildSheet(TLogSheet& sheet) const;

 private:
  void Notice(const std::string& text) const;
  bool Early(int64_t chunk, std::string_view payload, bool retained);
  bool Reachable(int64_t end);
  void SetLength(int64_t length);
  void Put(int64_t from, const std::vector<WitnessRow>& rows);

  NoticeFn notice_;
  std::optional<WitnessHeader> header_;
  // Every message is applied in the order it comes: the run's length as the last
  // one said, the rows it carried; rows between that no message carried yet are
  // holes (known_ 0) until history or a later message fills them.
  std::vector<WitnessRow> rows_;
  std::vector<uint8_t> known_;
  int64_t holes_ = 0;
  std::optional<EndMessage> end_;
  struct Held {
    int64_t chunk;  // -1: live rows
    std::string payload;
    bool retained;
  };
  std::deque<Held> early_;  // before the header
};

}  // namespace kest

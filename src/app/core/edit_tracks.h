#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/errors.h"

namespace kest {

class TLogSheet;
class TLogTrack;
class UndoStack;

KEST_DECLARE_ERROR(EEditTracksError, EKestError);

// The rules of the data editor "Редактирование данных", without the widgets: one
// track of the sheet and one argument chosen, the sample there shown and written.
// Every write is a command on the undo stack; typing into the value field while
// the track and the argument stay is one command. Nothing is ever written outside
// a track: an argument without a sample of the chosen track has no value and
// refuses writes with kNoSampleMessage.
class EditTracks {
 public:
  static constexpr const char* kNoSampleMessage = "Нет отсчёта кривой в этой точке";
  static constexpr const char* kSettingsPath = "Settings/EditTracks";
  static constexpr const char* kLastParamsKey = "LastParams";
  enum class Move { Up, Down, FarUp, FarDown };
  enum class Entry { Written, Unchanged, NotANumber, NoSample };

  // `null_text` is the setting "NullValue" (a text that is not a number gives the
  // usual -9999.99).
  EditTracks(TLogSheet& sheet, UndoStack& undo, std::string_view null_text);

  // The sample of a track with `count` samples from `origin` every `step` that
  // holds `argument`: (argument - origin) / step, rounded down, when that is a
  // sample; none before the origin or past the last sample.
  static std::optional<int32_t> SampleIndex(int32_t argument, int32_t origin, int32_t step,
                                            int32_t count);

  // The sheet's tracks by display name (the parameter table's caption, else the
  // mnemonic; "[n]" added for a second track of one parameter), in sheet order.
  std::vector<std::string> TrackNames() const;
  // The first track of `parameter`, else `preferred` when the sheet holds it (the
  // tablet's focused track), else 0; -1 for an empty sheet.
  int TrackIndexOf(std::string_view parameter, const TLogTrack* preferred = nullptr) const;
  // The chosen track's place in the sheet now; -1 without one.
  int TrackIndex() const;
  void SetTrack(int index);  // out of range: no track
  // The chosen track itself, kept whatever moves around it; null once it left the
  // sheet (removed elsewhere), so nothing is written into another track.
  TLogTrack* Track() const;
  // A track was chosen and has left the sheet since.
  bool TrackGone() const { return chosen_ && Track() == nullptr; }
  // The chosen track's mnemonic ("LastParams"), "" without one.
  std::string Parameter() const;

  // The viewer's argument limits; the argument is kept inside them.
  void SetLimits(int32_t first, int32_t last);
  int32_t First() const { return first_; }
  int32_t Last() const { return last_; }
  // The argument field's increment: the sheet's step when its tracks share one,
  // else the chosen track's.
  int32_t Step() const;
  int32_t Argument() const { return argument_; }
  void SetArgument(int32_t argument);
  // "%.2f m" of metres on a depth sheet, "%.2f c" of seconds on a time sheet.
  std::string ArgumentText() const;
  // Where a key takes the argument: Up/Down one step while that stays inside the
  // limits, else to the limit; FarUp/FarDown (Ctrl+Up/Down) 10 m on depth, one
  // minute on time, likewise.
  int32_t Moved(Move move) const;

  // The chosen track's sample at the argument, or none.
  std::optional<int32_t> SampleIndex() const;
  bool HasSample() const { return SampleIndex().has_value(); }
  // "%.2f" of the sample, the null value's for a missing one; "" without one.
  std::string ValueText() const;
  // The sample is missing: the null value (or "%.2f" of both equal), or NaN.
  bool IsNull() const;
  const std::string& NullText() const { return null_text_; }  // "%.2f" of the null value
  float NullValue() const { return null_value_; }

  // The value field's text: a number is written at once (Written, or Unchanged when
  // the sample already holds it); a half-typed one ("", "-", "1e") leaves the sample
  // alone (NotANumber); without a sample nothing is written (NoSample).
  Entry EnterText(std::string_view text);
  // Writes the null value. Raises EEditTracksError kNoSampleMessage without a sample.
  void WriteNull();
  // Writes `value`. Raises EEditTracksError kNoSampleMessage without a sample.
  void Write(float value);
  // Ends the current typing: the next write is a command of its own.
  void EndTyping() { ++session_; }

 private:
  TLogSheet& sheet_;
  UndoStack& undo_;
  float null_value_ = -9999.99f;
  std::string null_text_;
  std::weak_ptr<TLogTrack> track_;
  bool chosen_ = false;
  int32_t first_ = 0, last_ = 0;
  int32_t argument_ = 0;
  uint64_t session_ = 0;
};

}  // namespace kest

#include "app/core/edit_tracks.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "support/number_text.h"
#include "support/undo_stack.h"

namespace kest {

namespace {

constexpr float kDefaultNull = -9999.99f;
constexpr int32_t kFarDepth = 10000;  // 10 m
constexpr int32_t kFarTime = 60000;   // one minute

std::string DisplayName(const std::string& mnemonic) {
  if (LogParametersExist()) {
    const TLogParameter* p = LogParameters().Find(mnemonic);
    if (!p) p = LogSensors().Find(mnemonic);
    if (p && !p->Caption.empty()) return p->Caption;
  }
  return mnemonic;
}

// One sample of a track set to a new value. Typing into the value field merges
// into one command while the track, the sample and the typing stay the same.
class SampleWrite : public UndoCommand {
 public:
  SampleWrite(TLogSheet& sheet, TLogTrack& track, int32_t index, float value, uint64_t session)
      : sheet_(sheet),
        track_(track.weak_from_this()),
        index_(index),
        old_(track.MeasuredSamples()[index]),
        new_(value),
        session_(session) {}

  void Do() override { Set(new_); }
  void Undo() override { Set(old_); }
  std::string Text() const override { return "Изменение значения"; }
  bool MergeWith(const UndoCommand& next) override {
    const auto* w = dynamic_cast<const SampleWrite*>(&next);
    if (!w || w->session_ != session_ || w->index_ != index_ || w->track_.lock() != track_.lock())
      return false;
    new_ = w->new_;
    return true;
  }

 private:
  // A track that left the sheet, or lost the sample, is not written.
  void Set(float value) {
    std::shared_ptr<TLogTrack> track = track_.lock();
    if (!track || index_ >= track->Count()) return;
    SheetLock lock(sheet_);
    track->SetSample(index_, value);
  }

  TLogSheet& sheet_;
  std::weak_ptr<TLogTrack> track_;
  int32_t index_;
  float old_, new_;
  uint64_t session_;
};

}  // namespace

EditTracks::EditTracks(TLogSheet& sheet, UndoStack& undo, std::string_view null_text)
    : sheet_(sheet), undo_(undo) {
  if (auto v = ParseFloat(null_text))
    null_value_ = static_cast<float>(*v);
  else
    null_value_ = kDefaultNull;
  null_text_ = FormatFixed(null_value_, 2);
  SetTrack(sheet_.Count() > 0 ? 0 : -1);
}

std::optional<int32_t> EditTracks::SampleIndex(int32_t argument, int32_t origin, int32_t step,
                                               int32_t count) {
  if (step <= 0) return std::nullopt;
  const int64_t offset = int64_t{argument} - origin;
  if (offset < 0) return std::nullopt;  // truncation would give sample 0 here
  const int64_t index = offset / step;
  if (index >= count) return std::nullopt;
  return static_cast<int32_t>(index);
}

std::vector<std::string> EditTracks::TrackNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < sheet_.Count(); ++i) {
    const TLogTrack* t = sheet_.Tracks(i);
    std::string name = DisplayName(t->Parameter());
    if (t->Instance() > 0) name += "[" + std::to_string(t->Instance()) + "]";
    names.push_back(std::move(name));
  }
  return names;
}

int EditTracks::TrackIndexOf(std::string_view parameter, const TLogTrack* preferred) const {
  if (sheet_.Count() == 0) return -1;
  if (const TLogTrack* t = sheet_.FindTrack(parameter)) return sheet_.IndexOf(t);
  const int i = preferred ? sheet_.IndexOf(preferred) : -1;
  return i >= 0 ? i : 0;
}

void EditTracks::SetTrack(int index) {
  chosen_ = index >= 0 && index < sheet_.Count();
  track_.reset();
  if (chosen_) track_ = sheet_.Tracks(index)->weak_from_this();
  EndTyping();
}

TLogTrack* EditTracks::Track() const {
  const std::shared_ptr<TLogTrack> t = track_.lock();
  return t && sheet_.IndexOf(t.get()) >= 0 ? t.get() : nullptr;
}

int EditTracks::TrackIndex() const {
  const TLogTrack* t = Track();
  return t ? sheet_.IndexOf(t) : -1;
}

std::string EditTracks::Parameter() const {
  const TLogTrack* t = Track();
  return t ? t->Parameter() : std::string();
}

void EditTracks::SetLimits(int32_t first, int32_t last) {
  first_ = std::min(first, last);
  last_ = std::max(first, last);
  argument_ = std::clamp(argument_, first_, last_);
}

int32_t EditTracks::Step() const {
  if (sheet_.Count() > 0 && sheet_.IsStepUniform()) return sheet_.SheetStep();
  const TLogTrack* t = Track();
  return t ? t->Step() : 1;
}

void EditTracks::SetArgument(int32_t argument) {
  argument_ = std::clamp(argument, first_, last_);
  EndTyping();
}

std::string EditTracks::ArgumentText() const {
  return FormatFixed(argument_ / 1000.0, 2) + (sheet_.Argument() == laTime ? " c" : " m");
}

int32_t EditTracks::Moved(Move move) const {
  const int32_t far = sheet_.Argument() == laTime ? kFarTime : kFarDepth;
  const bool up = move == Move::Up || move == Move::FarUp;
  const int64_t by = move == Move::Up || move == Move::Down ? Step() : far;
  const int64_t to = int64_t{argument_} + (up ? -by : by);
  if (to < first_) return first_;
  if (to > last_) return last_;
  return static_cast<int32_t>(to);
}

std::optional<int32_t> EditTracks::SampleIndex() const {
  const TLogTrack* t = Track();
  if (!t) return std::nullopt;
  return SampleIndex(argument_, t->Origin(), t->Step(), t->Count());
}

std::string EditTracks::ValueText() const {
  const auto i = SampleIndex();
  if (!i) return {};
  const float v = Track()->Sample(*i);
  return IsNullSample(v, null_value_) ? null_text_ : FormatFixed(v, 2);
}

bool EditTracks::IsNull() const {
  const auto i = SampleIndex();
  if (!i) return false;
  const float v = Track()->Sample(*i);
  return IsNullSample(v, null_value_) || FormatFixed(v, 2) == null_text_;
}

EditTracks::Entry EditTracks::EnterText(std::string_view text) {
  if (!HasSample()) return Entry::NoSample;
  const auto value = ParseFloat(text);
  if (!value) return Entry::NotANumber;
  const float v = static_cast<float>(*value);
  if (!std::isfinite(v)) return Entry::NotANumber;  // "inf", "nan", beyond a float
  if (Track()->MeasuredSamples()[*SampleIndex()] == v) return Entry::Unchanged;
  Write(v);
  return Entry::Written;
}

void EditTracks::WriteNull() {
  Write(null_value_);
  EndTyping();
}

void EditTracks::Write(float value) {
  const auto i = SampleIndex();
  if (!i) throw EEditTracksError(kNoSampleMessage);
  undo_.Push(std::make_unique<SampleWrite>(sheet_, *Track(), *i, value, session_));
}

}  // namespace kest

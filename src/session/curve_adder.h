#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "log/log_argument.h"
#include "log/null_sample.h"
#include "session/session_errors.h"

namespace kest {

class TLogSheet;
class TLogTrack;
class TLogParameters;
struct LogFileOptions;
class LogDocument;

// Adding failed; the message starts with "Ошибка при добавлении кривой." and names
// the cause on the next line. Curves added before stay.
KEST_DECLARE_ERROR(ECurveAddError, ESessionError);

// Copies curves of another log file into a working sheet for comparison, as foreign
// tracks named after their source file ("GK(A.LS)") and resampled onto the working
// sheet's step. The adder holds the file it looks at in a sheet of its own.
class CurveAdder {
 public:
  // `dictionary` receives an entry per added curve name.
  CurveAdder(TLogSheet& target, TLogParameters& dictionary);
  ~CurveAdder();
  CurveAdder(const CurveAdder&) = delete;
  CurveAdder& operator=(const CurveAdder&) = delete;

  // Reads `path` (format by extension). A damaged file raises the reader's error and
  // leaves no file chosen.
  void Open(const std::string& path, const LogFileOptions& options);
  bool HasFile() const { return !path_.empty(); }
  const TLogSheet& File() const;

  // The argument kind curves must have: the target's when it has a range, else
  // none yet (the first file added from decides).
  std::optional<TLogArgument> TargetArgument() const;
  // Step of the added copies: the target's sheet step when it has tracks, else 1.
  int32_t TargetStep() const;
  // The chosen file can be added from: its argument kind is the target's (or the
  // target has none yet).
  bool Compatible() const;

  // The information lines ("-Режим записи: ...", "-Шаг записи: %.2f", "-Начало:
  // %.2f", "-Конец: %.2f") and the curve list (display name, " #N" for Instance
  // above 0), both empty for an incompatible file.
  std::vector<std::string> Information() const;
  std::vector<std::string> Curves() const;

  // Adds track `index` of the file; returns the success message. Raises
  // ECurveAddError for an incompatible file or any failure.
  std::string Add(int index);
  // The track the last Add made in the target sheet.
  TLogTrack* LastAdded() const { return last_added_; }

 private:
  std::string AddOne(const TLogTrack& source);

  TLogSheet& target_;
  TLogParameters& dictionary_;
  std::unique_ptr<LogDocument> file_;
  std::string path_;
  float null_value_ = kDefaultNullValue;  // "NullValue" of the options the file was read with
  TLogTrack* last_added_ = nullptr;
};

// The samples of `source` on a grid of `step` from its origin: linear between
// neighbouring samples (a null neighbour gives the null value off the sample
// itself), so a step that is a whole multiple keeps every k-th sample and a finer
// one fills between.
std::vector<float> ResampleTrack(const TLogTrack& source, int32_t step,
                                 float null_value = kDefaultNullValue);

inline constexpr const char* kCurveAddFailed = "Ошибка при добавлении кривой.";

}  // namespace kest

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/null_sample.h"
#include "session/session_errors.h"

namespace kest {

class TLogSheet;
class TLogParameters;

// A calculation that could not run or stopped: no data, a formula that does not
// compile, a math fault on some row. The sheet is left as it was.
KEST_DECLARE_ERROR(ECurveCalcError, ESessionError);
// The user cancelled through the progress callback; the sheet is left as it was.
KEST_DECLARE_ERROR(ECurveCalcCancelled, ECurveCalcError);

// The calculator's list of names: one row per distinct parameter caption, valued
// with the parameter's exchange mnemonic. Rows stay from earlier sheets; a later
// track with the same caption replaces the mnemonic.
class CalcNameList {
 public:
  struct Row {
    std::string Caption;
    std::string Mnemonic;
  };

  // Adds or updates a row for every track of `sheet` (its parameter looked up with
  // Get: "Parameter \"%s\" not found" for an undescribed one).
  void Update(const TLogSheet& sheet, const TLogParameters& parameters);
  void Set(std::string_view caption, std::string_view mnemonic);
  void Remove(int i);
  int Count() const { return static_cast<int>(rows_.size()); }
  const Row& operator[](int i) const { return rows_[static_cast<size_t>(i)]; }
  int IndexOfCaption(std::string_view caption) const;

 private:
  std::vector<Row> rows_;
};

// Called every few thousand rows with the rows done and the total; returning false
// cancels the calculation.
using CalcProgress = std::function<bool(int64_t done, int64_t total)>;

struct CalcResult {
  int64_t Rows = 0;
  std::vector<std::string> Inputs;   // the mnemonics bound, sorted
  std::vector<std::string> Created;  // the mnemonics of the tracks made, sorted
  // "K — не кривая листа: значения не сохранены" for each name assigned that is
  // neither a track nor read anywhere.
  std::vector<std::string> Notices;
  bool Changed = false;  // a sample differs or a track was made
};

// Runs the formula text (one expression per line; blank lines and "//" lines are
// skipped; ":=" writes a value) row by row over the tracks of `sheet` whose
// mnemonics occur in the formulas. Row r lies at the largest origin of those tracks
// plus r sheet steps; every track is read and written at that argument. Any other
// name assigned somewhere is a track made on those rows when the dictionary has it
// as a mnemonic, else a variable living through the calculation (null until first
// assigned). A line that reads a null sample or variable is not evaluated: what it
// assigns is null, written as `null_value`. Results are kept aside and written into
// the tracks only when every row succeeded, so a failure leaves the sheet
// untouched. Holds the sheet's lock while it works.
//
// Raises ECurveCalcError: "Лист не содержит данных." for a sheet without range;
// "Строка L, позиция P: ..." for a line that does not compile, names something that
// is neither a track's mnemonic nor assigned anywhere, assigns to the sheet's
// argument, or faults on some row (the message names the row's argument).
CalcResult CalculateTracks(TLogSheet& sheet, std::string_view text,
                           const TLogParameters& parameters, CalcNameList& names,
                           const CalcProgress& progress = {}, float null_value = kDefaultNullValue);

// The calculator's function chooser: the text a double-click inserts and the
// description shown when the entry is selected (51 entries).
struct CalcFunctionEntry {
  const char* Inserted;
  const char* Description;
};
const std::vector<CalcFunctionEntry>& CalcFunctionEntries();

inline constexpr const char* kSheetHasNoData = "Лист не содержит данных.";

// Formula files: plain text, one formula a line. Read as UTF-8 when valid, else as
// Windows-1251 (files of older installations); written as UTF-8, atomically.
std::vector<std::string> LoadFormulaFile(const std::string& path);
void SaveFormulaFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace kest

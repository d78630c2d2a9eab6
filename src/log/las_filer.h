#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log/log_sheet_filer.h"

namespace kest {

class TLogParameters;
class TLogTrack;

// What LAS export and import take from the program's settings and data folder. The
// registries' handlers use the defaults; a log document passes the program's own.
struct TLasOptions {
  int32_t StepCm = 1;           // export step in centimetres ("LASStep", 1..20)
  float NullValue = -9999.99f;  // written for missing samples ("NullValue")
  std::string TemplateFile;     // the header template ".msk"; default header when empty or absent
  std::string Organisation;  // the logging company ("LAS Header"): SRVC when the sheet names none
  TLogParameters* Dictionary = nullptr;  // mnemonics and captions; the program's table when null
  // Notices the user should see, the file being read or written all the same: per
  // import, at its end, unknown sections, undescribed mnemonics and units kept from
  // the file; per export, parameters the dictionary lacks.
  std::function<void(const std::string& message)> OnWarning;
};

// LAS 2.0 exchange files: written unwrapped with CR LF in code page 866 and "." as
// the decimal separator, the sheet resampled to the export step (each value the
// peak over the step); read back into tracks through the parameter dictionary.
class TLasFiler : public TLogSheetFiler {
 public:
  TLasFiler() = default;
  explicit TLasFiler(TLasOptions options) : options_(std::move(options)) {}
  static std::string FormatName() { return "LAS"; }

  void Read(Stream& stream, TLogSheet& sheet) override;
  void Write(Stream& stream, TLogSheet& sheet) override;

 private:
  TLogParameters& Dictionary() const;
  TLasOptions options_;
};

// The value of a track at row argument x for a row step of r over samples of step s:
// the peak over the step of r that ends at the row in the logging direction, (x - r, x]
// downwards and [x, x + r) upwards. Sample i stands for the step of s logged up to it,
// so the window holds the sample whose step contains x and the round(r / s) - 1 logged
// before it (one sample when r <= s). Null samples do not count; the null value when
// the window holds none. The LAS export writes every value through it.
float LasPeakValue(const TLogTrack& t, int64_t x, int64_t r, int64_t s, float null_value, bool up);

// printf-style formatting of one value into a template line, independent of the
// locale; only the first conversion (%s, %d, %f, %e, %g with flags, width and
// precision) takes the value, "%%" gives "%", anything else is copied.
std::string FormatTemplateLine(const std::string& line, const std::string* text, double number);

}  // namespace kest

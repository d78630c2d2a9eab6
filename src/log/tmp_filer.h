#pragma once

#include <cstdint>
#include <string>

#include "log/log_sheet_filer.h"

namespace kest {

// The crash-recovery format. While a log is recorded, rows are appended to
// "crash.tmp" at every auto-save tick; at the next start the file can be loaded
// back. Read-only as a registered format: files are only ever appended to.
//
// Layout (integers and floats little-endian, n = number of curves):
//
//   | part      | bytes                                                        |
//   |-----------|--------------------------------------------------------------|
//   | signature | "TMP01" ("TMP" + two decimal digits of the version)          |
//   | argument  | CR LF "~T" CR LF "TIME" -- only for time logs (see below)    |
//   | curves    | CR LF "~C" CR LF, each name followed by "^"                  |
//   | grid      | CR LF "~I" CR LF, n int32 steps, CR LF, n int32 origins, CR LF|
//   | data      | "~A" CR LF, then rows of n float32 each followed by CR LF    |
//
// Names are Windows-1251. A reader scans for "~" and the part letter, so parts it
// does not know are skipped: the "~T" part lets a time log come back as a time log,
// and files without it read as depth logs.
class TTMPFiler : public TLogSheetFiler {
 public:
  static std::string FormatName() { return "TMP"; }

  // Tolerant of truncation: a row cut short is dropped, an error inside a part ends
  // only that part. Version other than 01 gives an empty sheet.
  void Read(Stream& stream, TLogSheet& sheet) override;
  // Not a writer: raises ELogSheetFilersError.
  void Write(Stream& stream, TLogSheet& sheet) override;

  // Appends to the crash file the rows of the samples from argument `from` to `to`,
  // every `factor`-th sample (10 for time logs, 5 for depth logs). Writes the header
  // first when the file is empty. Rows stop at the shortest track. Raises
  // EInOutError when the rows cannot be written, leaving the file as it was.
  static void AppendRows(const std::string& file_name, TLogSheet& sheet, int32_t from,
                         int32_t factor, int32_t to);
};

}  // namespace kest

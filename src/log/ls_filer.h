#pragma once

#include <cstdint>
#include <string>

#include "log/log_sheet_filer.h"

namespace kest {

class ComponentReader;
class ComponentWriter;
class TLogTrack;

// The system's own log format: every track with its samples exactly, the sheet's
// argument kind, parameters and comments.
//
//   | offset | size | content                                                   |
//   |--------|------|-----------------------------------------------------------|
//   | 0      | 2    | "LS"                                                      |
//   | 2      | 2    | version, two ASCII digits: "01" plain, "04" LZHUF         |
//   | 4      | rest | 01: the sheet's component stream ("TLogSheet");           |
//   |        |      | 04: the same compressed (see lzhuf.h)                     |
//
// The sheet's properties are Argument, Params.Strings, Comments.Strings and the
// binary "Data", which holds the tracks, each a component stream ("TLogTrack") of its
// own with Parameter, Origin, Step and its binary "Data" of samples (layouts in
// ls_filer.cpp). Version 01 is written; 01 and 04 are read.
class TLSFiler : public TLogSheetFiler {
 public:
  static std::string FormatName() { return "LS"; }

  // Fills the sheet from the stream, positioned at "LS". Raises ELSFilerError for a
  // wrong signature or version, ELogTrackError for damaged tracks (checksum, counts,
  // step) and EComponentStreamError for a damaged structure. Params and Comments
  // hold only what the file has: they are emptied first and again on failure.
  void Read(Stream& stream, TLogSheet& sheet) override;
  // Removes the sheet's Foreign tracks, recomputes each track's checksum and writes
  // version 01 at the stream's position.
  void Write(Stream& stream, TLogSheet& sheet) override;

 private:
  void ReadFile(Stream& stream, TLogSheet& sheet);
  void ReadSheet(ComponentReader& in, TLogSheet& sheet);
  void ReadSheetData(ComponentReader& in, TLogSheet& sheet);
  void WriteSheetData(ComponentWriter& out, TLogSheet& sheet);

  int64_t progress_size_ = 0;  // reading: report position / size per track when > 0
};

}  // namespace kest

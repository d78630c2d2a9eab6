#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// The messages of the live witness (docs/witness.md): JSON text, built and read
// here so the publisher and the receiver agree by construction.

struct WitnessTrack {
  std::string name;      // the track's parameter, as the file has it
  std::string mnemonic;  // the same, for viewers that show mnemonics
  std::string unit;
  std::string caption;
  double offset = 0;  // the sensor's offset, m
  double shift = 0;   // m added to a row's argument where this track's sample lies
};

struct WitnessCurve {
  int32_t track = 0;  // index into the tracks
  double min = 0;
  double max = 100;
  std::string color = "#000000";
  bool log = false;
};

struct WitnessColumn {
  int32_t width = 200;  // px
  std::vector<WitnessCurve> curves;
};

struct WitnessHeader {
  std::string unit, run, research, well;
  bool time = false;               // argument "time" (seconds), else "depth" (metres)
  double step = 0.1;               // m or s
  std::string direction = "down";  // "down", "up" or "time"
  std::string started;             // ISO 8601, local with offset
  std::vector<WitnessTrack> tracks;
  std::vector<WitnessColumn> columns;
};

// One row: the argument (m or s) and one value per track; NaN is a null sample.
struct WitnessRow {
  double arg = 0;
  std::vector<float> values;
  bool operator==(const WitnessRow&) const = default;
};

// A rows or history message: rows from index `from` of the run.
struct RowsMessage {
  int64_t from = 0;
  std::vector<WitnessRow> rows;
  std::optional<int64_t> total;  // history only: rows in the run when it was sent
};

struct RunEntry {
  std::string run;
  std::string started;
  bool recording = true;
};

struct RunsMessage {
  std::string unit;
  std::vector<RunEntry> runs;  // newest last
};

struct EndMessage {
  std::string file;
  int64_t rows = 0;
};

// Larger messages are refused by the receiver (and by the shipped broker).
inline constexpr size_t kMaxWitnessMessage = size_t{1024} * 1024;
// Rows in one history chunk.
inline constexpr int64_t kHistoryChunk = 1000;
// Row indices beyond this are refused: no run is that long, and the receiver keeps
// messages waiting for history by their index.
inline constexpr int64_t kMaxRowIndex = int64_t{1} << 40;

std::string HeaderJson(const WitnessHeader& header);
std::string RowsJson(int64_t from, const std::vector<WitnessRow>& rows,
                     std::optional<int64_t> total = std::nullopt);
std::string RunsJson(const RunsMessage& runs);
std::string EndJson(const EndMessage& end);

// The readers return nothing for a message that is not JSON or does not fit the
// format, and say why in `why`. ParseRows checks each row's width against `width`
// (values per row, without the argument) when it is given.
std::optional<WitnessHeader> ParseHeader(std::string_view text, std::string* why);
std::optional<RowsMessage> ParseRows(std::string_view text, std::optional<size_t> width,
                                     std::string* why);
std::optional<RunsMessage> ParseRuns(std::string_view text, std::string* why);
std::optional<EndMessage> ParseEnd(std::string_view text, std::string* why);

}  // namespace kest

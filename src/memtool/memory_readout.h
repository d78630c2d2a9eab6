#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kest {

class TLogSheet;
class TLogTrack;
class TLoggerChannels;
class TMemoryTool;

// The 16-bit samples of a data track: each reply value holds two, bits 0-15 first.
void UnpackSamples(std::span<const uint32_t> values, std::vector<uint16_t>& out);
// Appends `rows` rows to `track`: row r takes sample round(r * ratio) times `scale`
// (the last sample where rounding runs past it), or 0 for a row beyond the samples
// when `pad` is set (otherwise the rows stop there).
int64_t AppendResampled(TLogTrack& track, std::span<const uint16_t> samples, int64_t rows,
                        double ratio, float scale, bool pad);

// A word of erased flash memory: never a sample.
inline constexpr uint16_t kErasedWord = 0xFFFF;

// A read-out replaces what the sheet holds: true when it holds rows (the window asks
// kReplaceDataQuestion first, so an unsaved log is not lost without a word).
bool SheetHoldsData(const TLogSheet& sheet);
inline constexpr const char* kReplaceDataQuestion =
    "В окне есть данные. Если они не сохранены, они будут потеряны. Заменить их прочитанными?";

// A read-out's sheet starts afresh: no tracks, and of the parameters and comments of
// whatever the sheet held before (an earlier run's tool, its conditions) only the
// tool that is read now ("Прибор", when given).
void BeginReadoutSheet(TLogSheet& sheet, const std::string& tool);

struct ReadoutOptions {
  // The tool string read ("Прибор" of the sheet), as ToolStringText gives it.
  std::string tool;
  // Where a burst task's calibrated samples go ("recivedBurstMode.track").
  std::string burst_file = "recivedBurstMode.track";
  // Status texts while decoding ("Подготовка данных ...", "Подготовка кривой ...").
  std::function<void(const std::string&)> status;
  // Pages read, pages in all; false cancels.
  std::function<bool(int64_t done, int64_t total)> progress;
};

struct ReadoutResult {
  int64_t Rows = 0;        // rows of the sheet (0 for a burst task)
  int64_t BurstLines = 0;  // lines of the burst file
  int Tracks = 0;          // channels read
};

// "Читать дорожку": reads the recorded channels of one task of the tool's table into
// time tracks of `sheet`, one per recordable channel of the memory tool, on a step
// of the fastest channel, rows starting at the task's start (argument = milliseconds
// since midnight of its day). Only a task the tool reports executed is read
// ("Задание N не выполнено: читать нечего" otherwise, the sheet untouched); a channel
// ends at its first erased word (a task cut short), never padded. A burst task is calibrated with
// the tool's matrix and written to the burst file instead. Raises EMemoryToolError "Тут читать
// нечего 4" for a task without channels, and the read-out's failure naming the page when a page
// cannot be read: the channels read before it stay in the sheet and the failing channel keeps only
// the rows of its pages that came in (never padded). The flags of the channels are set back at the
// end either way.
class TMemoryReadout {
 public:
  TMemoryReadout(TMemoryTool& tool, TLoggerChannels& channels, TLogSheet& sheet);
  ReadoutResult ReadTrack(int task, const ReadoutOptions& options);

 private:
  void PrepareChannels(int task);
  void RestoreChannels();
  void RebuildTracks(int task, const std::string& tool);

  TMemoryTool& tool_;
  TLoggerChannels& channels_;
  TLogSheet& sheet_;
};

}  // namespace kest

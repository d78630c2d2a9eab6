#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "memtool/reply_collector.h"
#include "memtool/surface_records.h"
#include "memtool/tool_codec.h"

namespace kest {

class MemoryToolHost;
class MemoryToolLink;
class TLogSheet;

// Command codes of the surface recorder (the first byte of each command).
enum class TSurfaceCommand : uint8_t {
  ReadClock = 0x02,
  SetClock = 0x03,
  ReadPages = 0x06,
  Test = 0x0A,
  Standby = 0x10,
  MainMode = 0x11,
  PassThrough = 0x12,       // then 7 (on) or 0 (off)
  DepthCoefficient = 0x13,  // then 1..100
  SpeedCoefficient = 0x14,  // then a tool float
  Tension = 0x15,           // then tool floats k and b
  SetDepth = 0x18,          // then five decimal digits, least significant first
};

// The tracks a read-out of the recorder fills.
inline constexpr const char* kSurfaceTracks[4] = {"DEPTH", "TENSION", "MAG-LABEL", "SPEED"};

// The window's controls that follow its state.
struct SurfaceControls {
  bool Setup = false;  // clock, depth, "Нулевая стр", "Данные", test, coefficients
  bool Standby = false;      // "Режим ожидания"
  bool MainMode = false;     // "Основной режим"
  bool PassThrough = false;  // "Сквозной"
};

struct SurfaceReadout {
  int64_t Rows = 0;
  int64_t Expected = 0;  // records the zero page announced
  bool Complete = false;
  bool EndMarker = false;
  std::string Message;  // "Данные считались." or why it stopped
};

// The surface recorder at the winch, on the memory tool's link with a reply
// collector of its own: clock, test, modes, coefficients, depth, zero page, the
// recording read into a time log, and the live depth. Commands that wait pump the
// link until the reply is in or the line has been silent for 5 s. Failures the
// user must see raise EMemoryToolError with the text to show. Main thread.
class TSurfaceRecorder {
 public:
  enum : int { kMainMode = 0, kStandby = 1, kReading = 2, kPassThrough = 3 };
  // The last page the recorder can hold when nothing better is known.
  static constexpr int kDefaultLastPage = 4095;
  static constexpr int kMaxPages = 8192;
  // Tries per page before a read-out stops.
  static constexpr int kPageAttempts = 3;

  TSurfaceRecorder(MemoryToolLink& link, MemoryToolHost& host);
  ~TSurfaceRecorder();
  TSurfaceRecorder(const TSurfaceRecorder&) = delete;
  TSurfaceRecorder& operator=(const TSurfaceRecorder&) = delete;

  static SurfaceControls ControlsFor(int state);
  int State() const { return state_; }
  TReciveDataObject& Collector() { return collector_; }
  const SurfaceStatusRows& StatusRows() const { return rows_; }
  const std::optional<SurfaceStatus>& LastStatus() const { return status_; }
  int PageSize() const { return status_ ? status_->PageSize : 264; }
  const SurfaceZeroPage& ZeroPage() const { return zero_; }
  bool ZeroPageRead() const { return zero_.LastPage != 0 || zero_.LastOffset != 0; }

  std::optional<ToolTime> ReadClock();
  void SetClock(const ToolTime& t);
  // "Тестирование": a reply that does not come counts as complete; rows whose flags
  // did not come keep "Ошибка !". False when no status word came.
  bool Test();
  void Standby();
  void MainMode();
  void PassThrough(bool on);
  void SetDepthCoefficient(int k);  // 1..100
  void SetSpeedCoefficient(double k);
  void SetTension(double k, double b);
  // Checks the depth text (EMemoryToolError with the message, nothing sent), sends
  // it and returns it as "%.1f".
  std::string SetDepth(const std::string& text);
  // "Нулевая стр": page 0, parsed when at least two values came; false otherwise
  // (nothing changes).
  bool ReadZeroPage();
  // The coefficients' "Прочитать": pages 0 and 1, the zero page parsed.
  bool ReadCoefficients();
  // "Нулевая страница не прочитана! Продолжить?" when the zero page is unknown.
  inline static const std::string kNoZeroPageQuestion =
      "Нулевая страница не прочитана! Продолжить?";
  // "Данные": the recording into `sheet` as time tracks DEPTH, TENSION, MAG-LABEL,
  // SPEED (made when the sheet lacks them), one row a second from the start on the
  // zero page. Pages are read one at a time (kPageAttempts tries each); one that
  // never comes whole ends the read-out with the whole records before it. `progress`
  // sees values received and expected. Nothing happens when the user declines, and
  // the sheet is left alone when no record came; otherwise it holds the read-out
  // alone, named after `tool` (BeginReadoutSheet).
  SurfaceReadout ReadData(TLogSheet& sheet,
                          const std::function<void(int received, int expected)>& progress = {},
                          const std::string& tool = {});
  // The live handler of "zulDepth-sensor": a value of 100000 or more carries the
  // magnetic mark in bit 24, which is cleared in `value`; the last rows of
  // "MAG-LABEL" and "ZulDepth" then take 1 and the depth in metres. Tracks the
  // sheet lacks and an empty sheet are left alone. True when the sheet changed.
  static bool LiveDepth(int32_t& value, TLogSheet& sheet);
  // Ends a running collection (the window closes).
  void Close();

 private:
  void Arm(const char* reply, int expected, uint8_t flags = 7);
  void Send(std::initializer_list<uint8_t> bytes);
  void SendFloat(uint8_t code, std::initializer_list<double> values);
  bool WaitReply();
  bool ParseZeroPage();

  MemoryToolLink& link_;
  MemoryToolHost& host_;
  TReciveDataObject collector_;
  std::function<void(int, int)> progress_;
  SurfaceStatusRows rows_;
  std::optional<SurfaceStatus> status_;
  SurfaceZeroPage zero_{};
  int state_ = kMainMode;
};

}  // namespace kest

#include "memtool/surface_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memory_tool_link.h"
#include "memtool/memtool_errors.h"

namespace kest {

namespace {

constexpr uint8_t Code(TSurfaceCommand c) { return static_cast<uint8_t>(c); }

// The live depth carries the magnetic mark in this bit.
constexpr int32_t kLiveMarkBit = 1 << 24;
constexpr int32_t kLiveThreshold = 100000;

TLogTrack* TrackOrNew(TLogSheet& sheet, const char* name) {
  if (TLogTrack* t = sheet.FindTrack(name, 0)) return t;
  return sheet.NewTrack(name);
}

}  // namespace

TSurfaceRecorder::TSurfaceRecorder(MemoryToolLink& link, MemoryToolHost& host)
    : link_(link), host_(host) {
  link_.OnReply = [this](std::string_view sensor, uint32_t value) {
    collector_.DataArrived(sensor, value);
  };
  link_.OnTick = [this] { collector_.Tick(); };
  collector_.OnProgress = [this](bool busy) {
    host_.ShowActivity(busy);
    if (!collector_.Collecting()) return;
    host_.ShowStatusText(collector_.ProgressText());
    if (progress_) progress_(collector_.Count(), collector_.ExpectedCount);
  };
}

TSurfaceRecorder::~TSurfaceRecorder() {
  link_.OnReply = nullptr;
  link_.OnTick = nullptr;
}

SurfaceControls TSurfaceRecorder::ControlsFor(int state) {
  SurfaceControls c;
  c.Setup = state == kStandby;
  c.Standby = state == kMainMode;
  c.MainMode = c.PassThrough = state == kStandby || state == kPassThrough;
  return c;
}

void TSurfaceRecorder::Arm(const char* reply, int expected, uint8_t flags) {
  collector_.ReplyName = reply;
  collector_.ExpectedCount = expected;
  collector_.ModeFlags = flags;
  collector_.OnComplete = nullptr;
  collector_.Start();
}

void TSurfaceRecorder::Send(std::initializer_list<uint8_t> bytes) {
  link_.Send(std::span<const uint8_t>(bytes.begin(), bytes.size()));
}

void TSurfaceRecorder::SendFloat(uint8_t code, std::initializer_list<double> values) {
  std::vector<uint8_t> bytes{code};
  for (double v : values) {
    auto f = EncodeToolFloat(v);
    bytes.insert(bytes.end(), f.begin(), f.end());
  }
  link_.Send(bytes);
}

bool TSurfaceRecorder::WaitReply() {
  while (collector_.Collecting()) link_.Pump();
  return collector_.State() == TReciveDataObject::kComplete;
}

void TSurfaceRecorder::Close() {
  collector_.Finish();
  collector_.ReplyName.clear();
}

std::optional<ToolTime> TSurfaceRecorder::ReadClock() {
  Arm("DateTime", 2, TReciveDataObject::kTimeoutIsSuccess);
  Send({Code(TSurfaceCommand::ReadClock)});
  if (!WaitReply() || collector_.Count() < 2) return std::nullopt;
  return DecodeClock(collector_.Values()[0], collector_.Values()[1]);
}

void TSurfaceRecorder::SetClock(const ToolTime& t) {
  auto clock = EncodeClock(t);
  std::vector<uint8_t> bytes{Code(TSurfaceCommand::SetClock)};
  bytes.insert(bytes.end(), clock.begin(), clock.end());
  link_.Send(bytes);
}

bool TSurfaceRecorder::Test() {
  // Every test starts from "Ошибка !": a test without an answer shows nothing of an
  // earlier one.
  rows_ = SurfaceStatusRows();
  Arm("Status", 1, TReciveDataObject::kTimeoutIsSuccess);
  Send({Code(TSurfaceCommand::Test)});
  WaitReply();
  if (collector_.Values().empty()) return false;
  status_ = DecodeSurfaceStatus(collector_.Values().front());
  rows_.Apply(*status_);
  return true;
}

void TSurfaceRecorder::Standby() {
  Send({Code(TSurfaceCommand::Standby)});
  state_ = kStandby;
}

void TSurfaceRecorder::MainMode() {
  if (state_ == kPassThrough) Send({Code(TSurfaceCommand::PassThrough), 0});
  Send({Code(TSurfaceCommand::MainMode)});
  state_ = kMainMode;
}

void TSurfaceRecorder::PassThrough(bool on) {
  Send({Code(TSurfaceCommand::PassThrough), static_cast<uint8_t>(on ? 7 : 0)});
  state_ = on ? kPassThrough : kStandby;
}

void TSurfaceRecorder::SetDepthCoefficient(int k) {
  if (k < 1 || k > 100) throw EMemoryToolError("Коэффициент глубины: число от 1 до 100");
  Send({Code(TSurfaceCommand::DepthCoefficient), static_cast<uint8_t>(k)});
}

void TSurfaceRecorder::SetSpeedCoefficient(double k) {
  SendFloat(Code(TSurfaceCommand::SpeedCoefficient), {k});
}

void TSurfaceRecorder::SetTension(double k, double b) {
  SendFloat(Code(TSurfaceCommand::Tension), {k, b});
}

std::string TSurfaceRecorder::SetDepth(const std::string& text) {
  DepthDigits d = EncodeDepthText(text);
  if (!d.Error.empty()) throw EMemoryToolError(d.Error);
  std::vector<uint8_t> bytes{Code(TSurfaceCommand::SetDepth)};
  bytes.insert(bytes.end(), d.Bytes.begin(), d.Bytes.end());
  link_.Send(bytes);
  return d.Text;
}

bool TSurfaceRecorder::ParseZeroPage() {
  std::vector<uint8_t> bytes;
  UnpackReplyBytes(collector_.Values(), bytes);
  auto z = DecodeSurfaceZeroPage(bytes);
  if (!z) return false;
  zero_ = *z;
  return true;
}

bool TSurfaceRecorder::ReadZeroPage() {
  // Not finished on the count: a 264-byte page is 66 values, a 528-byte one 132;
  // what came is taken once the line is quiet.
  Arm("Task", 132, 2);
  Send({Code(TSurfaceCommand::ReadPages), 0, 0, 0, 0});
  WaitReply();
  return ParseZeroPage();
}

bool TSurfaceRecorder::ReadCoefficients() {
  Arm("Task", 132);
  Send({Code(TSurfaceCommand::ReadPages), 0, 0, 0, 1});
  WaitReply();
  return ParseZeroPage();
}

SurfaceReadout TSurfaceRecorder::ReadData(TLogSheet& sheet,
                                          const std::function<void(int, int)>& progress,
                                          const std::string& tool) {
  SurfaceReadout result;
  int last_page = zero_.LastPage, last_offset = zero_.LastOffset;
  if (!ZeroPageRead()) {
    if (!host_.AskWarning(kNoZeroPageQuestion)) {
      result.Message = "Чтение отменено";
      return result;
    }
    last_page = kDefaultLastPage;
    last_offset = 0;
  }
  const int page_size = PageSize();
  // Never beyond the memory: an erased or damaged zero page says 0xFFFF.
  const int pages_max = status_ && status_->PageCount > 0 ? status_->PageCount : kMaxPages;
  last_page = std::clamp(last_page, 0, pages_max - 1);
  last_offset = std::clamp(last_offset, 0, page_size - 6);
  const int64_t bytes_expected = SurfaceRecordBytes(last_page, last_offset, page_size);
  result.Expected = bytes_expected / 6;
  if (last_page < 1 || bytes_expected <= 0) {
    result.Complete = true;
    result.Message = "Данные не сохранены";
    return result;
  }

  const int prev_state = state_;
  state_ = kReading;
  struct Restore {
    TSurfaceRecorder& self;
    int state;
    ~Restore() {
      self.state_ = state;
      self.progress_ = nullptr;
    }
  } restore{*this, prev_state};
  // Page by page, each one whole or asked for again: a value lost on the line
  // would shift every record after it, so a page that never comes whole ends the
  // read-out there with the records before it.
  const int page_values = page_size / 4;
  const int expected = last_page * page_values;
  progress_ = progress;
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(bytes_expected));
  bool complete = true;
  for (int page = 1; page <= last_page && complete; ++page) {
    complete = false;
    for (int attempt = 0; attempt < kPageAttempts && !complete; ++attempt) {
      if (link_.PortLost()) break;
      Arm("Task", page_values, TReciveDataObject::kFinishOnCount);
      Send({Code(TSurfaceCommand::ReadPages), static_cast<uint8_t>(page >> 8),
            static_cast<uint8_t>(page), static_cast<uint8_t>(page >> 8),
            static_cast<uint8_t>(page)});
      complete = WaitReply() && collector_.Count() == page_values;
    }
    if (complete) UnpackReplyBytes(collector_.Values(), bytes);
    if (progress) progress((page)*page_values, expected);
    // The end of the data is in: the rest of the memory is not read.
    // (Records never straddle a page: 264 and 528 are whole multiples of 6.)
    if (complete &&
        DecodeSurfaceRecords(std::span<const uint8_t>(bytes).last(static_cast<size_t>(page_size)))
            .EndMarker)
      break;
  }
  if (bytes.size() > static_cast<size_t>(bytes_expected))
    bytes.resize(static_cast<size_t>(bytes_expected));
  SurfaceRecordStream stream = DecodeSurfaceRecords(bytes);
  result.EndMarker = stream.EndMarker;
  if (stream.Records.empty()) {
    // Nothing to show: the sheet keeps what it holds.
    result.Complete = complete || stream.EndMarker;
    result.Message = result.Complete ? "Данные не сохранены" : kNoReplyText;
    return result;
  }

  SheetLock lock(sheet);
  // A time log of its own: the tracks and parameters of an earlier run would put
  // its start at midnight and name another tool.
  BeginReadoutSheet(sheet, tool);
  sheet.SetArgument(laTime);
  TLogTrack* depth = TrackOrNew(sheet, "DEPTH");
  TLogTrack* tension = TrackOrNew(sheet, "TENSION");
  TLogTrack* mark = TrackOrNew(sheet, "MAG-LABEL");
  TLogTrack* speed = TrackOrNew(sheet, "SPEED");
  sheet.SetSteps(1000);
  // Rows from the start of the recording (milliseconds since its midnight).
  int32_t origin = 0;
  if (zero_.Start) {
    origin = (zero_.Start->Hour * 60 + zero_.Start->Minute) * 60000;
    char date[16];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", zero_.Start->Day % 100,
                  zero_.Start->Month % 100, zero_.Start->Year);
    sheet.Params().SetValue("StartTime", date);
  }
  for (TLogTrack* t : {depth, tension, mark}) t->SetOrigin(origin);
  // Speed is known from the second record on: its rows stand at their own seconds.
  speed->SetOrigin(origin + 1000);
  bool first = true;
  for (const SurfaceRecord& r : stream.Records) {
    const double metres = r.DepthTenths / 10.0;
    mark->Append(r.Mark ? 1.0f : 0.0f);
    if (!first) {
      const double previous = depth->LastSample();
      speed->Append(static_cast<float>(std::fabs(previous - metres) * 3600));
    }
    depth->Append(static_cast<float>(metres));
    tension->Append(static_cast<float>(r.Tension));
    first = false;
  }
  result.Rows = static_cast<int64_t>(stream.Records.size());
  result.Complete = complete || stream.EndMarker;
  if (result.Complete) {
    result.Message = "Данные считались.";
  } else {
    result.Message = "Чтение прервано: считано замеров " + std::to_string(result.Rows) + " из " +
                     std::to_string(result.Expected);
    sheet.Comments().Add(result.Message);
  }
  sheet.UpdateRange();
  return result;
}

bool TSurfaceRecorder::LiveDepth(int32_t& value, TLogSheet& sheet) {
  if (value < kLiveThreshold) return false;
  value &= ~kLiveMarkBit;
  SheetLock lock(sheet);
  TLogTrack* mark = sheet.FindTrack("MAG-LABEL", 0);
  TLogTrack* zul = sheet.FindTrack("ZulDepth", 0);
  bool changed = false;
  if (mark && mark->Count() > 0) {
    mark->SetSample(mark->Count() - 1, 1.0f);
    changed = true;
  }
  if (zul && zul->Count() > 0) {
    zul->SetSample(zul->Count() - 1, static_cast<float>(value / 10.0));
    changed = true;
  }
  return changed;
}

}  // namespace kest

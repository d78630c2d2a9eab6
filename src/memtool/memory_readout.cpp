#include "memtool/memory_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "link/logger_channel.h"
#include "link/logger_channels.h"
#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memory_tool.h"
#include "memtool/memtool_errors.h"
#include "support/rounding.h"

namespace kest {

namespace {

// Task channels 0-3 and the channels a memory tool does not record.
constexpr const char* kTaskChannels[4] = {"PRESSURE", "TEMPERATURE", "DEBIT", "COUPLING-LOCATOR"};
constexpr const char* kUnrecorded[4] = {"DEPTH", "MAG-LABEL", "SPEED", "THERMOCOMPENSATION"};

std::string Fixed2(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

}  // namespace

void BeginReadoutSheet(TLogSheet& sheet, const std::string& tool) {
  sheet.Clear();
  sheet.Params().Clear();
  sheet.Comments().Clear();
  if (tool.empty()) return;
  sheet.Params().SetValue("Прибор", tool);
  sheet.Comments().SetValue("Прибор", tool);
}

bool SheetHoldsData(const TLogSheet& sheet) {
  for (int i = 0; i < sheet.Count(); ++i)
    if (sheet.Tracks(i)->Count() > 0) return true;
  return false;
}

void UnpackSamples(std::span<const uint32_t> values, std::vector<uint16_t>& out) {
  size_t base = out.size();
  out.resize(base + values.size() * 2);
  uint16_t* p = out.data() + base;
  for (uint32_t v : values) {
    *p++ = static_cast<uint16_t>(v);
    *p++ = static_cast<uint16_t>(v >> 16);
  }
}

int64_t AppendResampled(TLogTrack& track, std::span<const uint16_t> samples, int64_t rows,
                        double ratio, float scale, bool pad) {
  int64_t appended = 0;
  const auto count = static_cast<int64_t>(samples.size());
  for (int64_t r = 0; r < rows; ++r) {
    const double at = static_cast<double>(r) * ratio;
    // A row inside the recorded span takes its nearest sample; rounding past the
    // last one keeps the last one rather than inventing a value.
    int64_t i = at < static_cast<double>(count) ? std::min(RoundHalfEven(at), count - 1) : count;
    if (i >= count) {
      if (!pad) break;
      track.Append(0);
    } else {
      track.Append(static_cast<float>(samples[static_cast<size_t>(i)]) * scale);
    }
    ++appended;
  }
  return appended;
}

TMemoryReadout::TMemoryReadout(TMemoryTool& tool, TLoggerChannels& channels, TLogSheet& sheet)
    : tool_(tool), channels_(channels), sheet_(sheet) {}

void TMemoryReadout::PrepareChannels(int task) {
  const TTask& t = tool_.Table().Tasks(task);
  for (const char* name : kUnrecorded)
    if (TLoggerChannel* c = channels_.Find(name)) c->Recordable = false;
  for (size_t c = 0; c < 4; ++c)
    if (TLoggerChannel* ch = channels_.Find(kTaskChannels[c]))
      ch->Recordable = c < t.Tracks.size() && t.Tracks[c].Period != 0;
}

void TMemoryReadout::RestoreChannels() {
  for (const char* name :
       {"THERMOCOMPENSATION", "PRESSURE", "TEMPERATURE", "DEBIT", "COUPLING-LOCATOR"})
    if (TLoggerChannel* c = channels_.Find(name)) c->Recordable = true;
}

void TMemoryReadout::RebuildTracks(int task, const std::string& tool) {
  const TTask& t = tool_.Table().Tasks(task);
  SheetLock lock(sheet_);
  BeginReadoutSheet(sheet_, tool);
  sheet_.SetArgument(laTime);
  int32_t origin = (t.Start.Hour * 60 + t.Start.Minute) * 60000;
  for (int i = 0; i < channels_.Count(); ++i) {
    TLoggerChannel* channel = channels_.Items(i);
    // The time is the sheet's argument, not a track of it.
    if (!channel->Recordable || channel->Name() == "TIME") continue;
    TLogTrack* track = sheet_.NewTrack(channel->Name());
    track->SetTag(reinterpret_cast<std::intptr_t>(channel));
    track->SetOrigin(origin);
  }
  char date[16];
  std::snprintf(date, sizeof date, "%02d.%02d.%04d", t.Start.Day % 100, t.Start.Month % 100,
                2000 + t.Start.Year);
  sheet_.Params().SetValue("StartTime", date);
}

ReadoutResult TMemoryReadout::ReadTrack(int task, const ReadoutOptions& options) {
  if (task < 0 || task >= tool_.Table().Count())
    throw EMemoryToolError("Нет задания " + std::to_string(task + 1));
  TTask t = tool_.Table().Tasks(task);
  // A task the tool never ran left its pages erased: nothing of them is data.
  if (t.Status != TTask::kExecuted)
    throw EMemoryToolError("Задание " + std::to_string(task + 1) + " не выполнено: читать нечего");
  t.Tracks.resize(std::max<size_t>(t.Tracks.size(), 4));
  bool burst = t.Mode == TTask::kBurst;
  if (burst) {
    for (auto& track : t.Tracks) track.Period = 0;
    t.Tracks[0].Period = kBurstPeriod;
  }
  auto status = [&](const std::string& text) {
    if (options.status) options.status(text);
  };
  ReadoutResult result;
  struct Restore {
    TMemoryReadout& self;
    ~Restore() { self.RestoreChannels(); }
  } restore{*this};
  PrepareChannels(task);
  RebuildTracks(task, options.tool);

  double s = 0;
  for (size_t c = 0; c < 4; ++c)
    if (t.Tracks[c].Period != 0 && (s == 0 || SampleIntervalMs(t.Tracks[c].Period) < s))
      s = SampleIntervalMs(t.Tracks[c].Period);
  if (s <= 0)
    throw EMemoryToolError("Тут читать нечего " + std::to_string(tool_.Table().ChannelCount()));
  if (t.Duration <= 0)
    throw EMemoryToolError("Тут читать нечего " + std::to_string(tool_.Table().ChannelCount()));

  TPressureMatrix matrix{};
  int64_t rows = 0;
  if (burst) {
    matrix = tool_.ReadCalibration();
    sheet_.SetSteps(100);
    rows = static_cast<int64_t>(t.Duration) * 72000;
  } else {
    sheet_.SetSteps(RoundHalfEven32(s));
    rows = RoundHalfEven(t.Duration * (1000 / s * 60));
  }

  std::ofstream burst_out;
  if (burst) {
    burst_out.open(options.burst_file, std::ios::binary | std::ios::trunc);
    if (!burst_out) throw EMemoryToolError("Не удалось создать файл " + options.burst_file);
  }

  int64_t total_pages = 0;
  for (size_t c = 0; c < 4; ++c)
    if (t.Tracks[c].Period != 0)
      total_pages += TaskPageCount(t.Duration, t.Tracks[c].Period, TTaskDefTable::WordsPerPage());
  int64_t pages_done = 0;

  for (size_t c = 0; c < 4; ++c) {
    const TTaskTrack& track = t.Tracks[c];
    if (track.Period == 0) continue;
    int64_t pages = TaskPageCount(t.Duration, track.Period, TTaskDefTable::WordsPerPage());
    TLoggerChannel* channel = channels_.Find(kTaskChannels[c]);
    TLogTrack* target = nullptr;
    for (int i = 0; i < sheet_.Count() && channel; ++i)
      if (sheet_.Tracks(i)->Tag() == reinterpret_cast<std::intptr_t>(channel))
        target = sheet_.Tracks(i);
    double ratio = s / SampleIntervalMs(track.Period);
    float scale = static_cast<float>(1.0 / tool_.Table().Divider(static_cast<int>(c)));

    std::vector<uint32_t> values;
    std::string failure;
    try {
      values = tool_.ReadPages(
          track.FirstPage, pages,
          [&](int64_t done, int64_t) {
            return !options.progress || options.progress(pages_done + done, total_pages);
          },
          &values);
    } catch (const EMemoryToolError& e) {
      failure = e.what();
    }
    pages_done += pages;

    std::span<const uint32_t> data(values);
    double temperature = 0;
    if (burst && !data.empty()) {
      temperature = DecodeToolFloat(ReplyValueBytes(data.front()));
      data = data.subspan(1);
    }
    std::vector<uint16_t> samples;
    for (size_t i = 0; i < data.size(); i += 1000) {
      size_t n = std::min<size_t>(1000, data.size() - i);
      UnpackSamples(data.subspan(i, n), samples);
      if (i > 0)
        status("Подготовка данных " + std::to_string(i) + " из " + std::to_string(data.size() - 1));
    }
    // The rest of the last page is not the task's (erased memory).
    const int64_t recorded = std::max<int64_t>(0, TaskSampleCount(t.Duration, track.Period));
    if (static_cast<int64_t>(samples.size()) > recorded)
      samples.resize(static_cast<size_t>(recorded));
    // Flash is written in order: the first erased word ends what the task wrote (a
    // task cut short), and the rows stop there rather than being padded.
    const auto erased = std::find(samples.begin(), samples.end(), kErasedWord);
    const bool cut_short = erased != samples.end();
    samples.erase(erased, samples.end());

    if (burst) {
      int64_t lines = std::min<int64_t>(rows, static_cast<int64_t>(samples.size()));
      int64_t step = std::max<int64_t>(1, rows / 100);
      for (int64_t r = 0; r < lines; ++r) {
        if (r % step == 0) status("Подготовка кривой " + std::to_string(r / step) + "%");
        double raw = samples[static_cast<size_t>(r)];
        double value = Calibrate(matrix, temperature, raw / 100);
        if (!std::isfinite(value)) continue;
        burst_out << Fixed2(value) << "\t\t" << Fixed2(raw) << "\r\n";
        ++result.BurstLines;
      }
    } else if (target) {
      SheetLock lock(sheet_);
      int64_t appended =
          AppendResampled(*target, samples, rows, ratio, scale, failure.empty() && !cut_short);
      result.Rows = std::max(result.Rows, appended);
    }
    if (!failure.empty()) {
      // Kept with the rows, so a saved file says it is not whole.
      sheet_.Comments().Add("Чтение не завершено: " + failure);
      sheet_.UpdateRange();
      sheet_.Update();
      throw EMemoryToolError(failure);
    }
    ++result.Tracks;
  }
  if (result.Rows == 0 && result.BurstLines == 0)
    throw EMemoryToolError("Задание " + std::to_string(task + 1) +
                           ": в памяти прибора нет его записей, читать нечего");
  if (burst && !burst_out.flush())
    throw EMemoryToolError("Ошибка записи файла " + options.burst_file);
  sheet_.UpdateRange();
  sheet_.Update();
  return result;
}

}  // namespace kest

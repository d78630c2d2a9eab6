#include "log/ls_filer.h"

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "log/component_reader.h"
#include "log/component_writer.h"
#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/lzhuf.h"
#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

// The two binary "Data" values.
//
// Sheet data block:
//   | size | field                                                          |
//   |------|----------------------------------------------------------------|
//   | 4    | version, int32, 1 (any other: a sheet without tracks)          |
//   | 4    | track count N, int32                                           |
//   | ...  | N track component streams, in the sheet's track order          |
//
// Track data block:
//   | size  | field                                                         |
//   |-------|---------------------------------------------------------------|
//   | 4     | version, int32: 1 plain samples, 2 run-length samples         |
//   | 4     | checksum, uint32 (TLogTrack::ComputeChecksum)                 |
//   | 4     | sample count C, int32                                         |
//   | 4 x C | version 1: the samples, float32, sample 0 first               |
//   | 4     | version 2: run count R, int32                                 |
//   | 5 x R | version 2: runs, a length byte (1..255) and the float32 value |

namespace {

constexpr int kPlainSamples = 1;
constexpr int kRunSamples = 2;
constexpr int kMaxRun = 255;
// Hostile counts are refused before anything is allocated: the smallest track
// stream ("TPF0", "TLogTrack", empty name, two list ends) and a ceiling on tracks.
constexpr int64_t kMinTrackBytes = 4 + 10 + 1 + 1 + 1;
constexpr int64_t kMaxTracks = 65536;

// Calls run(value, length) for each run of the samples: a run goes on while the
// next sample equals its value and it is shorter than 255. Equal means equal as a
// float and in every bit, so that -0 never merges into a run of +0 (the file would
// then hold a sample other than the one its checksum was made over).
template <typename Run>
void ForEachRun(const float* samples, int32_t count, Run&& run) {
  int32_t i = 0;
  while (i < count) {
    float value = samples[i];
    uint32_t bits = std::bit_cast<uint32_t>(value);
    int length = 1;
    while (length < kMaxRun && i + length < count && samples[i + length] == value &&
           std::bit_cast<uint32_t>(samples[i + length]) == bits)
      ++length;
    run(value, length);
    i += length;
  }
}

int64_t CountRuns(const float* samples, int32_t count) {
  int64_t runs = 0;
  ForEachRun(samples, count, [&](float, int) { ++runs; });
  return runs;
}

// Samples that cannot continue the run before them (another bit pattern, or NaN,
// which equals nothing): a quick lower bound of the runs less one, which settles
// most noisy tracks without counting the runs themselves.
int64_t CountBreaks(const float* samples, int32_t count) {
  int64_t breaks = 0;
  for (int32_t i = 1; i < count; ++i) {
    uint32_t a = std::bit_cast<uint32_t>(samples[i - 1]);
    uint32_t b = std::bit_cast<uint32_t>(samples[i]);
    breaks += (a != b) | ((b & 0x7FFFFFFFu) > 0x7F800000u);
  }
  return breaks;
}

// Runs only when they save more than a tenth: 4C / 5R > 1.1, i.e. 8C > 11R.
// Returns R then, else 0.
int64_t RunsWorthWriting(const float* samples, int32_t count) {
  if (count == 0 || 8 * int64_t{count} <= 11 * (CountBreaks(samples, count) + 1)) return 0;
  int64_t runs = CountRuns(samples, count);
  return 8 * int64_t{count} > 11 * runs ? runs : 0;
}

std::string Format(const char* pattern, int value) {
  std::string text(pattern);
  text.replace(text.find("%d"), 2, std::to_string(value));
  return text;
}

void ReadStrings(ComponentReader& in, StringList& list) {
  list.Clear();
  in.ReadListBegin();
  while (!in.EndOfList()) list.Add(in.ReadString());
}

void WriteStrings(ComponentWriter& out, const char* name, const StringList& list) {
  if (list.Empty()) return;
  out.WriteShortString(name);
  out.WriteListBegin();
  for (const auto& line : list) out.WriteString(line);
  out.WriteListEnd();
}

TLogArgument ReadArgument(ComponentReader& in) {
  std::string name = in.ReadIdent();
  for (TLogArgument a : {laDepth, laTime, laNone})
    if (SameText(name, ArgumentIdentifier(a))) return a;
  in.Fail("\"" + name + "\" is not an argument kind");
}

// Runs are parsed in full before the samples are allocated, so the allocation is
// only ever as large as the runs really describe.
void ReadRuns(ComponentReader& in, TLogTrack& track, int32_t count) {
  int32_t runs = in.ReadInt32();
  if (runs < 0 || int64_t{runs} * 5 > in.Remaining()) throw ELogTrackError(kFileDamaged);
  std::vector<uint8_t> bytes(static_cast<size_t>(runs) * 5);
  in.ReadBytes(bytes.data(), bytes.size());
  int64_t total = 0;
  for (size_t r = 0; r < bytes.size(); r += 5) total += bytes[r];
  if (total != count) throw ELogTrackError(kFileDamaged);
  track.LoadSamples(count, [&](float* out) {
    for (size_t r = 0; r < bytes.size(); r += 5) {
      uint32_t bits = uint32_t{bytes[r + 1]} | uint32_t{bytes[r + 2]} << 8 |
                      uint32_t{bytes[r + 3]} << 16 | uint32_t{bytes[r + 4]} << 24;
      out = std::fill_n(out, bytes[r], std::bit_cast<float>(bits));
    }
  });
}

void ReadTrackData(ComponentReader& in, TLogTrack& track) {
  in.BeginBinary();
  int32_t version = in.ReadInt32();
  uint32_t checksum = in.ReadUInt32();
  int32_t count = in.ReadInt32();
  if (version != kPlainSamples && version != kRunSamples)
    throw ELogTrackError(Format("LogTrack v%d is not supported", version));
  if (count < 0) throw ELogTrackError(kFileDamaged);
  if (version == kPlainSamples) {
    if (int64_t{count} * 4 > in.Remaining()) throw ELogTrackError(kFileDamaged);
    track.LoadSamples(count, [&](float* out) { in.ReadFloats(out, static_cast<size_t>(count)); });
  } else {
    ReadRuns(in, track, count);
  }
  if (track.ComputeChecksum() != checksum) throw ELogTrackError(kFileDamaged);
  track.SetChecksum(checksum);
  in.EndBinary();
}

std::shared_ptr<TLogTrack> ReadTrack(ComponentReader& in, TLogArgument argument) {
  in.ReadSignature();
  std::string class_name = in.ReadShortString();
  if (class_name != "TLogTrack") in.Fail("ожидался TLogTrack, найден \"" + class_name + "\"");
  in.ReadShortString();  // component name, empty for tracks
  auto track = std::make_shared<TLogTrack>();
  track->SetArgument(argument);
  while (!in.EndOfList()) {
    std::string name = in.ReadShortString();
    if (name == "Parameter")
      track->SetParameter(in.ReadString());
    else if (name == "Origin")
      track->SetOrigin(in.ReadInteger());
    else if (name == "Step")
      track->SetStep(in.ReadInteger());
    else if (name == "Data")
      ReadTrackData(in, *track);
    else if (name == "Tag")
      in.ReadInteger();  // a run-time reference, meaningless in a file
    else
      in.Fail("неизвестное свойство \"" + name + "\" у TLogTrack");
  }
  if (!in.EndOfList()) in.Fail("у TLogTrack нет дочерних компонентов");
  return track;
}

void WriteTrackData(ComponentWriter& out, TLogTrack& track) {
  track.UpdateChecksum();
  const float* samples = track.MeasuredSamples();
  int32_t count = track.Count();
  int64_t runs = RunsWorthWriting(samples, count);
  bool run_length = runs > 0;
  out.BeginBinary();
  out.WriteInt32(run_length ? kRunSamples : kPlainSamples);
  out.WriteUInt32(track.Checksum());
  out.WriteInt32(count);
  if (!run_length) {
    out.WriteFloats(samples, static_cast<size_t>(count));
  } else {
    out.WriteInt32(static_cast<int32_t>(runs));
    ForEachRun(samples, count, [&](float value, int length) {
      out.WriteByte(static_cast<uint8_t>(length));
      out.WriteFloats(&value, 1);
    });
  }
  out.EndBinary();
}

void WriteTrack(ComponentWriter& out, TLogTrack& track) {
  out.WriteSignature();
  out.WriteShortString("TLogTrack");
  out.WriteShortString("");
  if (!track.Parameter().empty()) {
    out.WriteShortString("Parameter");
    out.WriteWideString(track.Parameter());
  }
  out.WriteShortString("Origin");
  out.WriteInteger(track.Origin());
  out.WriteShortString("Step");
  out.WriteInteger(track.Step());
  out.WriteShortString("Data");
  WriteTrackData(out, track);
  out.WriteListEnd();  // properties
  out.WriteListEnd();  // children
}

}  // namespace

void TLSFiler::Read(Stream& stream, TLogSheet& sheet) {
  sheet.Params().Clear();
  sheet.Comments().Clear();
  try {
    ReadFile(stream, sheet);
  } catch (...) {
    sheet.Params().Clear();
    sheet.Comments().Clear();
    throw;
  }
  Progress(100);
}

void TLSFiler::ReadFile(Stream& stream, TLogSheet& sheet) {
  uint8_t head[4] = {};
  size_t got = stream.Read(head, sizeof head);
  if (got < 2 || head[0] != 'L' || head[1] != 'S')
    throw ELSFilerError("Неверный файл - сигнатура не найдена");
  auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
  if (got < 4 || !digit(head[2]) || !digit(head[3])) throw ELSFilerError("Неверный формат файла");
  int version = (head[2] - '0') * 10 + (head[3] - '0');
  if (version == 1) {
    progress_size_ = stream.Size();
    ComponentReader in(stream);
    ReadSheet(in, sheet);
  } else if (version == 4) {
    // Decompressed to memory first; the component stream is then read from there.
    MemoryStream plain(LzhufDecode(stream, [this](int p) { Progress(p); }));
    progress_size_ = 0;
    ComponentReader in(plain);
    ReadSheet(in, sheet);
  } else {
    throw ELSFilerError(Format("Формат LS версии %d не поддерживается", version));
  }
}

void TLSFiler::ReadSheet(ComponentReader& in, TLogSheet& sheet) {
  in.ReadSignature();
  in.ReadShortString();  // class name
  in.ReadShortString();  // component name
  while (!in.EndOfList()) {
    std::string name = in.ReadShortString();
    if (name == "Argument")
      sheet.SetArgument(ReadArgument(in));
    else if (name == "Params.Strings")
      ReadStrings(in, sheet.Params());
    else if (name == "Comments.Strings")
      ReadStrings(in, sheet.Comments());
    else if (name == "Data")
      ReadSheetData(in, sheet);
    else if (name == "Tag")
      sheet.SetTag(in.ReadInteger());
    else if (name == "Left" || name == "Top")
      in.ReadInteger();  // a design-time position on a window
    else if (name == "Enabled")
      sheet.SetEnabled(in.ReadBoolean());
    else if (name == "ReadOnly")
      sheet.SetReadOnly(in.ReadBoolean());
    else
      in.Fail("неизвестное свойство \"" + name + "\" у TLogSheet");
  }
  if (!in.EndOfList()) in.Fail("у TLogSheet нет дочерних компонентов");
  sheet.UpdateRange();
}

void TLSFiler::ReadSheetData(ComponentReader& in, TLogSheet& sheet) {
  in.BeginBinary();
  if (in.ReadInt32() == 1) {
    int32_t count = in.ReadInt32();
    if (count < 0 || count > kMaxTracks || count > in.Remaining() / kMinTrackBytes)
      throw ELSFilerError(kFileDamaged);
    for (int32_t i = 0; i < count; ++i) {
      sheet.AddTrack(ReadTrack(in, sheet.Argument()));
      if (progress_size_ > 0) ProgressOf(in.Position(), progress_size_);
    }
  }
  in.EndBinary();
}

void TLSFiler::Write(Stream& stream, TLogSheet& sheet) {
  for (int i = sheet.Count() - 1; i >= 0; --i)
    if (sheet.Tracks(i)->Foreign()) sheet.RemoveTrack(sheet.Tracks(i));

  ComponentWriter out(stream);
  out.WriteBytes("LS01", 4);
  out.WriteSignature();
  out.WriteShortString("TLogSheet");
  out.WriteShortString(sheet.Place().name);
  // Tags are 32-bit in the file; a wider run-time value has no meaning there.
  if (sheet.Tag() != 0 && sheet.Tag() == static_cast<int32_t>(sheet.Tag())) {
    out.WriteShortString("Tag");
    out.WriteInteger(static_cast<int32_t>(sheet.Tag()));
  }
  out.WriteShortString("Argument");
  out.WriteIdent(ArgumentIdentifier(sheet.Argument()));
  WriteStrings(out, "Params.Strings", sheet.Params());
  WriteStrings(out, "Comments.Strings", sheet.Comments());
  if (const auto& position = sheet.Place().position) {
    out.WriteShortString("Left");
    out.WriteInteger(position->first);
    out.WriteShortString("Top");
    out.WriteInteger(position->second);
  }
  out.WriteShortString("Data");
  WriteSheetData(out, sheet);
  out.WriteListEnd();  // properties
  out.WriteListEnd();  // children
  out.Flush();
}

void TLSFiler::WriteSheetData(ComponentWriter& out, TLogSheet& sheet) {
  out.BeginBinary();
  out.WriteInt32(1);
  out.WriteInt32(sheet.Count());
  for (int i = 0; i < sheet.Count(); ++i) {
    WriteTrack(out, *sheet.Tracks(i));
    ProgressOf(i + 1, sheet.Count());
  }
  out.EndBinary();
}

}  // namespace kest

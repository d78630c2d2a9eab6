#include "log/tmp_filer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "support/assert.h"
#include "support/buffered_reader.h"
#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr const char kCrLf[] = "\r\n";
// Limits against hostile files: a name or a curve count beyond these ends the part.
constexpr size_t kMaxNameBytes = 1024;
constexpr size_t kMaxCurves = 65536;

void PutInt32(std::string& out, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((u >> (8 * b)) & 0xFF));
}

void PutFloat(std::string& out, float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  PutInt32(out, static_cast<int32_t>(u));
}

int32_t GetInt32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                              uint32_t{p[3]} << 24);
}

float GetFloat(const uint8_t* p) {
  uint32_t u = static_cast<uint32_t>(GetInt32(p));
  float v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

class TmpReader {
 public:
  TmpReader(BufferedReader& in, TLogSheet& sheet, ProgressCallback progress)
      : in_(in), sheet_(sheet), progress_(std::move(progress)) {}

  void Run() {
    for (;;) {
      int c = in_.ReadByte();
      if (c < 0) break;
      if (c != '~') continue;
      int part = in_.ReadByte();
      try {
        switch (part) {
          case 'T':
            ReadArgument();
            break;
          case 'C':
            ReadCurves();
            break;
          case 'I':
            ReadGrid();
            break;
          case 'A':
            ReadRows();
            break;
          case '~':
            in_.Skip(-1);
            break;  // the next part may start right here
          default:
            break;
        }
      } catch (const EKestError&) {
        // A damaged part ends here; the scan goes on with what follows.
      }
    }
  }

 private:
  void ReadArgument() {
    in_.Skip(2);
    std::string name;
    for (int c; name.size() < 16 && (c = in_.ReadByte()) >= 0 && c != '\r' && c != '~';)
      name.push_back(static_cast<char>(c));
    TLogArgument argument = StrToArgument(name);
    if (!columns_.empty()) return;  // only before any curve, so nothing has to change kind
    sheet_.SetArgument(argument);
  }

  void ReadCurves() {
    in_.Skip(2);
    std::string name;
    for (;;) {
      int c = in_.ReadByte();
      if (c < 0) return;
      if (c == '~') {
        in_.Skip(-1);
        return;
      }
      if (c != '^') {
        if (name.size() >= kMaxNameBytes) throw ETMPFilerError(kFileDamaged);
        name.push_back(static_cast<char>(c));
        continue;
      }
      if (columns_.size() >= kMaxCurves) throw ETMPFilerError(kFileDamaged);
      TLogTrack* track = sheet_.NewTrack(Cp1251ToUtf8(name));
      track->SetStep(200);
      columns_.push_back(track);
      name.clear();
    }
  }

  void ReadGrid() {
    in_.Skip(2);
    size_t n = columns_.size();
    std::vector<uint8_t> steps(4 * n), origins(4 * n);
    if (in_.Read(steps.data(), steps.size()) != steps.size()) throw ETMPFilerError(kFileDamaged);
    in_.Skip(2);
    if (in_.Read(origins.data(), origins.size()) != origins.size())
      throw ETMPFilerError(kFileDamaged);
    for (size_t i = 0; i < n; ++i) {
      columns_[i]->SetStep(GetInt32(&steps[4 * i]));
      columns_[i]->SetOrigin(GetInt32(&origins[4 * i]));
    }
  }

  void ReadRows() {
    in_.Skip(2);
    size_t n = columns_.size();
    if (n == 0) return;
    std::vector<uint8_t> row(4 * n);
    for (int64_t rows = 0;; ++rows) {
      if (in_.Read(row.data(), row.size()) != row.size()) return;  // a row cut short is dropped
      for (size_t i = 0; i < n; ++i) columns_[i]->Append(GetFloat(&row[4 * i]));
      in_.Skip(2);
      if (progress_ && rows % 4096 == 0 && in_.Size() > 0)
        progress_(static_cast<int>(in_.Position() * 100 / in_.Size()));
    }
  }

  BufferedReader& in_;
  TLogSheet& sheet_;
  ProgressCallback progress_;
  std::vector<TLogTrack*> columns_;  // tracks in the file's column order
};

}  // namespace

void TTMPFiler::Read(Stream& stream, TLogSheet& sheet) {
  uint8_t signature[5] = {};
  size_t got = stream.Read(signature, sizeof signature);
  if (got < 2 || signature[0] != 'T' || signature[1] != 'M')
    throw ETMPFilerError("Неверный файл - сигнатура не найдена");
  auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
  if (got < 5 || !digit(signature[3]) || !digit(signature[4]))
    throw ETMPFilerError("Неверный формат файла");
  int version = (signature[3] - '0') * 10 + (signature[4] - '0');
  if (version != 1) return;

  stream.Seek(0);
  BufferedReader in(stream);
  TmpReader reader(in, sheet, [this](int p) { Progress(p); });
  reader.Run();
  Progress(100);
}

void TTMPFiler::Write(Stream&, TLogSheet&) {
  throw ELogSheetFilersError("Формат \"" + FormatName() + "\" не поддерживается");
}

void TTMPFiler::AppendRows(const std::string& file_name, TLogSheet& sheet, int32_t from,
                           int32_t factor, int32_t to) {
  KEST_ASSERT(factor >= 1);
  std::vector<TLogTrack*> tracks;
  for (int i = 0; i < sheet.Count(); ++i)
    if (!sheet.Tracks(i)->Foreign()) tracks.push_back(sheet.Tracks(i));
  int32_t step = sheet.SheetStep();
  sheet.UpdateRange();

  FileStream file(file_name, FileStream::Mode::ReadWrite);
  const int64_t start = file.Size();
  std::string header;
  if (start == 0) {
    header = "TMP01";
    if (sheet.Argument() == laTime)
      header += std::string(kCrLf) + "~T" + kCrLf + ArgumentName(laTime);
    header += std::string(kCrLf) + "~C" + kCrLf;
    for (TLogTrack* t : tracks) header += Utf8ToCp1251(t->Parameter()) + "^";
    header += std::string(kCrLf) + "~I" + kCrLf;
    for (TLogTrack* t : tracks) PutInt32(header, static_cast<int32_t>(int64_t{t->Step()} * factor));
    header += kCrLf;
    for (TLogTrack* t : tracks) PutInt32(header, t->Origin());
    header += std::string(kCrLf) + "~A" + kCrLf;
  }

  // Rows of sample indices k0, k0 + factor, ... covering from..to, but never past
  // the samples every track has.
  int64_t k0 = (int64_t{from} - sheet.Start()) / step;
  int64_t span = (int64_t{to} - from) / step;
  int64_t available = tracks.empty() ? 0 : INT64_MAX;
  for (TLogTrack* t : tracks) available = std::min<int64_t>(available, t->Count());
  std::string rows;
  for (int64_t k = std::max<int64_t>(k0, 0); k - k0 <= span && k < available; k += factor) {
    for (TLogTrack* t : tracks) PutFloat(rows, t->Sample(static_cast<int32_t>(k)));
    rows += kCrLf;
  }
  try {
    file.SeekToEnd();
    file.WriteString(header + rows);
  } catch (const EInOutError&) {
    // A row written in part would shift every row after it: the file goes back to
    // what it held, and the caller, told of the failure, writes these rows later.
    file.Truncate(start);
    throw;
  }
}

}  // namespace kest

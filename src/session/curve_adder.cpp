#include "session/curve_adder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "session/log_document.h"
#include "support/code_page.h"

namespace kest {

CurveAdder::CurveAdder(TLogSheet& target, TLogParameters& dictionary)
    : target_(target), dictionary_(dictionary), file_(std::make_unique<LogDocument>()) {}

CurveAdder::~CurveAdder() = default;

const TLogSheet& CurveAdder::File() const { return file_->Sheet(); }

void CurveAdder::Open(const std::string& path, const LogFileOptions& options) {
  auto loaded = std::make_unique<LogDocument>();
  path_.clear();
  file_ = std::make_unique<LogDocument>();
  loaded->Open(path, options);
  file_ = std::move(loaded);
  null_value_ = options.Las.NullValue;
  path_ = path;
}

std::optional<TLogArgument> CurveAdder::TargetArgument() const {
  if (target_.HasRange()) return target_.Argument();
  return std::nullopt;
}

int32_t CurveAdder::TargetStep() const { return target_.Count() > 0 ? target_.SheetStep() : 1; }

bool CurveAdder::Compatible() const {
  if (!HasFile()) return false;
  auto kind = TargetArgument();
  return !kind || *kind == File().Argument();
}

namespace {

std::string Fixed2(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

}  // namespace

std::vector<std::string> CurveAdder::Information() const {
  if (!Compatible()) return {};
  const TLogSheet& s = File();
  std::vector<std::string> lines;
  lines.push_back(s.Argument() == laTime ? "-Режим записи: ПО ВРЕМЕНИ"
                                         : "-Режим записи: ПО ГЛУБИНЕ");
  if (s.Count() > 0) lines.push_back("-Шаг записи: " + Fixed2(s.Tracks(0)->Step() / 1000.0));
  lines.push_back("-Начало: " + Fixed2(s.Start() / 1000.0));
  lines.push_back("-Конец: " + Fixed2(s.End() / 1000.0));
  return lines;
}

std::vector<std::string> CurveAdder::Curves() const {
  if (!Compatible()) return {};
  std::vector<std::string> curves;
  for (int i = 0; i < File().Count(); ++i) {
    const TLogTrack& t = *File().Tracks(i);
    const TLogParameter* p = dictionary_.Find(t.Parameter());
    std::string name = p != nullptr && !p->Caption.empty() ? p->Caption : t.Parameter();
    if (t.Instance() > 0) name += " #" + std::to_string(t.Instance());
    curves.push_back(name);
  }
  return curves;
}

std::string CurveAdder::Add(int index) {
  try {
    if (!HasFile()) throw ESessionError("не выбран файл");
    if (!Compatible())
      throw ESessionError(File().Argument() == laTime
                              ? "файл записан по времени, а лист - по глубине"
                              : "файл записан по глубине, а лист - по времени");
    if (index < 0 || index >= File().Count()) throw ESessionError("нет такой кривой в файле");
    return AddOne(*File().Tracks(index));
  } catch (const std::exception& e) {
    throw ECurveAddError(std::string(kCurveAddFailed) + "\n" + e.what());
  }
}

std::string CurveAdder::AddOne(const TLogTrack& source) {
  // The dictionary entry of the copy: the source's, named after the file.
  const TLogParameter* e = dictionary_.Find(source.Parameter());
  TLogParameter base;
  if (e != nullptr) {
    base = *e;
  } else {
    base.Name = source.Parameter();
    base.Caption = source.Parameter();
    base.Format = "0.00";
  }
  std::string file = std::filesystem::path(path_).filename().string();
  std::string name = UpperCase(base.Name + "(" + file + ")");
  std::string caption = base.Caption + "(" + file + ")";
  // Column heads use the short caption: it names the file too.
  std::string short_caption = base.ShortCaption.empty() ? "" : base.ShortCaption + "(" + file + ")";
  if (dictionary_.Find(name) == nullptr)
    dictionary_.Add(name, caption, base.Number, base.Format, base.Mnemonic, base.Units,
                    short_caption);

  const int32_t step = TargetStep();
  const bool resample = step != 0 && source.Step() != step;
  std::vector<float> samples =
      resample ? ResampleTrack(source, step, null_value_)
               : std::vector<float>(source.Samples(), source.Samples() + source.Count());

  SheetLock lock(target_);
  const bool first = !target_.HasRange();
  if (first) target_.SetArgument(File().Argument());
  TLogTrack* copy = target_.NewTrack(name);
  copy->SetArgument(File().Argument());
  copy->SetStep(resample ? step : source.Step());
  copy->SetOrigin(source.Origin());
  copy->SetAscending(source.Ascending());
  try {
    copy->LoadSamples(samples.data(), static_cast<int32_t>(samples.size()));
  } catch (...) {
    target_.RemoveTrack(copy);
    throw;
  }
  copy->SetForeign(true);
  last_added_ = copy;
  target_.UpdateRange();
  target_.MarkStructureChanged();
  return resample ? "Кривая " + caption + " добавлена."
                  : "Кривая \"" + (e != nullptr ? e->Caption : base.Caption) + "\" добавлена.";
}

std::vector<float> ResampleTrack(const TLogTrack& source, int32_t step, float null_value) {
  std::vector<float> out;
  const int64_t s = source.Step(), count = source.Count();
  if (count == 0 || step <= 0) return out;
  const int64_t span = (count - 1) * s;
  const int64_t n = span / step + 1;
  out.reserve(static_cast<size_t>(n));
  for (int64_t j = 0; j < n; ++j) {
    const int64_t x = j * step;
    const int64_t i = x / s, rest = x % s;
    float a = source.Sample(static_cast<int32_t>(i));
    if (rest == 0 || i + 1 >= count) {
      out.push_back(a);
    } else if (float b = source.Sample(static_cast<int32_t>(i + 1));
               IsNullSample(a, null_value) || IsNullSample(b, null_value)) {
      out.push_back(null_value);  // no line is drawn to or from a gap
    } else {
      double t = static_cast<double>(rest) / static_cast<double>(s);
      out.push_back(static_cast<float>(a + (b - a) * t));
    }
  }
  return out;
}

}  // namespace kest

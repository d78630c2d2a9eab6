#include "session/log_document.h"

#include <algorithm>
#include <cctype>

#include "log/las_units.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/atomic_file.h"
#include "support/stream.h"

namespace kest {

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return std::toupper(c); });
  return out;
}

bool IsLas(std::string_view format) { return Upper(format) == TLasFiler::FormatName(); }

TLogSheetFilerClass LasClass(TLasOptions options) {
  return {TLasFiler::FormatName(),
          [options = std::move(options)] { return std::make_unique<TLasFiler>(options); }};
}

}  // namespace

TLogSheetFilerClass WriterFor(std::string_view path, const LogFileOptions& options) {
  const std::string format = FileFormatName(path);
  const TLogSheetFilerClass& registered = WriterFilers().Find(format);  // unknown formats fail here
  return IsLas(format) ? LasClass(options.Las) : registered;
}

TLogSheetFilerClass ReaderFor(std::string_view path, const LogFileOptions& options,
                              std::vector<std::string>* warnings) {
  const std::string format = FileFormatName(path);
  const TLogSheetFilerClass& registered = ReaderFilers().Find(format);
  if (!IsLas(format)) return registered;
  TLasOptions las = options.Las;
  las.OnWarning = [warnings, chained = options.Las.OnWarning](const std::string& message) {
    if (warnings) warnings->push_back(message);
    if (chained) chained(message);
  };
  return LasClass(std::move(las));
}

void PrepareForFormat(TLogSheet& sheet, std::string_view format) {
  if (!IsLas(format)) return;
  SheetLock lock(sheet);
  for (int i = 0; i < sheet.Count(); ++i) {
    TLogTrack* t = sheet.Tracks(i);
    if (t->Step() != 0) t->SetOrigin(t->Origin() / t->Step() * t->Step());
  }
}

std::string FileNameForFormat(const std::string& name, std::string_view format) {
  std::string lower(format);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (has_ext) {
    const std::string ext = Upper(std::string_view(name).substr(dot + 1));
    if (ext == Upper(format)) return name;
    if (WriterFilers().Contains(ext) || ReaderFilers().Contains(ext))
      return name.substr(0, dot + 1) + lower;
  }
  return name + "." + lower;
}

void PlaceOnMainWindow(TLogSheet& sheet) { sheet.SetPlace({"lsSave", std::pair{184, 208}}); }

LogDocument::LogDocument() : own_(std::make_unique<TLogSheet>()), sheet_(own_.get()) {}

LogDocument::LogDocument(TLogSheet& sheet) : sheet_(&sheet) {}

LogDocument::~LogDocument() { saves_.WaitAll(); }

std::vector<std::string> LogDocument::Open(const std::string& path, const LogFileOptions& options,
                                           const ProgressCallback& progress) {
  std::vector<std::string> warnings;
  const TLogSheetFilerClass format = ReaderFor(path, options, &warnings);
  TLogSheet loaded;
  {
    FileStream file(path, FileStream::Mode::Read);
    LoadSheet(format, file, loaded, progress);
  }
  // A curve an earlier run imported in its file's own unit is known by that unit again.
  if (!IsLas(format.FormatName) && LogParametersExist())
    RestoreOwnUnitEntries(loaded, LogParameters());
  {
    SheetLock lock(*sheet_);
    sheet_->AssignLog(loaded);
    sheet_->UpdateRange();
    sheet_->MarkStructureChanged();
  }
  file_name_ = path;
  modified_ = false;
  return warnings;
}

void LogDocument::SaveAs(const std::string& path, const LogFileOptions& options) {
  const TLogSheetFilerClass format = WriterFor(path, options);
  TLogSheet copy;
  {
    SheetLock lock(*sheet_);
    copy.AssignLog(*sheet_);
    copy.SetPlace(sheet_->Place());
  }
  PrepareForFormat(copy, format.FormatName);
  AtomicFile file(path);
  SaveSheet(format, file, copy, {});
  file.Commit();
  file_name_ = path;
  modified_ = false;
}

void LogDocument::SaveInBackground(const std::string& path, const LogFileOptions& options) {
  TLogSheetFilerClass format = WriterFor(path, options);
  const std::string name = format.FormatName;
  saves_.Save(*sheet_, path, std::move(format),
              [name](TLogSheet& copy) { PrepareForFormat(copy, name); });
  file_name_ = path;
  modified_ = false;  // a failed save marks it again when it is reaped
}

std::list<BackgroundSave::Result> LogDocument::Reap() { return Ended(saves_.Reap()); }

std::list<BackgroundSave::Result> LogDocument::WaitForSaves() { return Ended(saves_.WaitAll()); }

std::list<BackgroundSave::Result> LogDocument::Ended(std::list<BackgroundSave::Result> ended) {
  for (const BackgroundSave::Result& r : ended)
    if (!r.ok && r.path == file_name_) modified_ = true;
  return ended;
}

}  // namespace kest

#include "log/log_sheet_filer.h"

#include "log/las_filer.h"
#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "log/ls_filer.h"
#include "log/tmp_filer.h"
#include "support/code_page.h"

namespace kest {

void TLogSheetFiler::Progress(int percent) {
  if (percent == last_progress_) return;
  last_progress_ = percent;
  if (OnProgress) OnProgress(percent);
}

void TLogSheetFiler::ProgressOf(int64_t position, int64_t size) {
  if (size > 0) Progress(static_cast<int>(position * 100 / size));
}

void TLogSheetFilers::Register(TLogSheetFilerClass filer_class) {
  items_.push_back(std::move(filer_class));
}

const TLogSheetFilerClass* TLogSheetFilers::Lookup(std::string_view name) const {
  std::string_view bare = name;
  if (!bare.empty() && bare.front() == '.') bare.remove_prefix(1);
  std::string wanted = UpperCase(bare);
  for (const auto& item : items_)
    if (item.FormatName == wanted) return &item;
  return nullptr;
}

const TLogSheetFilerClass& TLogSheetFilers::Find(std::string_view name) const {
  if (const auto* item = Lookup(name)) return *item;
  throw ELogSheetFilersError("Формат \"" + std::string(name) + "\" не поддерживается");
}

bool TLogSheetFilers::Contains(std::string_view name) const { return Lookup(name) != nullptr; }

std::string TLogSheetFilers::FilterMask() const {
  std::string mask;
  for (const auto& item : items_) {
    if (!mask.empty()) mask += ';';
    mask += "*." + item.FormatName;
  }
  return mask;
}

namespace {

template <typename Filer>
TLogSheetFilerClass ClassOf() {
  return {Filer::FormatName(), [] { return std::make_unique<Filer>(); }};
}

}  // namespace

TLogSheetFilers& ReaderFilers() {
  static TLogSheetFilers readers = [] {
    TLogSheetFilers r;
    r.Register(ClassOf<TLSFiler>());
    r.Register(ClassOf<TLasFiler>());
    r.Register(ClassOf<TTMPFiler>());
    return r;
  }();
  return readers;
}

TLogSheetFilers& WriterFilers() {
  static TLogSheetFilers writers = [] {
    TLogSheetFilers w;
    w.Register(ClassOf<TLSFiler>());
    w.Register(ClassOf<TLasFiler>());
    return w;
  }();
  return writers;
}

namespace {

// Progress of a whole load or save: the wrapper's 0 and 100 and the handler's own
// reports, each value passed on once.
ProgressCallback Deduplicated(const ProgressCallback& progress) {
  return [progress, last = -1](int percent) mutable {
    if (percent == last || !progress) return;
    last = percent;
    progress(percent);
  };
}

}  // namespace

void LoadSheet(const TLogSheetFilerClass& format, Stream& stream, TLogSheet& sheet,
               const ProgressCallback& progress) {
  auto filer = format.Create();
  auto report = Deduplicated(progress);
  filer->OnProgress = [&report](int p) { report(p); };
  sheet.Clear();
  report(0);
  try {
    filer->Read(stream, sheet);
  } catch (...) {
    sheet.Clear();
    sheet.UpdateRange();
    throw;
  }
  sheet.UpdateRange();
  report(100);
}

void SaveSheet(const TLogSheetFilerClass& format, Stream& stream, TLogSheet& sheet,
               const ProgressCallback& progress) {
  auto filer = format.Create();
  auto report = Deduplicated(progress);
  filer->OnProgress = [&report](int p) { report(p); };
  report(0);
  filer->Write(stream, sheet);
  report(100);
}

std::string FileFormatName(std::string_view file_name) {
  auto slash = file_name.find_last_of('/');
  std::string_view base = slash == std::string_view::npos ? file_name : file_name.substr(slash + 1);
  auto dot = base.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  std::string_view ext = base.substr(dot + 1);
  if (ext.size() > 3) ext = ext.substr(ext.size() - 3);
  return std::string(ext);
}

}  // namespace kest

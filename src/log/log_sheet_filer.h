#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

class Stream;
class TLogSheet;

using ProgressCallback = std::function<void(int percent)>;

// A file format handler. Each load or save creates a fresh handler, wires its
// progress to the sheet and destroys it afterwards.
class TLogSheetFiler {
 public:
  virtual ~TLogSheetFiler() = default;
  virtual void Read(Stream& stream, TLogSheet& sheet) = 0;
  virtual void Write(Stream& stream, TLogSheet& sheet) = 0;

  ProgressCallback OnProgress;

 protected:
  // Reports a percentage (0..100), skipping repeats of the last value.
  void Progress(int percent);
  // Reports position / size as a percentage.
  void ProgressOf(int64_t position, int64_t size);

 private:
  int last_progress_ = -1;
};

// What the registries hold: the format's name (upper case, no dot) and how to make
// a handler.
struct TLogSheetFilerClass {
  std::string FormatName;
  std::function<std::unique_ptr<TLogSheetFiler>()> Create;
};

// An ordered registry of format handlers.
class TLogSheetFilers {
 public:
  void Register(TLogSheetFilerClass filer_class);
  int Count() const { return static_cast<int>(items_.size()); }
  const TLogSheetFilerClass& Items(int i) const { return items_[static_cast<size_t>(i)]; }
  // By format name or extension: one leading '.' dropped, compared upper-cased.
  // Raises ELogSheetFilersError "Формат \"%s\" не поддерживается" with the name as given.
  const TLogSheetFilerClass& Find(std::string_view name) const;
  bool Contains(std::string_view name) const;
  // "*.LS;*.LAS;*.TMP" style mask of every registered format, in order.
  std::string FilterMask() const;

 private:
  const TLogSheetFilerClass* Lookup(std::string_view name) const;
  std::vector<TLogSheetFilerClass> items_;
};

// The two registries of the process, filled with the built-in formats on first use
// (readers LS, LAS, TMP; writers LS, LAS, as far as they are built).
TLogSheetFilers& ReaderFilers();
TLogSheetFilers& WriterFilers();

// Load: clear the sheet, report 0, read, report 100; a failed read leaves the sheet
// empty (the error is passed on). Save: report 0, write, report 100.
void LoadSheet(const TLogSheetFilerClass& format, Stream& stream, TLogSheet& sheet,
               const ProgressCallback& progress);
void SaveSheet(const TLogSheetFilerClass& format, Stream& stream, TLogSheet& sheet,
               const ProgressCallback& progress);

// Format name of a file to open: its last one to three characters after a '.'.
std::string FileFormatName(std::string_view file_name);

}  // namespace kest

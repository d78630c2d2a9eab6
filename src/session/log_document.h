#pragma once

#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log/las_filer.h"
#include "log/log_sheet_filer.h"
#include "session/background_save.h"

namespace kest {

class TLogSheet;

// What reading and writing log files take from the program's settings: the LAS
// export step, null value, header template and organisation. Passed to each call,
// so two documents (or the editor and kest-tool) never share a hidden setting.
struct LogFileOptions {
  TLasOptions Las;
};

// One log as a file: its sheet, its name, whether it was changed since it was
// read or written, and the rules every way of opening and saving a log follows.
// The format is always the one FileFormatName gives for the path. A failed open
// leaves the document as it was. LAS holds one depth grid, so the written copy has
// each track's origin cut down to a whole multiple of its step (the sheet on screen
// keeps its own). Main thread; background saves write a copy of the sheet.
class LogDocument {
 public:
  // A document with a sheet of its own (the editor, kest-tool).
  LogDocument();
  // A document over a sheet owned elsewhere (the recorder's working sheet).
  explicit LogDocument(TLogSheet& sheet);
  ~LogDocument();
  LogDocument(const LogDocument&) = delete;
  LogDocument& operator=(const LogDocument&) = delete;

  TLogSheet& Sheet() { return *sheet_; }
  const TLogSheet& Sheet() const { return *sheet_; }
  const std::string& FileName() const { return file_name_; }
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // Reads `path` into a new sheet and, when that succeeded, takes it over: the
  // sheet's contents, the file name, not modified. Any failure is raised and leaves
  // the document untouched. Returns the reader's warnings (LAS sections it skipped).
  // Saves still running go on (they write a copy and rename it into place).
  std::vector<std::string> Open(const std::string& path, const LogFileOptions& options,
                                const ProgressCallback& progress = {});
  // Writes the sheet to `path` now, through a temporary file renamed over it.
  void SaveAs(const std::string& path, const LogFileOptions& options);
  // Starts writing a copy of the sheet to `path` on a worker thread; an unknown
  // format is raised before the worker starts. The name is taken at once.
  void SaveInBackground(const std::string& path, const LogFileOptions& options);
  // The background saves that ended since the last call; a save that ended well
  // leaves the document unmodified when nothing changed meanwhile.
  std::list<BackgroundSave::Result> Reap();
  std::list<BackgroundSave::Result> WaitForSaves();
  int SavesRunning() const { return saves_.Running(); }

 private:
  std::list<BackgroundSave::Result> Ended(std::list<BackgroundSave::Result> ended);

  std::unique_ptr<TLogSheet> own_;
  TLogSheet* sheet_;
  std::string file_name_;
  bool modified_ = false;
  BackgroundSave saves_;
};

// The writer of `path`'s format with `options` (LAS), else the registry's. Raises
// ELogSheetFilersError for a format nobody writes.
TLogSheetFilerClass WriterFor(std::string_view path, const LogFileOptions& options);
// The reader likewise; warnings of the LAS reader go to `warnings`.
TLogSheetFilerClass ReaderFor(std::string_view path, const LogFileOptions& options,
                              std::vector<std::string>* warnings);
// Brings a sheet about to be written into what the format can hold: LAS cuts each
// track's origin down to a whole multiple of its step (integer division).
void PrepareForFormat(TLogSheet& sheet, std::string_view format);

// Names the sheet as the main window's working sheet ("lsSave" at 184, 208), which is
// how other installations expect the main window's files to name it.
void PlaceOnMainWindow(TLogSheet& sheet);
// The file name for `name` chosen with `format` ("LS", "LAS"): a name whose
// extension is a known format's gets the chosen one instead, any other name keeps
// all its dots and gets the extension added ("Спуск 1501.92 - 1528.96" + ".ls").
std::string FileNameForFormat(const std::string& name, std::string_view format);

}  // namespace kest

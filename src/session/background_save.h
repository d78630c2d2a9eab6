#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "log/log_sheet_filer.h"

namespace kest {

class TLogSheet;

// Saves of log files on worker threads, so that recording goes on while a file is
// written. Save copies the sheet under its lock (a short hold, as long as a few
// row appends) and the worker writes the copy: the live sheet is never held for a
// file write, and a recording started at once cannot clear rows before they are
// saved. A failure is written to the diagnostic log as "Error saving file: " + the
// message. The owner calls Reap on its thread to learn which saves ended; the
// destructor waits for the saves still running.
class BackgroundSave {
 public:
  struct Result {
    std::string path;
    bool ok = false;
  };

  BackgroundSave() = default;
  ~BackgroundSave();
  BackgroundSave(const BackgroundSave&) = delete;
  BackgroundSave& operator=(const BackgroundSave&) = delete;

  // Starts writing `sheet` to `path` in the format of `ext` ("LS", ...).
  void Save(TLogSheet& sheet, const std::string& path, const std::string& ext);
  // Starts writing with `format`; `prepare` changes the copy first (what the
  // format cannot hold).
  void Save(TLogSheet& sheet, const std::string& path, TLogSheetFilerClass format,
            std::function<void(TLogSheet&)> prepare = {});
  // The saves that ended since the last call, oldest first.
  std::list<Result> Reap();
  // Waits for every running save; returns them as Reap does.
  std::list<Result> WaitAll();
  int Running() const;

 private:
  struct Job {
    std::string path;
    std::atomic<bool> done{false};
    bool ok = false;
    std::jthread thread;
  };
  std::list<std::unique_ptr<Job>> jobs_;
};

}  // namespace kest

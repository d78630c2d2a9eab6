#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "support/unique_fd.h"

namespace kest {

KEST_DECLARE_ERROR(EDiagnosticLogError, EKestError);

// The program's diagnostic log: one text line per entry,
//   "hh:nn:ss TAG MARK message" CR LF
// where TAG is the mode ("REC ", "EDIT", "----" until known) and MARK is ' ' for
// ordinary entries, '*' for start-up and shut-down notes of components and 'x' for
// errors. Several instances of the program may share one log; each entry is
// appended at the current end of the file. Thread-safe. Until Open, entries go
// nowhere.
class DiagnosticLog {
 public:
  enum class Mark : char { Normal = ' ', Component = '*', Error = 'x' };

  DiagnosticLog() = default;
  ~DiagnosticLog();
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  // Starts the log at `path`. A previous log that no running instance holds is
  // deleted and the new one begins with the header; a log that another instance
  // holds is shared and appended to. Raises EDiagnosticLogError "Could not create
  // log file. " + system text when the file cannot be created.
  void Open(const std::string& path, const std::string& program_path);
  // Writes the footer when this instance started the log, and closes it.
  void Close();
  bool IsOpen() const;
  std::string Path() const;

  void SetTag(std::string_view tag);  // padded or cut to four characters
  void Write(Mark mark, std::string_view message);
  void Note(std::string_view message) { Write(Mark::Normal, message); }
  void Component(std::string_view message) { Write(Mark::Component, message); }
  void Error(std::string_view message) { Write(Mark::Error, message); }
  // The exception logger: "[source:line] message" as an error, then the beep.
  void LogException(std::string_view source, int line, std::string_view message);
  void LogException(std::string_view source, std::string_view where, std::string_view message);

  // Replaceable for tests: the local time "hh:nn:ss" / the header's date, and the beep.
  std::function<std::string()> time_text;
  std::function<std::string()> date_text;
  std::function<void()> beep;

 private:
  void WriteLine(const std::string& line);  // caller holds mutex_
  std::string TimeText() const;

  mutable std::mutex mutex_;
  UniqueFd fd_;
  bool owner_ = false;  // this instance started the file: header written, footer due
  std::string path_;
  std::string tag_ = "----";
};

// The process's diagnostic log.
DiagnosticLog& Diag();

// Where the log of the program at `program_path` goes: next to the program, named
// after it with ".log", when that folder is writable, else
// $XDG_STATE_HOME/kest/kest.log (~/.local/state when unset).
std::string DefaultDiagnosticLogPath(const std::string& program_path);

// The user's own log, $XDG_STATE_HOME/kest/kest.log (~/.local/state when unset), its
// folder created: where an installed program writes, never beside itself.
std::string UserDiagnosticLogPath();

}  // namespace kest

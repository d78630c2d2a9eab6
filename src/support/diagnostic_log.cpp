#include "support/diagnostic_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "support/errors.h"
#include "support/system_calls.h"

namespace kest {

namespace {

const std::string kRule(64, '-');

// The local date and time, or the time of day only.
std::string LocalTime(bool with_date) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buffer[64];
  std::strftime(buffer, sizeof buffer, with_date ? "%d.%m.%Y %H:%M:%S" : "%H:%M:%S", &tm);
  return buffer;
}

}  // namespace

DiagnosticLog::~DiagnosticLog() { Close(); }

void DiagnosticLog::Open(const std::string& path, const std::string& program_path) {
  Close();
  std::lock_guard lock(mutex_);
  // Delete the old log unless another running instance still holds it (shared lock).
  bool fresh = true;
  if (UniqueFd old(
          RetryOnInterrupt([&] { return Sys().open(path.c_str(), O_RDWR | O_CLOEXEC, 0); }));
      old) {
    if (Sys().flock(old.Get(), LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.c_str());
    else
      fresh = false;
  }
  fd_.Reset(RetryOnInterrupt(
      [&] { return Sys().open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644); }));
  if (!fd_) throw EDiagnosticLogError(WithSystemError("Could not create log file. "));
  RetryOnInterrupt([&] { return Sys().flock(fd_.Get(), LOCK_SH); });
  path_ = path;
  owner_ = fresh;
  if (owner_) {
    WriteLine(kRule);
    WriteLine("Протокол работы от " + (date_text ? date_text() : LocalTime(true)));
    WriteLine("Программный модуль: " + program_path);
    WriteLine("Программа скомпилирована с отладочными сообщениями");
    WriteLine(kRule);
  }
}

void DiagnosticLog::Close() {
  std::lock_guard lock(mutex_);
  if (!fd_) return;
  if (owner_) {
    WriteLine(kRule);
    WriteLine("Завершение работы программы");
    WriteLine(kRule);
  }
  fd_.Reset();
}

bool DiagnosticLog::IsOpen() const {
  std::lock_guard lock(mutex_);
  return fd_.Valid();
}

std::string DiagnosticLog::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void DiagnosticLog::SetTag(std::string_view tag) {
  std::lock_guard lock(mutex_);
  tag_ = std::string(tag.substr(0, 4));
  tag_.resize(4, ' ');
}

std::string DiagnosticLog::TimeText() const { return time_text ? time_text() : LocalTime(false); }

void DiagnosticLog::Write(Mark mark, std::string_view message) {
  std::lock_guard lock(mutex_);
  if (!fd_) return;
  std::string line = TimeText();
  line += ' ';
  line += tag_;
  line += ' ';
  line += static_cast<char>(mark);
  line += ' ';
  line += message;
  WriteLine(line);
}

void DiagnosticLog::WriteLine(const std::string& line) {
  std::string bytes = line + "\r\n";
  // O_APPEND moves to the end of the file before every write. A failure (a full
  // disk) loses the entry: the log must never stop the program.
  WriteAll(fd_.Get(), bytes.data(), bytes.size());
}

void DiagnosticLog::LogException(std::string_view source, int line, std::string_view message) {
  LogException(source, std::to_string(line), message);
}

void DiagnosticLog::LogException(std::string_view source, std::string_view where,
                                 std::string_view message) {
  std::string text = "[";
  text += source;
  text += ':';
  text += where;
  text += "] ";
  text += message;
  if (beep) beep();
  Error(text);
}

DiagnosticLog& Diag() {
  static DiagnosticLog log;
  return log;
}

std::string DefaultDiagnosticLogPath(const std::string& program_path) {
  namespace fs = std::filesystem;
  fs::path program(program_path);
  fs::path folder = program.has_parent_path() ? program.parent_path() : fs::path(".");
  if (::access(folder.c_str(), W_OK) == 0) return (folder / program.stem()).string() + ".log";
  return UserDiagnosticLogPath();
}

std::string UserDiagnosticLogPath() {
  namespace fs = std::filesystem;
  fs::path state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
    state = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    state = fs::path(home) / ".local/state";
  else
    state = "/tmp";
  std::error_code ignored;
  fs::create_directories(state / "kest", ignored);
  return (state / "kest" / "kest.log").string();
}

}  // namespace kest

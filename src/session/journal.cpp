#include "session/journal.h"

#include <filesystem>

#include "support/diagnostic_log.h"
#include "support/stream.h"

namespace kest {

Journal::Journal(LocalTimeFn now) : now_(std::move(now)) {}

Journal::~Journal() = default;

void Journal::Open(const std::string& path) {
  Close();
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  file_ = std::make_unique<FileStream>(path, FileStream::Mode::Create);
  path_ = path;
}

void Journal::Close() {
  file_.reset();
  path_.clear();
}

void Journal::Write(std::string_view message) {
  Diag().Note("Recorder message: " + std::string(message));
  if (!file_) return;
  DateTime t = now_();
  std::string line = JournalDate(t) + " " + TimeOfDay(t) + " " + std::string(message) + "\r\n";
  file_->SeekToEnd();
  file_->WriteString(line);
  file_->Flush();
}

std::string Journal::Text() const {
  if (!file_) return {};
  std::string text(static_cast<size_t>(file_->Size()), '\0');
  file_->Seek(0);
  text.resize(file_->Read(text.data(), text.size()));
  file_->SeekToEnd();
  return text;
}

void Journal::AppendFile(const std::string& session_path, const std::string& journal_path) {
  std::vector<uint8_t> bytes =
      FileExists(session_path) ? ReadWholeFile(session_path) : std::vector<uint8_t>{};
  FileStream journal(journal_path, FileStream::Mode::ReadWrite);
  journal.SeekToEnd();
  if (!bytes.empty()) journal.Write(bytes.data(), bytes.size());
  journal.Flush();
}

}  // namespace kest

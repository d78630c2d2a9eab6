// The recording session's crash file: written while recording, offered back at the
// next start.
#include <algorithm>
#include <filesystem>

#include "session/recording_session.h"
#include "session/session_host.h"
#include "support/atomic_file.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr const char* kRecoveryTitle = "Внимание !";
constexpr const char* kRecoveryQuestion =
    "Возможно предыдущая регистрация завершилась некорректно.\r\nПопытаться восстановить данные ?";

}  // namespace

void RecordingSession::SetAutoSaveInterval(int64_t ms) {
  auto_save_ms_ = std::max<int64_t>(ms, 0);
  next_auto_save_ = clock_.NowMs() + auto_save_ms_;
}

void RecordingSession::AutoSave() {
  if (!Recording() || recorded_.empty()) return;
  const int32_t factor = kCrashStride;
  int32_t rows = INT32_MAX;
  for (const Recorded& r : recorded_) rows = std::min(rows, r.track->Count());
  if (rows == 0) return;
  TLogTrack* first = recorded_.front().track;
  bool ascending = first->Ascending();
  int32_t position = ascending ? first->End() : first->Origin();
  if (position == SavedPosition) return;
  try {
    if (ascending) {
      if (rows - 1 >= next_saved_row_) {
        lsSave.AppendCrashFile(crash_file_, first->ArgumentOf(next_saved_row_), factor, position);
        next_saved_row_ += (rows - 1 - next_saved_row_) / factor * factor + factor;
      }
    } else {
      RewriteCrashFile(factor);
    }
    SavedPosition = position;
    if (!auto_save_error_.empty()) Diag().Note("Auto-save: crash file written again");
    auto_save_error_.clear();
  } catch (const std::exception& e) {
    // Recording goes on and the next tick tries again; a failure that repeats tick
    // after tick is logged once.
    if (auto_save_error_ != e.what()) Diag().Error(std::string("Auto-save: ") + e.what());
    auto_save_error_ = e.what();
  }
}

// A log recorded upwards grows at its front, which an appended file cannot follow:
// its crash file is written whole each time and put in place by a durable rename.
// Raises EInOutError; the crash file in place is then untouched.
void RecordingSession::RewriteCrashFile(int32_t factor) {
  std::string temp = crash_file_ + ".new";
  std::error_code ignored;
  std::filesystem::remove(temp, ignored);
  try {
    {
      SheetLock lock(lsSave);
      lsSave.UpdateRange();
      lsSave.AppendCrashFile(temp, lsSave.Start(), factor, lsSave.End());
    }
    RenameDurably(temp, crash_file_);
  } catch (...) {
    std::filesystem::remove(temp, ignored);
    throw;
  }
}

void RecordingSession::DeleteCrashFile() {
  std::error_code ignored;
  std::filesystem::remove(crash_file_, ignored);
}

bool RecordingSession::OfferCrashRecovery() {
  if (!FileExists(crash_file_)) return false;
  if (!host_.AskYesNo(kRecoveryTitle, kRecoveryQuestion)) {
    DeleteCrashFile();
    return false;
  }
  lsSave.LoadFromFile(crash_file_, "TMP");
  recorded_.clear();
  SheetLock lock(lsSave);
  lsSave.UpdateRange();
  return true;
}

}  // namespace kest

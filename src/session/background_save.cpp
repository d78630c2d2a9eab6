#include "session/background_save.h"

#include "log/log_sheet.h"
#include "support/atomic_file.h"
#include "support/diagnostic_log.h"

namespace kest {

BackgroundSave::~BackgroundSave() { WaitAll(); }

void BackgroundSave::Save(TLogSheet& sheet, const std::string& path, const std::string& ext) {
  Save(sheet, path, WriterFilers().Find(ext));
}

void BackgroundSave::Save(TLogSheet& sheet, const std::string& path, TLogSheetFilerClass format,
                          std::function<void(TLogSheet&)> prepare) {
  auto copy = std::make_shared<TLogSheet>();
  {
    SheetLock lock(sheet);
    copy->AssignLog(sheet);
    copy->SetPlace(sheet.Place());
  }
  if (prepare) prepare(*copy);
  auto job = std::make_unique<Job>();
  job->path = path;
  Job* j = job.get();
  job->thread = std::jthread([j, copy, format = std::move(format)] {
    try {
      AtomicFile file(j->path);
      SaveSheet(format, file, *copy, {});
      file.Commit();
      j->ok = true;
    } catch (const std::exception& e) {
      Diag().Error(std::string("Error saving file: ") + e.what());
    }
    j->done.store(true, std::memory_order_release);
  });
  jobs_.push_back(std::move(job));
}

std::list<BackgroundSave::Result> BackgroundSave::Reap() {
  std::list<Result> ended;
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    if (!(*it)->done.load(std::memory_order_acquire)) {
      ++it;
      continue;
    }
    if ((*it)->thread.joinable()) (*it)->thread.join();
    ended.push_back({(*it)->path, (*it)->ok});
    it = jobs_.erase(it);
  }
  return ended;
}

std::list<BackgroundSave::Result> BackgroundSave::WaitAll() {
  for (auto& job : jobs_)
    if (job->thread.joinable()) job->thread.join();
  return Reap();
}

int BackgroundSave::Running() const { return static_cast<int>(jobs_.size()); }

}  // namespace kest

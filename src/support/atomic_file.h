#pragma once

#include <memory>
#include <string>

#include "support/stream.h"

namespace kest {

// Writes a file so that a crash or a full disk never leaves a truncated file in
// place of a good one: the bytes go to a temporary file in the same folder, which
// Commit flushes and renames over the target. Without Commit the temporary file is
// removed and the target is untouched.
class AtomicFile : public Stream {
 public:
  explicit AtomicFile(const std::string& target);  // raises EInOutError
  ~AtomicFile() override;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  size_t Read(void* buffer, size_t count) override { return temp_->Read(buffer, count); }
  void Write(const void* buffer, size_t count) override { temp_->Write(buffer, count); }
  int64_t Position() const override { return temp_->Position(); }
  void Seek(int64_t position) override { temp_->Seek(position); }
  int64_t Size() const override { return temp_->Size(); }

  void Commit();  // raises EInOutError; the target is unchanged on failure
  const std::string& TempPath() const { return temp_path_; }

 private:
  std::string target_;
  std::string temp_path_;
  std::unique_ptr<FileStream> temp_;
  bool committed_ = false;
};

// Replaces `target` with `bytes` atomically.
void WriteFileAtomically(const std::string& target, const std::string& bytes);

// Puts the written and closed file `from` in place of `to` as Commit does: the
// file's bytes reach the disk before the rename, the rename itself after it.
// Raises EInOutError "Cannot write file "<to>": <system text>"; `to` is unchanged
// when the rename did not happen.
void RenameDurably(const std::string& from, const std::string& to);

}  // namespace kest

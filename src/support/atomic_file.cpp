#include "support/atomic_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "support/errors.h"
#include "support/system_calls.h"
#include "support/unique_fd.h"

namespace kest {

namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void CannotWrite(const std::string& target, int error) {
  throw EInOutError(WithSystemError("Не удалось записать файл \"" + target + "\": ", error));
}

// fsync of a descriptor; EINVAL means a file system that cannot sync it, which is
// not a fault. Returns the error, 0 when synced.
int SyncDescriptor(int fd) {
  if (RetryOnInterrupt([&] { return Sys().fsync(fd); }) == 0 || errno == EINVAL) return 0;
  return errno;
}

void Rename(const std::string& from, const std::string& to) {
  if (RetryOnInterrupt([&] { return Sys().rename(from.c_str(), to.c_str()); }) != 0)
    CannotWrite(to, errno);
}

// Makes a rename into the folder of `target` survive a power cut.
void SyncFolderOf(const std::string& target) {
  UniqueFd dir(RetryOnInterrupt(
      [&] { return Sys().open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
  if (!dir) return;  // a folder we may not read cannot be synced; the rename stands
  int error = SyncDescriptor(dir.Get());
  dir.Reset();
  if (error) CannotWrite(target, error);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
  std::vector<char> name(target.begin(), target.end());
  const char suffix[] = ".tmp-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  UniqueFd fd(::mkstemp(name.data()));
  if (!fd) throw EInOutError(WithSystemError("Не удалось создать файл \"" + target + "\": "));
  temp_path_ = name.data();
  ::fchmod(fd.Get(), 0644);  // mkstemp creates 0600; a log file is an ordinary document
  try {
    temp_ = std::make_unique<FileStream>(temp_path_, FileStream::Mode::Create);
  } catch (...) {
    fd.Reset();
    ::unlink(temp_path_.c_str());
    throw;
  }
}

AtomicFile::~AtomicFile() {
  if (!committed_) {
    temp_.reset();
    ::unlink(temp_path_.c_str());
  }
}

void AtomicFile::Commit() {
  temp_->Flush();
  temp_.reset();
  Rename(temp_path_, target_);
  committed_ = true;
  SyncFolderOf(target_);
}

void WriteFileAtomically(const std::string& target, const std::string& bytes) {
  AtomicFile file(target);
  file.WriteString(bytes);
  file.Commit();
}

void RenameDurably(const std::string& from, const std::string& to) {
  UniqueFd fd(RetryOnInterrupt([&] { return Sys().open(from.c_str(), O_RDONLY | O_CLOEXEC, 0); }));
  if (!fd) CannotWrite(to, errno);
  int error = SyncDescriptor(fd.Get());
  fd.Reset();
  if (error) CannotWrite(to, error);
  Rename(from, to);
  SyncFolderOf(to);
}

}  // namespace kest

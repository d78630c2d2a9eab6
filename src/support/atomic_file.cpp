#include "support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "support/errors.h"

namespace kest {

namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
  std::vector<char> name(target.begin(), target.end());
  const char suffix[] = ".tmp-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw EInOutError(WithSystemError("Cannot create file \"" + target + "\": "));
  temp_path_ = name.data();
  ::fchmod(fd, 0644);  // mkstemp creates 0600; a log file is an ordinary document
  try {
    temp_ = std::make_unique<FileStream>(temp_path_, FileStream::Mode::Create);
  } catch (...) {
    ::close(fd);
    ::unlink(temp_path_.c_str());
    throw;
  }
  ::close(fd);
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
  if (::rename(temp_path_.c_str(), target_.c_str()) != 0)
    throw EInOutError(WithSystemError("Cannot write file \"" + target_ + "\": "));
  committed_ = true;
  // Make the rename itself durable.
  int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void WriteFileAtomically(const std::string& target, const std::string& bytes) {
  AtomicFile file(target);
  file.WriteString(bytes);
  file.Commit();
}

}  // namespace kest

#include "support/stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/errors.h"
#include "support/system_calls.h"

namespace kest {

void Stream::ReadExact(void* buffer, size_t count) {
  if (Read(buffer, count) != count) throw EInOutError("Чтение за концом данных");
}

size_t MemoryStream::Read(void* buffer, size_t count) {
  int64_t available = std::max<int64_t>(0, Size() - position_);
  size_t n = static_cast<size_t>(std::min<int64_t>(available, static_cast<int64_t>(count)));
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

void MemoryStream::Write(const void* buffer, size_t count) {
  size_t end = static_cast<size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  if (count > 0) std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = static_cast<int64_t>(end);
}

void MemoryStream::Seek(int64_t position) { position_ = std::clamp<int64_t>(position, 0, Size()); }

FileStream::FileStream(const std::string& path, Mode mode) : path_(path) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read:
      flags |= O_RDONLY;
      break;
    case Mode::ReadWrite:
      flags |= O_RDWR | O_CREAT;
      break;
    case Mode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  fd_.Reset(RetryOnInterrupt([&] { return Sys().open(path.c_str(), flags, 0644); }));
  if (!fd_) throw EInOutError(WithSystemError("Не удалось открыть файл \"" + path + "\": "));
  struct stat st {};
  if (::fstat(fd_.Get(), &st) == 0 && S_ISDIR(st.st_mode)) CloseAndThrow(EISDIR);
  // Others may read while we read; nobody writes while we read or write.
  int lock = (mode == Mode::Read ? LOCK_SH : LOCK_EX) | LOCK_NB;
  if (RetryOnInterrupt([&] { return Sys().flock(fd_.Get(), lock); }) != 0) CloseAndThrow(errno);
}

void FileStream::CloseAndThrow(int error) {
  fd_.Reset();
  throw EInOutError(WithSystemError("Не удалось открыть файл \"" + path_ + "\": ", error));
}

FileStream::~FileStream() = default;

size_t FileStream::Read(void* buffer, size_t count) {
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = RetryOnInterrupt([&] { return Sys().read(fd_.Get(), out + done, count - done); });
    if (n < 0) throw EInOutError(WithSystemError("Ошибка чтения: "));
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void FileStream::Write(const void* buffer, size_t count) {
  WriteOutcome out = WriteAll(fd_.Get(), buffer, count);
  if (out.error) throw EInOutError(WithSystemError("Ошибка записи: ", out.error));
}

int64_t FileStream::Position() const { return ::lseek(fd_.Get(), 0, SEEK_CUR); }

void FileStream::Seek(int64_t position) {
  if (::lseek(fd_.Get(), std::max<int64_t>(0, position), SEEK_SET) < 0)
    throw EInOutError(WithSystemError("Ошибка позиционирования: "));
}

int64_t FileStream::Size() const {
  struct stat st {};
  if (::fstat(fd_.Get(), &st) != 0) return 0;
  return st.st_size;
}

void FileStream::Truncate(int64_t size) {
  if (::ftruncate(fd_.Get(), std::max<int64_t>(0, size)) != 0)
    throw EInOutError(WithSystemError("Ошибка записи: "));
}

void FileStream::Flush() {
  // EINVAL: a special file that cannot be synchronised; there is nothing to wait for.
  if (RetryOnInterrupt([&] { return Sys().fsync(fd_.Get()); }) != 0 && errno != EINVAL)
    throw EInOutError(WithSystemError("Ошибка записи: "));
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  FileStream file(path, FileStream::Mode::Read);
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(0, file.Size())));
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace kest

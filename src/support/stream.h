#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/errors.h"
#include "support/unique_fd.h"

namespace kest {

// A seekable byte stream, the unit of input and output of every file format.
// Read returns what it could read (0 at the end); ReadExact raises EInOutError
// when fewer bytes are left, so readers of hostile files fail cleanly.
class Stream {
 public:
  virtual ~Stream() = default;
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual void Write(const void* buffer, size_t count) = 0;  // raises EInOutError
  virtual int64_t Position() const = 0;
  virtual void Seek(int64_t position) = 0;  // clamped to [0, Size()] on reading streams
  virtual int64_t Size() const = 0;

  void ReadExact(void* buffer, size_t count);
  int64_t Remaining() const { return Size() - Position(); }
  void SeekToEnd() { Seek(Size()); }
  void Skip(int64_t count) { Seek(Position() + count); }
  void WriteString(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
};

class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  explicit MemoryStream(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override { return position_; }
  void Seek(int64_t position) override;
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// A file opened through POSIX descriptors. Reading opens with a shared lock so a
// writer elsewhere cannot change it under us; writing takes an exclusive lock.
class FileStream : public Stream {
 public:
  enum class Mode { Read, ReadWrite, Create };
  FileStream(const std::string& path, Mode mode);  // raises EInOutError with the system text
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override;
  void Seek(int64_t position) override;
  int64_t Size() const override;
  void Truncate(int64_t size);  // raises EInOutError
  void Flush();                 // fsync; raises EInOutError

  const std::string& Path() const { return path_; }

 private:
  [[noreturn]] void CloseAndThrow(int error);

  std::string path_;
  UniqueFd fd_;
};

// Whole-file helpers.
std::vector<uint8_t> ReadWholeFile(const std::string& path);  // raises EInOutError
bool FileExists(const std::string& path);

}  // namespace kest

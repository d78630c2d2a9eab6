#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/component_stream.h"

namespace kest {

class Stream;

// Reads a component stream from the stream's position, through a block buffer.
// Hostile input is expected: every length and count is checked against the bytes
// that remain in the innermost open block before anything is allocated, and every
// fault raises EComponentStreamError.
//
// Strings are returned as UTF-8: 8-bit strings (tags 6 and 12, short strings) are
// Windows-1251, tag 18 is UTF-16LE, tag 20 UTF-8 (invalid sequences become U+FFFD).
class ComponentReader {
 public:
  explicit ComponentReader(Stream& stream);
  ComponentReader(const ComponentReader&) = delete;
  ComponentReader& operator=(const ComponentReader&) = delete;

  // "TPF0", else an error.
  void ReadSignature();
  // Class and component name of the component that starts here.
  std::string ReadShortString();
  // True (and the 0 byte consumed) at the end of a property, value or child list.
  bool EndOfList();
  ValueTag NextValue();  // the next value's tag, not consumed

  // Values. Each checks the tag and raises on a value of another type.
  int32_t ReadInteger();               // tags 2, 3, 4
  double ReadFloat();                  // tag 5, or an integer
  std::string ReadString();            // tags 6, 12, 18, 20
  std::string ReadIdent();             // tag 7
  bool ReadBoolean();                  // tags 8, 9
  std::vector<std::string> ReadSet();  // tag 11
  void ReadListBegin();                // tag 1; the values follow up to EndOfList
  // Skips one value of any known type, lists included.
  void SkipValue();

  // Binary values (tag 10): BeginBinary opens the block and returns its length;
  // reads are then confined to it, and EndBinary skips what the caller left unread.
  int64_t BeginBinary();
  void EndBinary();
  // Raw little-endian data inside a binary block.
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  uint8_t ReadByte();
  void ReadBytes(void* out, size_t count);
  void ReadFloats(float* out, size_t count);
  // Bytes left in the innermost open block (or the whole stream).
  int64_t Remaining() const;
  // Position in the underlying stream.
  int64_t Position() const { return base_ + static_cast<int64_t>(pos_); }

  // Raises EComponentStreamError with `message` and the stream position.
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  ValueTag ReadTag();
  void Need(int64_t count);  // raises unless `count` bytes remain in the block
  bool Fill();
  void Skip(int64_t count);
  int64_t ReadLength();  // 4-byte length of tags 10, 12, 20, checked against Remaining
  void SkipValue(int depth);

  Stream& stream_;
  std::vector<uint8_t> buffer_;
  int64_t base_ = 0;  // stream position of buffer_[0]
  size_t pos_ = 0;
  size_t len_ = 0;
  std::vector<int64_t> limits_;  // ends of the open binary blocks; front = stream end
};

}  // namespace kest

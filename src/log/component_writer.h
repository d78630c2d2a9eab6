#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/component_stream.h"

namespace kest {

class Stream;

// Writes a component stream at the stream's position through a block buffer. The
// caller lays out the structure (signature, names, properties, the 0 bytes that end
// lists); the writer encodes values by the format's rules so that every reader of
// the format reads them. Binary values whose length is known only at their end are
// opened with BeginBinary and closed with EndBinary, which patches the length in
// the buffer or, when it was already flushed, in the stream.
//
// Strings are given as UTF-8.
class ComponentWriter {
 public:
  explicit ComponentWriter(Stream& stream);
  ComponentWriter(const ComponentWriter&) = delete;
  ComponentWriter& operator=(const ComponentWriter&) = delete;

  void WriteSignature();  // "TPF0"
  // Class, component and property names: Windows-1251, cut at 255 bytes.
  void WriteShortString(std::string_view text);
  void WriteListEnd();  // the 0 byte that ends a property, value or child list

  // Integers take the smallest of tags 2, 3, 4 that holds the value.
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value);
  void WriteIdent(std::string_view name);  // enumeration value names
  // The 8-bit string rule: pure ASCII as tag 6 (below 256 bytes) or tag 12,
  // anything else as tag 20 (UTF-8).
  void WriteString(std::string_view text);
  // The wide string rule: by the 8-bit rule when the UTF-8 form is shorter than two
  // bytes per UTF-16 code unit, else tag 18 (UTF-16LE).
  void WriteWideString(std::string_view text);
  void WriteListBegin();  // tag 1; end the values with WriteListEnd
  // Layouts: tag 5, tag 11 (identifiers ended by an empty one), tag 13.
  void WriteFloat(double value);
  void WriteSet(const std::vector<std::string>& names);
  void WriteNil();

  // A binary value (tag 10). EndBinary raises when the block passed 2 GB.
  void BeginBinary();
  void EndBinary();
  // Raw little-endian data inside a binary block.
  void WriteInt32(int32_t value);
  void WriteUInt32(uint32_t value);
  void WriteByte(uint8_t value) { Put(&value, 1); }
  void WriteBytes(const void* data, size_t count) { Put(data, count); }
  void WriteFloats(const float* values, size_t count);

  // Writes out the buffer. Call once at the end; the destructor does not write.
  void Flush();

 private:
  void Put(const void* data, size_t count);
  void PutTag(ValueTag tag) { WriteByte(static_cast<uint8_t>(tag)); }
  void PutLength(size_t length);
  int64_t Position() const { return flushed_ + static_cast<int64_t>(buffer_.size()); }

  Stream& stream_;
  std::vector<uint8_t> buffer_;
  int64_t flushed_;                   // stream position of buffer_[0]
  std::vector<int64_t> open_blocks_;  // stream positions of the open blocks' lengths
};

}  // namespace kest

#include "log/component_writer.h"

#include <bit>
#include <cstring>
#include <limits>

#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr size_t kBlock = size_t{256} * 1024;

size_t Utf16Units(std::string_view text) {
  size_t units = 0;
  for (size_t pos = 0; pos < text.size();) units += DecodeUtf8(text, pos) >= 0x10000 ? 2 : 1;
  return units;
}

}  // namespace

ComponentWriter::ComponentWriter(Stream& stream) : stream_(stream), flushed_(stream.Position()) {
  buffer_.reserve(kBlock);
}

void ComponentWriter::Put(const void* data, size_t count) {
  if (buffer_.size() + count > kBlock) {
    Flush();
    if (count >= kBlock) {  // large blocks go straight to the stream
      stream_.Write(data, count);
      flushed_ += static_cast<int64_t>(count);
      return;
    }
  }
  auto* bytes = static_cast<const uint8_t*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + count);
}

void ComponentWriter::Flush() {
  if (buffer_.empty()) return;
  stream_.Write(buffer_.data(), buffer_.size());
  flushed_ += static_cast<int64_t>(buffer_.size());
  buffer_.clear();
}

void ComponentWriter::WriteInt32(int32_t value) { WriteUInt32(static_cast<uint32_t>(value)); }

void ComponentWriter::WriteUInt32(uint32_t value) {
  uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  Put(b, 4);
}

void ComponentWriter::WriteFloats(const float* values, size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    Put(values, 4 * count);
  } else {
    for (size_t i = 0; i < count; ++i) WriteUInt32(std::bit_cast<uint32_t>(values[i]));
  }
}

void ComponentWriter::PutLength(size_t length) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EComponentStreamError("Значение из " + std::to_string(length) + " байт слишком длинное");
  WriteInt32(static_cast<int32_t>(length));
}

void ComponentWriter::WriteSignature() { Put("TPF0", 4); }

void ComponentWriter::WriteShortString(std::string_view text) {
  std::string bytes = IsAscii(text) ? std::string(text) : Utf8ToCp1251(text);
  if (bytes.size() > 255) bytes.resize(255);
  WriteByte(static_cast<uint8_t>(bytes.size()));
  Put(bytes.data(), bytes.size());
}

void ComponentWriter::WriteListEnd() { PutTag(ValueTag::kNull); }

void ComponentWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    PutTag(ValueTag::kInt8);
    WriteByte(static_cast<uint8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    PutTag(ValueTag::kInt16);
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Put(b, 2);
  } else {
    PutTag(ValueTag::kInt32);
    WriteInt32(value);
  }
}

void ComponentWriter::WriteBoolean(bool value) {
  PutTag(value ? ValueTag::kTrue : ValueTag::kFalse);
}

void ComponentWriter::WriteIdent(std::string_view name) {
  PutTag(ValueTag::kIdent);
  WriteShortString(name);
}

void ComponentWriter::WriteString(std::string_view text) {
  if (!IsAscii(text)) {
    PutTag(ValueTag::kUTF8String);
    PutLength(text.size());
  } else if (text.size() < 256) {
    PutTag(ValueTag::kString);
    WriteByte(static_cast<uint8_t>(text.size()));
  } else {
    PutTag(ValueTag::kLString);
    PutLength(text.size());
  }
  Put(text.data(), text.size());
}

void ComponentWriter::WriteWideString(std::string_view text) {
  size_t units = Utf16Units(text);
  if (text.size() < 2 * units) {
    WriteString(text);
    return;
  }
  PutTag(ValueTag::kWString);
  PutLength(units);
  std::string bytes;
  bytes.reserve(2 * units);
  auto put_unit = [&](char32_t u) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  };
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = DecodeUtf8(text, pos);
    if (cp >= 0x10000) {
      put_unit(0xD800 + ((cp - 0x10000) >> 10));
      put_unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put_unit(cp);
    }
  }
  Put(bytes.data(), bytes.size());
}

void ComponentWriter::WriteListBegin() { PutTag(ValueTag::kList); }

void ComponentWriter::WriteFloat(double value) {
  PutTag(ValueTag::kExtended);
  auto bytes = EncodeExtended(value);
  Put(bytes.data(), bytes.size());
}

void ComponentWriter::WriteSet(const std::vector<std::string>& names) {
  PutTag(ValueTag::kSet);
  for (const auto& name : names)
    if (!name.empty()) WriteShortString(name);
  WriteByte(0);
}

void ComponentWriter::WriteNil() { PutTag(ValueTag::kNil); }

void ComponentWriter::BeginBinary() {
  PutTag(ValueTag::kBinary);
  open_blocks_.push_back(Position());
  WriteInt32(0);  // the length, patched by EndBinary
}

void ComponentWriter::EndBinary() {
  if (open_blocks_.empty()) throw EComponentStreamError("Нет открытого двоичного значения");
  int64_t at = open_blocks_.back();
  open_blocks_.pop_back();
  int64_t length = Position() - at - 4;
  if (length > std::numeric_limits<int32_t>::max())
    throw EComponentStreamError("Значение из " + std::to_string(length) + " байт слишком длинное");
  auto u = static_cast<uint32_t>(length);
  uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                  static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
  if (at >= flushed_) {
    std::memcpy(buffer_.data() + (at - flushed_), b, 4);
    return;
  }
  // The length went out already: patch it in the stream. A patch that straddles the
  // buffer's start is written out whole first.
  Flush();
  stream_.Seek(at);
  stream_.Write(b, 4);
  stream_.Seek(flushed_);
}

}  // namespace kest

#include "log/component_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr size_t kBlock = size_t{64} * 1024;

std::string Utf16ToUtf8(const uint8_t* bytes, size_t units) {
  std::string out;
  out.reserve(units);
  auto unit = [&](size_t i) -> char32_t { return bytes[2 * i] | bytes[2 * i + 1] << 8; };
  for (size_t i = 0; i < units; ++i) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) < 0xE000) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? char32_t{0xFFFD} : u);
    }
  }
  return out;
}

std::string SanitizedUtf8(std::string bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  std::string out;
  for (size_t pos = 0; pos < bytes.size();) AppendUtf8(out, DecodeUtf8(bytes, pos));
  return out;
}

}  // namespace

ComponentReader::ComponentReader(Stream& stream)
    : stream_(stream), buffer_(kBlock), base_(stream.Position()) {
  limits_.push_back(stream.Size());
}

void ComponentReader::Fail(const std::string& message) const {
  throw EComponentStreamError("Повреждённый поток компонента: " + message + " (смещение " +
                              std::to_string(Position()) + ")");
}

int64_t ComponentReader::Remaining() const { return limits_.back() - Position(); }

void ComponentReader::Need(int64_t count) {
  if (count < 0 || count > Remaining()) Fail("данные кончились раньше времени");
}

bool ComponentReader::Fill() {
  base_ += static_cast<int64_t>(len_);
  pos_ = len_ = 0;
  len_ = stream_.Read(buffer_.data(), buffer_.size());
  return len_ > 0;
}

void ComponentReader::ReadBytes(void* out, size_t count) {
  Need(static_cast<int64_t>(count));
  auto* dst = static_cast<uint8_t*>(out);
  while (count > 0) {
    if (pos_ == len_) {
      if (count >= buffer_.size()) {  // large blocks go straight to the caller
        base_ += static_cast<int64_t>(len_);
        pos_ = len_ = 0;
        size_t got = stream_.Read(dst, count);
        base_ += static_cast<int64_t>(got);
        if (got != count) Fail("файл кончился раньше времени");
        return;
      }
      if (!Fill()) Fail("файл кончился раньше времени");
    }
    size_t n = std::min(count, len_ - pos_);
    std::memcpy(dst, buffer_.data() + pos_, n);
    pos_ += n;
    dst += n;
    count -= n;
  }
}

uint8_t ComponentReader::ReadByte() {
  Need(1);
  if (pos_ == len_ && !Fill()) Fail("файл кончился раньше времени");
  return buffer_[pos_++];
}

void ComponentReader::Skip(int64_t count) {
  Need(count);
  if (count <= static_cast<int64_t>(len_ - pos_)) {
    pos_ += static_cast<size_t>(count);
    return;
  }
  int64_t target = Position() + count;
  stream_.Seek(target);
  base_ = target;
  pos_ = len_ = 0;
}

int32_t ComponentReader::ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }

uint32_t ComponentReader::ReadUInt32() {
  uint8_t b[4];
  ReadBytes(b, 4);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

void ComponentReader::ReadFloats(float* out, size_t count) {
  if (count > static_cast<size_t>(INT64_MAX / 4)) Fail("данные кончились раньше времени");
  ReadBytes(out, 4 * count);
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < count; ++i)
      out[i] = std::bit_cast<float>(__builtin_bswap32(std::bit_cast<uint32_t>(out[i])));
  }
}

int64_t ComponentReader::ReadLength() {
  int32_t length = ReadInt32();
  if (length < 0 || length > Remaining())
    Fail("длина " + std::to_string(length) + " больше оставшихся " + std::to_string(Remaining()) +
         " байт");
  return length;
}

void ComponentReader::ReadSignature() {
  char signature[4];
  ReadBytes(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) Fail("нет подписи TPF0");
}

std::string ComponentReader::ReadShortString() {
  std::string bytes(ReadByte(), '\0');
  ReadBytes(bytes.data(), bytes.size());
  return IsAscii(bytes) ? bytes : Cp1251ToUtf8(bytes);
}

ValueTag ComponentReader::NextValue() {
  Need(1);
  if (pos_ == len_ && !Fill()) Fail("файл кончился раньше времени");
  return static_cast<ValueTag>(buffer_[pos_]);
}

ValueTag ComponentReader::ReadTag() { return static_cast<ValueTag>(ReadByte()); }

bool ComponentReader::EndOfList() {
  if (NextValue() != ValueTag::kNull) return false;
  ++pos_;
  return true;
}

int32_t ComponentReader::ReadInteger() {
  switch (ValueTag tag = ReadTag()) {
    case ValueTag::kInt8:
      return static_cast<int8_t>(ReadByte());
    case ValueTag::kInt16: {
      uint8_t b[2];
      ReadBytes(b, 2);
      return static_cast<int16_t>(b[0] | b[1] << 8);
    }
    case ValueTag::kInt32:
      return ReadInt32();
    default:
      Fail("ожидалось целое, найден тег значения " + std::to_string(int(tag)));
  }
}

double ComponentReader::ReadFloat() {
  if (NextValue() != ValueTag::kExtended) return ReadInteger();
  ReadTag();
  uint8_t b[10];
  ReadBytes(b, sizeof b);
  return DecodeExtended(b);
}

std::string ComponentReader::ReadString() {
  switch (ValueTag tag = ReadTag()) {
    case ValueTag::kString: {
      std::string bytes(ReadByte(), '\0');
      ReadBytes(bytes.data(), bytes.size());
      return Cp1251ToUtf8(bytes);
    }
    case ValueTag::kLString: {
      std::string bytes(static_cast<size_t>(ReadLength()), '\0');
      ReadBytes(bytes.data(), bytes.size());
      return Cp1251ToUtf8(bytes);
    }
    case ValueTag::kUTF8String: {
      std::string bytes(static_cast<size_t>(ReadLength()), '\0');
      ReadBytes(bytes.data(), bytes.size());
      return SanitizedUtf8(std::move(bytes));
    }
    case ValueTag::kWString: {
      int64_t units = ReadInt32();
      if (units < 0 || 2 * units > Remaining())
        Fail("строка из " + std::to_string(units) + " символов длиннее данных");
      std::vector<uint8_t> bytes(static_cast<size_t>(2 * units));
      ReadBytes(bytes.data(), bytes.size());
      return Utf16ToUtf8(bytes.data(), static_cast<size_t>(units));
    }
    default:
      Fail("ожидалась строка, найден тег значения " + std::to_string(int(tag)));
  }
}

std::string ComponentReader::ReadIdent() {
  if (ValueTag tag = ReadTag(); tag != ValueTag::kIdent)
    Fail("ожидался идентификатор, найден тег значения " + std::to_string(int(tag)));
  return ReadShortString();
}

bool ComponentReader::ReadBoolean() {
  switch (ValueTag tag = ReadTag()) {
    case ValueTag::kFalse:
      return false;
    case ValueTag::kTrue:
      return true;
    default:
      Fail("ожидалось логическое значение, найден тег значения " + std::to_string(int(tag)));
  }
}

std::vector<std::string> ComponentReader::ReadSet() {
  if (ValueTag tag = ReadTag(); tag != ValueTag::kSet)
    Fail("ожидалось множество, найден тег значения " + std::to_string(int(tag)));
  std::vector<std::string> names;
  for (std::string name; !(name = ReadShortString()).empty();) names.push_back(std::move(name));
  return names;
}

void ComponentReader::ReadListBegin() {
  if (ValueTag tag = ReadTag(); tag != ValueTag::kList)
    Fail("ожидался список, найден тег значения " + std::to_string(int(tag)));
}

void ComponentReader::SkipValue() { SkipValue(0); }

void ComponentReader::SkipValue(int depth) {
  if (depth > kMaxComponentNesting) Fail("слишком глубокая вложенность значений");
  switch (ValueTag tag = ReadTag()) {
    case ValueTag::kList:
      while (!EndOfList()) SkipValue(depth + 1);
      break;
    case ValueTag::kInt8:
      Skip(1);
      break;
    case ValueTag::kInt16:
      Skip(2);
      break;
    case ValueTag::kInt32:
      Skip(4);
      break;
    case ValueTag::kExtended:
      Skip(10);
      break;
    case ValueTag::kString:
    case ValueTag::kIdent:
      Skip(ReadByte());
      break;
    case ValueTag::kFalse:
    case ValueTag::kTrue:
    case ValueTag::kNil:
      break;
    case ValueTag::kBinary:
    case ValueTag::kLString:
    case ValueTag::kUTF8String:
      Skip(ReadLength());
      break;
    case ValueTag::kSet:
      while (uint8_t length = ReadByte()) Skip(length);
      break;
    case ValueTag::kWString: {
      int64_t units = ReadInt32();
      if (units < 0) Fail("отрицательная длина строки");
      Skip(2 * units);
      break;
    }
    default:
      Fail("неизвестный тег значения " + std::to_string(int(tag)));
  }
}

int64_t ComponentReader::BeginBinary() {
  if (ValueTag tag = ReadTag(); tag != ValueTag::kBinary)
    Fail("ожидались двоичные данные, найден тег значения " + std::to_string(int(tag)));
  int64_t length = ReadLength();
  if (static_cast<int>(limits_.size()) > kMaxComponentNesting)
    Fail("слишком глубокая вложенность блоков");
  limits_.push_back(Position() + length);
  return length;
}

void ComponentReader::EndBinary() {
  if (limits_.size() < 2) Fail("нет открытого блока");
  Skip(Remaining());
  limits_.pop_back();
}

}  // namespace kest

#pragma once

#include <string>
#include <string_view>

namespace kest::tool {

// A minimal streaming JSON writer: the caller opens and closes objects and arrays;
// commas are placed automatically. Strings are UTF-8 and escaped; non-finite
// numbers are written as null.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view value);
  JsonWriter& Int(long long value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // "%.9g": enough digits to read back the same 32-bit float.
  JsonWriter& Float(float value);
  JsonWriter& Double(double value);
  // "%.<digits>g".
  JsonWriter& Number(double value, int digits);

  const std::string& Text() const { return out_; }

 private:
  void Separate();
  std::string out_;
  bool need_comma_ = false;
};

}  // namespace kest::tool

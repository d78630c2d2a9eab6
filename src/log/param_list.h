#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/errors.h"

namespace kest {

class Stream;
class StringList;
class TParamList;

KEST_DECLARE_ERROR(EParamListError, EKestError);
KEST_DECLARE_ERROR(EParamItemError, EKestError);

// One named value of a few scalar kinds, convertible to and from text.
class TParamItem {
 public:
  enum Kind : uint8_t { pkUndefined = 0, pkString = 1, pkBoolean = 2, pkFloat = 3, pkInteger = 4 };

  explicit TParamItem(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  Kind ValueKind() const { return kind_; }
  TParamList* Owner() const { return owner_; }

  // Parses text into a kind and value: empty -> undefined; leading '"' -> string
  // (quotes removed); a prefix of False / True -> boolean; digits only -> integer;
  // signs, digits, E and '.' only -> float; anything else -> string.
  void SetText(std::string_view text);

  std::string AsString() const;
  bool AsBoolean() const;
  double AsFloat() const;
  int32_t AsInteger() const;
  void SetString(std::string_view value);
  void SetBoolean(bool value);
  void SetFloat(double value);
  void SetInteger(int32_t value);
  void ClearValue() { kind_ = pkUndefined; }

  // Copies the value (by the other's kind), the name, and the kind when this one is
  // still undefined.
  void Assign(const TParamItem& other);

  // The binary value layout: size then bytes (strings end with a 0 byte).
  void WriteValue(Stream& stream) const;
  void ReadValue(Stream& stream);

 private:
  friend class TParamList;
  [[noreturn]] void Fail(const std::string& format) const;

  std::string name_;
  Kind kind_ = pkUndefined;
  std::string string_;
  bool boolean_ = false;
  double float_ = 0.0;
  int32_t integer_ = 0;
  TParamList* owner_ = nullptr;
};

// An ordered list of typed values; owns its items.
class TParamList {
 public:
  TParamList() = default;
  TParamList(const TParamList& other) { Assign(other); }
  TParamList& operator=(const TParamList& other) {
    if (this != &other) Assign(other);
    return *this;
  }

  int Count() const { return static_cast<int>(items_.size()); }
  TParamItem& Items(int i) const { return *items_[static_cast<size_t>(i)]; }
  TParamItem* Find(std::string_view name) const;
  bool Exists(std::string_view name) const { return Find(name) != nullptr; }
  // EParamListError "Parameter \"%s\" not found".
  TParamItem& Get(std::string_view name) const;
  // The item with its value cleared, or a new one.
  TParamItem& Ensure(std::string_view name);
  void Clear() { items_.clear(); }

  void Assign(const TParamList& source);
  // name=value lines: every non-empty line with '=' becomes an item.
  void Assign(const StringList& lines);
  void AssignTo(StringList& lines) const;

  // The binary "Data" property: version 1, count, items. Only worth writing when
  // the list is not empty.
  bool HasData() const { return !items_.empty(); }
  void WriteData(Stream& stream) const;
  // Clears the list first; EParamListError "Invalid version" unless version 1.
  void ReadData(Stream& stream);

 private:
  std::vector<std::unique_ptr<TParamItem>> items_;
};

}  // namespace kest

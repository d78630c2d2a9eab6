#include "log/param_list.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "support/code_page.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/stream.h"
#include "support/string_list.h"

namespace kest {

namespace {

constexpr size_t kMaxShortString = 255;
// A value larger than this in a stream is damage, not data.
constexpr int32_t kMaxValueSize = 64 * 1024;

bool IsPrefixOfIgnoringCase(std::string_view text, std::string_view word) {
  return !text.empty() && text.size() <= word.size() && SameText(text, word.substr(0, text.size()));
}

bool AllOf(std::string_view text, std::string_view allowed) {
  return !text.empty() && text.find_first_not_of(allowed) == std::string_view::npos;
}

bool IsIntegerText(std::string_view text) { return AllOf(text, "0123456789"); }
bool IsFloatText(std::string_view text) { return AllOf(text, "+-0123456789Ee."); }

std::string Format(const std::string& format, const std::string& a, const std::string& b = {}) {
  std::string out;
  size_t arg = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      out += arg++ == 0 ? a : b;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

template <typename T>
void WriteRaw(Stream& s, T v) {
  s.Write(&v, sizeof v);  // little-endian hosts only, as the file layout is
}

template <typename T>
T ReadRaw(Stream& s) {
  T v;
  s.ReadExact(&v, sizeof v);
  return v;
}

}  // namespace

void TParamItem::Fail(const std::string& format) const {
  throw EParamItemError(Format(format, name_));
}

void TParamItem::SetText(std::string_view text) {
  if (text.empty()) {
    kind_ = pkUndefined;
  } else if (text.front() == '"') {
    std::string_view value = text.substr(1);
    if (text.size() > 1 && text.back() == '"') value.remove_suffix(1);
    SetString(value);
  } else if (IsPrefixOfIgnoringCase(text, "False")) {
    SetBoolean(false);
  } else if (IsPrefixOfIgnoringCase(text, "True")) {
    SetBoolean(true);
  } else if (IsIntegerText(text)) {
    auto value = ParseInt(text);
    if (!value) Fail("Invalid integer param \"%s\"");
    SetInteger(*value);
  } else if (IsFloatText(text)) {
    auto value = ParseFloat(text);
    if (!value || !std::isfinite(*value)) Fail("Invalid float param \"%s\"");
    SetFloat(*value);
  } else {
    SetString(text);
  }
}

std::string TParamItem::AsString() const {
  switch (kind_) {
    case pkString:
      return string_;
    case pkBoolean:
      return boolean_ ? "True" : "False";
    case pkFloat:
      return FormatFloat(float_);
    case pkInteger:
      return std::to_string(integer_);
    default:
      return {};
  }
}

bool TParamItem::AsBoolean() const {
  switch (kind_) {
    case pkString: {
      if (string_.empty()) return false;
      if (IsIntegerText(string_) || IsFloatText(string_)) {
        auto value = ParseFloat(string_);
        if (value) return *value != 0;
      }
      if (IsPrefixOfIgnoringCase(string_, "False")) return false;
      if (IsPrefixOfIgnoringCase(string_, "True")) return true;
      throw EParamItemError(Format("Param \"%s\" has invalid bool value \"%s\"", name_, string_));
    }
    case pkBoolean:
      return boolean_;
    case pkFloat:
      return float_ != 0;
    case pkInteger:
      return integer_ != 0;
    default:
      return false;
  }
}

double TParamItem::AsFloat() const {
  switch (kind_) {
    case pkString: {
      if (!IsFloatText(string_)) return 0;
      auto value = ParseFloat(string_);
      return value ? *value : 0;
    }
    case pkBoolean:
      Fail("Param \"%s\" is not convertible to float");
    case pkFloat:
      return float_;
    case pkInteger:
      return integer_;
    default:
      return 0;
  }
}

int32_t TParamItem::AsInteger() const {
  switch (kind_) {
    case pkString: {
      if (IsIntegerText(string_)) {
        auto value = ParseInt(string_);
        return value ? *value : 0;
      }
      if (!IsFloatText(string_)) return 0;
      auto value = ParseFloat(string_);
      return value ? Trunc32(*value) : 0;
    }
    case pkBoolean:
      Fail("Param \"%s\" is not convertible to integer");
    case pkFloat:
      return Trunc32(float_);
    case pkInteger:
      return integer_;
    default:
      return 0;
  }
}

void TParamItem::SetString(std::string_view value) {
  // Values are short strings in streams: keep at most 255 characters.
  std::string text(value);
  if (text.size() > kMaxShortString) {
    size_t cut = kMaxShortString;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
      --cut;  // whole characters
    text.resize(cut);
  }
  string_ = std::move(text);
  kind_ = pkString;
}

void TParamItem::SetBoolean(bool value) {
  boolean_ = value;
  kind_ = pkBoolean;
}

void TParamItem::SetFloat(double value) {
  float_ = value;
  kind_ = pkFloat;
}

void TParamItem::SetInteger(int32_t value) {
  integer_ = value;
  kind_ = pkInteger;
}

void TParamItem::Assign(const TParamItem& other) {
  switch (other.kind_) {
    case pkString:
      string_ = other.string_;
      break;
    case pkBoolean:
      boolean_ = other.boolean_;
      break;
    case pkFloat:
      float_ = other.float_;
      break;
    case pkInteger:
      integer_ = other.integer_;
      break;
    case pkUndefined:
      break;
    default:
      throw EParamItemError(
          Format("Field \"%s\" is of undefined type and cant be assigned", other.name_));
  }
  kind_ = other.kind_;
  name_ = other.name_;
}

void TParamItem::WriteValue(Stream& s) const {
  switch (kind_) {
    case pkString: {
      std::string bytes = Utf8ToCp1251(string_);
      WriteRaw<int32_t>(s, static_cast<int32_t>(bytes.size() + 1));
      s.Write(bytes.data(), bytes.size());
      WriteRaw<uint8_t>(s, 0);
      break;
    }
    case pkBoolean:
      WriteRaw<int32_t>(s, 2);
      WriteRaw<int16_t>(s, boolean_ ? -1 : 0);
      break;
    case pkFloat:
      WriteRaw<int32_t>(s, 8);
      WriteRaw<double>(s, float_);
      break;
    case pkInteger:
      WriteRaw<int32_t>(s, 4);
      WriteRaw<int32_t>(s, integer_);
      break;
    case pkUndefined:
      Fail("Cant save parameter \"%s\". Type in unknown.");
    default:
      Fail("Cant save parameter \"%s\". Type in unsupported.");
  }
}

void TParamItem::ReadValue(Stream& s) {
  if (kind_ == pkUndefined) return;
  if (kind_ > pkInteger) Fail("Cant load parameter \"%s\". Type in unsupported.");
  int32_t size = ReadRaw<int32_t>(s);
  if (size < 0 || size > kMaxValueSize || size > s.Remaining())
    Fail("Cant load parameter \"%s\". Type in unsupported.");
  switch (kind_) {
    case pkString: {
      std::string bytes(static_cast<size_t>(size), '\0');
      s.ReadExact(bytes.data(), bytes.size());
      auto end = bytes.find('\0');
      string_ = Cp1251ToUtf8(std::string_view(bytes).substr(0, end));
      break;
    }
    case pkBoolean:
      if (size != 2) Fail("Cant load parameter \"%s\". Type in unsupported.");
      boolean_ = ReadRaw<int16_t>(s) != 0;
      break;
    case pkFloat:
      if (size != 8) Fail("Cant load parameter \"%s\". Type in unsupported.");
      float_ = ReadRaw<double>(s);
      break;
    default:
      if (size != 4) Fail("Cant load parameter \"%s\". Type in unsupported.");
      integer_ = ReadRaw<int32_t>(s);
      break;
  }
}

TParamItem* TParamList::Find(std::string_view name) const {
  for (const auto& item : items_)
    if (SameText(item->Name(), name)) return item.get();
  return nullptr;
}

TParamItem& TParamList::Get(std::string_view name) const {
  if (TParamItem* item = Find(name)) return *item;
  throw EParamListError("Parameter \"" + std::string(name) + "\" not found");
}

TParamItem& TParamList::Ensure(std::string_view name) {
  if (TParamItem* item = Find(name)) {
    item->ClearValue();
    return *item;
  }
  items_.push_back(std::make_unique<TParamItem>(std::string(name)));
  items_.back()->owner_ = this;
  return *items_.back();
}

void TParamList::Assign(const TParamList& source) {
  if (&source == this) return;
  Clear();
  for (const auto& item : source.items_) {
    auto copy = std::make_unique<TParamItem>();
    copy->Assign(*item);
    copy->owner_ = this;
    items_.push_back(std::move(copy));
  }
}

void TParamList::Assign(const StringList& lines) {
  Clear();
  for (const auto& line : lines) {
    auto eq = line.find('=');
    if (line.empty() || eq == std::string::npos) continue;
    auto item = std::make_unique<TParamItem>(line.substr(0, eq));
    item->owner_ = this;
    item->SetText(std::string_view(line).substr(eq + 1));
    items_.push_back(std::move(item));
  }
}

void TParamList::AssignTo(StringList& lines) const {
  lines.Clear();
  for (const auto& item : items_) lines.Add(item->Name() + "=" + item->AsString());
}

void TParamList::WriteData(Stream& s) const {
  WriteRaw<int32_t>(s, 1);
  WriteRaw<int32_t>(s, Count());
  for (const auto& item : items_) {
    std::string name = Utf8ToCp1251(item->Name()).substr(0, kMaxShortString);
    WriteRaw<uint8_t>(s, static_cast<uint8_t>(name.size()));
    s.Write(name.data(), name.size());
    if (item->kind_ > TParamItem::pkInteger)
      item->Fail("Cant save parameter \"%s\". Type in unsupported.");
    WriteRaw<uint8_t>(s, item->kind_);
    if (item->kind_ != TParamItem::pkUndefined) item->WriteValue(s);
  }
}

void TParamList::ReadData(Stream& s) {
  Clear();
  if (ReadRaw<int32_t>(s) != 1) throw EParamListError("Invalid version");
  int32_t count = ReadRaw<int32_t>(s);
  // Each item takes at least two bytes: a count beyond that is damage.
  if (count < 0 || count > s.Remaining() / 2) throw EParamListError("Неверное число элементов");
  for (int32_t i = 0; i < count; ++i) {
    uint8_t length = ReadRaw<uint8_t>(s);
    std::string name(length, '\0');
    s.ReadExact(name.data(), length);
    auto item = std::make_unique<TParamItem>(Cp1251ToUtf8(name));
    item->owner_ = this;
    uint8_t kind = ReadRaw<uint8_t>(s);
    if (kind > TParamItem::pkInteger) item->Fail("Cant load parameter \"%s\". Type in unknown.");
    item->kind_ = static_cast<TParamItem::Kind>(kind);
    item->ReadValue(s);
    items_.push_back(std::move(item));
  }
}

}  // namespace kest

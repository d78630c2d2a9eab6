#include "session/sheet_properties.h"

#include <algorithm>

#include "log/log_sheet.h"
#include "support/atomic_file.h"
#include "support/code_page.h"
#include "support/stream.h"
#include "support/trim.h"

namespace kest {

namespace {

using Kind = PropertyField::Kind;

std::vector<std::string> ReadValueList(const std::string& path) {
  std::vector<std::string> values;
  if (!FileExists(path)) return values;
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const EKestError&) {
    return values;  // an unreadable list offers nothing
  }
  std::string text =
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line = Trim(std::string_view(text).substr(pos, end - pos), kControlOrSpace);
    if (!line.empty()) values.emplace_back(line);
    pos = end + 1;
  }
  return values;
}

const std::string kEmpty;
const std::vector<std::string> kNoList;

}  // namespace

const std::vector<PropertyField>& SheetPropertyFields() {
  static const std::vector<PropertyField> fields = {
      {"wellgroup", "Куст", "Основные", " Скважина ", Kind::Text, nullptr},
      {"well", "Скважина", "Основные", " Скважина ", Kind::Text, nullptr},
      {"ID", "ID", "Основные", " Скважина ", Kind::Text, nullptr},
      {"API", "API", "Основные", " Скважина ", Kind::Text, nullptr},
      {"WellCategory", "Категория скважины", "Основные", " Скважина ", Kind::Text, nullptr},
      {"goal", "Цель исследования", "Основные", " Скважина ", Kind::DropDown, "goals"},
      {"oilfield", "Месторождение", "Основные", " Скважина ", Kind::DropDown, "oilfields"},
      {"прибор", "Прибор", "Основные", " Регистрация ", Kind::ReadOnlyText, nullptr},
      {"StationType", "Тип станции", "Основные", " Регистрация ", Kind::Text, nullptr},
      {"Date", "Дата", "Основные", " Регистрация ", Kind::Text, nullptr},
      {"company", "Заказчик", "Основные", " Исследование ", Kind::DropDown, "companies"},
      {"servicecompany", "Исполнитель", "Основные", " Исследование ", Kind::DropDown,
       "servicecompanies"},
      {"party", "Партия", "Основные", " Исследование ", Kind::Text, nullptr},
      {"master", "Начальник партии", "Основные", " Исследование ", Kind::Text, nullptr},
      {"BNKT", "Башмак НКТ, (м)", "Дополнительно", " Параметры ", Kind::Text, nullptr},
      {"DNKT", "Диаметр НКТ, (мм)", "Дополнительно", " Параметры ", Kind::Text, nullptr},
      {"CurrentPit", "Текущий забой, (м)", "Дополнительно", " Параметры ", Kind::Text, nullptr},
      {"BColumn", "Башмак колонны, (м)", "Дополнительно", " Параметры ", Kind::Text, nullptr},
      {"DColumn", "Диаметр колонны, (мм)", "Дополнительно", " Параметры ", Kind::Text, nullptr},
      {"IntervalPerf", "Интервал перфорации пласт", "Дополнительно", " Перфорация ", Kind::Text,
       nullptr},
      {"N1", "", "Дополнительно", " Перфорация ", Kind::Text, nullptr},
      {"N2", "-", "Дополнительно", " Перфорация ", Kind::Text, nullptr},
      {"N3", "", "Дополнительно", " Перфорация ", Kind::Text, nullptr},
      {"N4", "-", "Дополнительно", " Перфорация ", Kind::Text, nullptr},
  };
  return fields;
}

SheetProperties::SheetProperties(std::string data_dir) : data_dir_(std::move(data_dir)) {}

void SheetProperties::SetSheet(TLogSheet* sheet, bool recording) {
  sheet_ = sheet;
  recording_ = recording;
  values_.clear();
  lists_.clear();
  for (const PropertyField& f : SheetPropertyFields()) {
    if (f.ListFile != nullptr) lists_[f.Key] = ReadValueList(data_dir_ + "/" + f.ListFile);
    values_[f.Key] = sheet != nullptr ? sheet->Params().Value(f.Key) : std::string();
  }
  // A recorded log is dated by its recording's start.
  if (sheet != nullptr && values_["Date"].empty())
    values_["Date"] = sheet->Params().Value("StartTime");
  changed_ = false;
}

bool SheetProperties::ReadOnly() const {
  return sheet_ == nullptr || sheet_->ReadOnly() || recording_;
}

const std::string& SheetProperties::Value(std::string_view key) const {
  auto it = values_.find(key);
  return it == values_.end() ? kEmpty : it->second;
}

void SheetProperties::SetValue(std::string_view key, std::string value) {
  auto it = values_.find(key);
  if (it == values_.end() || it->second == value) return;
  it->second = std::move(value);
  changed_ = true;
}

const std::vector<std::string>& SheetProperties::List(std::string_view key) const {
  auto it = lists_.find(key);
  return it == lists_.end() ? kNoList : it->second;
}

std::string SheetProperties::ModeText() const {
  if (sheet_ == nullptr) return {};
  return sheet_->Argument() == laTime ? "по времени" : "по глубине (шаг";
}

std::string SheetProperties::StepText() const {
  if (sheet_ == nullptr || sheet_->Argument() == laTime || sheet_->Count() == 0) return {};
  return std::to_string(sheet_->SheetStep() / 10);
}

bool SheetProperties::Apply() {
  // Nothing typed: nothing to store (the date shown from the recording's start is
  // not a change of the log).
  if (ReadOnly() || !changed_) return false;
  bool differs = false;
  {
    SheetLock lock(*sheet_);
    StringList& params = sheet_->Params();
    const std::string before = params.Text();
    for (const PropertyField& f : SheetPropertyFields()) {
      if (f.FieldKind == Kind::ReadOnlyText) continue;
      const std::string value(Trim(Value(f.Key), kControlOrSpace));
      if (value.empty()) {
        for (int i = params.IndexOfName(f.Key); i >= 0; i = params.IndexOfName(f.Key))
          params.Delete(i);
      } else {
        params.SetValue(f.Key, value);
      }
    }
    differs = params.Text() != before;
  }
  changed_ = false;
  for (const char* key : {"goal", "oilfield"}) {
    const PropertyField& f =
        *std::find_if(SheetPropertyFields().begin(), SheetPropertyFields().end(),
                      [&](const PropertyField& p) { return p.Key == std::string_view(key); });
    std::vector<std::string>& list = lists_[key];
    const std::string value(Trim(Value(key), kControlOrSpace));
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end())
      list.push_back(value);
    std::string text;
    for (const std::string& v : list) text += v + "\r\n";
    WriteFileAtomically(data_dir_ + "/" + f.ListFile, text);
  }
  return differs;
}

}  // namespace kest

#include "app/core/research_params_form.h"

#include <algorithm>
#include <filesystem>

#include "log/research_parameters.h"
#include "session/research.h"
#include "support/atomic_file.h"
#include "support/diagnostic_log.h"

namespace kest {

namespace fs = std::filesystem;

ResearchParamsForm::ResearchParamsForm(const TResearchParameters& descriptions,
                                       std::string data_dir)
    : descriptions_(descriptions), data_dir_(std::move(data_dir)) {
  Rebuild();
}

void ResearchParamsForm::Rebuild() {
  rows_.clear();
  for (int i = 0; i < descriptions_.Count(); ++i) {
    const TResearchParameter& d = descriptions_.Items(i);
    if (!d.Selectable) continue;
    Row row{d.Name, d.DisplayName, d.ListFile, d.Mandatory, {}, {}};
    if (!d.ListFile.empty()) {
      std::string path = data_dir_ + "/" + d.ListFile;
      std::error_code ec;
      if (fs::exists(path, ec)) {
        try {
          StringList lines = ReadListFile(path);
          for (const std::string& line : lines)
            if (!line.empty()) row.Values.push_back(line);
        } catch (const std::exception& e) {
          Diag().Error(e.what());
        }
      }
    }
    rows_.push_back(std::move(row));
  }
}

void ResearchParamsForm::TakeValues(const StringList& params) {
  for (Row& row : rows_) row.Value = params.Value(row.Name);
}

int ResearchParamsForm::Image(int i) const {
  const Row& row = rows_.at(static_cast<size_t>(i));
  if (!row.Mandatory) return 0;
  return row.Value.empty() ? 1 : 2;
}

bool ResearchParamsForm::CanAccept() const {
  return std::none_of(rows_.begin(), rows_.end(),
                      [](const Row& r) { return r.Mandatory && r.Value.empty(); });
}

void ResearchParamsForm::WriteValues(const Row& row) const {
  StringList lines;
  for (const std::string& v : row.Values) lines.Add(v);
  WriteFileAtomically(data_dir_ + "/" + row.ListFile, lines.Text());
}

void ResearchParamsForm::AddListValue(int i, const std::string& text) {
  Row& row = rows_.at(static_cast<size_t>(i));
  if (row.ListFile.empty() || text.empty()) return;
  if (std::find(row.Values.begin(), row.Values.end(), text) != row.Values.end()) return;
  row.Values.push_back(text);
  WriteValues(row);
}

void ResearchParamsForm::SetListValues(int i, std::vector<std::string> values) {
  Row& row = rows_.at(static_cast<size_t>(i));
  row.Values = std::move(values);
  if (!row.ListFile.empty()) WriteValues(row);
}

ResearchParamsForm::Result ResearchParamsForm::Accept(const std::string& research_base,
                                                      StringList& params) const {
  std::string oil_field, well;
  for (const Row& row : rows_) {
    if (row.DisplayName == kOilField) oil_field = row.Value;
    if (row.DisplayName == kWell) well = row.Value;
  }
  if (oil_field.empty() && well.empty())
    return {{}, "Необходимые параметры \"Месторождение\" и \"Скважина\" не найдены"};
  std::string name = oil_field.empty() ? well : well.empty() ? oil_field : oil_field + " - " + well;
  if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..")
    return {{}, "Имя файла содержит недопустимые символы!"};
  params.Clear();
  std::string folder = research_base + "/" + name;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (fs::exists(folder + "/" + Research::kParamsFile, ec)) {
    try {
      params = ReadListFile(folder + "/" + Research::kParamsFile);
    } catch (const std::exception& e) {
      Diag().Error(e.what());
    }
  }
  for (const Row& row : rows_)
    if (!row.Value.empty()) params.SetValue(row.Name, row.Value);
  return {name, {}};
}

}  // namespace kest

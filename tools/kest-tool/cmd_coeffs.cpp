// kest-tool coeffs: the calibration windows without a screen, on the same core:
// compute a coefficient file from measurements, show one, upload one into the tool.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "command.h"
#include "json_writer.h"
#include "memtool/calibration_fit.h"
#include "memtool/calibration_grids.h"
#include "memtool/calibration_record.h"
#include "memtool/coefficient_file.h"
#include "memtool/coefficient_upload.h"
#include "memtool/memory_tool.h"
#include "memtool/memtool_errors.h"
#include "memtool_session.h"
#include "support/number_text.h"

namespace kest::tool {

namespace {

constexpr int kDigits = 17;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EMemoryToolError("Не удалось открыть файл " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A table as rows of columns: row r of `table` is a list over its columns.
void TableJson(JsonWriter& json, const TCoefRecord& r, TCoefTable table) {
  json.BeginArray();
  for (int row = 0; row < TCoefRecord::Rows(table); ++row) {
    json.BeginArray();
    for (int c = 0; c < TCoefRecord::Columns(table); ++c)
      json.Number(r.Get(table, c, row), kDigits);
    json.EndArray();
  }
  json.EndArray();
}

void ListJson(JsonWriter& json, const TCoefRecord& r, TCoefTable table, bool by_columns) {
  json.BeginArray();
  const int n = by_columns ? TCoefRecord::Columns(table) : TCoefRecord::Rows(table);
  for (int i = 0; i < n; ++i)
    json.Number(by_columns ? r.Get(table, i, 0) : r.Get(table, 0, i), kDigits);
  json.EndArray();
}

std::string ShowJson(const TCoefFile& file) {
  const TCoefRecord& r = file.Record;
  JsonWriter json;
  json.BeginObject();
  json.Key("date");
  if (auto t = DayCountTime(file.SavedDays)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t->Year, t->Month, t->Day,
                  t->Hour, t->Minute, t->Second);
    json.String(buf);
  } else {
    json.Null();
  }
  json.Key("reference");
  ListJson(json, r, TCoefTable::Reference, true);
  // The full table's row i holds the coefficients of x^i: F[i][j] for T^j.
  json.Key("full");
  TableJson(json, r, TCoefTable::Full);
  json.Key("reduced");
  TableJson(json, r, TCoefTable::Reduced);
  json.Key("temperature");
  ListJson(json, r, TCoefTable::Temperature, false);
  json.Key("thermal");
  TableJson(json, r, TCoefTable::Thermal);
  json.Key("gains").BeginArray();
  for (int i = 0; i < TCoefRecord::kGains; ++i) json.Int(r.Gain(i));
  json.EndArray();
  json.Key("dividers");
  ListJson(json, r, TCoefTable::Divider, true);
  json.EndObject();
  return json.Text() + "\n";
}

void PrintTable(const char* title, const TCoefRecord& r, TCoefTable table) {
  std::printf("%s\n", title);
  for (int row = 0; row < TCoefRecord::Rows(table); ++row) {
    for (int c = 0; c < TCoefRecord::Columns(table); ++c)
      std::printf("%s%s", c ? "\t" : "  ", CoefficientText(r.Get(table, c, row)).c_str());
    std::printf("\n");
  }
}

void ShowText(const TCoefFile& file) {
  const TCoefRecord& r = file.Record;
  std::printf("Метрология от %s\n", DayCountText(file.SavedDays).c_str());
  std::printf("Эталонные давления:");
  for (int j = 0; j < 7; ++j)
    std::printf(" %s", PressureTitle(r.Get(TCoefTable::Reference, j, 0)).c_str());
  std::printf("\n");
  PrintTable("Давление (полная таблица), строка i - при x^i, столбец j - при T^j:", r,
             TCoefTable::Full);
  PrintTable("Давление (сокращённая таблица):", r, TCoefTable::Reduced);
  PrintTable("Температура:", r, TCoefTable::Temperature);
  PrintTable("Термокомпенсация:", r, TCoefTable::Thermal);
  std::printf("Коэффициенты усиления:");
  for (int i = 0; i < TCoefRecord::kGains; ++i) std::printf(" %s", GainText(r.Gain(i)).c_str());
  std::printf("\nДелители:");
  for (int i = 0; i < TCoefRecord::kDividers; ++i)
    std::printf(" %s", DividerText(r.Get(TCoefTable::Divider, i, 0)).c_str());
  std::printf("\n");
}

int Coeffs(const std::vector<std::string>& in) {
  std::vector<std::string> args = in;
  if (args.empty()) throw UsageError("which action?");
  const std::string action = args[0];
  args.erase(args.begin());
  if (action == "compute") {
    std::string units = TakeOption(args, "--units");
    ExpectPositional(args, 2);
    if (!units.empty() && units != "MPa" && units != "kgf")
      throw UsageError("--units takes MPa or kgf");
    TCoefRecord record = NewCoefRecord();
    SetReferencePressures(record, units == "kgf" ? TPressureUnits::Kgf : TPressureUnits::MPa);
    try {
      ReadMeasurementText(ReadText(args[0]), record);
    } catch (const EMemoryToolError& e) {
      throw EMemoryToolError(args[0] + ": " + e.what());
    }
    TCoefFile file{Recalculate(record), DayCount(LocalToolTime())};
    SaveCoefFile(args[1], file);
    std::printf("%s: коэффициенты рассчитаны\n", args[1].c_str());
  } else if (action == "show") {
    bool json = TakeFlag(args, "--json");
    ExpectPositional(args, 1);
    TCoefFile file = LoadCoefFile(args[0]);
    if (json)
      std::fputs(ShowJson(file).c_str(), stdout);
    else
      ShowText(file);
  } else if (action == "upload") {
    MemoryToolSession s(args, true);
    ExpectPositional(args, 1);
    TCoefFile file = LoadCoefFile(args[0]);
    s.Open();
    UploadCoefficients(*s.tool, file.Record);
    s.ui.EndLine();
    std::printf("%s: коэффициенты переданы в прибор\n", args[0].c_str());
  } else {
    throw UsageError("unknown action " + action);
  }
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("coeffs",
                  "compute MEASUREMENTS.tsv OUT.cfs [--units MPa|kgf] | show FILE.cfs [--json] | "
                  "upload FILE.cfs [--port P] [--root DIR]",
                  "calibration coefficients of a memory tool: compute, show, upload", Coeffs);

}  // namespace kest::tool

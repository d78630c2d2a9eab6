#pragma once
// The dictionary, options and helpers the LAS tests share.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/code_page.h"
#include "support/stream.h"
#include "support/string_list.h"
#include "test_support/test_files.h"

namespace kest {

inline std::string DataFile(const std::string& name) {
  return test::TestDataDir() + "/las/" + name;
}

class LasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogParameters& p = tables_.Parameters();
    p.Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "m", "Глуб");
    p.Add("TIME", "Время", 0, "0.00", "TIME", "c", "Время");
    p.Add("GK", "Гамма-каротаж", 0, "0.00", "GR", "мкР/ч", "ГК");
    p.Add("PS", "Потенциал самопроизвольной поляризации", 0, "0.00", "SP", "мВ", "ПС");
    p.Add("U", "Напряжение", 0, "0.00", "U", "В", "U");
    options_.Dictionary = &p;
    options_.StepCm = 10;
    options_.OnWarning = [this](const std::string& m) { warnings_.push_back(m); };
  }

  std::string Export(TLogSheet& sheet) {
    MemoryStream out;
    TLasFiler(options_).Write(out, sheet);
    return Cp866ToUtf8(out.Text());
  }
  std::unique_ptr<TLogSheet> Import(const std::string& bytes) {
    auto sheet = std::make_unique<TLogSheet>();
    MemoryStream in(bytes);
    const TLogSheetFilerClass format{"LAS",
                                     [this] { return std::make_unique<TLasFiler>(options_); }};
    LoadSheet(format, in, *sheet, nullptr);
    return sheet;
  }
  std::unique_ptr<TLogSheet> ImportFile(const std::string& name) {
    auto bytes = ReadWholeFile(DataFile(name));
    return Import(std::string(bytes.begin(), bytes.end()));
  }
  // 1000 m .. 1002 m on a 10 mm grid: DEPTH, GK = sample index, PS = -index.
  void FillDepth(TLogSheet& sheet) {
    TLogTrack* depth = sheet.NewTrack("DEPTH");
    TLogTrack* gk = sheet.NewTrack("GK");
    TLogTrack* ps = sheet.NewTrack("PS");
    sheet.SetSteps(10);
    sheet.SetOrigins(1000000);
    for (int i = 0; i <= 200; ++i) {
      depth->Append(1000.0f + 0.01f * i);
      gk->Append(static_cast<float>(i));
      ps->Append(static_cast<float>(-i));
    }
    sheet.Params().SetValue("company", "ООО Недра");
    sheet.Params().SetValue("ServiceCompany", "Партия 5");
    sheet.Params().SetValue("party", "12");
    sheet.Params().SetValue("oilfield", "Южное");
  }

 public:
  static std::vector<std::string> Lines(const std::string& text) {
    StringList list;
    list.SetText(text);
    return list.Lines();
  }

 protected:
  static std::vector<std::string> DataLines(const std::string& text) {
    auto lines = Lines(text);
    auto at = std::find(lines.begin(), lines.end(), "~ASCII Log Data");
    return std::vector<std::string>(at + 1, lines.end());
  }

  TWLisp lisp_;
  TLogParameterTables tables_;
  TLasOptions options_;
  std::vector<std::string> warnings_;
};

}  // namespace kest

#include "log/log_parameters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "lisp/lisp_error.h"
#include "lisp/wlisp.h"
#include "support/errors.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

class LogParametersTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
  }

  TWLisp lisp_;
  testing::TempDir dir_;
};

TEST_F(LogParametersTest, LoadsEntriesInFileOrder) {
  Write("t",
        "((gk \"Гамма\" \"ГК\" \"мкР/ч\" \"GR\" \"0.00\" 3)\n"
        " (depth \"Глубина\" \"Гл.\" \"м\" \"DEPT\" \"0.0\" 2.7))");
  TLogParameters table;
  table.Load(dir_.File("t"));
  ASSERT_EQ(table.Count(), 2);
  const TLogParameter& gk = table.Items(0);
  EXPECT_EQ(gk.Name, "GK");
  EXPECT_EQ(gk.Caption, "Гамма");
  EXPECT_EQ(gk.ShortCaption, "ГК");
  EXPECT_EQ(gk.Units, "мкР/ч");
  EXPECT_EQ(gk.Mnemonic, "GR");
  EXPECT_EQ(gk.Format, "0.00");
  EXPECT_EQ(gk.Number, 3.0f);
  EXPECT_EQ(table.Items(1).Name, "DEPTH");
  EXPECT_EQ(table.Items(1).Number, 2.0f);  // taken as an integer
  EXPECT_EQ(table.Find("Depth"), &table.Items(1));
  EXPECT_EQ(table.Find("gk"), &table.Items(0));
}

TEST_F(LogParametersTest, BadFilesRaiseAndLeaveTheTableAsItWas) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"((GK \"a\" \"b\" \"c\" \"GR\"  3))", "TStringNode expected, but TIntNode (3) found"},
      {"((GK \"a\" \"b\" \"c\" \"GR\" \"0\"))", "Not enough arguments"},
      {"((\"GK\" \"a\" \"b\" \"c\" \"GR\" \"0\" 1))", "TSymbolNode expected"},
      {"(GK)", "Описание параметра должно быть списком"},
      {"42", "Таблица параметров должна быть списком"},
  };
  TLogParameters table;
  table.Add("KEEP", "", 0, "", "", "", "");
  for (const auto& c : cases) {
    Write("bad", c.text);
    try {
      table.Load(dir_.File("bad"));
      ADD_FAILURE() << c.text;
    } catch (const ELispError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(table.Count(), 1);
  }
  EXPECT_THROW_MSG_HAS(table.Load(dir_.File("missing")), EInOutError,
                       "Не удалось открыть файл \"" + dir_.File("missing") + "\": ");
  Write("empty", "()");
  table.Load(dir_.File("empty"));
  EXPECT_EQ(table.Count(), 0);
}

TEST_F(LogParametersTest, ParameterTableFallsBackToSensorTable) {
  TLogParameterTables tables;
  TLogParameters& sensors = LogSensors();
  TLogParameters& params = LogParameters();
  sensors.Add("GK-COUNTER", "Счет", 0, "0", "GRCNT", "имп", "Сч");
  sensors.Add("SHARED", "из таблицы датчиков", 0, "0", "DUP", "", "");
  params.Add("GK", "Гамма", 0, "0.00", "GR", "мкР/ч", "ГК");
  params.Add("SHARED", "из таблицы параметров", 0, "0", "DUP", "", "");

  EXPECT_EQ(params.Get("gk-counter").Caption, "Счет");
  EXPECT_EQ(params.Get("shared").Caption, "из таблицы параметров");
  EXPECT_EQ(params.Find("GK-COUNTER"), nullptr);  // Find looks at its own table only
  EXPECT_EQ(params.FindByMnemonic("grcnt")->Name, "GK-COUNTER");
  EXPECT_EQ(params.FindByMnemonic("dup")->Caption, "из таблицы параметров");
  EXPECT_EQ(sensors.FindByMnemonic("GR"), nullptr);  // no fall-back upwards
  EXPECT_THROW_MSG(sensors.Get("GK"), ELogParametersError, "Parameter \"GK\" not found");
  EXPECT_THROW_MSG(params.Get("NOPE"), ELogParametersError, "Parameter \"NOPE\" not found");
}

TEST_F(LogParametersTest, UnknownMnemonicIsAddedOnceAndAnnouncedOnce) {
  TLogParameterTables tables;
  TLogParameters& params = LogParameters();
  std::vector<std::string> shown;
  params.OnMissingDescription = [&](const std::string& message, const std::string& caption) {
    shown.push_back(caption + "|" + message);
  };
  const TLogParameter& added = params.GetByMnemonic("Rxo8");
  EXPECT_EQ(added.Name, "RXO8");
  EXPECT_EQ(added.Caption, "Rxo8");
  EXPECT_EQ(added.ShortCaption, "Rxo8");
  EXPECT_EQ(added.Mnemonic, "Rxo8");
  EXPECT_EQ(added.Units, "у.е.");
  EXPECT_EQ(added.Format, "0.00");
  EXPECT_EQ(&params.GetByMnemonic("RXO8"), &added);
  EXPECT_EQ(&params.GetByMnemonic("rxo8"), &added);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Внимание !|Отсутствует описание параметра \"Rxo8\".");
  EXPECT_EQ(params.Count(), 1);
}

TEST_F(LogParametersTest, ShippedTablesLoadAndDescribeCommonLasMnemonics) {
  std::string data = test::DataRoot() + "/Data";
  TLogParameterTables tables(data);
  for (const char* m : {"DEPT", "TIME", "GR", "SP", "ILD", "ILM", "LLD", "CALI", "NPHI", "RHOB",
                        "DT", "TEMP", "PRES", "TENS", "SPEED"})
    EXPECT_NE(LogParameters().FindByMnemonic(m), nullptr) << m;
  EXPECT_EQ(LogParameters().Get("DEPTH").Mnemonic, "DEPT");
  EXPECT_EQ(LogParameters().Get("depth-sensor").Units, "имп");
  // Every name and every mnemonic is unique across both tables.
  std::set<std::string> names, mnemonics;
  for (TLogParameters* t : {&LogSensors(), &LogParameters()})
    for (int i = 0; i < t->Count(); ++i) {
      EXPECT_TRUE(names.insert(t->Items(i).Name).second) << t->Items(i).Name;
      EXPECT_TRUE(mnemonics.insert(t->Items(i).Mnemonic).second) << t->Items(i).Mnemonic;
    }
}

TEST_F(LogParametersTest, OnlyOneSetOfGlobalTables) {
  EXPECT_FALSE(LogParametersExist());
  {
    TLogParameterTables tables;
    EXPECT_TRUE(LogParametersExist());
    EXPECT_THROW(TLogParameterTables second, EAssertionFailed);
    EXPECT_TRUE(LogParametersExist());
  }
  EXPECT_FALSE(LogParametersExist());
  EXPECT_THROW(LogParameters(), EAssertionFailed);
}

}  // namespace
}  // namespace kest

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "fake_logger.h"
#include "link/device_functions.h"
#include "link/link_errors.h"
#include "link/logger_data_source.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/module_loader.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

std::string ShippedData() { return test::DataRoot() + "/Data"; }

class ModuleTest : public ::testing::Test {
 protected:
  ModuleTest() { RegisterDeviceFunctions(lisp_); }

  void Write(const std::string& relative, const std::string& text) {
    fs::path path = dir_.Path() / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  TModuleClasses& Classes() {
    if (!classes_) classes_ = std::make_unique<TModuleClasses>(dir_.File("Classes"));
    return *classes_;
  }
  TModuleDefs& Defs() {
    if (!defs_) defs_ = std::make_unique<TModuleDefs>(dir_.File("Modules"));
    return *defs_;
  }

  TWLisp lisp_;
  testing::TempDir dir_;
  std::unique_ptr<TModuleClasses> classes_;
  std::unique_ptr<TModuleDefs> defs_;
};

const char* kBase =
    "((name . GK) (kind . base) (length . 1200) (current . 40) (command . 48)"
    " (sensors ((name . GK-COUNTER) (handler Word0 5) (offset . 300)))"
    " (channels ((name . GK) (sensor . GK-COUNTER) (filter . 4)"
    "            (handler . (+ 0.0 (* 1.0 snGK-COUNTER))))))";

TEST_F(ModuleTest, ClassFileEntriesAndDefaults) {
  Write("Classes/GK", kBase);
  Write("Classes/панель",
        "((kind . System) (displayname . \"Панель\") (selectable . NIL) (Expand . YES))");
  Write("Classes/sub/GK2", "((extends . GK) (name . \"-2\") (kind . TERMINAL) (autonumber . T))");
  Classes().Reload();
  ASSERT_EQ(Classes().Count(), 3);
  EXPECT_TRUE(Classes().Failures().empty());
  const TModuleClass& gk = Classes().Get("gk");
  EXPECT_EQ(gk.DisplayName, "GK");
  EXPECT_EQ(gk.Kind, mkBase);
  EXPECT_EQ(gk.Length, 1200);
  EXPECT_EQ(gk.Current, 40);
  EXPECT_EQ(gk.Command, 48);
  EXPECT_TRUE(gk.Selectable);
  EXPECT_FALSE(gk.AutoNumber);
  EXPECT_FALSE(gk.Expand);
  EXPECT_EQ(gk.FileName, dir_.File("Classes/GK"));
  const TModuleClass& panel = Classes().Get("Панель");  // named after its file, upper-cased
  EXPECT_EQ(panel.Name, "ПАНЕЛЬ");
  EXPECT_FALSE(panel.Selectable);
  EXPECT_TRUE(panel.Expand);
  const TModuleClass& gk2 = Classes().Get("GK-2");
  EXPECT_EQ(gk2.Extends, "GK");
  EXPECT_TRUE(gk2.AutoNumber);
  EXPECT_EQ(Classes().Items(0).Name, "GK");  // sorted by name
  EXPECT_THROW_MSG(Classes().Get("NONE"), EKestError, "Unknown module class \"NONE\"");
}

TEST_F(ModuleTest, BrokenFilesAreReportedAndSkipped) {
  Write("Classes/GK", kBase);
  Write("Classes/broken", "((kind . BASE) (sensors ((name . X) (handler Word0 1))");
  Write("Classes/nokind", "((name . NOKIND))");
  Write("Classes/oddkind", "((kind . SURFACE))");
  Write("Classes/again", "((name . gk) (kind . BASE))");
  Write("Classes/~draft", "(((");
  Write("Classes/.hidden", "(((");
  Write("Classes/~old/X", "(((");
  std::vector<std::string> shown;
  Classes().OnLoadError = [&](const TModuleLoadFailure& f) { shown.push_back(f.Message); };
  Classes().Reload();
  EXPECT_EQ(Classes().Count(), 1);
  ASSERT_EQ(Classes().Failures().size(), 4u);
  EXPECT_EQ(shown.size(), 4u);
  std::map<std::string, std::string> by_file;
  for (const auto& f : Classes().Failures())
    by_file[fs::path(f.FileName).filename().string()] = f.Message;
  EXPECT_EQ(by_file["again"], "Повторная загрузка класса \"GK\"");
  EXPECT_EQ(by_file["oddkind"], "Unknown module kind \"SURFACE\" found");
  EXPECT_NE(by_file["nokind"].find("kind"), std::string::npos);
  EXPECT_FALSE(by_file["broken"].empty());
}

TEST_F(ModuleTest, DefinitionsAddNumberedInstances) {
  Write("Classes/GK", kBase);
  Write("Classes/HIDDEN", "((kind . TERMINAL) (selectable . NIL))");
  Write("Modules/gk3",
        "((class . gk) (number . 3) (channels ((name . GK) (handler . (+ 1.5 (* 0.98 "
        "snGK-COUNTER))))))");
  Write("Modules/gk3-copy", "((class . GK) (number . 3))");
  Write("Modules/gk0", "((class . GK) (number . 0))");
  Write("Modules/nope", "((class . NOPE) (number . 1))");
  Classes().Reload();
  Defs().Reload();
  ASSERT_EQ(Defs().Count(), 2);  // the default GK #0 and GK #3; HIDDEN has no default
  EXPECT_EQ(Defs().Items(0).DisplayName(), "GK #0");
  EXPECT_FALSE(Defs().Items(0).Form);
  EXPECT_EQ(Defs().Get("gk", 3).FileName, dir_.File("Modules/gk3"));
  std::map<std::string, std::string> by_file;
  for (const auto& f : Defs().Failures())
    by_file[fs::path(f.FileName).filename().string()] = f.Message;
  EXPECT_EQ(by_file["gk3-copy"], "Повторная загрузка модуля \"GK #3\"");
  EXPECT_EQ(by_file["gk0"], "Повторная загрузка модуля \"GK #0\"");
  EXPECT_EQ(by_file["nope"], "Unknown module class \"NOPE\"");
  EXPECT_THROW_MSG(Defs().Get("GK", 4), EModuleDefsError, "Module \"GK #4\" is unknown");
}

TEST_F(ModuleTest, RegistriesAreSingle) {
  Classes();
  EXPECT_THROW(TModuleClasses second("x"), EAssertionFailed);
  Defs();
  EXPECT_THROW(TModuleDefs second("x"), EAssertionFailed);
}

TEST_F(ModuleTest, ExtendedClassLoadsParentFirstWithOffsetsFromTheModuleBase) {
  Write("Classes/GK", kBase);
  Write("Classes/GKNK",
        "((extends . GK) (name . \" NK\") (kind . STANDALONE) (displayname . \"ГК+НК\")"
        " (current . 25) (length . 800) (command . 7)"
        " (sensors ((name . NK) (handler Word1 5) (offset . 100))"
        "          ((name . gk-counter) (handler Word0 6) (smoothable . NIL))))");
  Classes().Reload();
  testing::FakeLogger logger;
  logger.ModuleOffset = 5000;
  TLoggerModule& m = logger.AddModule(Classes().Get("GK NK"));
  EXPECT_EQ(m.Name, "GK NK");
  EXPECT_EQ(m.DisplayName, "ГК+НК");
  EXPECT_EQ(m.Current, 25);
  EXPECT_EQ(m.Kind, mkStandalone);
  EXPECT_EQ(logger.Power, 65);
  EXPECT_EQ(logger.InitCommand, 7);
  EXPECT_EQ(logger.ModuleOffset, 5000 + 1200 + 800);
  TLoggerSensors& s = logger.Sensors();
  ASSERT_EQ(s.Count(), 3);
  EXPECT_EQ(s.Get("GK-COUNTER")->Offset, 5300);
  EXPECT_EQ(s.Get("NK")->Offset, 5000 + 1200 + 100);
  // A class may repeat its parent's sensor: the second gets number 1.
  TLoggerSensor* again = s.Get("GK-COUNTER", 1);
  EXPECT_EQ(again->SymbolName, "SNGK-COUNTER1");
  EXPECT_FALSE(again->Smoothable);
  EXPECT_EQ(again->Module(), &m);
  TLoggerChannel* gk = logger.Channels().Get("GK");
  EXPECT_EQ(gk->Module(), &m);
  EXPECT_EQ(gk->Sensor(), s.Get("GK-COUNTER"));
  EXPECT_EQ(gk->Offset, 5300);
  EXPECT_EQ(gk->FilterQueue().Capacity(), 4);
  EXPECT_EQ(gk->Location, TChannelLocation::Logger);
}

TEST_F(ModuleTest, NamesOwnedByAnotherModuleAreRefusedAndNothingIsLeftBehind) {
  Write("Classes/GK", kBase);
  Write("Classes/OTHER",
        "((kind . TERMINAL) (current . 9) (length . 50)"
        " (sensors ((name . OWN) (handler Word0 9)) ((name . GK-COUNTER) (handler Word0 8))))");
  Write("Classes/CHAN",
        "((kind . TERMINAL) (current . 9) (command . 3)"
        " (sensors ((name . MINE) (handler Word0 10)))"
        " (channels ((name . X)) ((name . GK))))");
  Write("Classes/UNNAMED", "((kind . TERMINAL) (sensors ((name . \"\") (handler Word0 9))))");
  Write("Classes/NOHANDLER", "((kind . TERMINAL) (sensors ((name . A))))");
  Write("Classes/LOOP1", "((kind . TERMINAL) (extends . LOOP2))");
  Write("Classes/LOOP2", "((kind . TERMINAL) (extends . LOOP1))");
  Classes().Reload();
  testing::FakeLogger logger;
  logger.AddModule(Classes().Get("GK"));
  const int sensors = logger.Sensors().Count(), channels = logger.Channels().Count();
  const struct {
    const char* cls;
    const char* error_class;
    const char* message;
  } cases[] = {
      {"OTHER", "ELoggerError",
       "Module \"OTHER\" cannot be loaded, coz it contains\nsensor \"GK-COUNTER\", which also "
       "resides in already loaded\nmodule \"GK\""},
      {"CHAN", "ELoggerError",
       "Module \"CHAN\" cannot be loaded, coz it contains\nchannel \"GK\", which also resides in "
       "already loaded\nmodule \"GK\""},
      {"UNNAMED", "ELoggerError", "Unnamed sensor found"},
      {"NOHANDLER", "ELispEvalError", "Not enough arguments"},
      {"LOOP1", "ELoggerError", "Класс модуля \"LOOP2\" расширяет сам себя"},
  };
  for (const auto& c : cases) {
    TContainedLoggerModule module;
    EXPECT_THROW_NAMED(LoadClass(module, Classes().Get(c.cls), logger), c.error_class, c.message);
    EXPECT_EQ(logger.Sensors().Count(), sensors) << c.cls;
    EXPECT_EQ(logger.Channels().Count(), channels) << c.cls;
    EXPECT_EQ(logger.Power, 40) << c.cls;
    EXPECT_EQ(logger.InitCommand, 48) << c.cls;
    EXPECT_EQ(logger.ModuleOffset, 1200) << c.cls;
  }
  EXPECT_EQ(Lisp().SymTable().Find("SNOWN"), nullptr);
}

TEST_F(ModuleTest, DefinitionReplacesFormulasAndAnnouncesTheModule) {
  Write("Classes/GK", kBase);
  Write("Modules/gk12",
        "((class . GK) (number . 12)"
        " (channels ((name . GK) (handler . (+ 1.5 (* 0.5 snGK-COUNTER))))"
        "           ((name . NONE) (handler . 1.0))))");
  Classes().Reload();
  Defs().Reload();
  testing::FakeLogger logger;
  TLoggerDataSource source;
  source.SetLogger(&logger);
  std::vector<TLoggerModule*> announced;
  source.OnModuleChange = [&](TLoggerDataSource&, TLoggerModule* m) { announced.push_back(m); };
  TLoggerModule& m = logger.AddModule(Classes().Get("GK"));
  announced.clear();
  ApplyDefinition(logger, Defs().Get("GK", 12));
  EXPECT_EQ(m.Number, 12);
  EXPECT_EQ(announced, std::vector<TLoggerModule*>{&m});
  logger.Sensors().Get("GK-COUNTER")->Value = 10;
  TLoggerChannel* gk = logger.Channels().Get("GK");
  gk->SetFilterLength(0);
  gk->Evaluate();
  EXPECT_DOUBLE_EQ(gk->Value, 6.5);
}

TEST_F(ModuleTest, EveryShippedClassLoadsIntoALogger) {
  TModuleClasses classes(ShippedData() + "/Classes");
  classes.Reload();
  for (const auto& f : classes.Failures()) ADD_FAILURE() << f.FileName << ": " << f.Message;
  TModuleDefs defs(ShippedData() + "/Модули");
  defs.Reload();
  for (const auto& f : defs.Failures()) ADD_FAILURE() << f.FileName << ": " << f.Message;
  ASSERT_NE(classes.Find("System"), nullptr);

  for (int i = 0; i < classes.Count(); ++i) {
    const TModuleClass& cls = classes.Items(i);
    if (cls.Kind == mkSystem) continue;
    testing::FakeLogger logger;
    logger.AddModule(classes.Get("System"));
    logger.AddModule(cls);
    for (int k = 0; k < 3; ++k) {
      logger.Sensors().Get("TIMER")->Value = k;
      EXPECT_TRUE(logger.Channels().EvaluateAll()) << cls.Name;
    }
  }
  // A whole wireline string with calibrated definitions.
  testing::FakeLogger logger;
  logger.AddModule(classes.Get("System"));
  logger.AddModule(classes.Get("Телеметрия"));
  for (auto [name, number] : {std::pair{"ГК-НК", 7}, {"ТМ", 5}, {"Каверномер", 2}}) {
    const TModuleDef& def = defs.Get(name, number);
    logger.AddModule(*def.ModuleClass);
    ApplyDefinition(logger, def);
  }
  EXPECT_GT(logger.Power, 0);
  EXPECT_EQ(logger.InitCommand, 48);
  EXPECT_EQ(logger.Sensors().Count(), logger.Sensors().Count());
  EXPECT_TRUE(logger.Channels().EvaluateAll());
  for (const char* name : {"TIMER", "SECOND-TIMER", "DEPTH-SENSOR", "COMMANDACK",
                           "MAG-LABEL-SENSOR", "PACKETS", "SKIPPED-BYTES", "TENSION-SENSOR"})
    EXPECT_NE(logger.Sensors().Find(name), nullptr) << name;
  for (const char* name :
       {"DEPTH", "TIME", "SPEED", "DIRECTION", "MAG-LABEL", "TENSION", "GK", "NPHI"})
    EXPECT_NE(logger.Channels().Find(name), nullptr) << name;
  EXPECT_NE(logger.Sensors().Find("modulenumber", 1), nullptr);  // base and end module
}

TEST_F(ModuleTest, SpeedAndDirectionKeepSharedState) {
  auto eval = [](const char* text) {
    return static_cast<TNumericNode*>(Lisp().Evaluate(text).Get())->AsInteger();
  };
  // The first sample after the reset is only the baseline: no spike from the zero state.
  EXPECT_EQ(eval("(speed 1000.0 100.0)"), 0);
  EXPECT_EQ(eval("(speed 1000.5 100.5)"), 0);     // less than one unit passed
  EXPECT_EQ(eval("(speed 1001.0 101.0)"), 3600);  // 1 per unit: 360 x 10
  EXPECT_EQ(eval("(speed 1005.0 101.5)"), 3600);  // unchanged within the unit
  EXPECT_EQ(eval("(speed 1001.5 141.0)"), 40);    // 0.5/40*360 = 4.5 -> 4 (ties to even)
  EXPECT_EQ(eval("(speed 1000.5 181.0)"), 90);    // the distance counts either way
  EXPECT_EQ(eval("(direction 1000)"), 0);         // baseline
  EXPECT_EQ(eval("(direction 1002.5)"), 1);
  EXPECT_EQ(eval("(direction 1002.5)"), 1);
  EXPECT_EQ(eval("(direction 1001)"), -1);
  EXPECT_THROW_MSG(eval("(speed 1.0)"), ELispEvalError, "Not enough arguments");
  EXPECT_THROW_MSG(eval("(direction 1 2)"), ELispEvalError, "Extra arguments");
  EXPECT_THROW_MSG(eval("(direction \"x\")"), ELispEvalError,
                   "TNumericNode expected, but TStringNode (\"x\") found");
}

}  // namespace
}  // namespace kest

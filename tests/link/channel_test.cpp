#include <gtest/gtest.h>

#include "fake_logger.h"
#include "link/link_errors.h"
#include "link/logger_channels.h"
#include "link/logger_data_source.h"
#include "link/logger_item.h"
#include "link/logger_sensors.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

class ChannelTest : public ::testing::Test {
 protected:
  // A channel of the fake logger with the given formula text (none when empty).
  TLoggerChannel* AddChannel(const char* name, const char* formula = "", int filter = 0) {
    auto c = std::make_unique<TLoggerChannel>(
        [this](TLoggerChannel& ch) { logger_.ChannelChanged(ch); });
    c->SetName(name);
    if (*formula) c->SetFormula(Lisp().Parse(formula));
    c->SetFilterLength(filter);
    TLoggerChannel* raw = c.get();
    logger_.Channels().Add(std::move(c));
    return raw;
  }

  TWLisp lisp_;
  testing::FakeLogger logger_;
};

TEST_F(ChannelTest, FilterAveragesTheLastSamples) {
  TLoggerChannel* c = AddChannel("gk", "(+ 0.0 x)", 4);
  std::vector<double> seen;
  for (int x = 1; x <= 5; ++x) {
    Lisp().SetVariable("X", MakeInt(x));
    c->Evaluate();
    seen.push_back(c->Value);
  }
  EXPECT_EQ(seen, (std::vector<double>{1, 1.5, 2, 2.5, 3.5}));
  c->SetFilterLength(4);  // same length: the ring keeps its samples
  EXPECT_EQ(c->FilterQueue().Count(), 4);
  c->SetFilterLength(2);
  EXPECT_EQ(c->FilterQueue().Count(), 0);
}

TEST_F(ChannelTest, ValueComesFromFormulaElseSensorElseMinusOne) {
  TLoggerChannel* bare = AddChannel("BARE");
  logger_.notices.clear();
  bare->Evaluate();
  bare->Evaluate();
  EXPECT_EQ(bare->Value, -1);
  EXPECT_EQ(logger_.Count(TLoggerNotifyKind::lnChannelChange), 1);  // only when it first became -1

  auto sensor = CreateSensor("Word0");
  sensor->SetName("RAW");
  sensor->Offset = 700;
  sensor->Value = 123456789;  // more digits than a float holds
  TLoggerSensor* raw = sensor.get();
  logger_.Sensors().Add(std::move(sensor));
  TLoggerChannel* direct = AddChannel("DIRECT");
  direct->SetSensor(raw);
  EXPECT_EQ(direct->Offset, 700);
  direct->Evaluate();
  EXPECT_EQ(direct->Value, 123456789);

  // A formula wins over the sensor.
  direct->SetFormula(Lisp().Parse("(* 2.0 snRaw)"));
  direct->Evaluate();
  EXPECT_NEAR(direct->Value, 246913578, 16);

  // The sensor going away unbinds the channel instead of leaving it dangling.
  direct->SetFormula(nullptr);
  logger_.Sensors().Delete(logger_.Sensors().IndexOf(raw));
  EXPECT_EQ(direct->Sensor(), nullptr);
  EXPECT_EQ(direct->Offset, 0);
  direct->Evaluate();
  EXPECT_EQ(direct->Value, -1);
}

TEST_F(ChannelTest, ListNumbersSameNamesAndDefinesScriptSymbols) {
  TLoggerChannel* a = AddChannel("Temp", "(+ 20.5 0.0)");
  AddChannel("GK");
  TLoggerChannel* b = AddChannel("TEMP", "(* 2.0 chTemp)");
  EXPECT_EQ(logger_.Channels().Items(1), b);  // next to the first of its name
  EXPECT_EQ(b->Number, 1);
  EXPECT_EQ(a->SymbolName, "CHTEMP");
  EXPECT_EQ(b->SymbolName, "CHTEMP1");
  EXPECT_EQ(logger_.Channels().Get("temp", 1), b);
  EXPECT_TRUE(logger_.Channels().EvaluateAll());
  EXPECT_DOUBLE_EQ(b->Value, 41.0);
  EXPECT_EQ(ToText(Lisp().GetVariable("chTemp").Get()), "[CHANNEL]");
  EXPECT_EQ(static_cast<TNumericNode*>(Lisp().GetVariable("chTemp1").Get())->AsInteger(), 41);

  EXPECT_THROW_MSG(logger_.Channels().Get("TEMP", 2), ELoggerError,
                   "Logger channel \"TEMP #2\" not found");
  auto dup = std::unique_ptr<TLoggerChannel>(a);
  EXPECT_THROW_MSG(logger_.Channels().Add(std::move(dup)), ELoggerError, "Duplicate channel");

  // A formula that still holds the node of a deleted channel reads 0.
  NodeRef held = Lisp().GetVariable("CHTEMP");
  logger_.Channels().Delete(0);
  EXPECT_EQ(Lisp().SymTable().Find("CHTEMP"), nullptr);
  EXPECT_EQ(static_cast<TNumericNode*>(held.Get())->AsFloat(), 0.0f);
}

TEST_F(ChannelTest, FailingChannelStopsThePassAndKeepsLaterValues) {
  TLoggerChannel* c[4] = {AddChannel("A", "(+ 1.0 n)"), AddChannel("B", "(+ 2.0 n)"),
                          AddChannel("C", "(+ 3.0 missing)"), AddChannel("D", "(+ 4.0 n)")};
  Lisp().SetVariable("N", MakeInt(10));
  EXPECT_FALSE(logger_.Channels().EvaluateAll());
  EXPECT_EQ(c[0]->Value, 11);
  EXPECT_EQ(c[1]->Value, 12);
  EXPECT_EQ(c[2]->Value, 0);
  EXPECT_EQ(c[3]->Value, 0);  // not reached
  Lisp().SetVariable("MISSING", MakeInt(0));
  EXPECT_TRUE(logger_.Channels().EvaluateAll());
  EXPECT_EQ(c[3]->Value, 14);

  c[0]->SetFormula(Lisp().Parse("\"text\""));
  EXPECT_THROW_MSG(c[0]->Evaluate(), ELoggerError, "Канал \"A\" формула дала \"text\", а не число");
  EXPECT_EQ(c[0]->Value, 11);
}

TEST_F(ChannelTest, ChannelNeedsAChangeHandlerAndAValidLocation) {
  EXPECT_THROW(TLoggerChannel(nullptr), EAssertionFailed);
  EXPECT_EQ(StrToChannelLocation("ground"), TChannelLocation::Ground);
  EXPECT_THROW_MSG(StrToChannelLocation("downhole"), ELoggerError,
                   "downhole is not a valid Channel location");
}

}  // namespace
}  // namespace kest

// The sheet's well description: values to and from Params, the value lists that grow
// with what is typed, read-only sheets, and what reaches a LAS export.
#include "session/sheet_properties.h"

#include <gtest/gtest.h>

#include <fstream>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/log_document.h"
#include "support/code_page.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using test::Slurp;

class SheetPropertiesTest : public ::testing::Test {
 protected:
  SheetPropertiesTest() {
    std::ofstream(dir_.File("goals")) << "Стандартный каротаж\nКонтроль цементирования\n";
    // An older installation's list, in Windows-1251.
    std::ofstream(dir_.File("oilfields"), std::ios::binary)
        << Utf8ToCp1251("Южное\r\nЗападное\r\n");
    TLogTrack* t = sheet_.NewTrack("GK");
    t->SetStep(100);
    for (int i = 0; i < 3; ++i) t->Append(1.0f);
    sheet_.UpdateRange();
    sheet_.Params().SetText("well=12\r\nприбор=x\r\nparty=7");
  }
  testing::TempDir dir_;
  TLogSheet sheet_;
};

TEST_F(SheetPropertiesTest, ApplyWritesValuesAndAnEmptyOneRemovesItsLine) {
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&sheet_);
  EXPECT_EQ(p.Value("well"), "12");
  EXPECT_EQ(p.List("oilfield"), (std::vector<std::string>{"Южное", "Западное"}));
  EXPECT_FALSE(p.Changed());
  p.SetValue("well", "");
  p.SetValue("oilfield", "Южное");
  p.SetValue("company", "ООО \"Нефть\"");
  EXPECT_TRUE(p.Changed());
  EXPECT_TRUE(p.Apply());
  EXPECT_FALSE(p.Changed());
  EXPECT_EQ(sheet_.Params().IndexOfName("well"), -1);
  EXPECT_EQ(sheet_.Params().Value("oilfield"), "Южное");
  EXPECT_EQ(sheet_.Params().Value("party"), "7");
  EXPECT_EQ(sheet_.Params().Value("company"), "ООО \"Нефть\"");
}

// A recorded log knows its date as its recording's start: "Дата" shows it, and an
// applied change writes it; a date of the log's own is kept.
TEST_F(SheetPropertiesTest, ARecordedLogIsDatedByItsStart) {
  sheet_.Params().SetValue("StartTime", "09.12.2026");
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&sheet_);
  EXPECT_EQ(p.Value("Date"), "09.12.2026");
  EXPECT_FALSE(p.Changed());
  EXPECT_FALSE(p.Apply()) << "OK without a change changes nothing";
  EXPECT_EQ(sheet_.Params().Value("Date"), "");
  p.SetValue("party", "8");
  EXPECT_TRUE(p.Apply());
  EXPECT_EQ(sheet_.Params().Value("Date"), "09.12.2026");
  sheet_.Params().SetValue("Date", "01.02.2024");
  p.SetSheet(&sheet_);
  EXPECT_EQ(p.Value("Date"), "01.02.2024");
}

TEST_F(SheetPropertiesTest, NewGoalAndOilFieldAreOfferedNextTime) {
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&sheet_);
  p.SetValue("oilfield", "Северное");
  p.SetValue("goal", "Притоки");
  p.Apply();
  SheetProperties again(dir_.Path().string());
  again.SetSheet(nullptr);
  EXPECT_EQ(again.Value("well"), "");
  EXPECT_EQ(again.List("oilfield"), (std::vector<std::string>{"Южное", "Западное", "Северное"}));
  EXPECT_EQ(again.List("goal").back(), "Притоки");
  EXPECT_EQ(Slurp(dir_.File("oilfields")), "Южное\r\nЗападное\r\nСеверное\r\n");  // UTF-8 now
}

TEST_F(SheetPropertiesTest, ReadOnlyOrRecordingSheetIsNotChanged) {
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&sheet_, true);
  EXPECT_TRUE(p.ReadOnly());
  p.SetValue("well", "99");
  EXPECT_FALSE(p.Apply());
  sheet_.SetReadOnly(true);
  p.SetSheet(&sheet_);
  p.SetValue("well", "99");
  EXPECT_FALSE(p.Apply());
  EXPECT_EQ(sheet_.Params().Value("well"), "12");
  EXPECT_EQ(Slurp(dir_.File("oilfields")), Utf8ToCp1251("Южное\r\nЗападное\r\n"));
}

TEST_F(SheetPropertiesTest, ModeAndStepFollowTheArgument) {
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&sheet_);
  EXPECT_EQ(p.ModeText(), "по глубине (шаг");
  EXPECT_EQ(p.StepText(), "10");
  TLogSheet time;
  time.SetArgument(laTime);
  p.SetSheet(&time);
  EXPECT_EQ(p.ModeText(), "по времени");
  EXPECT_EQ(p.StepText(), "");
}

TEST_F(SheetPropertiesTest, EnteredValuesReachTheLasHeader) {
  TLogParameterTables tables;
  tables.Parameters().Add("GK", "Гамма", 0, "0.00", "GR", "у.е.", "ГК");
  tables.Parameters().Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "м", "Глуб.");
  LogDocument doc;
  doc.Sheet().Assign(sheet_);
  doc.Sheet().UpdateRange();
  SheetProperties p(dir_.Path().string());
  p.SetSheet(&doc.Sheet());
  p.SetValue("well", "12-бис");
  p.SetValue("oilfield", "Южное");
  p.Apply();
  doc.SaveAs(dir_.File("a.las"), {});
  std::string las = Cp866ToUtf8(Slurp(dir_.File("a.las")));
  EXPECT_NE(las.find("12-бис"), std::string::npos) << las;
  EXPECT_NE(las.find("Южное"), std::string::npos);
}

}  // namespace
}  // namespace kest

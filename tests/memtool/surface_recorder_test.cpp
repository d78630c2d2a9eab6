// The surface recorder's byte layouts and commands, on a scripted link.
#include "memtool/surface_recorder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fake_memory_link.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memtool_errors.h"
#include "memtool/surface_records.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

using testing::FakeMemoryHost;
using testing::FakeMemoryLink;

TEST(SurfaceDepthText, FiveDigitsLeastSignificantFirst) {
  struct Case {
    const char* text;
    const char* shown;
    std::array<uint8_t, 5> bytes;
  };
  const Case cases[] = {
      {"0", "0.0", {0, 0, 0, 0, 0}},
      {"9999.9", "9999.9", {9, 9, 9, 9, 9}},
      {"123.4", "123.4", {4, 3, 2, 1, 0}},
      {"  7.25 ", "7.2", {2, 7, 0, 0, 0}},  // "%.1f" rounds the binary value
      {"-0", "0.0", {0, 0, 0, 0, 0}},
      {"1500", "1500.0", {0, 0, 0, 5, 1}},
  };
  for (const Case& c : cases) {
    DepthDigits d = EncodeDepthText(c.text);
    EXPECT_EQ(d.Error, "") << c.text;
    EXPECT_EQ(d.Text, c.shown) << c.text;
    EXPECT_EQ(d.Bytes, c.bytes) << c.text;
    EXPECT_EQ(DecodeDepthDigits(d.Bytes), std::lround(std::stod(d.Text) * 10)) << c.text;
  }
}

TEST(SurfaceDepthText, BadTextsGiveTheirMessagesAndNothingIsSent) {
  for (const char* text : {"", "abc", "12,5", "1e", "nan", "inf", "1 2"})
    EXPECT_EQ(EncodeDepthText(text).Error, kDepthNotNumberText) << text;
  for (const char* text : {"-0.1", "9999.95", "10000", "1e6"})
    EXPECT_EQ(EncodeDepthText(text).Error, kDepthRangeText) << text;

  FakeMemoryLink link;
  FakeMemoryHost host;
  TSurfaceRecorder recorder(link, host);
  EXPECT_THROW_MSG(recorder.SetDepth("x"), EMemoryToolError, "Неверное значение глубины !");
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(recorder.SetDepth("123.4"), "123.4");
  EXPECT_EQ(link.sent, (std::vector<uint8_t>{0x18, 4, 3, 2, 1, 0}));
}

TEST(SurfaceStatusWord, PageSizeMemoryAndFlags) {
  // Page count 4096 = 0x1000: high byte in bits 0-7, low byte in bits 24-31.
  uint32_t v = 0x10u | 0x01u << 8 | 1u << 21 | 1u << 19 | 1u << 17;
  SurfaceStatus s = DecodeSurfaceStatus(v);
  EXPECT_EQ(s.PageSize, 528);
  EXPECT_EQ(s.PageCount, 4096);
  EXPECT_TRUE(s.ClockOk);
  EXPECT_FALSE(s.MemoryOk);
  EXPECT_TRUE(s.DepthChipOk);
  EXPECT_FALSE(s.SpeedChipOk);
  EXPECT_TRUE(s.TensionChipOk);
  EXPECT_EQ(EncodeSurfaceStatus(s), v);

  SurfaceStatusRows rows;
  for (int r = 0; r < SurfaceStatusRows::kRowCount; ++r) EXPECT_EQ(rows.Text(r), "Ошибка !");
  rows.Apply(s);
  EXPECT_EQ(rows.Text(0), "2112.00");
  EXPECT_EQ(rows.Text(1), "Пройден");
  EXPECT_EQ(rows.Text(2), "Ошибка !");
  EXPECT_EQ(rows.Text(3), "Работает");
  EXPECT_EQ(rows.Text(4), "Ошибка !");
  EXPECT_EQ(rows.Text(5), "Работает");
  // 264-byte pages: half a kilobyte less a bit per page.
  EXPECT_EQ(DecodeSurfaceStatus(0x10u).PageSize, 264);
  EXPECT_DOUBLE_EQ(DecodeSurfaceStatus(0x10u).MemoryKb(), 1056.0);
}

TEST(SurfaceZeroPageLayout, FieldsErasedDefaultsAndShortReplies) {
  SurfaceZeroPage z;
  z.LastPage = 0x0123;
  z.LastOffset = 0x00F6;
  z.Start = ToolTime{2026, 12, 9, 14, 35, 0, 0};
  z.TensionK = 2.5;
  z.TensionB = -1.25;
  z.SpeedK = 11;
  z.DepthCoefficient = 42;
  auto bytes = EncodeSurfaceZeroPage(z, 264);
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[3], 0xF6);
  EXPECT_EQ(bytes[4], 0x26);  // BCD year - 2000
  EXPECT_EQ(bytes[7], 0x04);  // Wednesday
  auto back = DecodeSurfaceZeroPage(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->LastPage, 0x123);
  EXPECT_EQ(back->LastOffset, 0xF6);
  EXPECT_EQ(back->Start, z.Start);
  EXPECT_DOUBLE_EQ(back->TensionK, 2.5);
  EXPECT_DOUBLE_EQ(back->TensionB, -1.25);
  EXPECT_DOUBLE_EQ(back->SpeedK, 11);
  EXPECT_EQ(back->DepthCoefficient, 42);

  std::vector<uint8_t> erased(264, 0xFF);
  auto e = DecodeSurfaceZeroPage(erased);
  ASSERT_TRUE(e.has_value());
  EXPECT_FALSE(e->Start.has_value());
  EXPECT_DOUBLE_EQ(e->TensionK, 1.0);
  EXPECT_DOUBLE_EQ(e->TensionB, 0.0);
  EXPECT_DOUBLE_EQ(e->SpeedK, 12.0);
  EXPECT_EQ(e->DepthCoefficient, 10);
  EXPECT_EQ(SurfaceStartText(*e), "Время начала: Не известно");

  EXPECT_FALSE(DecodeSurfaceZeroPage(std::vector<uint8_t>(7, 0)).has_value());
  // Two values: the position only; the rest keeps its defaults.
  auto two = DecodeSurfaceZeroPage(std::vector<uint8_t>{0, 2, 0, 12, 0x26, 0x12, 0x09, 0x04});
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ(two->LastPage, 2);
  EXPECT_FALSE(two->Start.has_value());
  EXPECT_DOUBLE_EQ(two->SpeedK, 12.0);
  // A month 13 is not a date.
  bytes[5] = 0x13;
  EXPECT_FALSE(DecodeSurfaceZeroPage(bytes)->Start.has_value());
}

TEST(SurfaceZeroPageLayout, RecordCountAndItsTexts) {
  EXPECT_EQ(SurfaceRecordCount(1, 0, 264), 1);
  EXPECT_EQ(SurfaceRecordCount(2, 258, 264), 88);
  EXPECT_LE(SurfaceRecordCount(0, 0, 264), 0);
  EXPECT_EQ(SurfaceCountText(0),
            "Количество замеров: Данные не сохранены\nВремя регистрации: Не известно");
  EXPECT_EQ(SurfaceCountText(3725), "Количество замеров: 3725\nВремя регистрации:  1: 2: 5");
  EXPECT_EQ(SurfaceRecordBytes(2, 258, 264), 528);
}

std::vector<uint8_t> Records(std::initializer_list<SurfaceRecord> records) {
  std::vector<uint8_t> out;
  for (const SurfaceRecord& r : records) {
    auto b = EncodeSurfaceRecord(r);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

TEST(SurfaceRecordStreamDecode, MarksEndMarkerAndDamagedStreams) {
  // 0x80 first: a mark, depth high byte 0 (below 6553.6 m).
  const uint8_t marked[] = {0x80, 0x10, 0x00, 0x00, 0x01, 0x2C};
  auto s = DecodeSurfaceRecords(marked);
  ASSERT_EQ(s.Records.size(), 1u);
  EXPECT_TRUE(s.Records[0].Mark);
  EXPECT_EQ(s.Records[0].DepthTenths, 0x1000);
  EXPECT_EQ(s.Records[0].Tension, 300u);
  // First byte 1: no mark, high byte 1; 0x81: mark, high byte 1.
  const uint8_t high[] = {0x01, 0x00, 0x05, 0, 0, 1, 0x81, 0x00, 0x05, 0, 0, 2};
  s = DecodeSurfaceRecords(high);
  ASSERT_EQ(s.Records.size(), 2u);
  EXPECT_FALSE(s.Records[0].Mark);
  EXPECT_EQ(s.Records[0].DepthTenths, 65541);
  EXPECT_TRUE(s.Records[1].Mark);
  EXPECT_EQ(s.Records[1].DepthTenths, 65541);

  // The end marker stops the data even with more values after it.
  auto bytes = Records({{10, 1, false}, {11, 2, true}});
  bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00});
  auto more = Records({{12, 3, false}});
  bytes.insert(bytes.end(), more.begin(), more.end());
  s = DecodeSurfaceRecords(bytes);
  EXPECT_TRUE(s.EndMarker);
  ASSERT_EQ(s.Records.size(), 2u);
  EXPECT_EQ(s.Records[1].DepthTenths, 11);

  // Truncated: whole records only; an end marker cut after three bytes still ends.
  bytes = Records({{10, 1, false}, {11, 2, false}});
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    s = DecodeSurfaceRecords(std::span<const uint8_t>(bytes.data(), cut));
    EXPECT_EQ(s.Records.size(), cut / 6) << cut;
    EXPECT_EQ(s.LeftoverBytes, cut % 6) << cut;
    EXPECT_FALSE(s.EndMarker);
  }
  const uint8_t cut_marker[] = {0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(DecodeSurfaceRecords(cut_marker).EndMarker);
  EXPECT_EQ(DecodeSurfaceRecords(std::span<const uint8_t>()).Records.size(), 0u);
  // A limit on the records is kept.
  EXPECT_EQ(DecodeSurfaceRecords(Records({{1, 1, false}, {2, 2, false}}), 1).Records.size(), 1u);
}

TEST(SurfaceRecorderStates, WhichControlsEachStateEnables) {
  struct Row {
    int state;
    bool setup, standby, main_mode, pass;
  };
  const Row rows[] = {{0, false, true, false, false},
                      {1, true, false, true, true},
                      {2, false, false, false, false},
                      {3, false, false, true, true}};
  for (const Row& r : rows) {
    SurfaceControls c = TSurfaceRecorder::ControlsFor(r.state);
    EXPECT_EQ(c.Setup, r.setup) << r.state;
    EXPECT_EQ(c.Standby, r.standby) << r.state;
    EXPECT_EQ(c.MainMode, r.main_mode) << r.state;
    EXPECT_EQ(c.PassThrough, r.pass) << r.state;
  }
}

// A recorder on the scripted link: page 0 and the record pages answer "TASK".
class SurfaceRecorderTest : public ::testing::Test {
 protected:
  void SetRecording(const std::vector<uint8_t>& records, int last_page, int last_offset) {
    SurfaceZeroPage z;
    z.LastPage = last_page;
    z.LastOffset = last_offset;
    z.Start = ToolTime{2026, 12, 9, 10, 30, 0, 0};
    Fill(0, EncodeSurfaceZeroPage(z, 528));
    std::vector<uint8_t> data = records;
    data.resize(static_cast<size_t>(last_page) * 528, 0xFF);
    for (int p = 1; p <= last_page; ++p)
      Fill(p, std::vector<uint8_t>(data.begin() + (p - 1) * 528, data.begin() + p * 528));
  }
  void Fill(int page, const std::vector<uint8_t>& bytes) {
    auto& values = link.pages[page];
    values.clear();
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) values.push_back(ReplyValueOf(&bytes[i]));
  }
  FakeMemoryLink link;
  FakeMemoryHost host;
  TSurfaceRecorder recorder{link, host};
  TLogSheet sheet;
};

TEST_F(SurfaceRecorderTest, CommandBytes) {
  recorder.Standby();
  recorder.SetDepthCoefficient(25);
  recorder.SetSpeedCoefficient(1.0);
  recorder.SetTension(1.0, 0.0);
  recorder.PassThrough(true);
  recorder.PassThrough(false);
  recorder.MainMode();
  recorder.SetClock({2026, 12, 9, 23, 59, 59, 900});
  EXPECT_EQ(link.sent,
            (std::vector<uint8_t>{0x10, 0x13, 25,   0x14, 0x7F, 0,    0,    0,    0x15, 0x7F,
                                  0,    0,    0,    0,    0,    0,    0,    0x12, 7,    0x12,
                                  0,    0x11, 0x03, 0x59, 0x59, 0x23, 0x04, 0x09, 0x12, 0x26}));
  EXPECT_THROW_MSG(recorder.SetDepthCoefficient(0), EMemoryToolError,
                   "Коэффициент глубины: число от 1 до 100");
  EXPECT_THROW_MSG(recorder.SetDepthCoefficient(101), EMemoryToolError,
                   "Коэффициент глубины: число от 1 до 100");
}

TEST_F(SurfaceRecorderTest, ReadOutIsALogOfItsOwn) {
  // The sheet holds an earlier depth run: its tracks, its tool and its conditions.
  sheet.NewTrack("DEPTH")->Append(5);
  sheet.NewTrack("TENSION")->Append(6);
  sheet.NewTrack("GK")->Append(7);
  sheet.Params().SetValue("Прибор", "ГК-НК №7");
  sheet.Comments().SetValue("Прибор", "ГК-НК №7");
  sheet.Comments().SetValue("Условия замера", "Скважина 12, спуск");
  SetRecording(Records({{1000, 300, false}, {1001, 301, true}, {1003, 302, false}}), 1, 12);
  link.status = EncodeSurfaceStatus({528, 8192, true, true, true, true, true});
  ASSERT_TRUE(recorder.Test());
  ASSERT_TRUE(recorder.ReadZeroPage());
  SurfaceReadout r = recorder.ReadData(sheet, {}, "Наземный №1");
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Message, "Данные считались.");
  EXPECT_EQ(r.Rows, 3);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(sheet.Argument(), laTime);
  EXPECT_EQ(sheet.Count(), 4);
  EXPECT_EQ(sheet.FindTrack("GK"), nullptr);
  EXPECT_EQ(sheet.Params().Value("Прибор"), "Наземный №1");
  EXPECT_EQ(sheet.Comments().Value("Прибор"), "Наземный №1");
  EXPECT_EQ(sheet.Comments().IndexOfName("Условия замера"), -1);
  TLogTrack* depth = sheet.FindTrack("DEPTH");
  ASSERT_NE(depth, nullptr);
  ASSERT_EQ(depth->Count(), 3);
  EXPECT_FLOAT_EQ(depth->Sample(2), 100.3f);
  EXPECT_EQ(depth->Step(), 1000);
  EXPECT_EQ(depth->Origin(), (10 * 60 + 30) * 60000);
  ASSERT_NE(sheet.FindTrack("MAG-LABEL"), nullptr);
  EXPECT_FLOAT_EQ(sheet.FindTrack("MAG-LABEL")->Sample(1), 1);
  EXPECT_FLOAT_EQ(sheet.FindTrack("TENSION")->Sample(0), 300);
  TLogTrack* speed = sheet.FindTrack("SPEED");
  ASSERT_NE(speed, nullptr);
  ASSERT_EQ(speed->Count(), 2);  // from the second record on, at its own second
  EXPECT_EQ(speed->Origin(), depth->Origin() + 1000);
  EXPECT_NEAR(speed->Sample(0), 360, 0.01);
  EXPECT_NEAR(speed->Sample(1), 720, 0.01);
  EXPECT_EQ(sheet.Params().Value("StartTime"), "09.12.2026");
  // The time range is that of the records, from 10:30 on.
  EXPECT_EQ(sheet.Start(), (10 * 60 + 30) * 60000);
}

TEST_F(SurfaceRecorderTest, APageIsAskedForAgainAndAStallKeepsTheRecordsBeforeIt) {
  std::vector<uint8_t> records;
  for (int i = 0; i < 200; ++i) {
    auto b = EncodeSurfaceRecord({i, 1, false});
    records.insert(records.end(), b.begin(), b.end());
  }
  // 88 records a page: pages 1 and 2 full, 24 records on page 3.
  SetRecording(records, 3, 6 * 23);
  link.status = EncodeSurfaceStatus({528, 8192, true, true, true, true, true});
  ASSERT_TRUE(recorder.Test());
  ASSERT_TRUE(recorder.ReadZeroPage());
  link.short_reads[2] = 1;  // page 2 comes short once
  SurfaceReadout r = recorder.ReadData(sheet);
  EXPECT_TRUE(r.Complete) << r.Message;
  EXPECT_EQ(r.Rows, 200);
  EXPECT_EQ(link.page_requests, (std::vector<int>{0, 1, 2, 2, 3}));

  sheet.Clear();
  link.short_reads[2] = TSurfaceRecorder::kPageAttempts;  // and never whole
  r = recorder.ReadData(sheet);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(r.Expected, 200);
  EXPECT_EQ(r.Rows, 88);
  EXPECT_EQ(r.Message, "Чтение прервано: считано замеров 88 из 200");
  ASSERT_EQ(sheet.FindTrack("DEPTH")->Count(), 88);
  EXPECT_FLOAT_EQ(sheet.FindTrack("DEPTH")->Sample(87), 8.7f);
  EXPECT_EQ(sheet.Comments().Count(), 1);
  EXPECT_EQ(recorder.State(), TSurfaceRecorder::kMainMode);
}

TEST_F(SurfaceRecorderTest, WithoutTheZeroPageItAsksAndReadsTheWholeMemory) {
  host.answer = false;
  SurfaceReadout r = recorder.ReadData(sheet);
  EXPECT_EQ(host.questions, std::vector<std::string>{TSurfaceRecorder::kNoZeroPageQuestion});
  EXPECT_EQ(r.Rows, 0);
  EXPECT_TRUE(link.sent.empty());
  host.answer = true;
  SetRecording(Records({{5, 1, false}}), 1, 0);
  link.pages.erase(0);
  r = recorder.ReadData(sheet);
  // Up to page 4095, page by page; the data end at the marker on page 1.
  EXPECT_EQ(link.sent, (std::vector<uint8_t>{0x06, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(r.Rows, 1);
  EXPECT_TRUE(r.EndMarker);
}

TEST_F(SurfaceRecorderTest, AZeroPageThatSaysTooMuchIsHeldToTheMemory) {
  // An erased zero page reads page 0xFFFF: never beyond the 16 pages the test gave.
  link.status = EncodeSurfaceStatus({528, 16, true, true, true, true, true});
  ASSERT_TRUE(recorder.Test());
  Fill(0, std::vector<uint8_t>(528, 0xFF));
  ASSERT_TRUE(recorder.ReadZeroPage());
  recorder.ReadData(sheet);
  EXPECT_EQ(link.page_requests.back(), 15);
}

TEST(SurfaceLiveDepth, MarkedValuesSetTheLastRowsOfExistingTracks) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* mark = sheet.NewTrack("MAG-LABEL");
  mark->Append(0);
  int32_t v = 12345;
  EXPECT_FALSE(TSurfaceRecorder::LiveDepth(v, sheet));  // below 100000: not for it
  EXPECT_EQ(v, 12345);
  v = (1 << 24) | 15000;
  // No "ZulDepth" track: only the mark is set, nothing is made.
  EXPECT_TRUE(TSurfaceRecorder::LiveDepth(v, sheet));
  EXPECT_EQ(v, 15000);
  EXPECT_FLOAT_EQ(mark->Sample(0), 1);
  EXPECT_EQ(sheet.FindTrack("ZulDepth"), nullptr);
  TLogTrack* zul = sheet.NewTrack("ZULDEPTH");  // as the channel names it
  zul->Append(0);
  v = (1 << 24) | 15000;
  EXPECT_TRUE(TSurfaceRecorder::LiveDepth(v, sheet));
  EXPECT_FLOAT_EQ(zul->Sample(0), 1500);
  TLogSheet empty;
  v = (1 << 24) | 15000;
  EXPECT_FALSE(TSurfaceRecorder::LiveDepth(v, empty));
}

}  // namespace
}  // namespace kest

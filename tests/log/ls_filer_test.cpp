#include "log/ls_filer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>

#include "log/component_stream.h"
#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "log/lzhuf_encoder.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// Little-endian pieces of a hand-built file.
std::string I32(int64_t v) {
  auto u = static_cast<uint32_t>(v);
  return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
          static_cast<char>(u >> 24)};
}
std::string F32(float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  return I32(u);
}
std::string Short(const std::string& s) { return static_cast<char>(s.size()) + s; }
std::string Binary(const std::string& bytes) {
  return "\x0A" + I32(static_cast<int64_t>(bytes.size())) + bytes;
}

// One track of a hand-built file; `payload` follows the count (samples or runs).
struct TrackBytes {
  std::string class_name = "TLogTrack";
  std::string step = std::string("\x02\x19", 2);  // value of "Step": 25
  int32_t version = 1;
  std::optional<uint32_t> checksum;  // default: that of `samples`
  std::vector<float> samples = {1.f, 2.f};
  std::optional<int32_t> count;
  std::optional<std::string> payload;
};

std::string TrackStream(const TrackBytes& t) {
  std::string payload;
  if (t.payload) {
    payload = *t.payload;
  } else {
    for (float v : t.samples) payload += F32(v);
  }
  std::string data =
      I32(t.version) +
      I32(t.checksum.value_or(TLogTrack::ChecksumOf(t.samples.data(), t.samples.size()))) +
      I32(t.count.value_or(static_cast<int32_t>(t.samples.size()))) + payload;
  return "TPF0" + Short(t.class_name) + Short("") + Short("Parameter") + "\x06" + Short("GK") +
         Short("Origin") + std::string("\x02\x00", 2) + Short("Step") + t.step + Short("Data") +
         Binary(data) + std::string(2, '\0');
}

struct FileBytes {
  std::vector<TrackBytes> tracks = {TrackBytes{}};
  std::optional<int64_t> track_count;
  int32_t data_version = 1;
  std::string extra_properties;  // after Argument
};

std::string LsFile(const FileBytes& f) {
  std::string data = I32(f.data_version) + I32(f.track_count.value_or(f.tracks.size()));
  for (const auto& t : f.tracks) data += TrackStream(t);
  return "LS01TPF0" + Short("TLogSheet") + Short("") + Short("Argument") + "\x07" +
         Short("laTime") + Short("Params.Strings") + "\x01" + "\x06" + Short("StartTime=1") + '\0' +
         f.extra_properties + Short("Data") + Binary(data) + std::string(2, '\0');
}

std::string Save(TLogSheet& sheet) {
  MemoryStream out;
  sheet.SaveToStream(out, "LS");
  return out.Text();
}

void Load(const std::string& bytes, TLogSheet& sheet) {
  MemoryStream in(bytes);
  sheet.LoadFromStream(in, "ls");
}

void ExpectSameSheet(const TLogSheet& a, const TLogSheet& b) {
  EXPECT_EQ(a.Argument(), b.Argument());
  EXPECT_EQ(a.Params(), b.Params());
  EXPECT_EQ(a.Comments(), b.Comments());
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    const TLogTrack& x = *a.Tracks(i);
    const TLogTrack& y = *b.Tracks(i);
    SCOPED_TRACE(x.Parameter());
    EXPECT_EQ(x.Parameter(), y.Parameter());
    EXPECT_EQ(x.Instance(), y.Instance());
    EXPECT_EQ(x.Origin(), y.Origin());
    EXPECT_EQ(x.Step(), y.Step());
    ASSERT_EQ(x.Count(), y.Count());
    if (x.Count() > 0) {
      EXPECT_EQ(std::memcmp(x.MeasuredSamples(), y.MeasuredSamples(), 4 * size_t(x.Count())), 0);
    }
  }
  EXPECT_EQ(a.Start(), b.Start());
  EXPECT_EQ(a.End(), b.End());
}

// Two GK instances (noisy and with NaNs), a run-length ПС with a signed zero inside
// a zero stretch, an empty track and one with a Cyrillic name, Cyrillic parameters.
void FillSheet(TLogSheet& sheet, TLogArgument argument) {
  sheet.SetArgument(argument);
  sheet.Params().Add("StartTime=2024-05-01 10:00:00");
  sheet.Params().Add("Прибор=ГК-4, ННК");
  sheet.Params().Add("Скважина=12");
  sheet.Params().Add("Скважина=12");
  sheet.Params().Add(std::string(300, 'A'));
  sheet.Comments().Add("Версия программы=1.4.0");
  auto add = [&](const char* name, int32_t origin, int32_t step, auto value, int count) {
    auto t = std::make_shared<TLogTrack>();
    t->SetArgument(argument);
    t->SetParameter(name);
    t->SetStep(step);
    t->SetOrigin(origin);
    for (int i = 0; i < count; ++i) t->Append(value(i));
    sheet.AddTrack(t);
  };
  add(
      "GK", 1000, 100, [](int i) { return std::sin(i * 0.37f) * 50.f; }, 3000);
  add(
      "PS", 1000, 100, [](int i) { return i % 3 ? float(i) : std::nanf(""); }, 500);
  add(
      "GK", 1200, 200, [](int i) { return float(i * i); }, 700);
  add(
      "ПС", 1000, 100, [](int i) { return i == 333  ? -0.f
                                          : i < 600 ? 0.f
                                                    : -999.25f; }, 2000);
  add(
      "NK", 1000, 100, [](int) { return 0.f; }, 0);
  add(
      "ГК2", 900, 50, [](int i) { return i < 10 ? 1.f : 2.f; }, 20);
  sheet.UpdateRange();
}

TEST(LSFiler, RoundTripIsExactAndASecondSaveIsByteForByteTheSame) {
  for (TLogArgument argument : {laDepth, laTime}) {
    SCOPED_TRACE(argument);
    TLogSheet sheet;
    FillSheet(sheet, argument);
    std::string first = Save(sheet);
    TLogSheet back;
    Load(first, back);
    ExpectSameSheet(sheet, back);
    EXPECT_EQ(back.FindTrack("GK", 1)->Instance(), 1);
    EXPECT_TRUE(Save(back) == first);
  }
}

TEST(LSFiler, WritesTheDocumentedLayout) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  sheet.Params().Add("StartTime=1");
  TLogTrack* t = sheet.NewTrack();
  t->SetParameter("GK");
  t->SetStep(25);
  t->Append(1.f);
  t->Append(2.f);
  EXPECT_TRUE(Save(sheet) == LsFile({}));
}

TEST(LSFiler, SheetWithoutTracksHasAnEightByteDataValue) {
  TLogSheet sheet;
  EXPECT_EQ(Save(sheet), "LS01TPF0" + Short("TLogSheet") + Short("") + Short("Argument") + "\x07" +
                             Short("laDepth") + Short("Data") + Binary(I32(1) + I32(0)) +
                             std::string(2, '\0'));
}

// The track data block of the first track in a saved file: version, checksum,
// count and what follows.
std::string FirstTrackData(const std::string& file) {
  size_t at = file.find(
      "\x04"
      "Data\x0A",
      file.find("TLogTrack"));
  uint32_t length;
  std::memcpy(&length, &file[at + 6], 4);
  return file.substr(at + 10, length);
}

// A sheet placed on a window names itself and writes its position after the comments;
// reading such a file takes the log and leaves the reading sheet's own placement.
TEST(LSFiler, APlacedSheetWritesItsNameAndPositionAndReadingKeepsTheReadersOwn) {
  TLogSheet sheet;
  sheet.SetPlace({"lsSave", std::pair{184, 208}});
  sheet.Comments().Add("C");
  const std::string bytes = Save(sheet);
  EXPECT_EQ(bytes, "LS01TPF0" + Short("TLogSheet") + Short("lsSave") + Short("Argument") + "\x07" +
                       Short("laDepth") + Short("Comments.Strings") + "\x01" +
                       Short("C").insert(0, "\x06") + std::string(1, '\0') + Short("Left") +
                       "\x03" + std::string("\xB8\x00", 2) + Short("Top") + "\x03" +
                       std::string("\xD0\x00", 2) + Short("Data") + Binary(I32(1) + I32(0)) +
                       std::string(2, '\0'));
  TLogSheet other;
  other.SetPlace({"other", std::nullopt});
  Load(bytes, other);
  EXPECT_EQ(other.Place().name, "other");
  EXPECT_FALSE(other.Place().position);
  EXPECT_EQ(other.Comments().Count(), 1);
}

TEST(LSFiler, RunLengthCodingIsChosenWhenItSavesMoreThanATenth) {
  struct Case {
    const char* name;
    std::vector<float> samples;
    int32_t version;
    std::string runs;  // expected run list of version 2
  };
  std::vector<float> eleven_in_eight = {5, 5, 5, 5, 1, 2, 3, 4, 6, 7, 8};  // 44 / 40 = 1.1
  std::vector<float> twelve_in_eight = {5, 5, 5, 5, 5, 1, 2, 3, 4, 6, 7, 8};
  std::vector<float> distinct(100);
  for (int i = 0; i < 100; ++i) distinct[size_t(i)] = float(i);
  const Case cases[] = {
      {"1000 equal samples", std::vector<float>(1000, 3.f), 2,
       I32(4) + "\xFF" + F32(3) + "\xFF" + F32(3) + "\xFF" + F32(3) + "\xEB" + F32(3)},
      {"all different", distinct, 1, ""},
      {"ratio exactly 1.1", eleven_in_eight, 1, ""},
      {"ratio 1.2", twelve_in_eight, 2, ""},
      {"empty", {}, 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLogSheet sheet;
    TLogTrack* t = sheet.NewTrack();
    for (float v : c.samples) t->Append(v);
    std::string data = FirstTrackData(Save(sheet));
    EXPECT_EQ(data.substr(0, 4), I32(c.version));
    EXPECT_EQ(data.substr(4, 4), I32(TLogTrack::ChecksumOf(c.samples.data(), c.samples.size())));
    EXPECT_EQ(data.substr(8, 4), I32(static_cast<int64_t>(c.samples.size())));
    if (!c.runs.empty()) {
      EXPECT_EQ(data.substr(12), c.runs);
    }
    if (c.version == 1) {
      EXPECT_EQ(data.size(), 12 + 4 * c.samples.size());
    }
  }
}

TEST(LSFiler, SignedZeroInsideAZeroRunSurvives) {
  TLogSheet sheet;
  TLogTrack* t = sheet.NewTrack();
  for (int i = 0; i < 100; ++i) t->Append(i == 50 ? -0.f : 0.f);
  TLogSheet back;
  Load(Save(sheet), back);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_TRUE(std::signbit(back.Tracks(0)->Sample(50)));
  EXPECT_FALSE(std::signbit(back.Tracks(0)->Sample(49)));
}

TEST(LSFiler, ForeignTracksAreRemovedAndChecksumsRecomputedBeforeWriting) {
  TLogSheet sheet;
  TLogTrack* own = sheet.NewTrack();
  own->SetParameter("GK");
  own->Append(1.f);
  own->SetChecksum(12345);
  TLogTrack* foreign = sheet.NewTrack();
  foreign->SetParameter("GK (OLD.LS)");
  foreign->SetForeign(true);
  std::string file = Save(sheet);
  EXPECT_EQ(sheet.Count(), 1);
  EXPECT_EQ(own->Checksum(), own->ComputeChecksum());
  TLogSheet back;
  Load(file, back);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Tracks(0)->Parameter(), "GK");
}

TEST(LSFiler, DescendingTracksAreWrittenInArgumentOrder) {
  TLogSheet sheet;
  TLogTrack* t = sheet.NewTrack();
  t->SetAscending(false);
  t->SetStep(10);
  t->SetOrigin(100000);
  for (int i = 0; i < 3 * TLogTrack::kGrowth + 5; ++i) t->Append(float(i));
  TLogSheet back;
  Load(Save(sheet), back);
  ASSERT_EQ(back.Count(), 1);
  const TLogTrack& b = *back.Tracks(0);
  EXPECT_EQ(b.Origin(), t->Origin());
  ASSERT_EQ(b.Count(), t->Count());
  EXPECT_EQ(b.Sample(0), float(3 * TLogTrack::kGrowth + 4));
  EXPECT_EQ(b.Sample(b.Count() - 1), 0.f);
}

TEST(LSFiler, DifferentialViewDoesNotChangeWhatIsWritten) {
  TLogSheet sheet;
  TLogTrack* t = sheet.NewTrack();
  for (float v : {1.f, 4.f, 2.f}) t->Append(v);
  t->SetDifferential(true);
  TLogSheet back;
  Load(Save(sheet), back);
  EXPECT_EQ(back.Tracks(0)->Sample(1), 4.f);
}

TEST(LSFiler, ReadsOptionalSheetPropertiesAndIgnoresUnknownDataVersions) {
  FileBytes layout;
  layout.extra_properties = Short("Enabled") + "\x08" + Short("ReadOnly") + "\x09" + Short("Left") +
                            std::string("\x03\xB8\x00", 3) + Short("Top") +
                            std::string("\x03\xD0\x00", 3) + Short("Tag") + "\x02\x07";
  TLogSheet sheet;
  Load(LsFile(layout), sheet);
  EXPECT_FALSE(sheet.Enabled());
  EXPECT_TRUE(sheet.ReadOnly());
  EXPECT_EQ(sheet.Tag(), 7);
  EXPECT_EQ(sheet.Argument(), laTime);
  ASSERT_EQ(sheet.Count(), 1);
  EXPECT_EQ(sheet.Tracks(0)->Argument(), laTime);
  EXPECT_EQ(sheet.End(), 25);

  layout = {};
  layout.data_version = 2;
  TLogSheet later;
  Load(LsFile(layout), later);
  EXPECT_EQ(later.Count(), 0);
  EXPECT_EQ(later.Params().Value("StartTime"), "1");
}

TEST(LSFiler, ParamsAndCommentsHoldOnlyWhatTheFileHas) {
  TLogSheet sheet;
  sheet.Params().Add("Old=1");
  sheet.Comments().Add("Old=2");
  TLogSheet empty;
  Load(Save(empty), sheet);
  EXPECT_TRUE(sheet.Params().Empty());
  EXPECT_TRUE(sheet.Comments().Empty());
}

TEST(LSFiler, CompressedVersionLoadsLikeThePlainOne) {
  TLogSheet sheet;
  FillSheet(sheet, laDepth);
  std::string plain = Save(sheet);
  std::vector<uint8_t> stream(plain.begin() + 4, plain.end());
  auto encoded = testing::LzhufEncode(stream).bytes;
  std::string compressed = "LS04" + std::string(encoded.begin(), encoded.end());
  ASSERT_LT(compressed.size(), plain.size());

  TLogSheet back;
  std::vector<int> seen;
  back.OnProgress = [&](TLogSheet&, int p) { seen.push_back(p); };
  Load(compressed, back);
  ExpectSameSheet(sheet, back);
  EXPECT_TRUE(Save(back) == plain);
  EXPECT_GT(seen.size(), 20u);
  EXPECT_EQ(seen.back(), 100);
}

TEST(LSFiler, DamagedCompressedFileLeavesAnEmptySheet) {
  TLogSheet sheet;
  FillSheet(sheet, laDepth);
  std::string plain = Save(sheet);
  auto encoded = testing::LzhufEncode({plain.begin() + 4, plain.end()}).bytes;
  encoded.resize(encoded.size() * 2 / 3);
  TLogSheet back;
  EXPECT_THROW_MSG(Load("LS04" + std::string(encoded.begin(), encoded.end()), back), ELogTrackError,
                   "Файл поврежден");
  EXPECT_EQ(back.Count(), 0);
  EXPECT_TRUE(back.Params().Empty());
}

// Each damaged file fails with its class and message and leaves the sheet empty.
TEST(LSFiler, DamagedFilesFailWithTheirMessage) {
  const std::string kDamaged = kFileDamaged;
  auto with_track = [](auto change) {
    FileBytes f;
    change(f.tracks[0]);
    return LsFile(f);
  };
  auto runs = [](std::initializer_list<int> lengths) {
    std::string s = I32(static_cast<int64_t>(lengths.size()));
    for (int n : lengths) s += static_cast<char>(n) + F32(1.f);
    return s;
  };
  std::string valid = LsFile({});
  std::string flipped = valid;
  flipped[flipped.rfind(F32(2.f)) + 1] ^= 0x10;
  FileBytes negative_tracks, many_tracks;
  negative_tracks.track_count = -1;
  many_tracks.track_count = 1000000;
  FileBytes unknown;
  unknown.extra_properties = Short("Color") + "\x02\x01";

  struct Case {
    const char* name;
    std::string bytes;
    const char* error_class;
    std::string message;
  };
  const Case cases[] = {
      {"not LS", "XS01" + valid.substr(4), "ELSFilerError", "Неверный файл - сигнатура не найдена"},
      {"one byte", "L", "ELSFilerError", "Неверный файл - сигнатура не найдена"},
      {"version 0A", "LS0A" + valid.substr(4), "ELSFilerError", "Неверный формат файла"},
      {"version 02", "LS02" + valid.substr(4), "ELSFilerError",
       "Формат LS версии 2 не поддерживается"},
      {"track data version 3", with_track([](TrackBytes& t) { t.version = 3; }), "ELogTrackError",
       "LogTrack v3 is not supported"},
      {"step 0", with_track([](TrackBytes& t) { t.step = std::string("\x02\x00", 2); }),
       "ELogTrackError", "Шаг кривой < 1mm (ms)"},
      {"negative step", with_track([](TrackBytes& t) { t.step = "\x02\xFF"; }), "ELogTrackError",
       "Шаг кривой < 1mm (ms)"},
      {"flipped sample byte", flipped, "ELogTrackError", kDamaged},
      {"runs exceed the count", with_track([&](TrackBytes& t) {
         t.version = 2, t.samples = {1, 1, 1}, t.payload = runs({2, 2});
       }),
       "ELogTrackError", kDamaged},
      {"runs fall short of the count", with_track([&](TrackBytes& t) {
         t.version = 2, t.samples = {1, 1, 1}, t.payload = runs({2});
       }),
       "ELogTrackError", kDamaged},
      {"run count beyond the data", with_track([&](TrackBytes& t) {
         t.version = 2, t.samples = {1, 1}, t.payload = I32(1000000) + runs({2}).substr(4);
       }),
       "ELogTrackError", kDamaged},
      {"negative sample count", with_track([](TrackBytes& t) { t.count = -5; }), "ELogTrackError",
       kDamaged},
      {"sample count beyond the data", with_track([](TrackBytes& t) { t.count = 400000000; }),
       "ELogTrackError", kDamaged},
      {"negative track count", LsFile(negative_tracks), "ELSFilerError", kDamaged},
      {"track count beyond the data", LsFile(many_tracks), "ELSFilerError", kDamaged},
      {"wrong class", with_track([](TrackBytes& t) { t.class_name = "TLogSheet"; }),
       "EComponentStreamError",
       "Повреждённый поток компонента: ожидался TLogTrack, найден \"TLogSheet\" (смещение 98)"},
      {"unknown property", LsFile(unknown), "EComponentStreamError",
       "Повреждённый поток компонента: неизвестное свойство \"Color\" у TLogSheet (смещение 72)"},
      {"truncated", valid.substr(0, valid.size() - 12), "EComponentStreamError",
       "Повреждённый поток компонента: длина 85 больше оставшихся 75 байт (смещение 76)"},
      {"header only", "LS01", "EComponentStreamError",
       "Повреждённый поток компонента: данные кончились раньше времени (смещение 4)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLogSheet sheet;
    FillSheet(sheet, laDepth);
    EXPECT_THROW_NAMED(Load(c.bytes, sheet), c.error_class, c.message);
    EXPECT_EQ(sheet.Count(), 0);
    EXPECT_TRUE(sheet.Params().Empty());
    EXPECT_TRUE(sheet.Comments().Empty());
  }
}

TEST(LSFiler, SavesAndLoadsThroughFiles) {
  testing::TempDir dir;
  std::string path = dir.File("001.ls");
  TLogSheet sheet;
  FillSheet(sheet, laDepth);
  sheet.SaveToFile(path, FileFormatName(path));
  TLogSheet back;
  back.LoadFromFile(path, FileFormatName(path));
  ExpectSameSheet(sheet, back);
}

TEST(LSFiler, IsRegisteredFirstAmongReadersAndWriters) {
  EXPECT_EQ(ReaderFilers().Items(0).FormatName, "LS");
  EXPECT_EQ(WriterFilers().Items(0).FormatName, "LS");
}

}  // namespace
}  // namespace kest

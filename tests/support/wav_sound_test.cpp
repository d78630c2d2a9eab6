// The label sound's reader: what sound cards take, files cut short by a recorder,
// chunks it must step over, and files it must refuse without reading past the end.
#include "support/wav_sound.h"

#include <gtest/gtest.h>

#include <string>

namespace kest {
namespace {

WavSound Tone() {
  WavSound s;
  s.Rate = 22050;
  s.Channels = 2;
  s.Bits = 16;
  for (int i = 0; i < 40; ++i) s.Data.push_back(static_cast<uint8_t>(i * 7));
  return s;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(WavSound, ReadsWhatItWritesAndStepsOverOtherChunks) {
  const WavSound tone = Tone();
  std::vector<uint8_t> file = WriteWav(tone);
  WavSound back = ReadWav(file);
  EXPECT_EQ(back.Rate, 22050u);
  EXPECT_EQ(back.Channels, 2);
  EXPECT_EQ(back.Bits, 16);
  EXPECT_EQ(back.Data, tone.Data);
  EXPECT_EQ(back.Frames(), 10u);

  // A "LIST" chunk of odd size (padded) between "fmt " and "data".
  std::vector<uint8_t> listed(file.begin(), file.begin() + 36);
  for (uint8_t b : Bytes(std::string("LIST\x03\0\0\0abc\0", 12))) listed.push_back(b);
  listed.insert(listed.end(), file.begin() + 36, file.end());
  EXPECT_EQ(ReadWav(listed).Data, tone.Data);
}

TEST(WavSound, ADataChunkLongerThanTheFileIsCutToTheWholeFramesPresent) {
  std::vector<uint8_t> file = WriteWav(Tone());
  file.resize(file.size() - 5);  // 35 of 40 bytes: 8 whole frames of 4 bytes
  EXPECT_EQ(ReadWav(file).Data.size(), 32u);
}

TEST(WavSound, RefusesWhatCannotBePlayed) {
  const std::vector<uint8_t> good = WriteWav(Tone());
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  auto spoil = [&](size_t at, std::vector<uint8_t> with) {
    std::vector<uint8_t> b = good;
    std::copy(with.begin(), with.end(), b.begin() + static_cast<long>(at));
    return b;
  };
  const std::vector<Case> cases = {
      {"empty", {}},
      {"not RIFF", spoil(0, Bytes("RIFX"))},
      {"not WAVE", spoil(8, Bytes("AVI "))},
      {"compressed", spoil(20, {2, 0})},
      {"24-bit", spoil(34, {24, 0})},
      {"no channels", spoil(22, {0, 0})},
      {"rate 0", spoil(24, {0, 0, 0, 0})},
      {"short fmt", spoil(16, {8, 0, 0, 0})},
      {"data before fmt", spoil(12, Bytes("data"))},
      {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36)},
      {"chunk size past the end", spoil(16, {0xFF, 0xFF, 0xFF, 0xFF})},
  };
  for (const Case& c : cases) EXPECT_THROW(ReadWav(c.bytes), EWavError) << c.what;
}

}  // namespace
}  // namespace kest

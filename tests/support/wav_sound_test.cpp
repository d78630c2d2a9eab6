// The label sound's reader: what sound cards take, files cut short by a recorder,
// chunks it must step over, and files it must refuse without reading past the end.
#include "support/wav_sound.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support/expect_throw_msg.h"

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

// Each row hits a different check of the reader, with the text the diagnostic log gets.
TEST(WavSound, RefusesWhatCannotBePlayed) {
  const std::vector<uint8_t> good = WriteWav(Tone());
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  };
  auto spoil = [&](size_t at, std::vector<uint8_t> with) {
    std::vector<uint8_t> b = good;
    std::copy(with.begin(), with.end(), b.begin() + static_cast<long>(at));
    return b;
  };
  const char* kNotWav = "Файл звука не в формате WAV";
  const char* kUnsupported = "Файл звука: неподдерживаемый формат";
  const char* kNoSound = "Файл звука не содержит звука";
  // The header and a chunk of `size` bytes that the file does not hold.
  std::vector<uint8_t> huge_list(good.begin(), good.begin() + 12);
  for (uint8_t b : Bytes("LIST\xF0\xFF\xFF\xFF")) huge_list.push_back(b);
  huge_list.insert(huge_list.end(), good.begin() + 12, good.end());
  const std::vector<Case> cases = {
      {"empty", {}, kNotWav},
      {"11 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 11), kNotWav},
      {"not RIFF", spoil(0, Bytes("RIFX")), kNotWav},
      {"not WAVE", spoil(8, Bytes("AVI ")), kNotWav},
      {"compressed", spoil(20, {2, 0}), "Файл звука сжат: нужен WAV без сжатия (PCM)"},
      {"24-bit", spoil(34, {24, 0}), kUnsupported},
      {"no channels", spoil(22, {0, 0}), kUnsupported},
      {"9 channels", spoil(22, {9, 0}), kUnsupported},
      {"rate 0", spoil(24, {0, 0, 0, 0}), kUnsupported},
      {"rate 384001", spoil(24, {0x01, 0xDC, 0x05, 0}), kUnsupported},
      {"short fmt", spoil(16, {8, 0, 0, 0}), "Файл звука повреждён: короткое описание формата"},
      {"fmt cut short by the end", std::vector<uint8_t>(good.begin(), good.begin() + 30),
       "Файл звука повреждён: короткое описание формата"},
      {"data before fmt", spoil(12, Bytes("data")),
       "Файл звука повреждён: данные до описания формата"},
      {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36), kNoSound},
      {"fmt size past the end", spoil(16, {0xFF, 0xFF, 0xFF, 0xFF}), kNoSound},
      {"a chunk size that wraps the position", huge_list, kNoSound},
  };
  for (const Case& c : cases) EXPECT_THROW_MSG(ReadWav(c.bytes), EWavError, c.message) << c.what;
}

}  // namespace
}  // namespace kest

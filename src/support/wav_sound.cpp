#include "support/wav_sound.h"

#include <algorithm>

namespace kest {
namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

bool Tag(const uint8_t* p, const char* tag) { return std::equal(p, p + 4, tag); }

}  // namespace

// RIFF header, then chunks of an 8-byte head and an even-padded body:
//   | 0  | "RIFF" | 4 | size | 8 | "WAVE" |
//   | +0 | chunk id (4) | +4 | body size (4) | +8 | body |
// "fmt " body: format tag 1 (PCM), channels, rate, byte rate, block align, bits.
WavSound ReadWav(std::span<const uint8_t> bytes) {
  if (bytes.size() < 12 || !Tag(bytes.data(), "RIFF") || !Tag(bytes.data() + 8, "WAVE"))
    throw EWavError("Файл звука не в формате WAV");
  WavSound sound;
  bool have_format = false;
  size_t at = 12;
  while (bytes.size() - at >= 8) {
    const uint8_t* head = bytes.data() + at;
    const uint64_t size = U32(head + 4);
    at += 8;
    const uint64_t present = std::min<uint64_t>(size, bytes.size() - at);
    if (Tag(head, "fmt ")) {
      if (present < 16) throw EWavError("Файл звука повреждён: короткое описание формата");
      const uint8_t* f = bytes.data() + at;
      const uint16_t format = U16(f), channels = U16(f + 2), bits = U16(f + 14);
      const uint32_t rate = U32(f + 4);
      if (format != 1) throw EWavError("Файл звука сжат: нужен WAV без сжатия (PCM)");
      if (channels < 1 || channels > 8 || (bits != 8 && bits != 16) || rate < 1000 || rate > 384000)
        throw EWavError("Файл звука: неподдерживаемый формат");
      sound.Rate = rate;
      sound.Channels = channels;
      sound.Bits = bits;
      have_format = true;
    } else if (Tag(head, "data")) {
      if (!have_format) throw EWavError("Файл звука повреждён: данные до описания формата");
      const size_t frame = size_t{sound.Channels} * (sound.Bits / 8u);
      const size_t whole = static_cast<size_t>(present) / frame * frame;
      sound.Data.assign(bytes.data() + at, bytes.data() + at + whole);
      return sound;
    }
    if (present < size) break;
    at += static_cast<size_t>(size + (size & 1));
    if (at > bytes.size()) break;
  }
  throw EWavError("Файл звука не содержит звука");
}

std::vector<uint8_t> WriteWav(const WavSound& sound) {
  std::vector<uint8_t> out;
  const auto data_size = static_cast<uint32_t>(sound.Data.size());
  const auto align = static_cast<uint16_t>(sound.Channels * (sound.Bits / 8));
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  Put32(out, 36 + data_size + (data_size & 1));
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, sound.Channels);
  Put32(out, sound.Rate);
  Put32(out, sound.Rate * align);
  Put16(out, align);
  Put16(out, sound.Bits);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put32(out, data_size);
  out.insert(out.end(), sound.Data.begin(), sound.Data.end());
  if (data_size & 1) out.push_back(0);
  return out;
}

}  // namespace kest

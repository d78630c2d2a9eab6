#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "support/errors.h"

namespace kest {

// A sound file that cannot be played: not RIFF/WAVE, not plain PCM, or damaged.
KEST_DECLARE_ERROR(EWavError, EKestError);

// Plain PCM samples as a sound card takes them: interleaved frames of 8-bit unsigned
// or 16-bit little-endian signed samples.
struct WavSound {
  uint32_t Rate = 0;      // frames per second, 1000..384000
  uint16_t Channels = 0;  // 1..8
  uint16_t Bits = 0;      // 8 or 16
  std::vector<uint8_t> Data;

  size_t Frames() const {
    return Channels == 0 ? 0 : Data.size() / (size_t{Channels} * (Bits / 8u));
  }
};

// Reads a RIFF WAVE file held in memory. Chunks other than "fmt " and "data" are
// skipped; a "data" chunk longer than the file (as written by recorders that stopped
// early) is cut to the bytes present, and to whole frames. Raises EWavError.
WavSound ReadWav(std::span<const uint8_t> bytes);

// A RIFF WAVE file of the sound (the shipped label sound is made this way).
std::vector<uint8_t> WriteWav(const WavSound& sound);

}  // namespace kest

// The label sound's reader: any bytes, never a read past them, frames always whole.
#include "fuzz_common.h"
#include "support/wav_sound.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Guarded([&] {
    WavSound sound = ReadWav(std::span<const uint8_t>(data, size));
    fuzz::Require(sound.Data.size() <= size, "samples come from the input");
    fuzz::Require(sound.Data.size() % (sound.Channels * (sound.Bits / 8u)) == 0, "whole frames");
    fuzz::Require(ReadWav(WriteWav(sound)).Data == sound.Data, "written back the same");
  });
  return 0;
}

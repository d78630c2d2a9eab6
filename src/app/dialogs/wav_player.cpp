#include "app/dialogs/wav_player.h"

#include <filesystem>
#include <memory>

#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "support/wav_sound.h"

#ifdef KEST_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace kest {
namespace {

#ifdef KEST_HAVE_ALSA
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

struct ClosePcm {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
// An open playback device, closed when its owner goes.
using Pcm = std::unique_ptr<snd_pcm_t, ClosePcm>;

// The default playback device set up for the sound, or null when there is none.
Pcm OpenDevice(const WavSound& sound) {
  snd_pcm_t* opened = nullptr;
  // Opened without waiting (a device held by another program must not stall the
  // caller, which is the window's thread), then written in blocking mode on the worker.
  if (snd_pcm_open(&opened, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
    return nullptr;
  Pcm pcm(opened);
  snd_pcm_nonblock(opened, 0);
  const snd_pcm_format_t format = sound.Bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(opened, format, SND_PCM_ACCESS_RW_INTERLEAVED, sound.Channels, sound.Rate,
                         1, 250000) < 0)
    return nullptr;
  return pcm;
}

void PlayOn(Pcm device, const WavSound& sound) {
  snd_pcm_t* pcm = device.get();
  const size_t frame = size_t{sound.Channels} * (sound.Bits / 8u);
  size_t done = 0;
  const size_t frames = sound.Frames();
  while (done < frames) {
    snd_pcm_sframes_t n = snd_pcm_writei(pcm, sound.Data.data() + done * frame, frames - done);
    if (n < 0) n = snd_pcm_recover(pcm, static_cast<int>(n), 1);
    if (n < 0) break;
    done += static_cast<size_t>(n);
  }
  snd_pcm_drain(pcm);
}
#endif

}  // namespace

WavPlayer::WavPlayer(std::function<void()> bell) : bell_(std::move(bell)) {
#ifdef KEST_HAVE_ALSA
  // ALSA reports a missing device on stderr as well; the bell says enough.
  snd_lib_error_set_handler(QuietAlsa);
#endif
}

WavPlayer::~WavPlayer() = default;  // the worker is joined

const WavSound* WavPlayer::Load(const std::string& path) {
  auto found = sounds_.find(path);
  if (found == sounds_.end()) {
    std::shared_ptr<const WavSound> sound;
    try {
      sound = std::make_shared<const WavSound>(ReadWav(ReadWholeFile(path)));
    } catch (const EKestError& e) {
      Diag().Error(path + ": " + e.what());
    }
    found = sounds_.emplace(path, std::move(sound)).first;
  }
  return found->second.get();
}

void WavPlayer::Play(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return;
  if (playing_) return;
  const WavSound* sound = Load(path);
#ifdef KEST_HAVE_ALSA
  Pcm pcm = sound && sound->Frames() > 0 ? OpenDevice(*sound) : nullptr;
  if (pcm) {
    std::shared_ptr<const WavSound> keep = sounds_[path];
    playing_ = true;
    worker_ = std::jthread([this, pcm = std::move(pcm), keep]() mutable {
      PlayOn(std::move(pcm), *keep);
      playing_ = false;
    });
    return;
  }
#else
  (void)sound;
#endif
  if (bell_) bell_();
}

}  // namespace kest

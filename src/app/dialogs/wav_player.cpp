#include "app/dialogs/wav_player.h"

#include <filesystem>

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

// The default playback device set up for the sound, or null when there is none.
snd_pcm_t* OpenDevice(const WavSound& sound) {
  snd_pcm_t* pcm = nullptr;
  // Opened without waiting (a device held by another program must not stall the
  // caller, which is the window's thread), then written in blocking mode on the worker.
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
  snd_pcm_nonblock(pcm, 0);
  const snd_pcm_format_t format = sound.Bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, sound.Channels, sound.Rate, 1,
                         250000) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

void PlayOn(snd_pcm_t* pcm, const WavSound& sound) {
  const size_t frame = sound.Channels * (sound.Bits / 8u);
  size_t done = 0;
  const size_t frames = sound.Frames();
  while (done < frames) {
    snd_pcm_sframes_t n = snd_pcm_writei(pcm, sound.Data.data() + done * frame, frames - done);
    if (n < 0) n = snd_pcm_recover(pcm, static_cast<int>(n), 1);
    if (n < 0) break;
    done += static_cast<size_t>(n);
  }
  snd_pcm_drain(pcm);
  snd_pcm_close(pcm);
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
  snd_pcm_t* pcm = sound && sound->Frames() > 0 ? OpenDevice(*sound) : nullptr;
  if (pcm) {
    playing_ = true;
    std::shared_ptr<const WavSound> keep = sounds_[path];
    worker_ = std::jthread([this, pcm, keep] {
      PlayOn(pcm, *keep);
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

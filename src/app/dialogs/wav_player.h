#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace kest {

struct WavSound;

// Plays WAV files on the default sound device, one at a time, each on a worker thread
// so that the caller never waits for the sound. A file that cannot be read, or a
// machine without a sound device, sounds `bell` instead (on the calling thread).
// A sound asked for while one is playing is dropped: labels come faster than a
// second only when something is wrong, and the indicator shows them anyway.
class WavPlayer {
 public:
  explicit WavPlayer(std::function<void()> bell);
  ~WavPlayer();
  WavPlayer(const WavPlayer&) = delete;
  WavPlayer& operator=(const WavPlayer&) = delete;

  void Play(const std::string& path);

 private:
  const WavSound* Load(const std::string& path);

  std::function<void()> bell_;
  std::map<std::string, std::shared_ptr<const WavSound>> sounds_;  // read once per path
  std::atomic<bool> playing_{false};
  std::jthread worker_;
};

}  // namespace kest

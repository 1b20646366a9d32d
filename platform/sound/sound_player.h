// Plays sound files through the PulseAudio server (or anything speaking its protocol), each on
// a thread of its own, so the one user-interface thread never waits on the sound server.
// No connection is kept while nothing plays: an idle program costs the server nothing and
// does not notice the server restarting. The player never starts a server.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct pa_threaded_mainloop;

namespace platform {

class SoundFile;

// Play and Stop are for one thread, the one that owns the player.
class SoundPlayer {
 public:
  SoundPlayer() = default;
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Stops what plays, then plays the file: once, or over and over until stopped. False (and
  // silence) when the file cannot be decoded. Without a sound server the sound is silently
  // dropped: that is not the caller's failure.
  bool Play(const std::string& path, bool loop);
  // Stops the sound at once, dropping what the server still holds of it, and returns once
  // the connection to the server is closed.
  void Stop();
  // Waits up to `timeout` for the sound to end by itself (played to its end, or dropped for
  // want of a server); true once nothing plays.
  bool WaitUntilSilent(std::chrono::milliseconds timeout);

 private:
  void Run(std::unique_ptr<SoundFile> sound, bool loop, const std::string& name);
  void Stream(SoundFile& sound, bool loop, const std::string& name);
  // The client library's loop of the sound playing now, or null. Stop wakes the player's
  // thread through it.
  void SetMainLoop(pa_threaded_mainloop* loop);

  // Read by the player's thread under the client loop's lock, so it is no member of the
  // mutex's state: taking the mutex there could deadlock against Stop.
  std::atomic<bool> stopRequested_{false};
  std::mutex mutex_;  // guards playing_ and mainLoop_
  std::condition_variable changed_;
  bool playing_ = false;
  pa_threaded_mainloop* mainLoop_ = nullptr;
  std::thread thread_;
};

}  // namespace platform

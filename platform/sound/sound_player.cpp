#include "platform/sound/sound_player.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/sound/sound_file.h"
#include "platform/sound/sound_libraries.h"

// The client library's asynchronous interface rather than its simple one: a write of the
// simple one may block for seconds while a sink starts (PulseAudio's null sink takes about
// two), and nothing can interrupt it. Here the player's thread waits on the client loop's
// condition, which the server's requests for data and a stop both signal, so a stop is
// heard at once.

namespace platform {
namespace {

// Loaded by the SoundFile that every sound starts from, before anything here runs.
const SoundLibraries& Sound() { return *LoadSoundLibraries(); }

// The most written at a time, so the sample buffer stays small.
constexpr pa_usec_t kChunkUsec = 50'000;
// What the server is asked to hold ahead of the speaker: short, so that little is left to
// drop at a stop, long enough that a busy machine does not break the sound up.
constexpr pa_usec_t kServerBufferUsec = 200'000;

// Every callback only wakes the player's thread, which looks at the states itself.
void WakeContext(pa_context*, void* loop) { Sound().pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
void WakeStream(pa_stream*, void* loop) { Sound().pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
void WakeWritable(pa_stream*, size_t, void* loop) { Sound().pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
void WakeDone(pa_stream*, int, void* loop) { Sound().pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

}  // namespace

SoundPlayer::~SoundPlayer() { Stop(); }

bool SoundPlayer::Play(const std::string& path, bool loop) {
  Stop();
  std::unique_ptr<SoundFile> sound = SoundFile::Open(path);
  if (!sound) return false;
  stopRequested_ = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    playing_ = true;
  }
  const std::string name = std::filesystem::path(path).filename().string();
  thread_ = std::thread(&SoundPlayer::Run, this, std::move(sound), loop, name);
  return true;
}

void SoundPlayer::Stop() {
  if (!thread_.joinable()) return;
  stopRequested_ = true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (mainLoop_) {
      Sound().pa_threaded_mainloop_lock(mainLoop_);
      Sound().pa_threaded_mainloop_signal(mainLoop_, 0);
      Sound().pa_threaded_mainloop_unlock(mainLoop_);
    }
  }
  thread_.join();
}

bool SoundPlayer::WaitUntilSilent(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return !playing_; });
}

void SoundPlayer::SetMainLoop(pa_threaded_mainloop* loop) {
  std::lock_guard<std::mutex> lock(mutex_);
  mainLoop_ = loop;
}

void SoundPlayer::Run(std::unique_ptr<SoundFile> sound, bool loop, const std::string& name) {
  Stream(*sound, loop, name);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    playing_ = false;
  }
  changed_.notify_all();
}

void SoundPlayer::Stream(SoundFile& sound, bool loop, const std::string& name) {
  pa_threaded_mainloop* mainLoop = Sound().pa_threaded_mainloop_new();
  if (!mainLoop) return;
  // A null name lets the client library name the program after its executable.
  pa_context* context = Sound().pa_context_new(Sound().pa_threaded_mainloop_get_api(mainLoop), nullptr);
  if (!context) {
    Sound().pa_threaded_mainloop_free(mainLoop);
    return;
  }
  Sound().pa_context_set_state_callback(context, WakeContext, mainLoop);
  // Without a server the sound is lost without a word, and no server is started for it.
  if (Sound().pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      Sound().pa_threaded_mainloop_start(mainLoop) < 0) {
    Sound().pa_context_unref(context);
    Sound().pa_threaded_mainloop_free(mainLoop);
    return;
  }
  SetMainLoop(mainLoop);
  Sound().pa_threaded_mainloop_lock(mainLoop);

  pa_stream* stream = nullptr;
  auto contextGood = [&] { return PA_CONTEXT_IS_GOOD(Sound().pa_context_get_state(context)); };
  auto streamGood = [&] { return PA_STREAM_IS_GOOD(Sound().pa_stream_get_state(stream)); };
  while (!stopRequested_ && contextGood() && Sound().pa_context_get_state(context) != PA_CONTEXT_READY) {
    Sound().pa_threaded_mainloop_wait(mainLoop);
  }
  pa_sample_spec spec{};
  spec.format = PA_SAMPLE_S16NE;
  spec.rate = static_cast<std::uint32_t>(sound.Rate());
  spec.channels = static_cast<std::uint8_t>(sound.Channels());
  if (!stopRequested_ && Sound().pa_context_get_state(context) == PA_CONTEXT_READY) {
    stream = Sound().pa_stream_new(context, name.c_str(), &spec, nullptr);
  }
  if (stream) {
    Sound().pa_stream_set_state_callback(stream, WakeStream, mainLoop);
    Sound().pa_stream_set_write_callback(stream, WakeWritable, mainLoop);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(Sound().pa_usec_to_bytes(kServerBufferUsec, &spec));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    if (Sound().pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
      Sound().pa_stream_unref(stream);
      stream = nullptr;
    }
  }
  if (stream) {
    while (!stopRequested_ && streamGood() && Sound().pa_stream_get_state(stream) != PA_STREAM_READY) {
      Sound().pa_threaded_mainloop_wait(mainLoop);
    }
    const size_t frameSize = Sound().pa_frame_size(&spec);
    const size_t chunkFrames = Sound().pa_usec_to_bytes(kChunkUsec, &spec) / frameSize;
    std::vector<std::int16_t> samples(chunkFrames * static_cast<size_t>(sound.Channels()));
    bool ended = false;
    bool readSomething = false;  // in this pass: a file that reads nothing must not spin
    while (!stopRequested_ && Sound().pa_stream_get_state(stream) == PA_STREAM_READY) {
      const size_t writable = Sound().pa_stream_writable_size(stream);
      if (writable == static_cast<size_t>(-1)) break;
      if (writable < frameSize) {
        Sound().pa_threaded_mainloop_wait(mainLoop);  // until the server asks for more, or a stop
        continue;
      }
      const size_t frames = sound.Read(samples.data(), std::min(chunkFrames, writable / frameSize));
      if (frames == 0) {
        if (!loop || !readSomething || !sound.Rewind()) {
          ended = true;
          break;
        }
        readSomething = false;
        continue;
      }
      readSomething = true;
      if (Sound().pa_stream_write(stream, samples.data(), frames * frameSize, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
    }
    // A sound played once ends when the server has played what it holds of it, or at a stop.
    if (ended && !stopRequested_) {
      if (pa_operation* drain = Sound().pa_stream_drain(stream, WakeDone, mainLoop)) {
        while (!stopRequested_ && streamGood() && Sound().pa_operation_get_state(drain) == PA_OPERATION_RUNNING) {
          Sound().pa_threaded_mainloop_wait(mainLoop);
        }
        Sound().pa_operation_cancel(drain);
        Sound().pa_operation_unref(drain);
      }
    }
    // Leaving drops what the server still holds of the sound, at once.
    Sound().pa_stream_disconnect(stream);
  }
  Sound().pa_threaded_mainloop_unlock(mainLoop);
  SetMainLoop(nullptr);
  Sound().pa_threaded_mainloop_stop(mainLoop);
  if (stream) Sound().pa_stream_unref(stream);
  Sound().pa_context_disconnect(context);
  Sound().pa_context_unref(context);
  Sound().pa_threaded_mainloop_free(mainLoop);
}

}  // namespace platform

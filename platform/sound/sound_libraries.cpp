#include "platform/sound/sound_libraries.h"

#include <dlfcn.h>

namespace platform {
namespace {

// The run-time names of the libraries the build compiled against (Debian's libsndfile1 and
// libpulse0).
constexpr const char* kSndfile = "libsndfile.so.1";
constexpr const char* kPulse = "libpulse.so.0";

template <typename Function>
bool Resolve(void* library, const char* name, Function& out) {
  out = reinterpret_cast<Function>(dlsym(library, name));
  return out != nullptr;
}

bool Load(SoundLibraries& l) {
  void* sndfile = dlopen(kSndfile, RTLD_NOW | RTLD_LOCAL);
  void* pulse = dlopen(kPulse, RTLD_NOW | RTLD_LOCAL);
  // Never closed: a sound may play until the program ends.
  if (!sndfile || !pulse) return false;
#define LV_RESOLVE(library, name) Resolve(library, #name, l.name)
  return LV_RESOLVE(sndfile, sf_open) && LV_RESOLVE(sndfile, sf_close) && LV_RESOLVE(sndfile, sf_readf_short) &&
         LV_RESOLVE(sndfile, sf_seek) && LV_RESOLVE(pulse, pa_threaded_mainloop_new) &&
         LV_RESOLVE(pulse, pa_threaded_mainloop_free) && LV_RESOLVE(pulse, pa_threaded_mainloop_start) &&
         LV_RESOLVE(pulse, pa_threaded_mainloop_stop) && LV_RESOLVE(pulse, pa_threaded_mainloop_lock) &&
         LV_RESOLVE(pulse, pa_threaded_mainloop_unlock) && LV_RESOLVE(pulse, pa_threaded_mainloop_wait) &&
         LV_RESOLVE(pulse, pa_threaded_mainloop_signal) && LV_RESOLVE(pulse, pa_threaded_mainloop_get_api) &&
         LV_RESOLVE(pulse, pa_context_new) && LV_RESOLVE(pulse, pa_context_unref) &&
         LV_RESOLVE(pulse, pa_context_connect) && LV_RESOLVE(pulse, pa_context_disconnect) &&
         LV_RESOLVE(pulse, pa_context_get_state) && LV_RESOLVE(pulse, pa_context_set_state_callback) &&
         LV_RESOLVE(pulse, pa_stream_new) && LV_RESOLVE(pulse, pa_stream_unref) &&
         LV_RESOLVE(pulse, pa_stream_connect_playback) && LV_RESOLVE(pulse, pa_stream_disconnect) &&
         LV_RESOLVE(pulse, pa_stream_get_state) && LV_RESOLVE(pulse, pa_stream_set_state_callback) &&
         LV_RESOLVE(pulse, pa_stream_set_write_callback) && LV_RESOLVE(pulse, pa_stream_writable_size) &&
         LV_RESOLVE(pulse, pa_stream_write) && LV_RESOLVE(pulse, pa_stream_drain) &&
         LV_RESOLVE(pulse, pa_operation_get_state) && LV_RESOLVE(pulse, pa_operation_cancel) &&
         LV_RESOLVE(pulse, pa_operation_unref) && LV_RESOLVE(pulse, pa_usec_to_bytes) &&
         LV_RESOLVE(pulse, pa_frame_size);
#undef LV_RESOLVE
}

}  // namespace

const SoundLibraries* LoadSoundLibraries() {
  static const SoundLibraries* const loaded = [] {
    static SoundLibraries libraries{};
    return Load(libraries) ? &libraries : nullptr;
  }();
  return loaded;
}

}  // namespace platform

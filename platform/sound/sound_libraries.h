// The sound libraries (libsndfile to decode, libpulse to play), loaded the first time a sound
// is wanted rather than with the program. Most runs never make a sound, and the two libraries
// with the codecs and the D-Bus and systemd client code they pull in would otherwise be
// loaded, relocated and resident in every run for nothing: about a megabyte and a half.
#pragma once

#include <pulse/context.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <sndfile.h>

namespace platform {

// The functions the program calls, from the libraries' own declarations.
struct SoundLibraries {
  decltype(&::sf_open) sf_open;
  decltype(&::sf_close) sf_close;
  decltype(&::sf_readf_short) sf_readf_short;
  decltype(&::sf_seek) sf_seek;

  decltype(&::pa_threaded_mainloop_new) pa_threaded_mainloop_new;
  decltype(&::pa_threaded_mainloop_free) pa_threaded_mainloop_free;
  decltype(&::pa_threaded_mainloop_start) pa_threaded_mainloop_start;
  decltype(&::pa_threaded_mainloop_stop) pa_threaded_mainloop_stop;
  decltype(&::pa_threaded_mainloop_lock) pa_threaded_mainloop_lock;
  decltype(&::pa_threaded_mainloop_unlock) pa_threaded_mainloop_unlock;
  decltype(&::pa_threaded_mainloop_wait) pa_threaded_mainloop_wait;
  decltype(&::pa_threaded_mainloop_signal) pa_threaded_mainloop_signal;
  decltype(&::pa_threaded_mainloop_get_api) pa_threaded_mainloop_get_api;
  decltype(&::pa_context_new) pa_context_new;
  decltype(&::pa_context_unref) pa_context_unref;
  decltype(&::pa_context_connect) pa_context_connect;
  decltype(&::pa_context_disconnect) pa_context_disconnect;
  decltype(&::pa_context_get_state) pa_context_get_state;
  decltype(&::pa_context_set_state_callback) pa_context_set_state_callback;
  decltype(&::pa_stream_new) pa_stream_new;
  decltype(&::pa_stream_unref) pa_stream_unref;
  decltype(&::pa_stream_connect_playback) pa_stream_connect_playback;
  decltype(&::pa_stream_disconnect) pa_stream_disconnect;
  decltype(&::pa_stream_get_state) pa_stream_get_state;
  decltype(&::pa_stream_set_state_callback) pa_stream_set_state_callback;
  decltype(&::pa_stream_set_write_callback) pa_stream_set_write_callback;
  decltype(&::pa_stream_writable_size) pa_stream_writable_size;
  decltype(&::pa_stream_write) pa_stream_write;
  decltype(&::pa_stream_drain) pa_stream_drain;
  decltype(&::pa_operation_get_state) pa_operation_get_state;
  decltype(&::pa_operation_cancel) pa_operation_cancel;
  decltype(&::pa_operation_unref) pa_operation_unref;
  decltype(&::pa_usec_to_bytes) pa_usec_to_bytes;
  decltype(&::pa_frame_size) pa_frame_size;
};

// Loads both libraries on the first call, from any thread, and keeps them for the rest of the
// run. Null when either cannot be loaded or lacks one of the functions: the program is then
// silent, as it is without a sound server.
const SoundLibraries* LoadSoundLibraries();

}  // namespace platform

// A sound file read as 16-bit samples, through libsndfile: the one decoder of the program, so
// that every backend accepts and refuses the same files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct sf_private_tag;

namespace platform {

class SoundFile {
 public:
  // Nothing when the file cannot be read or holds no sound: not a format the decoder knows,
  // a broken header, no frames, or a first frame that does not decode.
  static std::unique_ptr<SoundFile> Open(const std::string& path);
  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  int Channels() const { return channels_; }
  int Rate() const { return rate_; }
  // Reads up to `frames` frames of interleaved native-endian samples into `out` (room for
  // frames * Channels() samples); fewer at the end of the file, 0 there or on a read error.
  std::size_t Read(std::int16_t* out, std::size_t frames);
  // Back to the first frame, for another pass of a loop.
  bool Rewind();

 private:
  SoundFile(sf_private_tag* file, int channels, int rate);

  sf_private_tag* file_;
  int channels_;
  int rate_;
};

}  // namespace platform

#include "platform/sound/sound_file.h"

#include <sys/stat.h>

#include <vector>

#include "platform/sound/sound_libraries.h"

namespace platform {
namespace {

// Beyond these no sound server takes the stream, so such a file is refused at once rather than
// failing later where nobody hears about it.
constexpr int kMaxChannels = 8;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

// Only ever called once Open has loaded the libraries.
const SoundLibraries& Sound() { return *LoadSoundLibraries(); }

}  // namespace

std::unique_ptr<SoundFile> SoundFile::Open(const std::string& path) {
  // Only plain files: opening a named pipe or a device would block or never end.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  if (!LoadSoundLibraries()) return nullptr;
  SF_INFO format{};
  SNDFILE* file = Sound().sf_open(path.c_str(), SFM_READ, &format);
  if (!file) return nullptr;
  std::unique_ptr<SoundFile> sound(new SoundFile(file, format.channels, format.samplerate));
  if (format.frames <= 0 || format.channels < 1 || format.channels > kMaxChannels ||
      format.samplerate < kMinRate || format.samplerate > kMaxRate) {
    return nullptr;
  }
  // A header can promise what the data does not hold: the first frame must decode.
  std::vector<std::int16_t> first(static_cast<std::size_t>(format.channels));
  if (sound->Read(first.data(), 1) != 1 || !sound->Rewind()) return nullptr;
  return sound;
}

SoundFile::SoundFile(SNDFILE* file, int channels, int rate) : file_(file), channels_(channels), rate_(rate) {}

SoundFile::~SoundFile() { Sound().sf_close(file_); }

std::size_t SoundFile::Read(std::int16_t* out, std::size_t frames) {
  const sf_count_t read = Sound().sf_readf_short(file_, out, static_cast<sf_count_t>(frames));
  return read > 0 ? static_cast<std::size_t>(read) : 0;
}

bool SoundFile::Rewind() { return Sound().sf_seek(file_, 0, SEEK_SET) == 0; }

}  // namespace platform

// sndPlaySound: where a sound's file is found; the backend decodes and plays it.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user/session.h"
#include "platform/user/user.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string& ProgramFolderSetting() {
  static std::string folder;
  return folder;
}

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : exe.parent_path();
}

// An environment variable's value; nothing when it is unset or empty, which the desktop's
// folder conventions treat alike.
std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

// The folders a sound named without a folder may be in, in the order they are searched:
// the program's own sounds first, then the user's, then the system's. Relative entries of the
// data variables are ignored, as the desktop's conventions say.
std::vector<fs::path> SoundFolders() {
  std::vector<fs::path> folders;
  folders.push_back(ProgramFolder());
  const std::optional<std::string> dataHome = Environment("XDG_DATA_HOME");
  if (dataHome && fs::path(*dataHome).is_absolute()) {
    folders.push_back(fs::path(*dataHome) / "sounds");
  } else if (const std::optional<std::string> home = Environment("HOME")) {
    folders.push_back(fs::path(*home) / ".local/share/sounds");
  }
  const std::string dataDirs = Environment("XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share");
  std::string_view rest = dataDirs;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const fs::path entry(rest.substr(0, colon));
    if (entry.is_absolute()) folders.push_back(entry / "sounds");
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return folders;
}

// Only plain files count as sounds, so a folder or a pipe of the name is passed over.
bool IsPlainFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// The file to play: a name with a folder as it is; a bare name in the first sound folder
// holding a file of that name.
std::optional<std::string> FindSoundFile(std::string_view sound) {
  if (sound.empty()) return std::nullopt;
  if (sound.find('/') != std::string_view::npos) {
    return IsPlainFile(sound) ? std::optional<std::string>(sound) : std::nullopt;
  }
  for (const fs::path& folder : SoundFolders()) {
    const fs::path candidate = folder / sound;
    if (IsPlainFile(candidate)) return candidate.string();
  }
  return std::nullopt;
}

}  // namespace

void SetProgramFolder(const std::string& folder) { ProgramFolderSetting() = folder; }

std::string ProgramFolder() {
  const std::string& folder = ProgramFolderSetting();
  return folder.empty() ? ExecutableFolder().string() : folder;
}

}  // namespace platform

BOOL sndPlaySound(const char* sound, UINT flags) {
  platform::Backend& backend = platform::GetBackend();
  const std::optional<std::string> file = sound ? platform::FindSoundFile(sound) : std::nullopt;
  if (!file) {
    backend.StopSound();
    return sound ? FALSE : TRUE;
  }
  return backend.PlaySound(*file, (flags & SND_LOOP) != 0) ? TRUE : FALSE;
}

#include "sky/sky_files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace sky {

namespace {

// An environment variable that names an absolute folder; unset, empty and relative values
// all count as not given.
const char* AbsoluteFolderVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return nullptr;
  return value;
}

std::string WithSlash(std::string folder) {
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string UserSkyFolder() {
  if (const char* dataHome = AbsoluteFolderVariable("XDG_DATA_HOME")) return WithSlash(dataHome) + "Lumivane/";
  if (const char* home = AbsoluteFolderVariable("HOME")) return WithSlash(home) + ".local/share/Lumivane/";
  return std::string();
}

std::string SkyFilePath(const std::string& programFolder, const std::string& name) {
  const std::string userFolder = UserSkyFolder();
  if (!userFolder.empty()) {
    const std::string userCopy = userFolder + name;
    // A folder, pipe or device of the name, or a link to one, is not a sky file: the
    // shipped one is read instead.
    std::error_code error;
    if (std::filesystem::is_regular_file(userCopy, error)) return userCopy;
  }
  return programFolder + name;
}

}  // namespace sky

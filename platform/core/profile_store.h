// Settings file standing in for the per-user registry: an INI file of sections and integer
// (or text) values. Every write re-reads the file under a lock, changes one value and
// replaces the file atomically, so a crash never leaves half a file and two running copies
// never lose each other's values. The copy a killed write leaves beside the file is removed
// by the next write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class ProfileStore {
 public:
  explicit ProfileStore(std::filesystem::path file);

  // The value, or nothing when the file, section or key is missing or the text is not a
  // decimal signed 32-bit number.
  std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view key) const;
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // False when the file could not be written; the old file is then left as it was, and the
  // first such failure is reported in one line on standard error. A file that exists but
  // cannot be read is never replaced. Written through symbolic links to their target, with
  // the file's permissions kept.
  bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);

  const std::filesystem::path& Path() const { return file_; }

 private:
  bool Failed(const std::string& why);

  std::filesystem::path file_;
  bool failureReported_ = false;
};

// What ReadString and ReadInt make of a settings file's text, for text already in memory:
// the value of `key` in `section` (the first one, names compared without regard to case),
// and the number a value's text stands for.
std::optional<std::string> FindProfileString(std::string_view text, std::string_view section, std::string_view key);
std::optional<std::int32_t> ParseProfileInt(std::string_view text);

// $XDG_CONFIG_HOME/<company>/<application>.ini, with ~/.config when XDG_CONFIG_HOME is
// unset or not absolute.
std::filesystem::path ProfilePathFor(std::string_view company, std::string_view application);

}  // namespace platform

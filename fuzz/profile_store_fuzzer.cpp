// Arbitrary bytes as the settings file. Every setting of the program is looked up in them by
// the store's own search; then, for one input in eight, one setting chosen by the input is
// written through the store into a file holding the bytes, and the file read again. A number
// must be read exactly when its text is a decimal signed 32-bit number; a write must read
// back and leave every other setting as it was. The file lies in a folder of its own, in
// memory where /dev/shm is.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "check.h"
#include "document/settings.h"
#include "platform/core/profile_store.h"

namespace {

using fuzz::Check;

std::filesystem::path& Folder() {
  static std::filesystem::path folder;
  return folder;
}

void RemoveFolder() {
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);
}

const std::filesystem::path& SettingsFile() {
  static const std::filesystem::path file = [] {
    const bool shm = ::access("/dev/shm", W_OK) == 0;
    std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/lumivane-profile-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    Folder() = pattern;
    std::atexit(RemoveFolder);
    return Folder() / "Lumivane.ini";
  }();
  return file;
}

// The number a setting's text stands for, taken digit by digit: an optional sign and at
// least one digit, nothing else, within 32 bits.
std::optional<std::int32_t> DecimalValue(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > (std::int64_t{1} << 31)) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Whether the text holds the name anywhere, in any case. The store compares names without
// regard to case, so it cannot find a setting whose name is not there; looking would only
// cost time.
bool Names(std::string_view text, std::string_view name) {
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), name.begin(), name.end(), same) != text.end();
}

using Texts = std::array<std::optional<std::string>, std::size(settings::kAll)>;

// Every setting's text as the store finds it in the file's text, each checked against the
// number read from it.
Texts ReadAll(std::string_view text) {
  Texts texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!Names(text, settings::kAll[i].name)) continue;
    texts[i] = platform::FindProfileString(text, settings::kSection, settings::kAll[i].name);
    if (texts[i]) {
      Check(platform::ParseProfileInt(*texts[i]) == DecimalValue(*texts[i]),
            "a number is read exactly when its text is a decimal signed 32-bit number");
    }
  }
  return texts;
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Texts before = ReadAll(text);

  // The setting and value a write takes from these bytes; the value's text is what the
  // store writes, and what the program's values look like.
  std::uint32_t seed = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) seed = (seed ^ data[i]) * 16777619u;
  const std::size_t written = seed % std::size(settings::kAll);
  const auto value = static_cast<std::int32_t>(seed);
  // Writing goes through real files and costs several times all the rest, so one input in
  // eight writes (those whose hash has its top three bits clear) and reading gets most of
  // the time.
  if (seed >> 29 != 0) return 0;

  const std::filesystem::path& file = SettingsFile();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    Check(out.good(), "the input is in the settings file");
  }
  platform::ProfileStore store(file);
  Check(store.ReadInt(settings::kSection, settings::kAll[written].name) ==
            (before[written] ? platform::ParseProfileInt(*before[written]) : std::nullopt),
        "the store reads from its file what is read from the same text in memory");
  Check(store.WriteInt(settings::kSection, settings::kAll[written].name, value), "a plain file of ours is written");

  const Texts after = ReadAll(Contents(file));
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i == written) {
      Check(after[i] == std::to_string(value), "the value written reads back");
    } else {
      Check(after[i] == before[i], "a write leaves the other settings as they were");
    }
  }
  return 0;
}

// What the settings writer writes, round after round, and how the test that kills it tells
// a value of a round from anything else. Shared by the writer and that test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/settings.h"

namespace settings_rounds {

// Each round writes every key once, in this order: the program's settings as integers, as
// the program writes them, then a few long texts.
struct Key {
  std::string name;
  bool text;
};

inline std::vector<Key> KeysInWriteOrder() {
  std::vector<Key> keys;
  for (const settings::Entry& entry : settings::kAll) keys.push_back({entry.name, false});
  for (int i = 0; i < 6; ++i) keys.push_back({"LongText" + std::to_string(i), true});
  return keys;
}

// A writer is started with a generation number and counts its rounds from 0; every value it
// writes carries both. Generation 0 is the file the test starts from.
constexpr int kRoundsPerGeneration = 100000;

struct Stamp {
  int generation;
  int round;
};

inline std::int32_t StampNumber(Stamp s) { return s.generation * kRoundsPerGeneration + s.round; }

// A text value is the stamp's decimal four times over, so that a value made of two writes'
// pieces does not pass for either.
inline std::string TextValue(Stamp s) {
  const std::string digits = std::to_string(StampNumber(s));
  return digits + digits + digits + digits;
}

inline std::optional<Stamp> StampOfNumber(std::int64_t n) {
  if (n < 0 || n > INT32_MAX) return std::nullopt;
  return Stamp{static_cast<int>(n / kRoundsPerGeneration), static_cast<int>(n % kRoundsPerGeneration)};
}

// The stamp a stored value carries, or nothing for a value no round writes.
inline std::optional<Stamp> StampOf(const Key& key, std::string_view value) {
  std::string_view digits = value;
  if (key.text) {
    const std::size_t quarter = value.size() / 4;
    if (quarter == 0 || value.size() % 4 != 0) return std::nullopt;
    digits = value.substr(0, quarter);
    for (int i = 1; i < 4; ++i) {
      if (value.substr(i * quarter, quarter) != digits) return std::nullopt;
    }
  }
  if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) return std::nullopt;
  std::int64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return StampOfNumber(n);
}

}  // namespace settings_rounds

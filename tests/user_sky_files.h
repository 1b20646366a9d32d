// Sky files of a user's own for the tests: the shipped maps with every colour of their tables
// inverted, so that each pixel drawn from them tells which file it came from, and a star
// table of one star that the shipped table does not have.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image/sbm_reader.h"

namespace usersky {

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Copies an SBM file with the colours of its table inverted (the table follows the 54 bytes
// of headers, four bytes an entry, the fourth unused).
inline void WriteInvertedMap(const std::filesystem::path& shipped, const std::filesystem::path& to) {
  std::string bytes = ReadBytes(shipped);
  image::sbm::FileSource source(shipped.c_str());
  image::sbm::Picture picture;
  image::sbm::ReadPicture(source, picture);
  for (std::size_t k = 0; k < picture.coloursRead; ++k) {
    for (std::size_t channel = 0; channel < 3; ++channel) bytes.at(54 + 4 * k + channel) ^= '\xFF';
  }
  WriteBytes(to, bytes);
}

// A map file as the program shows it, or an empty picture when it does not decode.
inline platform::Image DecodedMap(const std::filesystem::path& file) {
  image::sbm::FileSource source(file.c_str());
  image::sbm::Picture picture;
  if (image::sbm::ReadPicture(source, picture) != image::sbm::ReadOutcome::kLoaded) return {};
  return image::sbm::ToArgb(picture).value_or(platform::Image{});
}

constexpr const char* kStarTitle = "Tester";

// A star table of one star whose two rectangles are both `left, top, right, bottom` on the
// map, with plain ASCII texts (the same bytes in code page 932).
inline std::string OneStarTable(int left, int top, int right, int bottom) {
  char rect[96];
  std::snprintf(rect, sizeof rect, "%4d,%4d,%4d,%4d\r\n", left, top, right, bottom);
  return std::string(rect) + rect + kStarTitle + ";\r\nTest, a star of the user's;\r\nDrawn for the test.;\r\n";
}

}  // namespace usersky

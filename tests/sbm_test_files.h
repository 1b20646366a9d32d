// Building SBM files byte by byte for the tests, independently of the program's writer, and
// temporary folders to put them in.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace sbmtest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Header {
  std::int32_t width = 1;
  std::int32_t height = 1;
  int bitCount = 8;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::uint32_t coloursUsed = 0;
};

// Colour k of the test pictures' tables: distinct for every index and channel.
inline std::uint32_t TableColour(int k) {  // 0x00RRGGBB
  return (static_cast<std::uint32_t>(255 - k) << 16) | (static_cast<std::uint32_t>(k) << 8) |
         static_cast<std::uint32_t>((k * 7) & 0xFF);
}

// Headers as offsets 0..53 of the file, the colour table the depth calls for (TableColour
// entries), then `pixelData` as given. `lead` fills the leading 14 bytes.
inline Bytes MakeSbm(const Header& h, const Bytes& pixelData, std::uint8_t lead = 0) {
  const int entries = h.bitCount == 8 ? 256 : h.bitCount == 4 ? 16 : 0;
  Bytes b(54 + 4 * static_cast<std::size_t>(entries), 0);
  for (int i = 0; i < 14; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(lead + i);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(h.width));
  Put32(b, 22, static_cast<std::uint32_t>(h.height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<std::uint32_t>(h.bitCount));
  Put32(b, 30, h.compression);
  Put32(b, 34, h.imageSize);
  Put32(b, 46, h.coloursUsed);
  for (int k = 0; k < entries; ++k) {
    const std::uint32_t c = TableColour(k);
    const std::size_t at = 54 + 4 * static_cast<std::size_t>(k);
    b[at] = static_cast<std::uint8_t>(c);            // blue
    b[at + 1] = static_cast<std::uint8_t>(c >> 8);   // green
    b[at + 2] = static_cast<std::uint8_t>(c >> 16);  // red
  }
  b.insert(b.end(), pixelData.begin(), pixelData.end());
  return b;
}

// A folder of its own for one test, removed with the object.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/lumivane-sbm-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::filesystem::path path_;
};

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace sbmtest

// Reading SBM files: the headers, the colour table and the pixel block, with run-length data
// decoded in place. The picture holder, the command-line tool and the fuzz target all read
// through here; the holder then makes the palette and the screen bitmap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/sbm_format.h"
#include "image/sbm_rle.h"
#include "platform/core/types.h"

namespace image::sbm {

// Where the reader takes bytes from. A read returns fewer bytes than asked only at the end
// of the input (or on an error, which the reader treats the same way).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::size_t Read(void* to, std::size_t count) = 0;
};

// A file opened read-only; closed when the source goes.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(const char* path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  std::size_t Read(void* to, std::size_t count) override;

 private:
  std::FILE* file_ = nullptr;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const BYTE> bytes) : bytes_(bytes) {}
  std::size_t Read(void* to, std::size_t count) override;

 private:
  std::span<const BYTE> bytes_;
  std::size_t at_ = 0;
};

enum class ReadOutcome {
  kLoaded,       // the pixel block holds the picture (rows the file lacked stay colour 0)
  kHeaderShort,  // the input ends inside the 54 bytes of headers
  kSizeRefused,  // dimensions or depth out of range: no pixel block
  kNoMemory,     // the pixel block could not be had
};

struct Picture {
  BYTE fileHeader[kFileHeaderSize] = {};
  BITMAPINFOHEADER info;
  std::array<RGBQUAD, kMaxColours> colours{};
  std::size_t coloursRead = 0;  // whole colour-table entries the input held
  std::uint32_t imageSize = 0;  // S: bytes of the decoded pixel array, stride x height
  // The pixel block (S x 1.2 bytes): the decoded rows, bottom row first, from offset 0.
  std::vector<BYTE> pixels;
  std::size_t bytesRead = 0;    // pixel-data bytes the input put into the block
  std::optional<RleResult> rle;  // how decoding ended, for run-length coded pictures
};

// Reads one picture, stopping at the first short read and never beyond the pixel block.
// With any outcome `out` holds what was reached (and nothing from before).
ReadOutcome ReadPicture(ByteSource& in, Picture& out);

const char* Describe(ReadOutcome outcome);

// Why a loaded picture is not whole and cleanly coded (a depth the program cannot show, a
// colour table or pixel data cut short, damaged run-length data, run-length data at a depth
// they are not decoded for), or empty when it is.
std::string Problem(const Picture& picture);

// The picture as opaque ARGB, top row first; 4- and 8-bit pictures only.
std::optional<platform::Image> ToArgb(const Picture& picture);

}  // namespace image::sbm

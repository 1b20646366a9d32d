// Writing 8-bit SBM files, plain or run-length coded.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace image::sbm {

// An 8-bit picture: colour indices, top row first, and the colours they stand for.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<BYTE> indices;      // width x height
  std::vector<RGBQUAD> palette;   // at most 256; the file's table is filled up with black
};

struct EncodedFile {
  std::vector<BYTE> bytes;
  bool runLengthCoded = false;
};

// The whole file. With `runLength` asked the pixel data are coded unless the coding comes out
// longer than the plain rows: a reader takes no more coded bytes than the decoded picture
// has, so such a file would lose its last rows; it is stored plain instead. The leading 14
// bytes are a bitmap file header ("BM", file size, offset of the pixel data), which readers
// of SBM ignore and image tools of the platform expect.
std::optional<EncodedFile> EncodeFile(const IndexedPicture& picture, bool runLength, std::string* error = nullptr);

bool WriteBytes(const std::string& path, std::span<const BYTE> bytes, std::string* error = nullptr);

}  // namespace image::sbm

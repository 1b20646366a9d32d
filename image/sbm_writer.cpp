#include "image/sbm_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/sbm_format.h"
#include "image/sbm_rle.h"

namespace image::sbm {

namespace {

constexpr LONG kPixelsPerMetreAt72Dpi = 2835;

void Put32(BYTE* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

std::optional<EncodedFile> EncodeFile(const IndexedPicture& picture, bool runLength, std::string* error) {
  const std::optional<std::uint32_t> imageSize = ImageSize(picture.width, picture.height, 8);
  if (!imageSize) {
    Fail(error, "picture size out of range");
    return std::nullopt;
  }
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t height = static_cast<std::size_t>(picture.height);
  if (picture.palette.size() > kMaxColours) {
    Fail(error, "more than 256 colours");
    return std::nullopt;
  }
  if (picture.indices.size() != width * height) {
    Fail(error, "pixel count does not match the size");
    return std::nullopt;
  }
  for (BYTE index : picture.indices) {
    if (index >= picture.palette.size()) {
      Fail(error, "colour index beyond the palette");
      return std::nullopt;
    }
  }

  // Plain rows as stored: bottom row first, each padded to a multiple of 4 bytes.
  const std::size_t stride = static_cast<std::size_t>(RowStride(picture.width, 8));
  std::vector<BYTE> rows(*imageSize, 0);
  for (std::size_t y = 0; y < height; ++y) {
    std::memcpy(rows.data() + (height - 1 - y) * stride, picture.indices.data() + y * width, width);
  }
  EncodedFile out;
  std::vector<BYTE> pixelData = std::move(rows);
  if (runLength) {
    std::vector<BYTE> coded = EncodeRle8(pixelData, picture.width, picture.height, stride);
    if (coded.size() <= *imageSize) {
      pixelData = std::move(coded);
      out.runLengthCoded = true;
    }
  }

  const std::size_t dataOffset = kHeadersSize + kMaxColours * kColourEntrySize;
  out.bytes.assign(dataOffset, 0);
  BYTE* file = out.bytes.data();
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, static_cast<std::uint32_t>(dataOffset + pixelData.size()));
  Put32(file + 10, static_cast<std::uint32_t>(dataOffset));

  BITMAPINFOHEADER info;
  info.biSize = kInfoHeaderSize;
  info.biWidth = picture.width;
  info.biHeight = picture.height;
  info.biPlanes = 1;
  info.biBitCount = 8;
  info.biCompression = out.runLengthCoded ? kCompressionRle : BI_RGB;
  info.biSizeImage = static_cast<DWORD>(pixelData.size());
  info.biXPelsPerMeter = kPixelsPerMetreAt72Dpi;
  info.biYPelsPerMeter = kPixelsPerMetreAt72Dpi;
  info.biClrUsed = kMaxColours;
  info.biClrImportant = 0;
  BYTE infoBytes[kInfoHeaderSize];
  StoreInfoHeader(info, infoBytes);
  std::memcpy(file + kFileHeaderSize, infoBytes, kInfoHeaderSize);
  for (std::size_t k = 0; k < picture.palette.size(); ++k) {
    RGBQUAD colour = picture.palette[k];
    colour.rgbReserved = 0;
    StoreColour(colour, file + kHeadersSize + k * kColourEntrySize);
  }
  out.bytes.insert(out.bytes.end(), pixelData.begin(), pixelData.end());
  return out;
}

bool WriteBytes(const std::string& path, std::span<const BYTE> bytes, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return Fail(error, std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written) return Fail(error, std::strerror(writeErrno));
  if (!closed) return Fail(error, std::strerror(errno));
  return true;
}

}  // namespace image::sbm

#include "image/sbm_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace image::sbm {

FileSource::FileSource(const char* path) : file_(path ? std::fopen(path, "rb") : nullptr) {}

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

std::size_t FileSource::Read(void* to, std::size_t count) {
  return file_ && count ? std::fread(to, 1, count, file_) : 0;
}

std::size_t MemorySource::Read(void* to, std::size_t count) {
  const std::size_t n = std::min(count, bytes_.size() - at_);
  if (n) std::memcpy(to, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

namespace {

// Rows are read width + padding bytes at a time whatever the depth: for 8 bits exactly one
// stored row, for shallower depths more, hence the block's room to spare. Stops at a short
// read and at the end of the block.
std::size_t ReadRows(ByteSource& in, std::int32_t width, std::int32_t height, std::vector<BYTE>& block) {
  const std::size_t rowLength = static_cast<std::size_t>(width) + static_cast<std::size_t>(RowPadding(width));
  std::size_t total = 0;
  for (std::int32_t i = 0; i < height; ++i) {
    const std::size_t offset = static_cast<std::size_t>(i) * rowLength;
    if (offset >= block.size()) break;
    const std::size_t want = std::min(rowLength, block.size() - offset);
    const std::size_t got = in.Read(block.data() + offset, want);
    total += got;
    if (got < rowLength) break;
  }
  return total;
}

}  // namespace

ReadOutcome ReadPicture(ByteSource& in, Picture& out) {
  out = Picture{};
  BYTE headers[kHeadersSize] = {};
  const std::size_t headerBytes = in.Read(headers, sizeof headers);
  std::memcpy(out.fileHeader, headers, kFileHeaderSize);
  BYTE infoBytes[kInfoHeaderSize];
  std::memcpy(infoBytes, headers + kFileHeaderSize, kInfoHeaderSize);
  out.info = ParseInfoHeader(infoBytes);
  if (headerBytes < kHeadersSize) return ReadOutcome::kHeaderShort;

  const int entries = ColourTableEntries(out.info.biBitCount);
  BYTE table[kMaxColours * kColourEntrySize] = {};
  const std::size_t tableBytes = in.Read(table, static_cast<std::size_t>(entries) * kColourEntrySize);
  out.coloursRead = tableBytes / kColourEntrySize;
  for (int k = 0; k < entries; ++k) out.colours[static_cast<std::size_t>(k)] = ParseColour(table + k * kColourEntrySize);

  const std::int32_t width = out.info.biWidth;
  const std::int32_t height = out.info.biHeight;
  const std::optional<std::uint32_t> size = ImageSize(width, height, out.info.biBitCount);
  if (!size) return ReadOutcome::kSizeRefused;
  out.imageSize = *size;

  std::vector<BYTE> decoded;
  try {
    out.pixels.assign(PixelBlockSize(out.imageSize), 0);
    if (out.info.biCompression == kCompressionRle) decoded.assign(out.imageSize, 0);
  } catch (const std::bad_alloc&) {
    return ReadOutcome::kNoMemory;
  }

  out.bytesRead = ReadRows(in, width, height, out.pixels);
  if (out.info.biCompression == kCompressionRle) {
    out.rle = DecodeRle(std::span<const BYTE>(out.pixels.data(), out.bytesRead), out.info.biSizeImage,
                        out.info.biBitCount, decoded);
    std::copy(decoded.begin(), decoded.end(), out.pixels.begin());
  }
  return ReadOutcome::kLoaded;
}

const char* Describe(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::kLoaded: return "loaded";
    case ReadOutcome::kHeaderShort: return "file too short for an SBM header";
    case ReadOutcome::kSizeRefused: return "picture size or depth out of range";
    case ReadOutcome::kNoMemory: return "not enough memory for the picture";
  }
  return "unknown";
}

std::string Problem(const Picture& picture) {
  const int depth = picture.info.biBitCount;
  const int entries = ColourTableEntries(depth);
  if (entries == 0) return "depth " + std::to_string(depth) + " is not supported";
  if (picture.coloursRead < static_cast<std::size_t>(entries)) return "colour table cut short";
  if (picture.rle) {
    if (depth != 8) return "run-length data are decoded for 8-bit pictures only: all colour 0";
    const RleEnd end = picture.rle->end;
    if (end == RleEnd::kEndOfPicture || end == RleEnd::kEndOfData) return {};
    return Describe(end);
  }
  if (picture.bytesRead < picture.imageSize) return "pixel data cut short";
  return {};
}

std::optional<platform::Image> ToArgb(const Picture& picture) {
  const int depth = picture.info.biBitCount;
  const int width = picture.info.biWidth;
  const int height = picture.info.biHeight;
  if (ColourTableEntries(depth) == 0 || !ImageSize(width, height, depth)) return std::nullopt;
  const std::size_t stride = static_cast<std::size_t>(RowStride(width, depth));
  if (picture.pixels.size() < stride * static_cast<std::size_t>(height)) return std::nullopt;

  platform::Image image;
  image.width = width;
  image.height = height;
  image.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const BYTE* row = picture.pixels.data() + stride * static_cast<std::size_t>(height - 1 - y);
    std::uint32_t* to = image.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      const int index = depth == 8 ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
      const RGBQUAD& c = picture.colours[static_cast<std::size_t>(index)];
      to[x] = 0xFF000000u | (static_cast<std::uint32_t>(c.rgbRed) << 16) |
              (static_cast<std::uint32_t>(c.rgbGreen) << 8) | c.rgbBlue;
    }
  }
  return image;
}

}  // namespace image::sbm

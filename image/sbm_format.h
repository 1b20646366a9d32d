// The SBM picture file: a 14-byte leading header that carries no meaning, the 40-byte bitmap
// info header, a colour table (16 entries for 4-bit pictures, 256 for 8-bit ones, none for
// other depths), then the pixel rows, bottom row first, plain or run-length coded. Numbers
// are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/gdi/gdi.h"

namespace image::sbm {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kColourEntrySize = 4;  // blue, green, red, reserved
constexpr std::size_t kMaxColours = 256;
constexpr DWORD kCompressionRle = 1;  // any other value is read as plain rows

// Limits on what a header may ask for. The real sky maps are under a million pixels; these
// leave room for home-made ones while keeping a hostile header from claiming gigabytes (the
// screen bitmap costs 4 bytes a pixel, the pixel block 1.2 bytes per decoded byte).
constexpr std::int64_t kMaxSide = 32768;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;
// The program shows pictures of at most 8 bits a pixel, so no picture needs more bytes than
// the largest of those, each row padded by up to 3 bytes. Without this a few pixels at a
// depth of thousands of bits would claim tens of megabytes before any pixel is read.
constexpr std::uint64_t kMaxImageSize = kMaxPixels + 3 * kMaxSide;

// Colour-table entries stored after the header: 16 for 4 bits a pixel, 256 for 8, else 0.
int ColourTableEntries(int bitCount);

// Bytes of one stored row: the row's bits rounded up to whole 32-bit words.
std::uint64_t RowStride(std::int64_t width, int bitCount);

// The reader's row padding, taken from the width in pixels whatever the depth.
int RowPadding(std::int32_t width);

// S, the size of the decoded pixel array (stride x height), or nothing when the dimensions
// are not positive, exceed the limits above or leave nothing to hold (depth 0).
std::optional<std::uint32_t> ImageSize(std::int32_t width, std::int32_t height, int bitCount);

// The pixel block a picture is read into: S x 1.2 bytes, truncated, so that rows read with
// the width-based padding of shallow depths have room.
std::size_t PixelBlockSize(std::uint32_t imageSize);

BITMAPINFOHEADER ParseInfoHeader(const BYTE (&bytes)[kInfoHeaderSize]);
void StoreInfoHeader(const BITMAPINFOHEADER& header, BYTE (&bytes)[kInfoHeaderSize]);

RGBQUAD ParseColour(const BYTE* bytes);
void StoreColour(const RGBQUAD& colour, BYTE* bytes);

}  // namespace image::sbm

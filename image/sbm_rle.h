// Run-length coding of SBM pixel data: pairs of bytes, (n, v) for n copies of v, (0, 0) end
// of line, (0, 1) end of picture, (0, k >= 3) a literal run of k bytes padded to an even
// count. Position deltas (0, 2) are not part of the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/core/windef.h"

namespace image::sbm {

enum class RleEnd {
  kEndOfPicture,  // the end-of-picture code: decoded cleanly
  kEndOfData,     // the coded length ran out without an end-of-picture code; the result stands
  kDelta,         // a position delta: decoding failed there
  kOutputFull,    // the stream would write beyond the picture: stopped at its end
  kInputShort,    // the coded length claims more bytes than are held: stopped at the last pair held
};

struct RleResult {
  RleEnd end = RleEnd::kEndOfData;
  std::size_t written = 0;  // output position reached
};

// Decodes the first `codedLength` bytes of `coded` into `out`, which the caller has zeroed.
// End of line pads the output to a multiple of 4 without moving to a row start. Pixels are
// written only for 8-bit pictures: at other depths runs write nothing and a literal run, once
// begun, swallows every later pair. Nothing is read or written outside the two spans.
RleResult DecodeRle(std::span<const BYTE> coded, std::uint32_t codedLength, int bitCount, std::span<BYTE> out);

// Codes 8-bit rows as stored in a plain file (each `stride` bytes, bottom row first) so that
// DecodeRle gives them back: each row in full, then end of line, the last row followed by
// end of picture instead.
std::vector<BYTE> EncodeRle8(std::span<const BYTE> rows, int width, int height, std::size_t stride);

const char* Describe(RleEnd end);

}  // namespace image::sbm

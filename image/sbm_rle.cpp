#include "image/sbm_rle.h"

#include <algorithm>

namespace image::sbm {

namespace {

constexpr BYTE kEscape = 0;
constexpr BYTE kEndOfLine = 0;
constexpr BYTE kEndOfPicture = 1;
constexpr BYTE kDelta = 2;
constexpr std::size_t kMaxRun = 255;
constexpr std::size_t kMinLiteral = 3;  // literal counts 1 and 2 would read as escapes

// Where an encoded run of identical bytes starting at `x` ends (at most kMaxRun long).
std::size_t RunLength(const BYTE* row, std::size_t x, std::size_t width) {
  std::size_t n = 1;
  while (x + n < width && n < kMaxRun && row[x + n] == row[x]) ++n;
  return n;
}

void AppendRow(std::vector<BYTE>& out, const BYTE* row, std::size_t width) {
  std::size_t x = 0;
  while (x < width) {
    const std::size_t run = RunLength(row, x, width);
    if (run >= 2) {
      out.push_back(static_cast<BYTE>(run));
      out.push_back(row[x]);
      x += run;
      continue;
    }
    // Gather differing bytes until three equal ones start a run worth coding on its own.
    const std::size_t start = x;
    while (x < width && x - start < kMaxRun) {
      if (x + 2 < width && row[x] == row[x + 1] && row[x] == row[x + 2]) break;
      ++x;
    }
    const std::size_t length = x - start;
    if (length >= kMinLiteral) {
      out.push_back(kEscape);
      out.push_back(static_cast<BYTE>(length));
      out.insert(out.end(), row + start, row + x);
      if (length % 2) out.push_back(0);
    } else {
      for (std::size_t i = start; i < x; ++i) {
        out.push_back(1);
        out.push_back(row[i]);
      }
    }
  }
}

}  // namespace

RleResult DecodeRle(std::span<const BYTE> coded, std::uint32_t codedLength, int bitCount, std::span<BYTE> out) {
  const bool writesPixels = bitCount == 8;
  std::size_t o = 0;
  unsigned literalLeft = 0;
  for (std::size_t at = 0; at < codedLength; at += 2) {
    if (at + 1 >= coded.size()) return {RleEnd::kInputShort, o};
    const BYTE b0 = coded[at];
    const BYTE b1 = coded[at + 1];
    if (literalLeft > 0) {
      if (!writesPixels) continue;
      if (o == out.size()) return {RleEnd::kOutputFull, o};
      out[o++] = b0;
      if (--literalLeft > 0) {
        if (o == out.size()) return {RleEnd::kOutputFull, o};
        out[o++] = b1;
        --literalLeft;
      }
    } else if (b0 != kEscape) {
      if (!writesPixels) continue;
      const std::size_t count = std::min<std::size_t>(b0, out.size() - o);
      std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(o), count, b1);
      o += count;
      if (count < b0) return {RleEnd::kOutputFull, o};
    } else if (b1 == kEndOfLine) {
      while (o % 4 != 0) {
        if (o == out.size()) return {RleEnd::kOutputFull, o};
        out[o++] = 0;
      }
    } else if (b1 == kEndOfPicture) {
      return {RleEnd::kEndOfPicture, o};
    } else if (b1 == kDelta) {
      return {RleEnd::kDelta, o};
    } else {
      literalLeft = b1;
    }
  }
  return {RleEnd::kEndOfData, o};
}

std::vector<BYTE> EncodeRle8(std::span<const BYTE> rows, int width, int height, std::size_t stride) {
  std::vector<BYTE> out;
  if (width <= 0 || height <= 0 || stride < static_cast<std::size_t>(width) ||
      rows.size() < stride * static_cast<std::size_t>(height)) {
    return out;
  }
  for (int y = 0; y < height; ++y) {
    AppendRow(out, rows.data() + stride * static_cast<std::size_t>(y), static_cast<std::size_t>(width));
    out.push_back(kEscape);
    out.push_back(y + 1 < height ? kEndOfLine : kEndOfPicture);
  }
  return out;
}

const char* Describe(RleEnd end) {
  switch (end) {
    case RleEnd::kEndOfPicture: return "ends with an end-of-picture code";
    case RleEnd::kEndOfData: return "ends without an end-of-picture code";
    case RleEnd::kDelta: return "position delta in the run-length data";
    case RleEnd::kOutputFull: return "run-length data overrun the picture";
    case RleEnd::kInputShort: return "run-length data shorter than the header says";
  }
  return "unknown";
}

}  // namespace image::sbm

#include "platform/core/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One conversion through glibc's iconv. A sequence the source code page does not know is
// replaced by U+FFFD one byte at a time when `replaceBad` is set; otherwise it fails.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view input, bool replaceBad,
                                   std::size_t* failedAt = nullptr) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  bool failed = false;
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!replaceBad) {
      failed = true;
      if (failedAt) *failedAt = static_cast<std::size_t>(in - input.data());
      break;
    }
    // EILSEQ: a byte that starts nothing valid; EINVAL: a sequence cut by the end.
    out.append(kReplacement);
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  if (failed) return std::nullopt;
  return out;
}

}  // namespace

std::string FromCodePage932(std::string_view bytes) { return Convert("UTF-8", "CP932", bytes, true).value_or(""); }

std::optional<std::string> ToCodePage932(std::string_view utf8, std::size_t* failedAt) {
  return Convert("CP932", "UTF-8", utf8, false, failedAt);
}

}  // namespace platform

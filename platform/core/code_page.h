// Text in the program is UTF-8; its data files keep text in Shift-JIS (code page 932).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Code page 932 bytes as UTF-8. Bytes that mean nothing in that code page (a lone lead
// byte, an unassigned pair) each become U+FFFD, so a damaged file still reads.
std::string FromCodePage932(std::string_view bytes);

// UTF-8 as code page 932 bytes; nothing when the input is not UTF-8 or a character has no
// form in that code page, with `failedAt` (when given) set to that character's byte offset.
std::optional<std::string> ToCodePage932(std::string_view utf8, std::size_t* failedAt = nullptr);

}  // namespace platform

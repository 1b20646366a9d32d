// Reading a small file whole, safely: only a plain file is read (a pipe or a device is never
// waited on), and no more than a limit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

struct ReadProblem {
  bool missing = false;  // the file does not exist
  std::string why;       // what went wrong, for a message
};

// The file's bytes, or nothing with the problem: missing, unreadable, not a plain file, or
// larger than `maxBytes`.
std::optional<std::string> ReadPlainFile(const std::string& path, std::size_t maxBytes, ReadProblem* problem = nullptr);

}  // namespace platform

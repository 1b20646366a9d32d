#include "platform/core/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::optional<std::string> ReadPlainFile(const std::string& path, std::size_t maxBytes, ReadProblem* problem) {
  auto fail = [&](const std::string& why, bool missing = false) -> std::optional<std::string> {
    if (problem) *problem = ReadProblem{missing, why};
    return std::nullopt;
  };
  // Non-blocking, so that opening a pipe does not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno), errno == ENOENT);
  std::optional<std::string> text;
  std::string why;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "not a plain file";
  } else if (static_cast<std::size_t>(st.st_size) > maxBytes) {
    why = "too large";
  } else {
    std::string content;
    char buffer[8192];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > maxBytes) {
          why = "too large";
          break;
        }
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        why = std::strerror(errno);
      } else {
        text = std::move(content);
      }
      break;
    }
  }
  ::close(fd);
  if (!text) return fail(why);
  return text;
}

}  // namespace platform

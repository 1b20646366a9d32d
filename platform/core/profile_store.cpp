#include "platform/core/profile_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return Trim(line.substr(1, line.size() - 2));
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> SplitKey(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyValue{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Holds an exclusive lock on "<file>.lock" for one read-modify-write.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file) {
    const std::string lockPath = file.string() + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) {
      ::flock(fd_, LOCK_UN);
      ::close(fd_);
    }
  }
  bool Held() const { return fd_ >= 0; }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

bool WriteAtomically(const std::filesystem::path& file, const std::string& content) {
  std::string pattern = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  ::fchmod(fd, 0644);
  size_t done = 0;
  bool ok = true;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(pattern.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(pattern.c_str());
  return ok;
}

}  // namespace

ProfileStore::ProfileStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> ProfileStore::ReadString(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const std::string& line : ReadLines(file_)) {
    if (auto name = SectionName(line)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto kv = SplitKey(line); kv && SameName(kv->key, key)) return std::string(kv->value);
  }
  return std::nullopt;
}

std::optional<std::int32_t> ProfileStore::ReadInt(std::string_view section, std::string_view key) const {
  const auto text = ReadString(section, key);
  if (!text || text->empty()) return std::nullopt;
  std::string_view digits = *text;
  if (digits.front() == '+') digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

bool ProfileStore::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool ProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  FileLock lock(file_);
  if (!lock.Held()) return false;

  std::vector<std::string> lines = ReadLines(file_);
  const std::string entry = std::string(key) + "=" + std::string(value);
  bool inSection = false;
  bool sectionFound = false;
  size_t insertAt = lines.size();
  bool replaced = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (auto name = SectionName(lines[i])) {
      if (inSection) break;  // end of our section: insert before the next one
      inSection = SameName(*name, section);
      if (inSection) {
        sectionFound = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    if (auto kv = SplitKey(lines[i])) {
      if (SameName(kv->key, key)) {
        lines[i] = entry;
        replaced = true;
        break;
      }
      insertAt = i + 1;
    }
  }
  if (!replaced) {
    if (sectionFound) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    } else {
      if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(entry);
    }
  }
  std::ostringstream out;
  for (const std::string& l : lines) out << l << '\n';
  return WriteAtomically(file_, out.str());
}

std::filesystem::path ProfilePathFor(std::string_view company, std::string_view application) {
  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && std::filesystem::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".config";
  }
  return base / std::string(company) / (std::string(application) + ".ini");
}

}  // namespace platform

#include "platform/core/profile_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "platform/core/plain_file.h"

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

// Settings files are small; anything larger is not one of ours and is left alone.
constexpr std::size_t kMaxFileBytes = 4 << 20;

// The whole file, "" when it does not exist, nothing (with the reason) when it exists but
// cannot be read: a write must then leave it alone rather than replace it with a file that
// lost every other value. Pipes and devices count as unreadable and are never waited on.
std::optional<std::string> ReadWhole(const std::filesystem::path& file, std::string* why = nullptr) {
  ReadProblem problem;
  std::optional<std::string> text = ReadPlainFile(file.string(), kMaxFileBytes, &problem);
  if (text) return text;
  if (problem.missing) return std::string();
  if (why) *why = problem.why == "too large" ? "too large for a settings file" : problem.why;
  return std::nullopt;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Where a write must go: through symbolic links to the file they name (which may not exist
// yet), so that a settings file kept elsewhere and linked in stays where it is.
std::filesystem::path FollowLinks(std::filesystem::path file) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec))) break;
    const std::filesystem::path target = std::filesystem::read_symlink(file, ec);
    if (ec) break;
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  return file;
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

// The copy a write makes before renaming it over the file: ".<name>.<8 hex digits>" beside it.
std::string CopyPrefix(const std::filesystem::path& file) { return "." + file.filename().string() + "."; }

bool IsCopyName(const std::string& prefix, const std::string& name) {
  if (name.size() != prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// A writer killed between making its copy and renaming it leaves the copy behind, and each
// such crash would add one. Every writer holds a lock on its copy for as long as it works on
// it, so a copy nobody holds is a leftover and goes.
void RemoveLeftoverCopies(const std::filesystem::path& file) {
  const std::string prefix = CopyPrefix(file);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& path = it->path();
    if (!IsCopyName(prefix, path.filename().string())) continue;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
}

// Replaces `file` with `content` by renaming a finished copy over it, so a crash leaves the
// old file or the new one, never a mix. The copy takes the old file's permissions (a new
// file gets the usual ones under the umask).
bool WriteAtomically(const std::filesystem::path& file, const std::string& content, std::string* why) {
  struct stat old {};
  const bool existed = ::stat(file.c_str(), &old) == 0;
  std::random_device random;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    temp = (file.parent_path() / (CopyPrefix(file) + suffix)).string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  // Marks the copy as in use until it is renamed or this process ends, however it ends.
  ::flock(fd, LOCK_EX | LOCK_NB);
  bool ok = true;
  if (existed) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    // Only root may give the copy the old owner; anyone else owns the files they write.
    if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
      [[maybe_unused]] const int kept = ::fchown(fd, old.st_uid, old.st_gid);
    }
  }
  size_t done = 0;
  while (ok && done < content.size()) {
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
  if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
  if (!ok) {
    *why = std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself is only safe once the folder is on disk too.
  const int dir = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace

std::optional<std::string> FindProfileString(std::string_view text, std::string_view section, std::string_view key) {
  bool inSection = false;
  for (const std::string& line : SplitLines(std::string(text))) {
    if (auto name = SectionName(line)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto kv = SplitKey(line); kv && SameName(kv->key, key)) return std::string(kv->value);
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseProfileInt(std::string_view text) {
  // from_chars takes a minus but not a plus, so a plus is taken off first; what follows it
  // must be digits, not a second sign.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ProfileStore::ProfileStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> ProfileStore::ReadString(std::string_view section, std::string_view key) const {
  const std::optional<std::string> text = ReadWhole(file_);
  if (!text) return std::nullopt;
  return FindProfileString(*text, section, key);
}

std::optional<std::int32_t> ProfileStore::ReadInt(std::string_view section, std::string_view key) const {
  const auto text = ReadString(section, key);
  if (!text) return std::nullopt;
  return ParseProfileInt(*text);
}

bool ProfileStore::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool ProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  FileLock lock(file_);
  if (!lock.Held()) return Failed("cannot lock it (" + std::string(std::strerror(errno)) + ")");

  const std::filesystem::path target = FollowLinks(file_);
  RemoveLeftoverCopies(target);
  std::string why;
  const std::optional<std::string> text = ReadWhole(target, &why);
  if (!text) return Failed("cannot read it (" + why + ")");
  std::vector<std::string> lines = SplitLines(*text);
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
  if (!WriteAtomically(target, out.str(), &why)) return Failed(why);
  return true;
}

bool ProfileStore::Failed(const std::string& why) {
  // One line for the first failure: a program writes several values at exit, and the
  // reason is the same for all of them.
  if (!failureReported_) {
    std::fprintf(stderr, "%s: settings not saved to %s: %s\n", program_invocation_short_name, file_.c_str(),
                 why.c_str());
    failureReported_ = true;
  }
  return false;
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

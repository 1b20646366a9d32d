// The settings file when things go wrong around it: a writer killed at any moment, a disk
// that fills up, a file size limit, a folder that cannot be written. Each time the old file
// must stay whole and readable, and a failure must be said once, in one line.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <random>
#include <thread>

#include "program_fixture.h"
#include "settings_writer/settings_rounds.h"

namespace fs = std::filesystem;
using platform::ProfileStore;

namespace {

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// Everything in the settings file's folder but the file and its lock: what writes left behind.
std::vector<std::string> StrayFiles(const fs::path& file) {
  std::vector<std::string> stray;
  for (const auto& e : fs::directory_iterator(file.parent_path())) {
    const std::string name = e.path().filename().string();
    if (name != file.filename().string() && name != file.filename().string() + ".lock") stray.push_back(name);
  }
  return stray;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Mounts for the test's own folders, undone when the object goes, whatever the test's end.
// Only root may mount; Why() says what stood in the way.
class ScopedMount {
 public:
  ScopedMount() = default;
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;
  ~ScopedMount() {
    if (!where_.empty()) umount2(where_.c_str(), MNT_DETACH);
  }

  bool Mount(const char* source, const fs::path& where, const char* type, unsigned long flags, const char* data) {
    if (geteuid() != 0) {
      why_ = "not root";
      return false;
    }
    if (mount(source, where.c_str(), type, flags, data) != 0) {
      why_ = std::string("mount: ") + std::strerror(errno);
      return false;
    }
    if (where_.empty() && !(flags & MS_REMOUNT)) where_ = where;
    return true;
  }
  const std::string& Why() const { return why_; }

 private:
  fs::path where_;
  std::string why_;
};

// A folder made read-only for as long as the object lives. Root writes through any
// permission bits, so for root it is a read-only bind mount of the folder over itself, as
// a folder on a read-only file system; for anyone else its permission bits.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const fs::path& folder) : folder_(folder) {
    if (geteuid() == 0) {
      ready_ = mount_.Mount(folder.c_str(), folder, nullptr, MS_BIND, nullptr) &&
               mount_.Mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
      why_ = mount_.Why();
    } else {
      ready_ = chmod(folder.c_str(), 0555) == 0;
      if (!ready_) why_ = std::string("chmod: ") + std::strerror(errno);
    }
  }
  ~ReadOnlyFolder() {
    if (geteuid() != 0) chmod(folder_.c_str(), 0755);
  }
  bool Ready() const { return ready_; }
  const std::string& Why() const { return why_; }

 private:
  fs::path folder_;
  ScopedMount mount_;
  bool ready_ = false;
  std::string why_;
};

class ProfileStoreFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-faults-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Folder() const { return dir_ / "Orvant"; }
  fs::path File() const { return Folder() / "Lumivane.ini"; }

  fs::path dir_;
};

// ---- A writer killed at any moment ----

// The file as the test started it, with the values of the settings left out: a write may
// change values, never anything else.
std::string WithoutValues(const std::string& text, const std::vector<settings_rounds::Key>& keys) {
  std::string out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    const bool ours = eq != std::string::npos && std::any_of(keys.begin(), keys.end(), [&](const auto& k) {
                        return k.name == line.substr(0, eq);
                      });
    out += (ours ? line.substr(0, eq + 1) : line) + "\n";
  }
  return out;
}

// Starts the writer on `file` and returns once it is about to make its first write; -1 when
// it did not get that far.
pid_t StartWriter(const fs::path& file, int generation) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(ready[1], STDOUT_FILENO);
    close(ready[0]);
    close(ready[1]);
    const std::string number = std::to_string(generation);
    execl(LV_SETTINGS_WRITER, "settings_writer", file.c_str(), number.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  char byte = 0;
  ssize_t n;
  while ((n = read(ready[0], &byte, 1)) < 0 && errno == EINTR) {
  }
  close(ready[0]);
  if (n == 1) return pid;
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST_F(ProfileStoreFaultsTest, AWriterKilledAtAnyMomentLeavesEveryValueOldOrNewAndNoCopiesPilingUp) {
  // What a killed process wrote stays, whatever the file system, so the writers work in
  // memory where there is such a folder: without waiting for the disk, a write takes a
  // fraction of a millisecond, and the kills spread over every step of many writes.
  char inMemory[] = "/dev/shm/lumivane-faults-XXXXXX";
  if (mkdtemp(inMemory)) {
    fs::remove_all(dir_);
    dir_ = inMemory;
  }
  const std::vector<settings_rounds::Key> keys = settings_rounds::KeysInWriteOrder();
  // Written by hand, with a comment and another section that the writes must keep.
  std::string seed = "; kept by hand\n[Config]\n";
  std::vector<std::string> previous;
  for (const auto& key : keys) {
    const settings_rounds::Stamp start{0, 0};
    previous.push_back(key.text ? settings_rounds::TextValue(start)
                                : std::to_string(settings_rounds::StampNumber(start)));
    seed += key.name + "=" + previous.back() + "\n";
  }
  seed += "\n[Other]\nKeep=yes\n";
  WriteText(File(), seed);
  const std::string shape = WithoutValues(seed, keys);

  constexpr int kKills = 300;
  // How long a writer lives after its start: most for a round or less, so that the kills
  // fall thickly over the first writes; every eighth for up to a few dozen rounds.
  std::uniform_int_distribution<int> shortLife(0, 3000), longLife(0, 50000);
  const unsigned seedOfChance = std::random_device()();
  std::mt19937 chance(seedOfChance);
  int killsWithNewValues = 0, killsMidWrite = 0, deepestRound = 0;
  const auto began = std::chrono::steady_clock::now();

  for (int generation = 1; generation <= kKills; ++generation) {
    SCOPED_TRACE("kill " + std::to_string(generation) + " (random seed " + std::to_string(seedOfChance) + ")");
    const pid_t writer = StartWriter(File(), generation);
    ASSERT_GT(writer, 0) << "the writer did not start";
    std::this_thread::sleep_for(std::chrono::microseconds(generation % 8 ? shortLife(chance) : longLife(chance)));
    ASSERT_EQ(kill(writer, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer ended by itself: " << status;

    const std::string text = FileText(File());
    ASSERT_EQ(WithoutValues(text, keys), shape) << text;
    // Each value is the one before this writer or one of its rounds; and since the writer
    // goes through the keys in order, the keys' rounds fall by at most one, once, along
    // that order: nothing it wrote went missing.
    ProfileStore store(File());
    std::vector<int> rounds;
    for (size_t i = 0; i < keys.size(); ++i) {
      const std::optional<std::string> value = store.ReadString(settings::kSection, keys[i].name);
      ASSERT_TRUE(value.has_value()) << keys[i].name << " is missing:\n" << text;
      if (*value == previous[i]) {
        rounds.push_back(-1);
        continue;
      }
      const std::optional<settings_rounds::Stamp> stamp = settings_rounds::StampOf(keys[i], *value);
      ASSERT_TRUE(stamp && stamp->generation == generation) << keys[i].name << "=" << *value << " was never written";
      if (!keys[i].text) {
        ASSERT_EQ(store.ReadInt(settings::kSection, keys[i].name), settings_rounds::StampNumber(*stamp));
      }
      rounds.push_back(stamp->round);
      previous[i] = *value;
    }
    ASSERT_TRUE(std::is_sorted(rounds.rbegin(), rounds.rend()) && rounds.front() - rounds.back() <= 1) << text;
    killsWithNewValues += rounds.front() >= 0;
    deepestRound = std::max(deepestRound, rounds.front());

    // The killed writer's own copy may be there; those of the writers before it are gone.
    const std::vector<std::string> stray = StrayFiles(File());
    ASSERT_LE(stray.size(), 1u) << stray.size() << " files beside the settings, such as " << stray.front();
    killsMidWrite += stray.size() == 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::cout << kKills << " writers killed in " << seconds << " s: " << killsMidWrite << " between making a copy and "
            << "renaming it, " << killsWithNewValues << " after changing values, deepest round " << deepestRound
            << "\n";
  // The kills must have landed inside writes and between them, or the test proved nothing.
  EXPECT_GT(killsMidWrite, 0);
  EXPECT_GT(killsWithNewValues, 0);

  // The next write clears what the last kill left.
  ProfileStore store(File());
  ASSERT_TRUE(store.WriteInt(settings::kSection, "FrameSizeNo", 4));
  EXPECT_TRUE(StrayFiles(File()).empty());
  EXPECT_EQ(store.ReadString("Other", "Keep"), "yes");
}

TEST_F(ProfileStoreFaultsTest, ACopyStillBeingWrittenIsNotTakenForALeftover) {
  // A writer that reached the same file by another name takes another lock, so it may be
  // between making its copy and renaming it while this one writes: its copy must stay.
  WriteText(File(), "[Config]\nA=1\n");
  const fs::path busy = Folder() / ".Lumivane.ini.0badc0de";
  const fs::path left = Folder() / ".Lumivane.ini.12345678";
  const fs::path alike[] = {Folder() / ".Lumivane.ini.1234567", Folder() / ".Lumivane.ini.bak",
                            Folder() / ".Other.ini.12345678"};
  for (const fs::path& copy : {busy, left}) WriteText(copy, "[Config]\nA=2\n");
  for (const fs::path& other : alike) WriteText(other, "");

  // The busy copy is held by another process, as a writer holds its own.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int fd = open(busy.c_str(), O_RDONLY | O_CLOEXEC);
    const bool locked = fd >= 0 && flock(fd, LOCK_EX) == 0;
    if (write(ready[1], locked ? "L" : "N", 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  close(ready[0]);
  ASSERT_EQ(answer, 'L');

  ProfileStore store(File());
  EXPECT_TRUE(store.WriteInt("Config", "A", 4));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);

  EXPECT_TRUE(fs::exists(busy));
  EXPECT_FALSE(fs::exists(left));
  // Names that only look alike are somebody else's.
  for (const fs::path& other : alike) EXPECT_TRUE(fs::exists(other)) << other;
  EXPECT_EQ(store.ReadInt("Config", "A"), 4);
}

// ---- Writes that fail ----

// Values in the file, a few long.
void WriteSomeSettings(ProfileStore& store) {
  for (const settings::Entry& entry : settings::kAll) ASSERT_TRUE(store.WriteInt("Config", entry.name, 3));
  ASSERT_TRUE(store.WriteString("Config", "Note", std::string(200, '1')));
}

// What failing writes must leave: the old file as it was, no copy beside it, and one line
// naming the file and the reason, said once however many writes fail.
void ExpectFailedWritesLeaveTheFile(ProfileStore& store, const std::string& reason) {
  const std::string before = FileText(store.Path());
  ASSERT_FALSE(before.empty());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.WriteInt("Config", "FrameSizeNo", 5));
  EXPECT_FALSE(store.WriteString("Config", "Note", std::string(3000, '7')));
  EXPECT_FALSE(store.WriteInt("Config", "Another", 1));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Lines(said), 1u) << said;
  EXPECT_NE(said.find("settings not saved to " + store.Path().string() + ": "), std::string::npos) << said;
  EXPECT_NE(said.find(reason), std::string::npos) << said;
  EXPECT_EQ(FileText(store.Path()), before);
  EXPECT_EQ(StrayFiles(store.Path()), std::vector<std::string>{});
}

TEST_F(ProfileStoreFaultsTest, AFullDiskLeavesTheOldFileAndSaysSoOnce) {
  // A file system of 16 pages of the test's own, filled up beside the settings folder.
  ScopedMount disk;
  if (!disk.Mount("lumivane-test", dir_, "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700")) {
    GTEST_SKIP() << "a full disk needs a file system of the test's own, which cannot be mounted here (" << disk.Why()
                 << ")";
  }
  ProfileStore store(File());
  WriteSomeSettings(store);
  {
    std::ofstream filler(dir_ / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  const int probe = open((dir_ / "probe").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(probe, 0);
  errno = 0;
  EXPECT_EQ(write(probe, "x", 1), -1);
  ASSERT_EQ(errno, ENOSPC) << "the disk did not fill up";
  close(probe);

  ExpectFailedWritesLeaveTheFile(store, std::strerror(ENOSPC));

  // With room again, the same store writes as before.
  fs::remove(dir_ / "filler");
  EXPECT_TRUE(store.WriteInt("Config", "FrameSizeNo", 5));
  EXPECT_EQ(store.ReadInt("Config", "FrameSizeNo"), 5);
  EXPECT_EQ(store.ReadInt("Config", "ClockColor"), 3);
}

TEST_F(ProfileStoreFaultsTest, AWriteCutShortByTheFileSizeLimitLeavesTheOldFile) {
  // A write that stops part way through the copy, in any process: the limit on file size
  // turns the rest of the copy into an error.
  ProfileStore store(File());
  WriteSomeSettings(store);
  const std::string before = FileText(File());
  ASSERT_GT(before.size(), 200u);
  const fs::path said = dir_ / "stderr.txt";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int log = open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0 || dup2(log, STDERR_FILENO) < 0) _exit(10);
    const rlimit limit{200, 200};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(11);
    signal(SIGXFSZ, SIG_IGN);
    ProfileStore writer(File());
    const bool anyWritten = writer.WriteInt("Config", "FrameSizeNo", 5) || writer.WriteInt("Config", "Another", 1);
    _exit(anyWritten ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a write went through";
  const std::string message = FileText(said);
  EXPECT_EQ(Lines(message), 1u) << message;
  EXPECT_NE(message.find("settings not saved to " + File().string() + ": " + std::strerror(EFBIG)),
            std::string::npos)
      << message;
  EXPECT_EQ(FileText(File()), before);
  EXPECT_EQ(StrayFiles(File()), std::vector<std::string>{});
}

TEST_F(ProfileStoreFaultsTest, AReadOnlyFolderLeavesTheOldFileAndSaysSoOnce) {
  ProfileStore store(File());
  WriteSomeSettings(store);
  ReadOnlyFolder readOnly(Folder());
  if (!readOnly.Ready()) GTEST_SKIP() << "the folder cannot be made read-only here (" << readOnly.Why() << ")";
  // Nothing can be made there, whoever the test runs as.
  EXPECT_LT(open((Folder() / "probe").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644), 0);
  const int refusal = errno;
  EXPECT_TRUE(refusal == EROFS || refusal == EACCES) << std::strerror(refusal);

  ExpectFailedWritesLeaveTheFile(store, std::strerror(refusal));
  EXPECT_EQ(store.ReadInt("Config", "FrameSizeNo"), 3);
}

}  // namespace

TEST_F(ProgramTest, SettingsThatCannotBeSavedAreSaidOnceAndTheProgramCarriesOn) {
  WriteSetting("ClockColor", 2);
  WriteSetting("FrameSizeNo", 4);
  const std::string before = FileText(SettingsFile());
  ReadOnlyFolder readOnly(SettingsFile().parent_path());
  if (!readOnly.Ready()) GTEST_SKIP() << "the folder cannot be made read-only here (" << readOnly.Why() << ")";

  testing::internal::CaptureStderr();
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  EXPECT_EQ(Doc()->ClockColor, 2);
  // A value changed, then the ordinary end, which saves every value and the position.
  Doc()->ClockColor = 5;
  ::SetWindowPos(frame, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  platform::RequestTermination();
  platform::PumpPendingMessages();
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_TRUE(backend->tray.empty());
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_EQ(Lines(said), 1u) << said;
  EXPECT_NE(said.find("settings not saved to " + SettingsFile().string()), std::string::npos) << said;
  EXPECT_EQ(FileText(SettingsFile()), before);
}

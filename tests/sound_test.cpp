// sndPlaySound: where a sound is found, which files are refused, stopping and replacing, on
// the headless backend; and the sound player against a real PulseAudio server the tests start
// themselves, and without any server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/sound/sound_player.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// ---- Files ----

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

// A 16-bit PCM mono WAV file of a soft tone, `frames` long at 22050 Hz, as its bytes.
std::string WaveBytes(std::uint32_t frames) {
  constexpr std::uint32_t kRate = 22050;
  std::string data;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double tone = std::sin(2.0 * 3.14159265358979 * 440.0 * i / kRate);
    Put16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(3000 * tone)));
  }
  std::string file = "RIFF";
  Put32(file, static_cast<std::uint32_t>(36 + data.size()));
  file += "WAVEfmt ";
  Put32(file, 16);
  Put16(file, 1);  // PCM
  Put16(file, 1);  // mono
  Put32(file, kRate);
  Put32(file, kRate * 2);
  Put16(file, 2);
  Put16(file, 16);
  file += "data";
  Put32(file, static_cast<std::uint32_t>(data.size()));
  return file + data;
}

// Half a second of sound.
const std::string& GoodWave() {
  static const std::string bytes = WaveBytes(11025);
  return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

fs::path MakeTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "lumivane-sound-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  if (!made) throw std::runtime_error("cannot make a temporary folder");
  return made;
}

// Sets an environment variable for the length of a test and puts the old value back.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// ---- sndPlaySound on the headless backend ----

// Every folder a bare sound name is looked for in, each a folder of the test's own.
class SoundLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder();
    program_ = root_ / "program";
    dataHome_ = root_ / "data-home";
    dataDirs_ = {root_ / "data-1", root_ / "data-2"};
    fs::create_directories(program_);
    env_.Set("XDG_DATA_HOME", dataHome_.string());
    env_.Set("XDG_DATA_DIRS", dataDirs_[0].string() + ":" + dataDirs_[1].string());
    platform::SetProgramFolder(program_.string());
    backend_ = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend_));
  }
  void TearDown() override {
    platform::Shutdown();
    platform::SetProgramFolder("");
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }

  // The one sound file of each folder a bare name is looked for in, in search order.
  std::vector<fs::path> Places(const std::string& name) const {
    return {program_ / name, dataHome_ / "sounds" / name, dataDirs_[0] / "sounds" / name,
            dataDirs_[1] / "sounds" / name};
  }

  bool SomethingPlayed() const {
    for (const std::string& call : backend_->sounds) {
      if (call.rfind("play ", 0) == 0) return true;
    }
    return false;
  }

  fs::path root_, program_, dataHome_;
  std::vector<fs::path> dataDirs_;
  ScopedEnvironment env_;
  platform::HeadlessBackend* backend_ = nullptr;
};

TEST_F(SoundLookup, AboutBoxFlagsAreTheClassicValues) {
  EXPECT_EQ(SND_ASYNC | SND_LOOP, 9u);
  EXPECT_EQ(SND_SYNC, 0u);
  EXPECT_EQ(SND_NODEFAULT, 2u);
}

TEST_F(SoundLookup, EachFolderIsSearchedInTurn) {
  const std::vector<fs::path> places = Places("nature.wav");
  for (const fs::path& place : places) WriteFile(place, GoodWave());
  // Each round takes away the folder found before, so the next one must be found.
  for (const fs::path& place : places) {
    SCOPED_TRACE(place.string());
    EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
    EXPECT_EQ(backend_->soundPlaying, place.string());
    ASSERT_FALSE(backend_->sounds.empty());
    EXPECT_EQ(backend_->sounds.back(), "play " + place.string() + " loop");
    fs::remove(place);
  }
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), FALSE);
  EXPECT_EQ(backend_->soundPlaying, "");
}

TEST_F(SoundLookup, ProgramFolderWinsOverTheDataFolders) {
  const std::vector<fs::path> places = Places("nature.wav");
  WriteFile(places[0], GoodWave());
  WriteFile(places[3], GoodWave());
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(backend_->sounds.back(), "play " + places[0].string() + " once");
}

TEST_F(SoundLookup, UserDataFolderDefaultsToLocalShareOfHome) {
  const fs::path home = root_ / "home";
  env_.Set("HOME", home.string());
  env_.Set("XDG_DATA_HOME", std::nullopt);
  const fs::path place = home / ".local/share/sounds/nature.wav";
  WriteFile(place, GoodWave());
  WriteFile(Places("nature.wav")[2], GoodWave());
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(backend_->soundPlaying, place.string());
}

TEST_F(SoundLookup, RelativeDataFoldersAreIgnored) {
  // A relative XDG_DATA_HOME counts as unset; relative entries of XDG_DATA_DIRS are skipped.
  const fs::path cwd = root_ / "cwd";
  WriteFile(cwd / "rel/sounds/nature.wav", GoodWave());
  WriteFile(dataDirs_[1] / "sounds/nature.wav", GoodWave());
  const fs::path before = fs::current_path();
  fs::current_path(cwd);
  env_.Set("HOME", (root_ / "empty-home").string());
  env_.Set("XDG_DATA_HOME", "rel");
  env_.Set("XDG_DATA_DIRS", "rel:" + dataDirs_[1].string());
  const BOOL played = sndPlaySound("nature.wav", SND_ASYNC);
  fs::current_path(before);
  EXPECT_EQ(played, TRUE);
  EXPECT_EQ(backend_->soundPlaying, (dataDirs_[1] / "sounds/nature.wav").string());
}

TEST_F(SoundLookup, NameWithAFolderIsUsedAsItIs) {
  const fs::path elsewhere = root_ / "elsewhere" / "chime.wav";
  WriteFile(elsewhere, GoodWave());
  WriteFile(program_ / "chime.wav", GoodWave());
  EXPECT_EQ(sndPlaySound(elsewhere.string().c_str(), SND_ASYNC | SND_LOOP), TRUE);
  EXPECT_EQ(backend_->soundPlaying, elsewhere.string());

  // Not looked for anywhere else, not even where its last part would be found.
  EXPECT_EQ(sndPlaySound("missing/chime.wav", SND_ASYNC), FALSE);
  EXPECT_EQ(backend_->soundPlaying, "");
  EXPECT_EQ(backend_->sounds.back(), "stop");
}

TEST_F(SoundLookup, MissingSoundPlaysNothing) {
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), FALSE);
  EXPECT_EQ(sndPlaySound("", SND_ASYNC), FALSE);
  EXPECT_FALSE(SomethingPlayed());
  EXPECT_EQ(backend_->soundPlaying, "");
}

// A file found under the name that is no sound: refused, with nothing playing. Bad files of
// every kind at once would hide one another, so each gets a fresh program folder.
TEST_F(SoundLookup, MalformedFilesAreRefused) {
  const std::string good = GoodWave();
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919 + 13) % 251));
  // A sound with its header cut short, a valid header with no frames, and a header whose
  // format block says 0 channels.
  std::string noChannels = good;
  noChannels[22] = 0;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"garbage", garbage},
      {"truncated header", good.substr(0, 30)},
      {"riff only", good.substr(0, 12)},
      {"no frames", WaveBytes(0)},
      {"zero channels", noChannels},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    fs::remove_all(program_);
    WriteFile(program_ / "nature.wav", bytes);
    backend_->sounds.clear();
    EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), FALSE);
    EXPECT_FALSE(SomethingPlayed());
    EXPECT_EQ(backend_->soundPlaying, "");
    ASSERT_FALSE(backend_->sounds.empty());
    EXPECT_EQ(backend_->sounds.back(), "refused " + (program_ / "nature.wav").string());
  }
  // The same bytes, whole, play: the cases above fail for what they lack.
  WriteFile(program_ / "nature.wav", good);
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
}

TEST_F(SoundLookup, FoldersAndPipesOfTheNameArePassedOver) {
  fs::create_directories(program_ / "nature.wav");
  fs::create_directories(dataHome_ / "sounds");
  ASSERT_EQ(mkfifo((dataHome_ / "sounds" / "nature.wav").c_str(), 0600), 0);
  // Nothing else of the name: nothing plays, and nobody waits on the pipe.
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC), FALSE);
  EXPECT_FALSE(SomethingPlayed());
  // A pipe named as a path is no sound either.
  EXPECT_EQ(sndPlaySound((dataHome_ / "sounds" / "nature.wav").c_str(), SND_ASYNC), FALSE);
  EXPECT_FALSE(SomethingPlayed());

  const fs::path real = dataDirs_[0] / "sounds" / "nature.wav";
  WriteFile(real, GoodWave());
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(backend_->soundPlaying, real.string());
}

TEST_F(SoundLookup, UnreadableFileIsRefused) {
  const fs::path place = program_ / "nature.wav";
  WriteFile(place, GoodWave());
  fs::permissions(place, fs::perms::none);
  if (access(place.c_str(), R_OK) == 0) {
    GTEST_SKIP() << "permissions do not keep this user (root) from reading";
  }
  EXPECT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), FALSE);
  EXPECT_FALSE(SomethingPlayed());
}

TEST_F(SoundLookup, NullStopsTheSound) {
  WriteFile(program_ / "nature.wav", GoodWave());
  ASSERT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
  EXPECT_EQ(sndPlaySound(nullptr, SND_ASYNC | SND_LOOP), TRUE);
  EXPECT_EQ(backend_->soundPlaying, "");
  EXPECT_EQ(backend_->sounds.back(), "stop");
  // A stop with nothing playing is no failure.
  EXPECT_EQ(sndPlaySound(nullptr, 0), TRUE);
}

TEST_F(SoundLookup, NextSoundReplacesTheOneThatPlays) {
  WriteFile(program_ / "nature.wav", GoodWave());
  WriteFile(program_ / "chime.wav", GoodWave());
  ASSERT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
  ASSERT_EQ(sndPlaySound("chime.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(backend_->soundPlaying, (program_ / "chime.wav").string());
  EXPECT_EQ(backend_->sounds.back(), "play " + (program_ / "chime.wav").string() + " once");

  // A sound that cannot be played stops the one before all the same.
  ASSERT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
  EXPECT_EQ(sndPlaySound("missing.wav", SND_ASYNC | SND_LOOP), FALSE);
  EXPECT_EQ(backend_->soundPlaying, "");
  WriteFile(program_ / "broken.wav", "RIFF");
  ASSERT_EQ(sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP), TRUE);
  EXPECT_EQ(sndPlaySound("broken.wav", SND_ASYNC | SND_LOOP), FALSE);
  EXPECT_EQ(backend_->soundPlaying, "");
}

TEST_F(SoundLookup, ProgramFolderIsTheExecutablesUnlessSet) {
  platform::SetProgramFolder("");
  EXPECT_EQ(fs::path(platform::ProgramFolder()), fs::read_symlink("/proc/self/exe").parent_path());
  platform::SetProgramFolder(program_.string());
  EXPECT_EQ(platform::ProgramFolder(), program_.string());
}

// ---- The sound player and a real sound server ----

// Runs a command and returns what it wrote, or nothing when it failed.
std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

bool HavePulseAudio() { return RunCommand("command -v pulseaudio && command -v pactl").has_value(); }

// The tests' own sound server: a PulseAudio with one null sink (heard by nobody), talking on
// a socket in a temporary folder, with its home and runtime folders there too, so that it
// meets no other server and leaves nothing behind. The process's PULSE_SERVER points to it,
// for the player and for pactl.
class SoundServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePulseAudio()) GTEST_SKIP() << "the pulseaudio server is not installed (scripts/setup.sh installs it)";
    root_ = MakeTempFolder();
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "runtime");
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    socket_ = root_ / "server.sock";
    env_.Set("PULSE_SERVER", "unix:" + socket_.string());
    // The client's cookie would otherwise be made in the user's own home.
    env_.Set("PULSE_COOKIE", (root_ / "client-cookie").string());
    StartServer();
    if (!HasFatalFailure()) WaitForServer();
  }
  void TearDown() override {
    player_.reset();
    if (server_ > 0) {
      kill(server_, SIGTERM);
      int status = 0;
      const auto deadline = Clock::now() + std::chrono::seconds(3);
      while (waitpid(server_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
          kill(server_, SIGKILL);
          waitpid(server_, &status, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }

  void StartServer() {
    const std::string log = (root_ / "server.log").string();
    const std::string home = (root_ / "home").string();
    const std::string runtime = (root_ / "runtime").string();
    const std::string protocol = "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_.string();
    server_ = fork();
    ASSERT_GE(server_, 0);
    if (server_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(out, 2);
      setenv("HOME", home.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
      // As root the server warns that it is meant for a user session, and runs all the same.
      execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
             "--realtime=no", "--high-priority=no", "--log-target=stderr",
             "--load=module-null-sink sink_name=test", protocol.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  // The server takes a moment to come up: ask until it answers.
  void WaitForServer() {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!RunCommand("pactl info")) {
      int status = 0;
      ASSERT_EQ(waitpid(server_, &status, WNOHANG), 0) << "the sound server ended at once:\n" << ServerLog();
      ASSERT_LT(Clock::now(), deadline) << "the sound server did not answer:\n" << ServerLog();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::string ServerLog() const {
    std::ifstream in(root_ / "server.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The names of the streams playing into the server now.
  std::vector<std::string> Streams() {
    const std::optional<std::string> out = RunCommand("pactl list sink-inputs");
    EXPECT_TRUE(out.has_value());
    std::vector<std::string> names;
    const std::string key = "media.name = \"";
    for (size_t at = out ? out->find(key) : std::string::npos; at != std::string::npos; at = out->find(key, at + 1)) {
      const size_t start = at + key.size();
      names.push_back(out->substr(start, out->find('"', start) - start));
    }
    return names;
  }

  // Waits up to `timeout` for the server's streams to be `expected`; true when they are.
  bool StreamsBecome(const std::vector<std::string>& expected, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      if (Streams() == expected) return true;
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  fs::path WriteSound(const std::string& name) {
    const fs::path path = root_ / name;
    WriteFile(path, GoodWave());
    return path;
  }

  fs::path root_, socket_;
  pid_t server_ = -1;
  ScopedEnvironment env_;
  std::unique_ptr<platform::SoundPlayer> player_ = std::make_unique<platform::SoundPlayer>();
};

long MillisecondsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST_F(SoundServer, LoopPlaysUntilStoppedAndStopsAtOnce) {
  const fs::path sound = WriteSound("nature.wav");
  ASSERT_TRUE(player_->Play(sound.string(), true));
  ASSERT_TRUE(StreamsBecome({"nature.wav"}, std::chrono::seconds(3))) << ServerLog();

  // Well past the end of the half-second file the loop still plays, in the same stream.
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(Streams(), std::vector<std::string>{"nature.wav"});
  EXPECT_FALSE(player_->WaitUntilSilent(std::chrono::milliseconds(0)));

  const auto stopAsked = Clock::now();
  player_->Stop();
  const long stopMs = MillisecondsSince(stopAsked);
  RecordProperty("stop_ms", static_cast<int>(stopMs));
  EXPECT_LT(stopMs, 500) << "the stop took " << stopMs << " ms";
  EXPECT_TRUE(player_->WaitUntilSilent(std::chrono::milliseconds(0)));
  // The connection is closed with the stop: the stream is gone from the server.
  EXPECT_TRUE(StreamsBecome({}, std::chrono::seconds(1)));
}

TEST_F(SoundServer, SoundPlayedOnceEndsByItselfAfterPlaying) {
  const fs::path sound = WriteSound("chime.wav");
  const auto start = Clock::now();
  ASSERT_TRUE(player_->Play(sound.string(), false));
  ASSERT_TRUE(StreamsBecome({"chime.wav"}, std::chrono::seconds(3))) << ServerLog();
  ASSERT_TRUE(player_->WaitUntilSilent(std::chrono::seconds(5)));
  // Written no faster than it is heard: half a second of sound takes about that long.
  EXPECT_GE(MillisecondsSince(start), 400);
  EXPECT_TRUE(StreamsBecome({}, std::chrono::seconds(1)));
}

TEST_F(SoundServer, NextSoundReplacesTheOneThatPlays) {
  const fs::path first = WriteSound("nature.wav");
  const fs::path second = WriteSound("chime.wav");
  ASSERT_TRUE(player_->Play(first.string(), true));
  ASSERT_TRUE(StreamsBecome({"nature.wav"}, std::chrono::seconds(3))) << ServerLog();
  ASSERT_TRUE(player_->Play(second.string(), true));
  EXPECT_TRUE(StreamsBecome({"chime.wav"}, std::chrono::seconds(3)));
  // A file that cannot be played stops the one before and plays nothing.
  WriteFile(root_ / "broken.wav", "RIFF....WAVE");
  EXPECT_FALSE(player_->Play((root_ / "broken.wav").string(), true));
  EXPECT_TRUE(player_->WaitUntilSilent(std::chrono::milliseconds(0)));
  EXPECT_TRUE(StreamsBecome({}, std::chrono::seconds(1)));
}

TEST_F(SoundServer, DroppingThePlayerStopsTheSound) {
  ASSERT_TRUE(player_->Play(WriteSound("nature.wav").string(), true));
  ASSERT_TRUE(StreamsBecome({"nature.wav"}, std::chrono::seconds(3))) << ServerLog();
  player_.reset();
  EXPECT_TRUE(StreamsBecome({}, std::chrono::seconds(1)));
}

// Without a sound server the sound is lost without a word: the call returns at once, nothing
// is printed, and the player's thread ends by itself.
TEST(SoundWithoutServer, PlayIsSilentAndQuick) {
  const fs::path root = MakeTempFolder();
  ScopedEnvironment env;
  env.Set("PULSE_SERVER", "unix:" + (root / "nobody-listens.sock").string());
  env.Set("PULSE_COOKIE", (root / "client-cookie").string());
  WriteFile(root / "nature.wav", GoodWave());

  // Whatever the player or the client library writes to stdout or stderr lands in a file.
  const fs::path capture = root / "output";
  fflush(stdout);
  fflush(stderr);
  const int savedOut = dup(1);
  const int savedErr = dup(2);
  const int into = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(into, 1);
  dup2(into, 2);

  platform::SoundPlayer player;
  const auto start = Clock::now();
  const bool played = player.Play((root / "nature.wav").string(), true);
  const long playMs = MillisecondsSince(start);
  const bool ended = player.WaitUntilSilent(std::chrono::seconds(3));
  const long endMs = MillisecondsSince(start);
  player.Stop();

  fflush(stdout);
  fflush(stderr);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  close(savedOut);
  close(savedErr);
  close(into);

  EXPECT_TRUE(played);  // the file is good; the server's absence is no failure of the call
  EXPECT_LT(playMs, 200);
  EXPECT_TRUE(ended) << "the player still waits for a server after " << endMs << " ms";
  std::ifstream in(capture);
  const std::string printed((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(printed, "");
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

// The player refuses what the headless backend refuses: both ask the one decoder.
TEST(SoundWithoutServer, PlayerRefusesFilesThatAreNoSound) {
  const fs::path root = MakeTempFolder();
  WriteFile(root / "garbage.wav", std::string(4096, '\x5a'));
  WriteFile(root / "empty.wav", "");
  WriteFile(root / "truncated.wav", GoodWave().substr(0, 30));
  platform::SoundPlayer player;
  for (const char* name : {"garbage.wav", "empty.wav", "truncated.wav", "missing.wav"}) {
    EXPECT_FALSE(player.Play((root / name).string(), true)) << name;
    EXPECT_TRUE(player.WaitUntilSilent(std::chrono::milliseconds(0))) << name;
  }
  EXPECT_FALSE(player.Play(root.string(), true));  // a folder
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace

// The settings file that stands in for the registry.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/profile_store.h"

namespace fs = std::filesystem;
using platform::ProfileStore;

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-profile-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path File() const { return dir_ / "Orvant" / "Lumivane.ini"; }

  void WriteRaw(const std::string& text) {
    fs::create_directories(File().parent_path());
    std::ofstream(File()) << text;
  }

  std::string ReadRaw() const {
    std::ifstream in(File());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

TEST_F(ProfileStoreTest, MissingFileSectionOrKeyGivesNothing) {
  ProfileStore store(File());
  EXPECT_FALSE(store.ReadInt("Config", "EdgeFlg"));
  WriteRaw("[Other]\nEdgeFlg=3\n");
  EXPECT_FALSE(store.ReadInt("Config", "EdgeFlg"));
}

TEST_F(ProfileStoreTest, ReadsSignedThirtyTwoBitDecimalsOnly) {
  WriteRaw(
      "; comment\n[Config]\nA=12\nB = -1\nC=+7\nD=2147483647\nE=-2147483648\nF=2147483648\nG=12abc\nH=\nI=0x10\n"
      "J= 5 \r\n");
  ProfileStore store(File());
  EXPECT_EQ(store.ReadInt("Config", "A"), 12);
  EXPECT_EQ(store.ReadInt("Config", "B"), -1);
  EXPECT_EQ(store.ReadInt("Config", "C"), 7);
  EXPECT_EQ(store.ReadInt("Config", "D"), 2147483647);
  EXPECT_EQ(store.ReadInt("Config", "E"), -2147483647 - 1);
  EXPECT_FALSE(store.ReadInt("Config", "F"));  // out of range
  EXPECT_FALSE(store.ReadInt("Config", "G"));
  EXPECT_FALSE(store.ReadInt("Config", "H"));
  EXPECT_FALSE(store.ReadInt("Config", "I"));
  EXPECT_EQ(store.ReadInt("Config", "J"), 5);
  // Names compare without regard to case, as registry names do.
  EXPECT_EQ(store.ReadInt("config", "a"), 12);
}

TEST_F(ProfileStoreTest, ASignIsFollowedByDigitsOnly) {
  // "+-7" was read as -7: the plus was taken off and the rest parsed as a number.
  WriteRaw("[Config]\nA=+-7\nB=++7\nC=-+7\nD=--7\nE=+\nF=-\nG=+0\nH=-0\n");
  ProfileStore store(File());
  for (const char* key : {"A", "B", "C", "D", "E", "F"}) EXPECT_FALSE(store.ReadInt("Config", key)) << key;
  EXPECT_EQ(store.ReadInt("Config", "G"), 0);
  EXPECT_EQ(store.ReadInt("Config", "H"), 0);
  // Text already in memory is read by the same rules.
  EXPECT_EQ(platform::ParseProfileInt("+-7"), std::nullopt);
  EXPECT_EQ(platform::ParseProfileInt("+2147483647"), 2147483647);
  EXPECT_EQ(platform::FindProfileString("[Config]\nA=+-7\n", "config", "a"), "+-7");
}

TEST_F(ProfileStoreTest, WritesCreateTheFolderAndKeepEverythingElse) {
  WriteRaw("# kept\n[Config]\nA=1\n\n[Other]\nX=9\n");
  ProfileStore store(File());
  EXPECT_TRUE(store.WriteInt("Config", "B", -5));
  EXPECT_TRUE(store.WriteInt("Config", "A", 2));
  EXPECT_TRUE(store.WriteInt("New", "Z", 3));
  EXPECT_EQ(ReadRaw(), "# kept\n[Config]\nA=2\nB=-5\n\n[Other]\nX=9\n\n[New]\nZ=3\n");

  ProfileStore fresh(dir_ / "a" / "b" / "c.ini");
  EXPECT_TRUE(fresh.WriteInt("Config", "Q", 1));
  EXPECT_EQ(fresh.ReadInt("Config", "Q"), 1);
}

TEST_F(ProfileStoreTest, AFailedWriteReportsItAndLeavesNoTemporaryFile) {
  // A folder where the file should be: the replacement cannot happen, even for root.
  fs::create_directories(File());
  ProfileStore store(File());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.WriteInt("Config", "A", 2));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("settings not saved to " + File().string()), std::string::npos);
  EXPECT_TRUE(fs::is_directory(File()));
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(File().parent_path())) {
    if (e.path().filename().string().rfind(".Lumivane.ini.", 0) == 0) ++leftovers;
  }
  EXPECT_EQ(leftovers, 0);
}

TEST_F(ProfileStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
  // An I/O error: the kernel refuses to read this process's memory file at offset 0.
  fs::create_directories(File().parent_path());
  fs::create_symlink("/proc/self/mem", File());
  ProfileStore store(File());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.WriteInt("Config", "A", 2));
  EXPECT_FALSE(store.WriteInt("Config", "B", 3));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(fs::read_symlink(File()), "/proc/self/mem");
  // Reported once, in one line that names the file and the reason.
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find(File().string()), std::string::npos) << said;
  EXPECT_NE(said.find("cannot read it"), std::string::npos) << said;

  // A file without read permission: its values must not be lost to a write of one value.
  fs::remove(File());
  WriteRaw("[Config]\nKeep=1\n");
  ASSERT_EQ(chmod(File().c_str(), 0600), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Root reads anything: take the place of a user who may not read the file but may write
    // in its folder.
    if (geteuid() == 0) {
      if (chmod(dir_.c_str(), 0777) != 0 || chmod(File().parent_path().c_str(), 0777) != 0) _exit(10);
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(11);
    } else if (chmod(File().c_str(), 0200) != 0) {
      _exit(12);
    }
    ProfileStore writer(File());
    _exit(writer.WriteInt("Config", "Other", 5) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not fail";
  chmod(File().c_str(), 0600);
  EXPECT_EQ(ReadRaw(), "[Config]\nKeep=1\n");
}

TEST_F(ProfileStoreTest, WritesGoThroughSymbolicLinksAndKeepThePermissions) {
  // The settings file lives elsewhere and is linked in, relatively.
  fs::create_directories(dir_ / "kept");
  {
    std::ofstream(dir_ / "kept" / "real.ini") << "[Config]\nA=1\n";
  }
  ASSERT_EQ(chmod((dir_ / "kept" / "real.ini").c_str(), 0640), 0);
  fs::create_directories(File().parent_path());
  fs::create_symlink("../kept/real.ini", File());
  ProfileStore store(File());
  EXPECT_TRUE(store.WriteInt("Config", "B", 2));
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(ReadRaw(), "[Config]\nA=1\nB=2\n");
  struct stat st {};
  ASSERT_EQ(stat((dir_ / "kept" / "real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // No temporary file is left in either folder.
  for (const fs::path& folder : {dir_ / "kept", File().parent_path()}) {
    for (const auto& e : fs::directory_iterator(folder)) {
      EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
    }
  }

  // A link to a file not made yet makes the file, not a plain file in the link's place.
  fs::remove(File());
  fs::create_symlink(dir_ / "kept" / "later.ini", File());
  EXPECT_TRUE(store.WriteInt("Config", "C", 3));
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(ProfileStore(dir_ / "kept" / "later.ini").ReadInt("Config", "C"), 3);
}

TEST_F(ProfileStoreTest, ANewFileTakesItsPermissionsFromTheUmask) {
  const mode_t old = umask(027);
  ProfileStore store(File());
  const bool written = store.WriteInt("Config", "A", 1);
  umask(old);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(stat(File().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ProfileStoreTest, APipeInPlaceOfTheFileIsNeitherWaitedOnNorReplaced) {
  fs::create_directories(File().parent_path());
  ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
  ProfileStore store(File());
  // With nobody writing into the pipe, a blocking read would never return.
  EXPECT_FALSE(store.ReadInt("Config", "A").has_value());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.WriteInt("Config", "A", 1));
  testing::internal::GetCapturedStderr();
  struct stat st {};
  ASSERT_EQ(stat(File().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ProfileStoreTest, TwoWritersNeverLoseEachOthersValues) {
  // Two processes write their own keys many times over; every key survives.
  constexpr int kWrites = 60;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ProfileStore store(File());
    for (int i = 0; i < kWrites; ++i) store.WriteInt("Config", ("Child" + std::to_string(i % 10)).c_str(), i);
    _exit(0);
  }
  ProfileStore store(File());
  for (int i = 0; i < kWrites; ++i) store.WriteInt("Config", ("Parent" + std::to_string(i % 10)).c_str(), i);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(store.ReadInt("Config", "Child" + std::to_string(k)), kWrites - 10 + k);
    EXPECT_EQ(store.ReadInt("Config", "Parent" + std::to_string(k)), kWrites - 10 + k);
  }
}

TEST(ProfilePath, FollowsXdgConfigHome) {
  const char* old = getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", "/tmp/somewhere", 1);
  EXPECT_EQ(platform::ProfilePathFor("Orvant", "Lumivane"), fs::path("/tmp/somewhere/Orvant/Lumivane.ini"));
  // A relative value is not a valid base: the default under the home folder applies.
  setenv("XDG_CONFIG_HOME", "relative", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(platform::ProfilePathFor("Orvant", "Lumivane"), fs::path("/home/someone/.config/Orvant/Lumivane.ini"));
  setenv("HOME", savedHome.c_str(), 1);
  if (old) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

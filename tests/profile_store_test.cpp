// The settings file that stands in for the registry.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

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
  EXPECT_FALSE(store.WriteInt("Config", "A", 2));
  EXPECT_TRUE(fs::is_directory(File()));
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(File().parent_path())) {
    if (e.path().filename().string().rfind(".Lumivane.ini.", 0) == 0) ++leftovers;
  }
  EXPECT_EQ(leftovers, 0);
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

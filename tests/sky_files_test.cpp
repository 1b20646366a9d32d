// Where the user's own sky files are looked for, and that a file of the user's wins over the
// shipped one file by file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "scoped_environment.h"
#include "sky/sky_files.h"
#include "user_sky_files.h"

namespace fs = std::filesystem;

namespace {

class SkyFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-sky-files-XXXXXX";
    root_ = mkdtemp(pattern);
    environment_.Set("XDG_DATA_HOME", root_.string());
    environment_.Set("HOME", "/nowhere");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path UserFile(const std::string& name) const { return root_ / "Lumivane" / name; }

  fs::path root_;
  ScopedEnvironment environment_;
};

TEST_F(SkyFolderTest, TheDataHomeWhenAbsoluteElseTheHomeFolder) {
  environment_.Set("XDG_DATA_HOME", "/data/home");
  environment_.Set("HOME", "/home/user");
  EXPECT_EQ(sky::UserSkyFolder(), "/data/home/Lumivane/");
  environment_.Set("XDG_DATA_HOME", "/data/home/");
  EXPECT_EQ(sky::UserSkyFolder(), "/data/home/Lumivane/");
  // Unset, empty and relative all mean the default under the home folder.
  for (const std::optional<std::string>& unusable : {std::optional<std::string>(), std::optional<std::string>(""),
                                                     std::optional<std::string>("data/home"),
                                                     std::optional<std::string>("./data")}) {
    environment_.Set("XDG_DATA_HOME", unusable);
    EXPECT_EQ(sky::UserSkyFolder(), "/home/user/.local/share/Lumivane/") << unusable.value_or("(unset)");
  }
  environment_.Set("HOME", "/home/user/");
  EXPECT_EQ(sky::UserSkyFolder(), "/home/user/.local/share/Lumivane/");
  // Without a usable home either there is no user folder, and the shipped files are read.
  for (const std::optional<std::string>& unusable :
       {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("home")}) {
    environment_.Set("HOME", unusable);
    EXPECT_EQ(sky::UserSkyFolder(), "") << unusable.value_or("(unset)");
    EXPECT_EQ(sky::SkyFilePath("/opt/lumivane/", "SPup.sbd"), "/opt/lumivane/SPup.sbd");
  }
}

TEST_F(SkyFolderTest, EachFileIsTheUsersWhenTheUserHasItAndTheShippedOneOtherwise) {
  const std::string program = "/opt/lumivane/";
  // No folder at all.
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapHi.SBM"), "/opt/lumivane/SkyMapHi.SBM");
  // The user's star table only: the maps stay the shipped ones.
  usersky::WriteBytes(UserFile("SPup.sbd"), "table");
  EXPECT_EQ(sky::SkyFilePath(program, "SPup.sbd"), UserFile("SPup.sbd").string());
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapHi.SBM"), "/opt/lumivane/SkyMapHi.SBM");
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapSh.SBM"), "/opt/lumivane/SkyMapSh.SBM");
  // An empty file is still the user's file: the reader decides what it is worth.
  usersky::WriteBytes(UserFile("SkyMapSh.SBM"), "");
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapSh.SBM"), UserFile("SkyMapSh.SBM").string());
  // A folder, a pipe or a link to nothing of the name is no file; a link to a file is.
  fs::create_directories(UserFile("SkyMapHi.SBM"));
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapHi.SBM"), "/opt/lumivane/SkyMapHi.SBM");
  ASSERT_EQ(mkfifo(UserFile("Pipe.SBM").c_str(), 0600), 0);
  EXPECT_EQ(sky::SkyFilePath(program, "Pipe.SBM"), "/opt/lumivane/Pipe.SBM");
  fs::create_symlink(root_ / "nothing", UserFile("Dangling.SBM"));
  EXPECT_EQ(sky::SkyFilePath(program, "Dangling.SBM"), "/opt/lumivane/Dangling.SBM");
  fs::create_symlink(UserFile("SPup.sbd"), UserFile("Linked.sbd"));
  EXPECT_EQ(sky::SkyFilePath(program, "Linked.sbd"), UserFile("Linked.sbd").string());
  // An empty program folder means the current folder, as before.
  EXPECT_EQ(sky::SkyFilePath("", "SkyMapHi.SBM"), "SkyMapHi.SBM");
  // The folder gone, the shipped files come back.
  fs::remove_all(root_ / "Lumivane");
  EXPECT_EQ(sky::SkyFilePath(program, "SPup.sbd"), "/opt/lumivane/SPup.sbd");
  EXPECT_EQ(sky::SkyFilePath(program, "SkyMapSh.SBM"), "/opt/lumivane/SkyMapSh.SBM");
}

}  // namespace

// lumivane-snapshot as its users run it: the built executable, its PNG and its exit status.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/png_file.h"
#include "platform/core/profile_store.h"
#include "sky/sky_placement.h"
#include "user_sky_files.h"

#ifdef LV_SNAPSHOT_PATH

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class SnapshotToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-snapshot-test-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(dir_); }

  struct Run {
    int status = -1;
    std::string err;
  };

  // Runs the tool with a settings folder and a data folder of the test's own, so that the
  // developer's own sky files are never read.
  Run Snapshot(const std::vector<std::string>& args) {
    std::string command = "XDG_CONFIG_HOME=" + Quote(dir_ + "/config") + " XDG_DATA_HOME=" + Quote(DataHome()) + " " +
                          Quote(LV_SNAPSHOT_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>" + Quote(dir_ + "/err.txt");
    Run r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(dir_ + "/err.txt");
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    return r;
  }

  std::string Out(const std::string& name) const { return dir_ + "/" + name; }
  std::string DataHome() const { return dir_ + "/data"; }
  static fs::path Shipped(const std::string& name) { return fs::path(LV_SNAPSHOT_PATH).parent_path() / name; }

  // The shipped sky map, decoded, from the program folder beside the tool.
  platform::Image Map() {
    const platform::Image map = usersky::DecodedMap(Shipped("SkyMapHi.SBM"));
    EXPECT_GT(map.width, 0);
    return map;
  }

  // How many pixels of a 100-pixel window differ from the map's square at `o`.
  static int DifferFromMap(const platform::Image& png, const platform::Image& map, POINT o) {
    int wrong = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        wrong += png.argb[static_cast<size_t>(y) * 100 + x] != map.argb[static_cast<size_t>(o.y + y) * map.width + o.x + x];
      }
    }
    return wrong;
  }

  std::string dir_;
};

TEST_F(SnapshotToolTest, DarknessWithoutFrameIsTheMapSliceOfTheDate) {
  const Run r = Snapshot({"--date", "2027-01-01", "--set", "FrameSizeNo=1", "--set", "EdgeFlg=0", Out("a.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto png = image::ReadPng(Out("a.png"));
  ASSERT_TRUE(png.has_value());
  ASSERT_EQ(png->width, 100);
  ASSERT_EQ(png->height, 100);
  EXPECT_EQ(DifferFromMap(*png, Map(), sky::SkyOrigin(1, 1, 100, 100)), 0);
}

TEST_F(SnapshotToolTest, TheUsersOwnSkyFilesAreDrawnUntilTheirFolderGoes) {
  const POINT o = sky::SkyOrigin(1, 1, 100, 100);
  const fs::path user = fs::path(DataHome()) / "Lumivane";
  usersky::WriteInvertedMap(Shipped("SkyMapHi.SBM"), user / "SkyMapHi.SBM");
  usersky::WriteBytes(user / "SPup.sbd", usersky::OneStarTable(o.x + 48, o.y + 48, o.x + 52, o.y + 52));
  const std::vector<std::string> args = {"--date",    "2027-01-01", "--set",     "FrameSizeNo=1", "--set",
                                         "EdgeFlg=0", "--pointer",  "50,50",     "--balloon",     Out("b.png"),
                                         Out("a.png")};
  const Run r = Snapshot(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto png = image::ReadPng(Out("a.png"));
  ASSERT_TRUE(png.has_value());
  ASSERT_EQ(png->width, 100);
  const platform::Image userMap = usersky::DecodedMap(user / "SkyMapHi.SBM");
  EXPECT_EQ(DifferFromMap(*png, userMap, o), 0);
  EXPECT_GT(DifferFromMap(*png, Map(), o), 100 * 100 / 2);
  // The user's one star answers where the shipped table may have none.
  EXPECT_TRUE(image::ReadPng(Out("b.png")).has_value());

  fs::remove_all(user);
  const Run shipped = Snapshot({"--date", "2027-01-01", "--set", "FrameSizeNo=1", "--set", "EdgeFlg=0", Out("s.png")});
  ASSERT_EQ(shipped.status, 0) << shipped.err;
  EXPECT_EQ(DifferFromMap(*image::ReadPng(Out("s.png")), Map(), o), 0);
}

TEST_F(SnapshotToolTest, RoundWindowsAreTransparentOutsideTheirEllipse) {
  const Run r = Snapshot({"--date", "2026-12-09", "--time", "21:00", "--set", "CircleEdgeFlg=1", Out("r.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto png = image::ReadPng(Out("r.png"));
  ASSERT_TRUE(png.has_value());
  ASSERT_EQ(png->width, 150);
  EXPECT_EQ(png->argb[0] >> 24, 0u);
  EXPECT_EQ(png->argb[75 * 150 + 75] >> 24, 0xFFu);
  EXPECT_EQ(png->argb[149 * 150 + 149] >> 24, 0u);
}

TEST_F(SnapshotToolTest, TheDesktopShowsBetweenTheStarsWhereTheWindowStands) {
  platform::Image desktop;
  desktop.width = 400;
  desktop.height = 300;
  desktop.argb.assign(400 * 300, 0xFF336699u);
  ASSERT_TRUE(image::WritePng(Out("desk.png"), desktop));
  const Run r = Snapshot({"--desktop", Out("desk.png"), "--set", "BkMode=2", "--set", "EdgeFlg=0", Out("d.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto png = image::ReadPng(Out("d.png"));
  ASSERT_TRUE(png.has_value());
  int desktopPixels = 0;
  for (std::uint32_t p : png->argb) desktopPixels += p == 0xFF336699u;
  // Mostly desktop, with stars over it.
  EXPECT_GT(desktopPixels, 150 * 150 * 9 / 10);
  EXPECT_LT(desktopPixels, 150 * 150);
}

TEST_F(SnapshotToolTest, TheUsersSettingsApplyAndAreNeverChanged) {
  const fs::path user = fs::path(dir_) / "config" / "Orvant" / "Lumivane.ini";
  ASSERT_TRUE(platform::ProfileStore(user).WriteInt("Config", "FrameSizeNo", 4));
  std::ifstream before(user);
  std::stringstream b;
  b << before.rdbuf();
  const Run r = Snapshot({Out("u.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(image::ReadPng(Out("u.png"))->width, 200);
  // --set wins over the user's value.
  ASSERT_EQ(Snapshot({"--set", "FrameSizeNo=2", Out("v.png")}).status, 0);
  EXPECT_EQ(image::ReadPng(Out("v.png"))->width, 125);
  std::ifstream after(user);
  std::stringstream a;
  a << after.rdbuf();
  EXPECT_EQ(a.str(), b.str());
}

TEST_F(SnapshotToolTest, BadArgumentsGiveOneLineAndAFailure) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--date", "2026-13-01", Out("x.png")},
      {"--date", "2026-02-29", Out("x.png")},
      {"--time", "24:00", Out("x.png")},
      {"--set", "NoSuchValue=1", Out("x.png")},
      {"--set", "FrameSizeNo=big", Out("x.png")},
      {"--set", "FrameSizeNo", Out("x.png")},
      {"--frobnicate", Out("x.png")},
      {Out("x.png"), Out("y.png")},
      {"--pointer", "12", Out("x.png")},
      {"--pointer", "a,b", Out("x.png")},
      {"--balloon", Out("b.png"), Out("x.png")},
  };
  for (const auto& args : bad) {
    const Run r = Snapshot(args);
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  const Run missing = Snapshot({"--desktop", Out("none.png"), Out("x.png")});
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find("none.png"), std::string::npos);
  std::ofstream(Out("junk.png")) << "not a picture";
  const Run junk = Snapshot({"--desktop", Out("junk.png"), Out("x.png")});
  EXPECT_NE(junk.status, 0);
  EXPECT_EQ(std::count(junk.err.begin(), junk.err.end(), '\n'), 1) << junk.err;
  EXPECT_FALSE(fs::exists(Out("x.png")));
  const Run unwritable = Snapshot({dir_ + "/no/such/folder/x.png"});
  EXPECT_NE(unwritable.status, 0);
}

TEST_F(SnapshotToolTest, ThePointerOnAStarWritesItsBalloonAndOffEveryStarSaysSo) {
  // Vega stands in the middle of the largest window on 10 August; the table beside the tool
  // has it, with its balloon.
  std::vector<std::string> args = {"--date", "2026-08-10", "--time", "21:00", "--set", "FrameSizeNo=6",
                                    "--set",  "EdgeFlg=0",  "--pointer", "173,160", "--balloon", Out("b.png"),
                                    Out("w.png")};
  const Run r = Snapshot(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto balloon = image::ReadPng(Out("b.png"));
  ASSERT_TRUE(balloon.has_value());
  EXPECT_GT(balloon->width, 60);
  EXPECT_GT(balloon->height, 60);
  // Pale yellow paper with a blue title and a grey frame.
  int paper = 0, blue = 0;
  for (std::uint32_t p : balloon->argb) {
    paper += p == 0xFFFFFFC0u;
    blue += p == 0xFF0000FFu;
  }
  EXPECT_GT(paper, balloon->width * balloon->height / 2);
  EXPECT_GT(blue, 20);
  EXPECT_EQ(balloon->argb[0], 0xFFC8C8C8u);
  EXPECT_EQ(image::ReadPng(Out("w.png"))->width, 350);

  // A point no star reaches: the window is written, the balloon is not, and the tool says so.
  args[9] = "3,3";
  args[11] = Out("b2.png");
  const Run none = Snapshot(args);
  EXPECT_EQ(none.status, 3);
  EXPECT_FALSE(fs::exists(Out("b2.png")));
  EXPECT_NE(none.err.find("no star balloon at 3,3"), std::string::npos) << none.err;
}

TEST_F(SnapshotToolTest, TheAboutBoxComesSquareOrRoundAtEitherDepth) {
  ASSERT_EQ(Snapshot({"--about", Out("square.png")}).status, 0);
  const auto square = image::ReadPng(Out("square.png"), nullptr);
  ASSERT_TRUE(square.has_value());
  // The whole client area, opaque: the gradient from black at the top.
  EXPECT_EQ(square->argb.front(), 0xFF000000u);
  for (std::uint32_t p : square->argb) ASSERT_EQ(p >> 24, 0xFFu);
  const auto Run8 = Snapshot({"--about", "--round", "--depth", "8", Out("round8.png")});
  ASSERT_EQ(Run8.status, 0) << Run8.err;
  const auto round = image::ReadPng(Out("round8.png"), nullptr);
  ASSERT_TRUE(round.has_value());
  // The disc only: transparent at the corners, opaque in the middle.
  EXPECT_EQ(round->argb.front() >> 24, 0u);
  EXPECT_EQ(round->argb[static_cast<size_t>(round->height / 2) * round->width + round->width / 2] >> 24, 0xFFu);
  EXPECT_NE(square->width * 1000 + square->height, round->width * 1000 + round->height) << "the two shapes differ in size";
  // Options that belong to the about box alone, and depths the box does not know.
  EXPECT_EQ(Snapshot({"--round", Out("x.png")}).status, 2);
  EXPECT_EQ(Snapshot({"--about", "--depth", "16", Out("x.png")}).status, 2);
  EXPECT_EQ(Snapshot({"--about", "--pointer", "3,3", Out("x.png")}).status, 2);
  EXPECT_FALSE(fs::exists(Out("x.png")));
}

}  // namespace

#endif

// sbmtool as its users run it: the built executable, its output and its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "image/png_file.h"
#include "sbm_test_files.h"

#ifdef LV_SBMTOOL_PATH

using sbmtest::Bytes;

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Text(const std::string& path) {
  const Bytes b = sbmtest::ReadAll(path);
  return std::string(b.begin(), b.end());
}

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

class SbmToolTest : public ::testing::Test {
 protected:
  ToolRun Tool(const std::vector<std::string>& args) {
    std::string command = Quote(LV_SBMTOOL_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(dir_.File("out.txt")) + " 2>" + Quote(dir_.File("err.txt"));
    const int raw = std::system(command.c_str());
    ToolRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Text(dir_.File("out.txt"));
    r.err = Text(dir_.File("err.txt"));
    return r;
  }

  std::string WritePng(const std::string& name, const platform::Image& picture) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(image::WritePng(path, picture));
    return path;
  }

  // A night sky: black with scattered stars of `colours` different colours.
  static platform::Image Sky(int width, int height, int colours) {
    platform::Image p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), 0xFF000000u)};
    const std::size_t step = p.argb.size() / static_cast<std::size_t>(colours);
    for (int k = 1; k < colours; ++k) {
      p.argb[static_cast<std::size_t>(k) * step] = 0xFF000000u | (static_cast<std::uint32_t>(k) << 8) | 0x40;
    }
    return p;
  }

  sbmtest::TempDir dir_;
};

TEST_F(SbmToolTest, EncodingThenDecodingGivesBackThePixels) {
  const platform::Image sky = Sky(37, 19, 200);
  const std::string png = WritePng("sky.png", sky);
  for (bool rle : {false, true}) {
    const std::string sbm = dir_.File(rle ? "sky-rle.SBM" : "sky.SBM");
    std::vector<std::string> args{"encode", png, sbm};
    if (rle) args.push_back("--rle");
    ToolRun r = Tool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    r = Tool({"info", sbm});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("width: 37\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("height: 19\n"), std::string::npos);
    EXPECT_NE(r.out.find("depth: 8\n"), std::string::npos);
    EXPECT_NE(r.out.find(rle ? "compression: run-length (1)\n" : "compression: plain (0)\n"), std::string::npos);
    EXPECT_NE(r.out.find("palette: 256 colours\n"), std::string::npos);
    EXPECT_NE(r.out.find("decodes cleanly: yes\n"), std::string::npos);

    const std::string back = dir_.File("back.png");
    r = Tool({"decode", sbm, back});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::optional<platform::Image> decoded = image::ReadPng(back);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, sky.width);
    EXPECT_EQ(decoded->height, sky.height);
    EXPECT_EQ(decoded->argb, sky.argb);
    if (rle) {
      EXPECT_LT(sbmtest::ReadAll(sbm).size(), sbmtest::ReadAll(dir_.File("sky.SBM")).size());
    }
  }
}

TEST_F(SbmToolTest, NoisyPicturesAskedForRunLengthAreStoredPlainAndStillRoundTrip) {
  platform::Image noise{9, 9, {}};
  for (int i = 0; i < 81; ++i) noise.argb.push_back(0xFF000000u | static_cast<std::uint32_t>(i * 3));
  const std::string png = WritePng("noise.png", noise);
  const std::string sbm = dir_.File("noise.SBM");
  ToolRun r = Tool({"encode", png, sbm, "--rle"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Lines(r.err), 1);
  EXPECT_NE(r.err.find("stored plain"), std::string::npos);
  EXPECT_NE(Tool({"info", sbm}).out.find("compression: plain (0)"), std::string::npos);
  ASSERT_EQ(Tool({"decode", sbm, dir_.File("noise-back.png")}).status, 0);
  EXPECT_EQ(image::ReadPng(dir_.File("noise-back.png"))->argb, noise.argb);
}

TEST_F(SbmToolTest, BadInputGivesOneLineNamingTheFileAndAFailingStatus) {
  const std::string missing = dir_.File("missing.SBM");
  const std::string notPng = dir_.Write("not.png", Bytes{'h', 'e', 'l', 'l', 'o'});
  const std::string colourful = WritePng("colourful.png", Sky(40, 40, 300));
  Bytes cut = sbmtest::MakeSbm({.width = 8, .height = 8}, Bytes(20, 1));
  const std::string truncated = dir_.Write("truncated.SBM", cut);
  const std::string delta = dir_.Write(
      "delta.SBM", sbmtest::MakeSbm({.width = 8, .height = 8, .compression = 1, .imageSize = 6}, Bytes{8, 1, 0, 2, 0, 1}));
  const std::string huge = dir_.Write("huge.SBM", sbmtest::MakeSbm({.width = 1 << 20, .height = 1 << 20}, {}));
  cut.resize(30);
  const std::string header = dir_.Write("header.SBM", cut);

  const struct {
    std::vector<std::string> args;
    std::string file;
    std::string problem;
  } cases[] = {
      {{"info", missing}, missing, "cannot open"},
      {{"decode", missing, dir_.File("x.png")}, missing, "cannot open"},
      {{"encode", missing, dir_.File("x.SBM")}, missing, "not a readable PNG"},
      {{"encode", notPng, dir_.File("x.SBM")}, notPng, "not a readable PNG"},
      {{"encode", colourful, dir_.File("x.SBM")}, colourful, "more than 256 colours"},
      {{"info", truncated}, truncated, "pixel data cut short"},
      {{"decode", truncated, dir_.File("x.png")}, truncated, "pixel data cut short"},
      {{"decode", delta, dir_.File("x.png")}, delta, "delta"},
      {{"info", huge}, huge, "out of range"},
      {{"decode", header, dir_.File("x.png")}, header, "too short"},
      {{"decode", notPng, dir_.File("x.png")}, notPng, "too short"},
  };
  for (const auto& c : cases) {
    const ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.file;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("sbmtool: " + c.file + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.problem), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.SBM")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.png")));
  // A damaged file's facts are still shown.
  EXPECT_NE(Tool({"info", truncated}).out.find("decodes cleanly: no, pixel data cut short"), std::string::npos);
}

TEST_F(SbmToolTest, WrongArgumentsShowTheUsage) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"info"}, {"paint", "a"}, {"encode", "a.png", "b.SBM", "--fast"}, {"decode", "a"}}) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("usage: sbmtool", 0), 0u) << r.err;
  }
}

}  // namespace

#else

// The tool's build tells the tests where it is (tools/CMakeLists.txt); without it, say so.
TEST(SbmToolTest, ToolNotBuilt) { GTEST_SKIP() << "sbmtool was not built with the tests"; }

#endif  // LV_SBMTOOL_PATH

// The sky-map strip: the projection that places stars and cuts the window by date, the two
// committed pictures, data/SkyMapHi.SBM and data/SkyMapSh.SBM, drawn with it, and the tool
// that draws them (tools/skymap), for the committed sky and for other places and years, and
// into the user's sky folder with the star table for the same sky (--install).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "image/sbm_reader.h"
#include "sbm_test_files.h"
#include "independent_sky.h"
#include "scoped_environment.h"
#include "sky/precession.h"
#include "sky/sky_chart.h"
#include "tools/skymap/star_motions.h"

namespace chart = sky::chart;
namespace sbm = image::sbm;

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

std::filesystem::path DataDir() {
  return std::filesystem::path(LV_TEST_DATA_DIR).parent_path().parent_path() / "data";
}

double Hours(int h, int m, double s) { return (h + m / 60.0 + s / 3600.0) * 15.0; }
double Degrees(int d, int m) { return d < 0 ? d - m / 60.0 : d + m / 60.0; }

// A committed sky-map picture as read by the program, and its colours top row first.
struct MapFile {
  sbm::Picture picture;
  platform::Image image;

  std::uint32_t At(int x, int y) const {
    return image.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)];
  }
};

std::optional<MapFile> LoadPath(const std::string& path) {
  sbm::FileSource file(path.c_str());
  if (!file.IsOpen()) {
    ADD_FAILURE() << "cannot open " << path;
    return std::nullopt;
  }
  MapFile map;
  if (sbm::ReadPicture(file, map.picture) != sbm::ReadOutcome::kLoaded) {
    ADD_FAILURE() << path << " does not load";
    return std::nullopt;
  }
  std::optional<platform::Image> image = sbm::ToArgb(map.picture);
  if (!image) {
    ADD_FAILURE() << path << " does not convert";
    return std::nullopt;
  }
  map.image = std::move(*image);
  return map;
}

std::optional<MapFile> Load(const std::string& name) { return LoadPath((DataDir() / name).string()); }

int Red(std::uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }
int Blue(std::uint32_t argb) { return static_cast<int>(argb & 0xFF); }

// --- The projection -------------------------------------------------------------------------

TEST(SkyMapChartTest, ScalesFollowTheSiderealDrift) {
  // 360 x 0.00273790935 = 0.985647366 degrees a day; 4 columns for that.
  EXPECT_NEAR(chart::kDailyAdvanceDegrees, 0.985647366, 1e-12);
  EXPECT_NEAR(chart::kColumnsPerDegree, 4.0582465271, 1e-9);
  EXPECT_NEAR(chart::kWrapColumns, 1460.96874975, 1e-6);
  EXPECT_NEAR(chart::RowsPerDegree(), 4.9973264975, 1e-9);
  EXPECT_NEAR(chart::ReferenceColumn(), 1927.959138, 1e-5);
}

TEST(SkyMapChartTest, SiderealTimeMatchesAPublishedValue) {
  // Mean sidereal time at Greenwich, 1987 April 10, 0h UT: 13h10m46.3668s (a textbook
  // example); the linear formula is within a few milliseconds of it.
  const double d = chart::DaysSinceJ2000(1987, 4, 10, 0.0);
  EXPECT_DOUBLE_EQ(d, -4649.5);
  EXPECT_NEAR(chart::GreenwichSiderealHours(d), 13 + 10 / 60.0 + 46.3668 / 3600.0, 0.01 / 3600.0);
  // 2026-01-01 12:00 UT is 26 years of 365 days plus 7 leap days after J2000.0.
  EXPECT_DOUBLE_EQ(chart::DaysSinceJ2000(2026, 1, 1, 12.0), 9497.0);
  // Tokyo is 139.7 degrees east: its sidereal time is 9h18m48s ahead of Greenwich's.
  EXPECT_NEAR(chart::LocalSiderealDegrees(d, 139.7), std::fmod((13 + 10 / 60.0 + 46.3668 / 3600.0) * 15.0 + 139.7, 360.0),
              0.001);
}

TEST(SkyMapChartTest, MapDaysCountFrom1JanuaryAndSkipLeapDays) {
  EXPECT_EQ(chart::MapDay(1, 1), 1);
  EXPECT_EQ(chart::MapDay(1, 31), 31);
  EXPECT_EQ(chart::MapDay(2, 28), 59);
  EXPECT_EQ(chart::MapDay(2, 29), 60);
  EXPECT_EQ(chart::MapDay(3, 1), 60);
  EXPECT_EQ(chart::MapDay(12, 9), 343);
  EXPECT_EQ(chart::MapDay(12, 31), 365);
}

TEST(SkyMapChartTest, WindowCentreIsTheEveningZenithOfEachDay) {
  EXPECT_EQ(chart::WindowLeft(1), 1506);
  EXPECT_EQ(chart::WindowLeft(343), 138);
  EXPECT_EQ(chart::WindowLeft(365), 50);
  EXPECT_EQ(chart::RoundToPixel(chart::ExactRow(chart::kLatitudeDegrees)), 228);
  for (int day : {1, 59, 60, 172, 222, 300, 343, 365}) {
    SCOPED_TRACE(day);
    const int centre = 1685 - 4 * day;
    EXPECT_EQ(chart::WindowCentreColumn(day), centre);
    // The right ascension overhead that evening, from its own sidereal time, lands on the
    // centre column (one of its copies does, where the sky repeats).
    const std::vector<double> columns = chart::ExactColumns(chart::ZenithRightAscension(day));
    ASSERT_FALSE(columns.empty());
    double nearest = 1e9;
    for (double x : columns) nearest = std::min(nearest, std::abs(x - centre));
    EXPECT_LT(nearest, 0.001);
  }
  // On 9 December at 21:00 the sky overhead in Tokyo is at about 2h32m of right ascension
  // (sidereal time is near 0h at Greenwich at midnight UT around the September equinox and
  // gains 3m56s a day; then 12 hours later and 9h19m east).
  EXPECT_NEAR(chart::ZenithRightAscension(343), Hours(2, 31, 45), 0.1);
}

TEST(SkyMapChartTest, RightAscensionRunsLeftwardsAndWraps) {
  // East (higher right ascension) is on the left.
  EXPECT_LT(chart::ExactColumn(100.0), chart::ExactColumn(99.0));
  EXPECT_NEAR(chart::ExactColumn(99.0) - chart::ExactColumn(100.0), chart::kColumnsPerDegree, 1e-9);
  // Right ascension 0 is C0 itself, off the right edge: only its copy one circle left shows.
  EXPECT_EQ(chart::Columns(0.0), (std::vector<int>{467}));
  EXPECT_EQ(chart::Columns(360.0), chart::Columns(0.0));
  EXPECT_EQ(chart::Columns(-15.0), chart::Columns(345.0));
  // 100 degrees: 1522.13 and 1522.13 - 1460.97 = 61.17, both on the strip.
  const std::vector<int> twice = chart::Columns(100.0);
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_EQ(twice[0], 61);
  EXPECT_EQ(twice[1], 1522);
  // 200 degrees: once.
  EXPECT_EQ(chart::Columns(200.0), (std::vector<int>{1116}));
}

TEST(SkyMapChartTest, DeclinationRowsAndTheStripEdges) {
  EXPECT_EQ(chart::Row(35.7), 228);
  EXPECT_EQ(chart::Row(81.0), 2);   // near the top edge
  EXPECT_EQ(chart::Row(1.0), 401);  // near the bottom edge
  EXPECT_EQ(chart::Row(82.0), std::nullopt);
  EXPECT_EQ(chart::Row(0.0), std::nullopt);
  EXPECT_LT(*chart::Row(60.0), *chart::Row(40.0));  // north is up
}

TEST(SkyMapChartTest, StarsOffTheStripHaveNoRow) {
  // Sirius (Dec -16 43') is south of the strip's bottom edge, Polaris (+89 16') north of its
  // top: the strip shows declinations from about +1 to +81 only.
  EXPECT_EQ(chart::Row(Degrees(-16, 43)), std::nullopt);
  EXPECT_EQ(chart::Row(Degrees(89, 16)), std::nullopt);
}

TEST(SkyMapChartTest, VegaWorkedExample) {
  // RA 18h36m56s, Dec +38 47': column 1927.959 - 4.0582465 x 279.2333 = 794.76 -> 795;
  // row 228 - (38.7833 - 35.7) x 4.9973265 = 212.59 -> 213. README.md works it through.
  EXPECT_NEAR(chart::ExactColumn(Hours(18, 36, 56)), 794.761, 0.001);
  EXPECT_NEAR(chart::ExactRow(Degrees(38, 47)), 212.592, 0.001);
  EXPECT_EQ(chart::Columns(Hours(18, 36, 56)), (std::vector<int>{795}));
  EXPECT_EQ(chart::Row(Degrees(38, 47)), 213);
}

// --- The committed pictures -----------------------------------------------------------------

void ExpectSkyMapFile(const MapFile& map) {
  const BITMAPINFOHEADER& info = map.picture.info;
  EXPECT_EQ(info.biWidth, 1856);
  EXPECT_EQ(info.biHeight, 403);
  EXPECT_EQ(info.biBitCount, 8);
  EXPECT_EQ(info.biCompression, sbm::kCompressionRle);
  ASSERT_TRUE(map.picture.rle.has_value());
  EXPECT_EQ(map.picture.rle->end, sbm::RleEnd::kEndOfPicture);
  EXPECT_EQ(map.picture.rle->written, 1856u * 403u);
  EXPECT_EQ(sbm::Problem(map.picture), "");
  // A dark sky codes far smaller than its plain rows.
  EXPECT_LT(info.biSizeImage, 1856u * 403u / 10u);
}

TEST(SkyMapFilesTest, BothAreRunLengthCoded8BitStripsOfTheRightSize) {
  for (const char* name : {"SkyMapHi.SBM", "SkyMapSh.SBM"}) {
    SCOPED_TRACE(name);
    const std::optional<MapFile> map = Load(name);
    ASSERT_TRUE(map);
    ExpectSkyMapFile(*map);
  }
}

TEST(SkyMapFilesTest, MaskIsWhiteExactlyWhereTheSkyIsBlack) {
  const std::optional<MapFile> stars = Load("SkyMapHi.SBM");
  const std::optional<MapFile> mask = Load("SkyMapSh.SBM");
  ASSERT_TRUE(stars && mask);
  ASSERT_EQ(stars->image.argb.size(), mask->image.argb.size());
  std::size_t starPixels = 0;
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i < stars->image.argb.size(); ++i) {
    const bool sky = stars->image.argb[i] == kBlack;
    if (!sky) ++starPixels;
    if (mask->image.argb[i] != (sky ? kWhite : kBlack)) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0u);
  // Some 1350 stars on the strip, about 1800 with the repeated part: a dark sky with stars.
  EXPECT_GT(starPixels, 1800u);
  EXPECT_LT(starPixels, stars->image.argb.size() / 100);
}

// A dozen well-known stars, each where it is in the middle of 2026 by a computation of our
// own here (Hipparcos proper motion as a plain step, then the IAU 2006 precession matrix),
// not by the tool's: the core of each picture on the committed map must be the pixel that
// place rounds to, within half a pixel (the two computations differ by under an arcsecond, a
// thousandth of a pixel).
TEST(SkyMapFilesTest, KnownStarsSitWhereTheyAreIn2026) {
  const std::optional<MapFile> map = Load("SkyMapHi.SBM");
  ASSERT_TRUE(map);
  struct KnownStar {
    const char* name;
    long hr;
    double raHours, decDegrees;  // J2000, as the catalogue the map is drawn from gives them
    double pmRaCosDec, pmDec;    // Hipparcos, mas a year
    double magnitude;
    std::size_t copies;  // the part of the sky the strip shows twice holds two
  };
  const KnownStar kStars[] = {
      {"Vega", 7001, 18.6156, 38.7836, 201.02, 287.46, 0.03, 1},
      {"Altair", 7557, 19.8464, 8.8683, 536.82, 385.54, 0.77, 1},
      {"Deneb", 7924, 20.6905, 45.2803, 1.56, 1.55, 1.25, 1},
      {"Arcturus", 5340, 14.2610, 19.1825, -1093.45, -1999.40, -0.04, 1},
      {"Regulus", 3982, 10.1395, 11.9672, -249.40, 4.91, 1.35, 1},
      {"Pollux", 2990, 7.7553, 28.0261, -625.69, -45.95, 1.14, 1},
      {"Capella", 1708, 5.2782, 45.9981, 75.52, -427.13, 0.08, 2},
      {"Betelgeuse", 2061, 5.9195, 7.4069, 27.33, 10.86, 0.50, 2},
      {"Aldebaran", 1457, 4.5987, 16.5092, 62.78, -189.36, 0.85, 2},
      {"Procyon", 2943, 7.6550, 5.2250, -716.57, -1034.58, 0.38, 2},
      {"Castor", 2891, 7.5767, 31.8883, -206.33, -148.18, 1.98, 2},
      {"Dubhe", 4301, 11.0621, 61.7508, -136.46, -35.25, 1.79, 1},
      {"61 Cygni", 8085, 21.1152, 38.7458, 4155.10, 3258.90, 5.21, 1},
  };
  const double epoch = sky::MidYearEpoch(2026);
  for (const KnownStar& star : kStars) {
    SCOPED_TRACE(star.name);
    // The motions the tool draws with are these, paired from Hipparcos by catalogue number.
    const sky::ProperMotion used = sky::CatalogueMotion(star.hr);
    EXPECT_NEAR(used.raCosDecMasPerYear, star.pmRaCosDec, 0.1);
    EXPECT_NEAR(used.decMasPerYear, star.pmDec, 0.1);

    const sky::Equatorial moved =
        independent::Move({star.raHours * 15.0, star.decDegrees}, star.pmRaCosDec, star.pmDec, epoch);
    const sky::Equatorial now = independent::Precess2006(moved, epoch);
    const double exactRow = chart::ExactRow(now.decDegrees);
    const std::vector<double> exactColumns = chart::ExactColumns(now.raDegrees);
    ASSERT_EQ(exactColumns.size(), star.copies);
    for (double exactColumn : exactColumns) {
      const int x = static_cast<int>(std::lround(exactColumn));
      const int y = static_cast<int>(std::lround(exactRow));
      SCOPED_TRACE(x);
      EXPECT_LE(std::abs(exactColumn - x), 0.5 + 1e-3);
      EXPECT_LE(std::abs(exactRow - y), 0.5 + 1e-3);
      // The core is the brightest pixel of the picture: brighter than each of its neighbours,
      // which glow for stars brighter than magnitude 2.5 and are dark for fainter ones.
      const std::uint32_t core = map->At(x, y);
      ASSERT_NE(core, kBlack);
      EXPECT_GE(Blue(core), Red(core));  // grey or bluish white, never yellow or red
      if (star.magnitude < 1.5) {
        EXPECT_GE(Red(core), 200);
      }
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if ((dx == 0 && dy == 0) || x + dx < 0 || x + dx >= chart::kMapWidth) continue;
          const std::uint32_t around = map->At(x + dx, y + dy);
          EXPECT_LT(Red(around), Red(core));
          if (star.magnitude < 2.5 && (dx == 0 || dy == 0)) {
            EXPECT_NE(around, kBlack);
          }
        }
      }
    }
  }
}

// --- The tool ---------------------------------------------------------------------------------

#ifdef LV_SKYMAP_PATH

constexpr const char* kCatalogue = "/usr/share/xplanet/stars/BSC";

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class SkyMapToolTest : public ::testing::Test {
 protected:
  ToolRun Run(const std::vector<std::string>& args) {
    std::string command = Quote(LV_SKYMAP_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(logs_.File("out.txt")) + " 2>" + Quote(logs_.File("err.txt"));
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(logs_.File("out.txt")), ReadFile(logs_.File("err.txt"))};
  }

  static bool HaveCatalogue() { return std::filesystem::exists(kCatalogue); }

  sbmtest::TempDir dir_;
  sbmtest::TempDir logs_;
};

TEST_F(SkyMapToolTest, WithoutOptionsItDrawsTheCommittedFilesByteForByte) {
  if (!HaveCatalogue()) GTEST_SKIP() << kCatalogue << " is missing (Debian package xplanet)";
  // The old positional form and --output give the same files, and those are the committed ones.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{kCatalogue, dir_.File("")}, std::vector<std::string>{"--output", dir_.File("")}}) {
    std::filesystem::remove(dir_.File("SkyMapHi.SBM"));
    std::filesystem::remove(dir_.File("SkyMapSh.SBM"));
    const ToolRun r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* name : {"SkyMapHi.SBM", "SkyMapSh.SBM"}) {
      SCOPED_TRACE(name);
      const std::string drawn = ReadFile(dir_.File(name));
      EXPECT_FALSE(drawn.empty());
      EXPECT_TRUE(drawn == ReadFile((DataDir() / name).string())) << "differs from data/" << name;
    }
  }
}

TEST_F(SkyMapToolTest, BuenosAiresStripShowsCanopusAndAchernarWhereTheProjectionPutsThem) {
  if (!HaveCatalogue()) GTEST_SKIP() << kCatalogue << " is missing (Debian package xplanet)";
  const ToolRun r = Run({"--lat", "-34.6", "--lon", "-58.38", "--utc-offset", "-3", "--hour", "21", "--year", "2026",
                         "--output", dir_.File("")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("latitude -34.6"), std::string::npos) << r.out;
  const std::optional<MapFile> map = LoadPath(dir_.File("SkyMapHi.SBM"));
  const std::optional<MapFile> mask = LoadPath(dir_.File("SkyMapSh.SBM"));
  ASSERT_TRUE(map && mask);
  ExpectSkyMapFile(*map);
  ExpectSkyMapFile(*mask);

  chart::Observer observer;
  observer.latitudeDegrees = -34.6;
  observer.longitudeEastDegrees = -58.38;
  observer.utcOffsetHours = -3.0;
  observer.year = 2026;
  const chart::Projection projection(observer);
  // J2000 positions from the catalogue, and catalogue numbers for the motions; all are
  // brighter than magnitude 1.5, so each is a white core with dimmer arms.
  struct SouthernStar {
    const char* name;
    double ra;
    double dec;
    long hr;
  };
  const SouthernStar kSouthern[] = {
      {"Canopus", 6.399197 * 15, -52.695661, 2326},
      {"Achernar", 1.628568 * 15, -57.236753, 472},
      {"Acrux", 12.443311 * 15, -63.099092, 4730},
  };
  for (const SouthernStar& star : kSouthern) {
    SCOPED_TRACE(star.name);
    const sky::Equatorial placed = projection.StarPosition({star.ra, star.dec}, sky::CatalogueMotion(star.hr));
    const std::optional<int> row = projection.Row(placed.decDegrees);
    ASSERT_TRUE(row);
    const std::vector<int> columns = projection.Columns(placed.raDegrees);
    ASSERT_FALSE(columns.empty());
    for (int x : columns) {
      SCOPED_TRACE(x);
      const std::uint32_t core = map->At(x, *row);
      EXPECT_GE(Red(core), 200);
      EXPECT_EQ(mask->At(x, *row), kBlack);
      for (const auto& n : {std::pair{x - 1, *row}, std::pair{x + 1, *row}, std::pair{x, *row - 1}, std::pair{x, *row + 1}}) {
        if (n.first < 0 || n.first >= chart::kMapWidth) continue;
        EXPECT_LT(Red(map->At(n.first, n.second)), Red(core));
      }
    }
  }
  // Canopus at 6h24m sits in the part of the strip shown twice, Acrux at 12h27m once.
  EXPECT_EQ(projection.Columns(projection.StarPosition({6.399197 * 15, -52.695661}).raDegrees).size(), 2u);
  // Tokyo's stars are not Buenos Aires's.
  EXPECT_FALSE(ReadFile(dir_.File("SkyMapHi.SBM")) == ReadFile((DataDir() / "SkyMapHi.SBM").string()));

  // The place by name draws the same strip.
  const std::string named = dir_.File("named");
  std::filesystem::create_directory(named);
  const ToolRun byName = Run({"--place", "buenos-aires", "--year", "2026", "--output", named});
  ASSERT_EQ(byName.status, 0) << byName.err;
  for (const char* name : {"SkyMapHi.SBM", "SkyMapSh.SBM"}) {
    EXPECT_TRUE(ReadFile(named + "/" + name) == ReadFile(dir_.File(name))) << name;
  }
}

TEST_F(SkyMapToolTest, BadArgumentsGiveStatusTwoAndOneLine) {
  const std::vector<std::vector<std::string>> bad = {
      {"--lat", "abc"},         {"--lat", "80"},        {"--lat", "-75.1"},      {"--lon", "181"},
      {"--utc-offset", "-13"},  {"--utc-offset", "15"}, {"--hour", "24"},        {"--hour", "-0.5"},
      {"--year", "1899"},       {"--year", "2101"},     {"--year", "twenty"},    {"--frobnicate", "1"},
      {"--year"},               {"a", "b", "c"},        {"BSC", "out", "--output", "dir"}, {"--place", "paris"},
      // --install writes into the user's sky folder: no output folder beside it (the short
      // lines get --output in front, below); --stars goes with it and needs a value.
      {"--install"},            {"BSC", "out", "--install"},    {"--stars", "stars.tsv"},  {"--install", "--stars"},
  };
  for (const std::vector<std::string>& args : bad) {
    std::vector<std::string> withOutput = args;
    if (args.size() < 3) withOutput.insert(withOutput.begin(), {"--output", dir_.File("")});
    std::string shown;
    for (const std::string& a : withOutput) shown += a + " ";
    SCOPED_TRACE(shown);
    const ToolRun r = Run(withOutput);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("skymap: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("SkyMapHi.SBM")));
  const ToolRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: skymap", 0), 0u) << help.out;
  for (const char* option :
       {"--lat", "--lon", "--utc-offset", "--hour", "--year", "--place", "--output", "--install", "--stars"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

#if defined(LV_STARTABLE_PATH) && defined(LV_STAR_TABLE_SOURCE)

std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string> kSkyFiles = {"SPup.sbd", "SkyMapHi.SBM", "SkyMapSh.SBM"};

// --install draws the maps and places the star table for one sky and writes the three into
// the user's sky folder, making it and its missing parents: the very files skymap and
// startable write with the same options into a folder of one's own.
TEST_F(SkyMapToolTest, InstallWritesWhatBothToolsWriteIntoTheUsersSkyFolder) {
  if (!HaveCatalogue()) GTEST_SKIP() << kCatalogue << " is missing (Debian package xplanet)";
  const std::filesystem::path dataHome = std::filesystem::path(dir_.File("home")) / "share";
  const std::filesystem::path folder = dataHome / "Lumivane";
  ScopedEnvironment environment;
  environment.Set("XDG_DATA_HOME", dataHome.string());

  // An output folder as well is a wrong command line, which makes nothing.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--install", "--output", dir_.File("")},
                                               std::vector<std::string>{"--install", kCatalogue, dir_.File("")}}) {
    const ToolRun r = Run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dataHome.parent_path()));
  }

  const ToolRun r = Run({"--place", "berlin", "--install"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Listing(folder), kSkyFiles);
  EXPECT_NE(r.out.find("wrote " + (folder / "SPup.sbd").string()), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("left out as off this sky map"), std::string::npos) << r.out;  // Berlin's band is northern
  EXPECT_NE(r.out.find("start it again"), std::string::npos) << r.out;
  EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::owner_all,
            std::filesystem::perms::owner_all);
  // The data home it had to make is the user's own; the sky folder in it is readable.
  EXPECT_EQ(std::filesystem::status(dataHome).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_NE(std::filesystem::status(folder).permissions() & std::filesystem::perms::others_read,
            std::filesystem::perms::none);

  const std::string own = dir_.File("own");
  std::filesystem::create_directory(own);
  ASSERT_EQ(Run({"--place", "berlin", "--output", own}).status, 0);
  const std::string startable = Quote(LV_STARTABLE_PATH) + " --place berlin " + Quote(LV_STAR_TABLE_SOURCE) +
                                " --output " + Quote(own) + " >/dev/null";
  ASSERT_EQ(std::system(startable.c_str()), 0) << startable;
  for (const std::string& name : kSkyFiles) {
    SCOPED_TRACE(name);
    const std::string installed = ReadFile((folder / name).string());
    EXPECT_FALSE(installed.empty());
    EXPECT_TRUE(installed == ReadFile(own + "/" + name));
  }
}

// A folder that cannot be made, or a star source that is not there, stops --install with one
// line and status 1 before anything is written. Without --stars the source is the stars.tsv
// beside the tool, or the installed one in ../share/lumivane/.
TEST_F(SkyMapToolTest, InstallThatCannotMakeItsFolderOrFindItsStarsWritesNothing) {
  if (!HaveCatalogue()) GTEST_SKIP() << kCatalogue << " is missing (Debian package xplanet)";
  ScopedEnvironment environment;
  const auto expectRefused = [&](const ToolRun& r, const std::string& says) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("skymap: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
  };

  // Under a regular file no folder can be made, whoever runs the test.
  const std::string file = dir_.File("file");
  std::ofstream(file) << "not a folder";
  environment.Set("XDG_DATA_HOME", file + "/share");
  expectRefused(Run({"--install"}),
                "cannot make the user's sky folder " + file + "/share/Lumivane/: " + file + ": Not a directory");
  EXPECT_EQ(ReadFile(file), "not a folder");

  // In a folder without write permission (which does not hold for root).
  if (geteuid() != 0) {
    const std::string locked = dir_.File("locked");
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0555);
    environment.Set("XDG_DATA_HOME", locked + "/share");
    expectRefused(Run({"--install"}), "Permission denied");
    chmod(locked.c_str(), 0755);
    EXPECT_TRUE(std::filesystem::is_empty(locked));
  }

  const std::string dataHome = dir_.File("share");
  environment.Set("XDG_DATA_HOME", dataHome);
  expectRefused(Run({"--install", "--stars", dir_.File("missing.tsv")}), dir_.File("missing.tsv") + ": cannot open");
  EXPECT_FALSE(std::filesystem::exists(dataHome));

  // The tool in a folder of its own, as installed: bin/skymap with share/lumivane beside bin.
  const std::filesystem::path prefix = dir_.File("prefix");
  std::filesystem::create_directories(prefix / "bin");
  std::filesystem::copy_file(LV_SKYMAP_PATH, prefix / "bin" / "skymap");
  const std::string tool =
      Quote((prefix / "bin" / "skymap").string()) + " --install >/dev/null 2>" + Quote(logs_.File("err.txt"));
  EXPECT_NE(std::system(tool.c_str()), 0);
  EXPECT_NE(ReadFile(logs_.File("err.txt"))
                .find("looked for " + (prefix / "bin" / "stars.tsv").string() + " and " +
                      (prefix / "share" / "lumivane" / "stars.tsv").string()),
            std::string::npos)
      << ReadFile(logs_.File("err.txt"));
  EXPECT_FALSE(std::filesystem::exists(dataHome));
  std::filesystem::create_directories(prefix / "share" / "lumivane");
  std::filesystem::copy_file(LV_STAR_TABLE_SOURCE, prefix / "share" / "lumivane" / "stars.tsv");
  ASSERT_EQ(std::system(tool.c_str()), 0) << ReadFile(logs_.File("err.txt"));
  EXPECT_EQ(Listing(std::filesystem::path(dataHome) / "Lumivane"), kSkyFiles);
}

#endif  // LV_STARTABLE_PATH && LV_STAR_TABLE_SOURCE

#endif  // LV_SKYMAP_PATH

}  // namespace

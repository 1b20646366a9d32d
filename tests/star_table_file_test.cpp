// The star table generator, tools/startable, run as the build runs it, and the SPup.sbd it
// writes, read back here by a reader of the tests' own that follows the file's layout byte by
// byte: two rectangle lines of four 4-character numbers, then three Shift-JIS texts each ended
// by ';' and CR LF. Where the rectangles must lie is worked out here from the projection's
// formulas, and checked against the lit pixels of the committed sky map. The source's
// numbers are checked against the Bright Star Catalogue, and the library the tool is built on
// (tools/startable/star_table_source.h) for its writing of files whole.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "image/sbm_reader.h"
#include "sbm_test_files.h"
#include "independent_sky.h"
#include "sky/precession.h"
#include "sky/sky_chart.h"
#include "tools/skymap/star_motions.h"
#include "tools/startable/star_table_source.h"

#ifdef LV_STARTABLE_PATH

namespace fs = std::filesystem;

namespace {

// ---- The source table, read independently of the tool --------------------------------------

struct SourceStar {
  int line = 0;
  int hr = 0;
  double raHours = 0.0;
  double decDegrees = 0.0;
  double magnitude = 0.0;
  std::array<std::string, 3> texts;  // UTF-8
  int extra = 2;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<SourceStar> ReadSource(const std::string& path) {
  std::vector<SourceStar> stars;
  std::istringstream in(ReadText(path));
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line[line.find_first_not_of(" \t")] == '#') continue;
    std::vector<std::string> f;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      f.push_back(line.substr(start, tab - start));
    }
    f.push_back(line.substr(start));
    if (f.size() != 7 && f.size() != 8) {
      ADD_FAILURE() << path << ":" << number << ": " << f.size() << " fields";
      continue;
    }
    SourceStar s;
    s.line = number;
    s.hr = std::atoi(f[0].c_str());
    s.raHours = std::strtod(f[1].c_str(), nullptr);
    s.decDegrees = std::strtod(f[2].c_str(), nullptr);
    s.magnitude = std::strtod(f[3].c_str(), nullptr);
    s.texts = {f[4], f[5], f[6]};
    if (f.size() == 8) s.extra = std::atoi(f[7].c_str());
    stars.push_back(s);
  }
  return stars;
}

// ---- SPup.sbd, read by the layout ------------------------------------------------------------

struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Box&) const = default;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

struct Entry {
  Box first;
  Box second;
  std::array<std::string, 3> texts;  // Shift-JIS, as stored
};

// Four characters as the program converts them (atoi: spaces, a sign, digits), and only in
// the form the file is meant to have: right-aligned, padded on the left with spaces.
std::optional<int> Number4(std::string_view field) {
  std::size_t k = 0;
  while (k < 4 && field[k] == ' ') ++k;
  const std::size_t sign = k;
  if (k < 4 && field[k] == '-') ++k;
  if (k == 4) return std::nullopt;
  for (std::size_t d = k; d < 4; ++d) {
    if (field[d] < '0' || field[d] > '9') return std::nullopt;
  }
  const int value = std::atoi(std::string(field.substr(0, 4)).c_str());
  // A lone "-" followed by digits, or "-0", would read, but the file never holds them.
  if (sign != k && value >= 0) return std::nullopt;
  return value;
}

struct ParsedFile {
  std::vector<Entry> entries;
  std::string error;  // empty when the whole file reads
};

ParsedFile ParseTableFile(const std::string& bytes) {
  ParsedFile out;
  std::size_t at = 0;
  const auto fail = [&](const std::string& what) {
    out.error = what + " at byte " + std::to_string(at) + " (entry " + std::to_string(out.entries.size() + 1) + ")";
    return out;
  };
  while (at < bytes.size()) {
    Entry e;
    for (Box* box : {&e.first, &e.second}) {
      if (bytes.size() - at < 21) return fail("rectangle line cut short");
      const std::string_view line(bytes.data() + at, 21);
      int* numbers[] = {&box->left, &box->top, &box->right, &box->bottom};
      for (std::size_t n = 0; n < 4; ++n) {
        const std::optional<int> value = Number4(line.substr(5 * n, 4));
        if (!value) return fail("not a 4-character number: '" + std::string(line.substr(5 * n, 4)) + "'");
        *numbers[n] = *value;
        if (n < 3 && line[5 * n + 4] != ',') return fail("no ',' after a number");
      }
      if (line.substr(19, 2) != "\r\n") return fail("no CR LF after a rectangle");
      at += 21;
    }
    for (std::string& text : e.texts) {
      const std::size_t end = bytes.find(';', at);
      if (end == std::string::npos) return fail("text without ';'");
      text = bytes.substr(at, end - at);
      if (text.find_first_of("\r\n") != std::string::npos) return fail("line break inside a text");
      if (bytes.compare(end + 1, 2, "\r\n") != 0) return fail("no CR LF after ';'");
      at = end + 3;
    }
    out.entries.push_back(e);
  }
  return out;
}

// Shift-JIS back to UTF-8 through the system's converter; nothing when it does not convert.
std::optional<std::string> FromCp932(const std::string& sjis) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = sjis;
  std::string out(in.size() * 3 + 8, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// ---- Where the projection puts a star, from its formulas --------------------------------------

struct Place {
  std::vector<double> columns;  // unrounded, left to right
  double row = 0.0;
};

// Where the committed strip has the star: its J2000 place carried to the middle of 2026 by
// its Hipparcos motion and the IAU 2006 precession, worked out here rather than by the tool.
Place Project(long hr, double raHours, double decDegrees) {
  const double k = 4.0 / 0.985647366;
  const double rowsPerDegree = k / std::cos(35.7 * M_PI / 180.0);
  const sky::ProperMotion motion = sky::CatalogueMotion(hr);
  const double epoch = sky::MidYearEpoch(2026);
  const sky::Equatorial now = independent::Precess2006(
      independent::Move({raHours * 15.0, decDegrees}, motion.raCosDecMasPerYear, motion.decMasPerYear, epoch), epoch);
  raHours = now.raDegrees / 15.0;
  decDegrees = now.decDegrees;
  const double x = sky::chart::ReferenceColumn() - k * std::fmod(raHours * 15.0, 360.0);
  Place p;
  for (int n = -2; n <= 2; ++n) {
    const double copy = x + n * 360.0 * k;
    const double pixel = std::floor(copy + 0.5);
    if (pixel >= 0 && pixel < 1856) p.columns.push_back(copy);
  }
  p.row = 228.0 - (decDegrees - 35.7) * rowsPerDegree;
  return p;
}

int Pixel(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// The committed star map, as colours top row first.
struct SkyMap {
  platform::Image image;
  bool Lit(int x, int y) const {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
    return image.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)] !=
           0xFF000000u;
  }
};

std::optional<SkyMap> LoadSkyMap() {
  const std::string path = (fs::path(LV_TEST_DATA_DIR).parent_path().parent_path() / "data" / "SkyMapHi.SBM").string();
  image::sbm::FileSource file(path.c_str());
  image::sbm::Picture picture;
  if (!file.IsOpen() || image::sbm::ReadPicture(file, picture) != image::sbm::ReadOutcome::kLoaded) return std::nullopt;
  std::optional<platform::Image> argb = image::sbm::ToArgb(picture);
  if (!argb) return std::nullopt;
  return SkyMap{std::move(*argb)};
}

const std::map<int, std::string> kLandmarks = {
    {7001, "Vega"}, {7557, "Altair"}, {7924, "Deneb"}, {1708, "Capella"}, {2061, "Betelgeuse"}};

// Every entry against its source line and the map: the texts come back, the rectangles hold
// the star's own lit pixel, the second is the first again or its copy one circle of right
// ascension to the right, and the bright landmarks are centred where the formulas put them.
// The source's stars whose row falls off the strip must be left out. Returns the landmarks
// seen.
std::vector<std::string> CheckAgainstSourceAndMap(const std::string& sourcePath, const std::string& tablePath) {
  std::vector<std::string> landmarks;
  std::vector<SourceStar> source = ReadSource(sourcePath);
  std::erase_if(source, [](const SourceStar& s) {
    const int row = Pixel(Project(s.hr, s.raHours, s.decDegrees).row);
    return row < 0 || row >= 403;
  });
  const ParsedFile table = ParseTableFile(ReadText(tablePath));
  EXPECT_EQ(table.error, "") << tablePath;
  EXPECT_EQ(table.entries.size(), source.size()) << tablePath << " against " << sourcePath;
  const std::optional<SkyMap> map = LoadSkyMap();
  EXPECT_TRUE(map) << "SkyMapHi.SBM does not load";
  if (!map || table.entries.size() != source.size()) return landmarks;

  for (std::size_t i = 0; i < source.size(); ++i) {
    const SourceStar& s = source[i];
    const Entry& e = table.entries[i];
    const std::string where = sourcePath + ":" + std::to_string(s.line) + " (HR " + std::to_string(s.hr) + ")";
    for (std::size_t t = 0; t < 3; ++t) {
      EXPECT_EQ(FromCp932(e.texts[t]), std::optional<std::string>(s.texts[t])) << where << " text " << t;
    }
    const Place p = Project(s.hr, s.raHours, s.decDegrees);
    if (p.columns.empty()) {
      ADD_FAILURE() << where << ": no column on the strip";
      continue;
    }
    const int column = Pixel(p.columns.front());
    const int row = Pixel(p.row);
    EXPECT_TRUE(e.first.Contains(column, row)) << where << ": " << e.first << " misses pixel " << column << "," << row;
    EXPECT_TRUE(map->Lit(column, row)) << where << ": the map has no star at " << column << "," << row;
    int lit = 0;
    for (int y = e.first.top; y <= e.first.bottom; ++y) {
      for (int x = e.first.left; x <= e.first.right; ++x) lit += map->Lit(x, y) ? 1 : 0;
    }
    EXPECT_GT(lit, 0) << where << ": nothing drawn inside " << e.first;
    // The rectangle keeps `extra` free pixels round the picture, which reaches at most two.
    EXPECT_LE(e.first.left, column - s.extra) << where;
    EXPECT_GE(e.first.right, column + s.extra) << where;
    EXPECT_LE(e.first.top, row - s.extra) << where;
    EXPECT_GE(e.first.bottom, row + s.extra) << where;
    EXPECT_LE(e.first.right - e.first.left, 2 * s.extra + 4) << where;
    EXPECT_LE(e.first.bottom - e.first.top, 2 * s.extra + 4) << where;

    if (p.columns.size() == 1) {
      EXPECT_EQ(e.second, e.first) << where << ": drawn once, so the second rectangle repeats the first";
    } else {
      EXPECT_EQ(p.columns.size(), 2u) << where;
      const int shift = Pixel(p.columns.back()) - column;
      EXPECT_NEAR(shift, 360.0 * 4.0 / 0.985647366, 1.0) << where;
      EXPECT_EQ(e.second, (Box{e.first.left + shift, e.first.top, e.first.right + shift, e.first.bottom})) << where;
      EXPECT_TRUE(map->Lit(column + shift, row)) << where << ": the map has no second image";
    }

    const auto landmark = kLandmarks.find(s.hr);
    if (landmark != kLandmarks.end()) {
      landmarks.push_back(landmark->second);
      EXPECT_NEAR((e.first.left + e.first.right) / 2.0, p.columns.front(), 0.5 + 1e-9) << landmark->second;
      EXPECT_NEAR((e.first.top + e.first.bottom) / 2.0, p.row, 0.5 + 1e-9) << landmark->second;
    }
  }
  return landmarks;
}

constexpr const char* kCatalogue = "/usr/share/xplanet/stars/BSC";

// The source's numbers are those of the star's line in the Bright Star Catalogue (as xplanet
// installs it: dec, ra, mag, "name", HR, ...), digit for digit. This is the guard against a
// mistyped number: the tool itself leaves a star off the strip out without a word, and a
// mistyped declination could put a star off it.
void CheckAgainstCatalogue(const std::string& sourcePath) {
  std::ifstream catalogue(kCatalogue);
  ASSERT_TRUE(catalogue) << kCatalogue;
  std::map<int, std::array<double, 3>> byHr;  // ra, dec, mag
  std::string line;
  while (std::getline(catalogue, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    double dec = 0, ra = 0, mag = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf", &dec, &ra, &mag) != 3) continue;
    byHr[std::atoi(line.c_str() + close + 1)] = {ra, dec, mag};
  }
  for (const SourceStar& s : ReadSource(sourcePath)) {
    const auto found = byHr.find(s.hr);
    if (found == byHr.end()) {
      ADD_FAILURE() << sourcePath << ":" << s.line << ": HR " << s.hr << " is not in the catalogue";
      continue;
    }
    EXPECT_EQ(s.raHours, found->second[0]) << sourcePath << ":" << s.line << ": ra_hours of HR " << s.hr;
    EXPECT_EQ(s.decDegrees, found->second[1]) << sourcePath << ":" << s.line << ": dec_degrees of HR " << s.hr;
    EXPECT_EQ(s.magnitude, found->second[2]) << sourcePath << ":" << s.line << ": vmag of HR " << s.hr;
  }
}

// ---- Running the tool ------------------------------------------------------------------------

std::string FixturePath(const std::string& name) { return std::string(LV_TEST_DATA_DIR) + "/startable/" + name; }

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

int LineCount(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class StarTableFileTest : public ::testing::Test {
 protected:
  ToolRun Tool(const std::vector<std::string>& args) {
    std::string command = Quote(LV_STARTABLE_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(logs_.File("out.txt")) + " 2>" + Quote(logs_.File("err.txt"));
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(logs_.File("out.txt")), ReadText(logs_.File("err.txt"))};
  }

  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(dir_.File("")))) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  sbmtest::TempDir dir_;
  sbmtest::TempDir logs_;
};

TEST_F(StarTableFileTest, WritesRectanglesAndShiftJisTextsInTheProgramsLayout) {
  const std::string out = dir_.File("SPup.sbd");
  const ToolRun r = Tool({FixturePath("three_stars.tsv"), out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(LineCount(r.out), 1) << r.out;
  EXPECT_NE(r.out.find("3 stars"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 of them with two images"), std::string::npos) << r.out;

  const std::string bytes = ReadText(out);
  // Vega, magnitude 0.03, on pixel 794,212: its 3 x 3 picture and 2 pixels more, drawn once.
  EXPECT_EQ(bytes.substr(0, 42), " 791, 209, 797, 215\r\n 791, 209, 797, 215\r\n");
  const ParsedFile file = ParseTableFile(bytes);
  ASSERT_EQ(file.error, "");
  ASSERT_EQ(file.entries.size(), 3u);
  // Capella shows twice, at columns 144 and 1605, row 176; the leftmost image comes first.
  EXPECT_EQ(file.entries[1].first, (Box{141, 173, 147, 179}));
  EXPECT_EQ(file.entries[1].second, (Box{1602, 173, 1608, 179}));
  EXPECT_NE(bytes.find("1602, 173,1608, 179\r\n"), std::string::npos);
  // Altair, 719,362, asks for 3 extra pixels.
  EXPECT_EQ(file.entries[2].first, (Box{715, 358, 723, 366}));
  EXPECT_EQ(file.entries[2].second, file.entries[2].first);

  // The texts are stored in Shift-JIS and read back as written; ASCII passes unchanged.
  EXPECT_EQ(file.entries[0].texts[0], "\x83\x78\x83\x4B");  // ベガ
  EXPECT_EQ(FromCp932(file.entries[1].texts[1]), std::optional<std::string>("ぎょしゃ座α星"));
  EXPECT_NE(file.entries[2].texts[2].find("ABC 123 (ascii)"), std::string::npos);

  // Nothing follows the last entry: its description's ';' CR LF are the file's last bytes.
  std::size_t size = 0;
  for (const Entry& e : file.entries) {
    size += 2 * 21;
    for (const std::string& t : e.texts) size += t.size() + 3;
  }
  EXPECT_EQ(bytes.size(), size);
  EXPECT_TRUE(bytes.ends_with("\x81\x42;\r\n")) << "ends with the description's full stop, ';' and CR LF";
  // Only the table is left in the folder, readable by everyone like any data file.
  EXPECT_EQ(Listing(), std::vector<std::string>{"SPup.sbd"});
  EXPECT_NE(fs::status(out).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST_F(StarTableFileTest, FixtureStarsSitOnTheirPixelsOfTheMap) {
  const std::string out = dir_.File("SPup.sbd");
  ASSERT_EQ(Tool({FixturePath("three_stars.tsv"), out}).status, 0);
  EXPECT_EQ(CheckAgainstSourceAndMap(FixturePath("three_stars.tsv"), out),
            (std::vector<std::string>{"Vega", "Capella", "Altair"}));
}

TEST_F(StarTableFileTest, SourceSavedWithCrLfAndByteOrderMarkGivesTheSameFile) {
  std::string windows = "\xEF\xBB\xBF";
  for (char c : ReadText(FixturePath("three_stars.tsv"))) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string source = dir_.File("windows.tsv");
  WriteText(source, windows);
  ASSERT_EQ(Tool({FixturePath("three_stars.tsv"), dir_.File("a.sbd")}).status, 0);
  const ToolRun r = Tool({source, dir_.File("b.sbd")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadText(dir_.File("b.sbd")), ReadText(dir_.File("a.sbd")));
}

TEST_F(StarTableFileTest, BadLinesAreRefusedWithFileAndLineAndNothingIsWritten) {
  const std::string good = "7001\t18.6156\t38.7836\t0.03\tベガ\tこと座α星\t織姫星\n";
  const std::string base = "7557\t19.8464\t8.8683\t0.77\t";
  const struct {
    std::string line;
    std::string problem;
  } cases[] = {
      {base + "アルタイル;彦星\tわし座α星\t彦星\n", "title \"アルタイル;彦星\" contains ';'"},
      {base + "アルタイル\tわし座α星\t彦星🌟\n", "description \"彦星🌟\" has no Shift-JIS (CP932) form for U+1F31F"},
      {base + "アルタイル\t7月〜8月\t彦星\n", "subtitle \"7月〜8月\" does not read back the same"},  // WAVE DASH would read back as FULLWIDTH TILDE
      {base + "アルタイル\tわし座α星\n", "6 TAB-separated fields"},
      {base + "アルタイル\tわし座α星\t彦星\t3\tmore\n", "9 TAB-separated fields"},
      {base + "アルタイル\tわし座α星\t彦星\t99999\n", "does not fit in the file's 4 characters"},
      {base + "アルタイル\tわし座α星\t彦星\t-1\n", "extra"},
      {"7557\t19h50m\t8.8683\t0.77\tアルタイル\tわし座α星\t彦星\n", "ra_hours"},
      {"7557\t19.8464\t+-8.8683\t0.77\tアルタイル\tわし座α星\t彦星\n", "dec_degrees"},
      {"7557\t19.8464\t8.8683\tbright\tアルタイル\tわし座α星\t彦星\n", "vmag"},
      {"7557\t19.8464\t8.8683\t5.9\tアルタイル\tわし座α星\t彦星\n", "fainter than the map draws"},
      {"7001\t18.6156\t38.7836\t0.03\tベガ\tこと座α星\t織姫星\n", "hr 7001 is already on line 1"},
      {base + "\xff\xfe\tわし座α星\t彦星\n", "not valid UTF-8"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string source = dir_.File("bad" + std::to_string(++n) + ".tsv");
    WriteText(source, good + "# the next line is wrong\n" + c.line);
    const ToolRun r = Tool({source, dir_.File("SPup.sbd")});
    EXPECT_EQ(r.status, 1) << c.line;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("startable: " + source + ":3: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.problem), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  // Only the sources are in the folder: no table, no temporary left behind.
  for (const std::string& name : Listing()) EXPECT_TRUE(name.ends_with(".tsv")) << name;

  // A refused source leaves the table from before as it was.
  const std::string out = dir_.File("kept.sbd");
  WriteText(out, "before");
  EXPECT_EQ(Tool({dir_.File("bad1.tsv"), out}).status, 1);
  EXPECT_EQ(ReadText(out), "before");
}

TEST_F(StarTableFileTest, UnreadableSourcesAndWrongArgumentsAreRefused) {
  const std::string comments = dir_.File("comments.tsv");
  WriteText(comments, "# nothing yet\n\n");
  for (const std::string& source : {dir_.File("missing.tsv"), comments}) {
    const ToolRun r = Tool({source, dir_.File("SPup.sbd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("startable: " + source + ": ", 0), 0u) << r.err;
  }
  const ToolRun unwritable = Tool({FixturePath("three_stars.tsv"), dir_.File("no/such/folder/SPup.sbd")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err.rfind("startable: " + dir_.File("no/such/folder/SPup.sbd") + ": cannot write", 0), 0u)
      << unwritable.err;
  EXPECT_FALSE(fs::exists(dir_.File("SPup.sbd")));

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{}, {"a.tsv"}, {"a.tsv", "b.sbd", "c"}, {"--output", "dir", "a.tsv", "b.sbd"}}) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("usage: startable", 0), 0u) << r.err;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
  }
  // An option the tool does not know, or a value that is not one, is named in one line.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--fast", "a.tsv"}, {"--lat", "north", "a.tsv", "b.sbd"}, {"--lat", "76", "a.tsv", "b.sbd"},
           {"--utc-offset", "15", "a.tsv", "b.sbd"}, {"--year", "2200", "a.tsv", "b.sbd"}, {"a.tsv", "b.sbd", "--hour"}}) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err.rfind("startable: ", 0), 0u) << r.err;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
  }
  const ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: startable", 0), 0u) << help.out;
}

// A star the strip does not show is left out and counted, for the committed strip as for any
// other: the one source serves every place. On the committed strip Canopus is left out and
// Vega kept; for Buenos Aires Canopus is on the strip, placed at its precessed position, and
// Vega left out. Only a source with no star on the strip is refused.
TEST_F(StarTableFileTest, StarsOffTheStripAreLeftOutForEverySkyAndOnlyATableWithNoneOnItIsRefused) {
  const std::string source = dir_.File("two.tsv");
  WriteText(source,
            "2326\t6.399197\t-52.695661\t-0.74\tCanopus\tcarina\tthe keel's star\n"
            "7001\t18.6156\t38.7836\t0.03\tVega\tlyra\tthe harp's star\n");
  const ToolRun committed = Tool({source, dir_.File("committed.sbd")});
  ASSERT_EQ(committed.status, 0) << committed.err;
  EXPECT_NE(committed.out.find("1 stars (0 of them with two images on the map, 1 left out as off this sky map)"),
            std::string::npos)
      << committed.out;
  const ParsedFile tokyo = ParseTableFile(ReadText(dir_.File("committed.sbd")));
  ASSERT_EQ(tokyo.error, "");
  ASSERT_EQ(tokyo.entries.size(), 1u);
  EXPECT_EQ(FromCp932(tokyo.entries[0].texts[0]), std::optional<std::string>("Vega"));

  // Sirius (south of the committed strip) and Polaris (north of it), and nothing else.
  const std::string none = dir_.File("none.tsv");
  WriteText(none,
            "2491\t6.7525\t-16.7161\t-1.46\tシリウス\tおおいぬ座α星\t全天一明るい\n"
            "424\t2.5302\t89.2642\t2.02\tポラリス\tこぐま座α星\t北極星\n");
  const ToolRun refused = Tool({none, dir_.File("none.sbd")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(LineCount(refused.err), 1) << refused.err;
  EXPECT_EQ(refused.err.rfind("startable: " + none + ": no star of the table is on this sky map", 0), 0u)
      << refused.err;
  EXPECT_NE(refused.err.find("+0.9 to +81.3 degrees (2 left out)"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(dir_.File("none.sbd")));

  const std::vector<std::string> buenosAires = {"--lat", "-34.6", "--lon", "-58.38", "--utc-offset", "-3", "--year",
                                                "2026"};
  std::vector<std::string> args = buenosAires;
  args.insert(args.end(), {source, "--output", dir_.File("")});
  const ToolRun r = Tool(args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("1 stars (1 of them with two images on the map, 1 left out as off this sky map)"),
            std::string::npos)
      << r.out;
  const ParsedFile table = ParseTableFile(ReadText(dir_.File("SPup.sbd")));
  ASSERT_EQ(table.error, "");
  ASSERT_EQ(table.entries.size(), 1u);
  EXPECT_EQ(FromCp932(table.entries[0].texts[0]), std::optional<std::string>("Canopus"));

  sky::chart::Observer observer;
  for (std::size_t i = 0; i + 1 < buenosAires.size(); i += 2) {
    ASSERT_TRUE(sky::chart::SetObserverOption(observer, buenosAires[i], buenosAires[i + 1], nullptr));
  }
  const sky::chart::Projection projection(observer);
  const sky::Equatorial placed = projection.StarPosition({6.399197 * 15.0, -52.695661});
  const std::vector<int> columns = projection.Columns(placed.raDegrees);
  const std::optional<int> row = projection.Row(placed.decDegrees);
  ASSERT_EQ(columns.size(), 2u);
  ASSERT_TRUE(row);
  // Magnitude -0.74 reaches two pixels each way; with 2 more of slack, 4 each way.
  EXPECT_EQ(table.entries[0].first, (Box{columns[0] - 4, *row - 4, columns[0] + 4, *row + 4}));
  EXPECT_EQ(table.entries[0].second, (Box{columns[1] - 4, *row - 4, columns[1] + 4, *row + 4}));
  // The worked example in tools/startable/README.md.
  EXPECT_EQ(table.entries[0].first, (Box{1, 313, 9, 321}));
}

#ifdef LV_SKYMAP_PATH
// For another place and year the tool places the stars exactly as skymap draws them with the
// same options: every rectangle holds a lit pixel of that strip at the star's own place, and
// the stars that strip does not show are left out rather than refused.
TEST_F(StarTableFileTest, ForAnotherPlaceAndYearTheRectanglesSitOnThatStrip) {
  const std::string catalogue = "/usr/share/xplanet/stars/BSC";
  if (!fs::exists(catalogue)) GTEST_SKIP() << catalogue << " is missing (Debian package xplanet)";
  const std::string source = LV_STAR_TABLE_SOURCE;
  if (!fs::exists(source)) GTEST_SKIP() << source << " is not written yet";
  struct Sky {
    const char* name;
    std::vector<std::string> options;
    std::vector<std::string> mustShow;  // titles of stars this sky holds overhead
  };
  const Sky kSkies[] = {
      // Berlin, 23:00 CET, in 2040: the band of sky from about +26 to +87 degrees; Vega, Deneb,
      // Capella and the Dipper, but not Altair or Betelgeuse, south of it.
      {"Berlin",
       {"--lat", "52.52", "--lon", "13.40", "--utc-offset", "1", "--hour", "23", "--year", "2040"},
       {"ベガ（織女星）", "デネブ"}},
      // Buenos Aires, 21:00, in 2026: +11.6 to -69.9, the southern stars' own entries.
      {"Buenos Aires", {"--place", "buenos-aires"}, {"カノープス（南極老人星）", "アクルックス", "アケルナル"}},
  };
  for (const Sky& sky : kSkies) {
    SCOPED_TRACE(sky.name);
    sbmtest::TempDir dir;
    std::string command = Quote(LV_SKYMAP_PATH);
    for (const std::string& a : sky.options) command += " " + a;
    command += " --output " + Quote(dir.File("")) + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::vector<std::string> args = sky.options;
    args.insert(args.end(), {source, "--output", dir.File("")});
    const ToolRun r = Tool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("left out as off this sky map"), std::string::npos) << r.out;

    sky::chart::Observer observer;
    for (std::size_t i = 0; i + 1 < sky.options.size(); i += 2) {
      ASSERT_TRUE(sky::chart::SetObserverOption(observer, sky.options[i], sky.options[i + 1], nullptr));
    }
    const sky::chart::Projection projection(observer);
    image::sbm::FileSource file(dir.File("SkyMapHi.SBM").c_str());
    image::sbm::Picture picture;
    ASSERT_EQ(image::sbm::ReadPicture(file, picture), image::sbm::ReadOutcome::kLoaded);
    std::optional<platform::Image> argb = image::sbm::ToArgb(picture);
    ASSERT_TRUE(argb);
    const SkyMap map{std::move(*argb)};

    const ParsedFile table = ParseTableFile(ReadText(dir.File("SPup.sbd")));
    ASSERT_EQ(table.error, "");
    std::size_t onStrip = 0;
    std::size_t entry = 0;
    std::vector<std::string> titles;
    for (const SourceStar& s : ReadSource(source)) {
      const sky::Equatorial placed =
          projection.StarPosition({s.raHours * 15.0, s.decDegrees}, sky::CatalogueMotion(s.hr));
      const std::optional<int> row = projection.Row(placed.decDegrees);
      if (!row) continue;  // left out
      ++onStrip;
      ASSERT_LT(entry, table.entries.size());
      const Entry& e = table.entries[entry++];
      EXPECT_EQ(FromCp932(e.texts[0]), std::optional<std::string>(s.texts[0])) << s.line;
      titles.push_back(s.texts[0]);
      const std::vector<int> columns = projection.Columns(placed.raDegrees);
      ASSERT_FALSE(columns.empty()) << s.line;
      EXPECT_TRUE(e.first.Contains(columns.front(), *row)) << s.line << ": " << e.first;
      EXPECT_TRUE(map.Lit(columns.front(), *row))
          << s.line << ": the strip has no star at " << columns.front() << "," << *row;
      EXPECT_TRUE(e.second.Contains(columns.back(), *row)) << s.line << ": " << e.second;
      EXPECT_TRUE(map.Lit(columns.back(), *row)) << s.line;
    }
    EXPECT_EQ(table.entries.size(), onStrip);
    EXPECT_LT(onStrip, ReadSource(source).size());
    for (const std::string& title : sky.mustShow) {
      EXPECT_NE(std::find(titles.begin(), titles.end(), title), titles.end()) << title;
    }
  }
}
#endif  // LV_SKYMAP_PATH

// The table the build generated from the real source, in the program folder.
TEST(StarTableFileRealDataTest, GeneratedTableFitsTheSourceAndTheMap) {
  const std::string source = LV_STAR_TABLE_SOURCE;
  if (!fs::exists(source)) {
    GTEST_SKIP() << source << " is not written yet; the build generates SPup.sbd once it is";
  }
  const std::string table = LV_STAR_TABLE_FILE;
  ASSERT_TRUE(fs::exists(table)) << table << " was not generated: configure the build again";

  // The build's copy is what the tool makes from the source as it is now.
  sbmtest::TempDir dir;
  const std::string fresh = dir.File("SPup.sbd");
  const std::string command = Quote(LV_STARTABLE_PATH) + " " + Quote(source) + " " + Quote(fresh) + " >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(table), ReadText(fresh)) << table << " is older than " << source;

  std::vector<std::string> landmarks = CheckAgainstSourceAndMap(source, table);
  std::sort(landmarks.begin(), landmarks.end());
  EXPECT_EQ(landmarks, (std::vector<std::string>{"Altair", "Betelgeuse", "Capella", "Deneb", "Vega"}));
}

// Every star of the real source and of the test's own table has the catalogue's numbers.
TEST(StarTableFileRealDataTest, SourceNumbersAreTheCataloguesOwn) {
  // The only guard against a mistyped position: a star off its place would simply be left out
  // of the committed table. So a missing catalogue fails rather than skips; scripts/setup.sh
  // installs it.
  ASSERT_TRUE(fs::exists(kCatalogue)) << kCatalogue << " is missing (Debian package xplanet)";
  const std::string source = LV_STAR_TABLE_SOURCE;
  if (fs::exists(source)) CheckAgainstCatalogue(source);
  CheckAgainstCatalogue(FixturePath("three_stars.tsv"));
}

// Files are written whole: each to a temporary file beside it, and renamed only once every
// one of them is written, so a file that cannot be written leaves the others as they were
// and no temporary file behind.
TEST(StarTableSourceTest, FilesAreWrittenWholeOrNotAtAll) {
  sbmtest::TempDir dir;
  WriteText(dir.File("a"), "old a");
  EXPECT_THROW(startable::WriteFilesAtomically({{dir.File("a"), "new a"}, {dir.File("missing/b"), "new b"}}),
               startable::Refusal);
  EXPECT_EQ(ReadText(dir.File("a")), "old a");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(dir.File("")))) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"a"});

  startable::WriteFilesAtomically({{dir.File("a"), "new a"}, {dir.File("b"), "new b"}});
  EXPECT_EQ(ReadText(dir.File("a")), "new a");
  EXPECT_EQ(ReadText(dir.File("b")), "new b");
  EXPECT_EQ(fs::status(dir.File("b")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

}  // namespace

#else

// tools/CMakeLists.txt tells the tests where the tool is; without it, say so.
TEST(StarTableFileTest, ToolNotBuilt) { GTEST_SKIP() << "startable was not built with the tests"; }

#endif  // LV_STARTABLE_PATH

// skymap: draws the two sky-map pictures, SkyMapHi.SBM (the stars) and SkyMapSh.SBM (their
// mask), from the Yale Bright Star Catalogue. The pictures are committed in data/; this tool
// is run by hand when the drawing changes, never by the build. With --lat, --lon, --utc-offset,
// --hour and --year it draws the strip for another place, hour or year. See README.md beside it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/sbm_writer.h"
#include "sky/sky_chart.h"
#include "sky/star_picture.h"
#include "tools/skymap/star_motions.h"

namespace chart = sky::chart;
namespace sbm = image::sbm;

namespace {

constexpr const char* kDefaultCatalogue = "/usr/share/xplanet/stars/BSC";
constexpr const char* kDefaultOutput = "data";

struct Star {
  double decDegrees = 0.0;
  double raHours = 0.0;
  double magnitude = 0.0;
  std::string name;
  long hr = 0;  // 0 when the line gives none: then no proper motion is known
};

// Reads "dec(deg) ra(hours) mag "name" HR HD SAO" lines; '#' starts a comment line. A line
// that does not read as a star stops the tool: a damaged catalogue would make a wrong sky.
bool ReadCatalogue(const std::string& path, std::vector<Star>& stars, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot open";
    return false;
  }
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    Star star;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf %n", &star.decDegrees, &star.raHours, &star.magnitude, &consumed) < 3 ||
        star.decDegrees < -90.0 || star.decDegrees > 90.0 || star.raHours < 0.0 || star.raHours >= 24.0 ||
        star.magnitude < -2.0 || star.magnitude > 15.0) {
      error = path + ":" + std::to_string(lineNumber) + ": not a star: " + line;
      return false;
    }
    const std::string_view rest = std::string_view(line).substr(static_cast<std::size_t>(consumed));
    if (rest.size() >= 2 && rest.front() == '"') {
      const std::size_t close = rest.find('"', 1);
      if (close != std::string_view::npos) {
        star.name = std::string(rest.substr(1, close - 1));
        std::sscanf(std::string(rest.substr(close + 1)).c_str(), "%ld", &star.hr);
      }
    }
    stars.push_back(std::move(star));
  }
  return true;
}

// Palette entry k is grey level k with a touch of blue, as starlight looks beside a black sky;
// entry 0 stays black.
std::vector<RGBQUAD> StarPalette() {
  std::vector<RGBQUAD> palette(256);
  for (int k = 1; k < 256; ++k) {
    palette[static_cast<std::size_t>(k)].rgbRed = static_cast<BYTE>(std::lround(k * 0.90));
    palette[static_cast<std::size_t>(k)].rgbGreen = static_cast<BYTE>(std::lround(k * 0.94));
    palette[static_cast<std::size_t>(k)].rgbBlue = static_cast<BYTE>(k);
  }
  return palette;
}

struct DrawCounts {
  int brightEnough = 0;
  int onStrip = 0;
  int copies = 0;
};

// The stars as grey levels, top row first; where two stars' pixels meet the brighter wins, so
// the order of the catalogue does not matter.
std::vector<BYTE> DrawStars(const chart::Projection& projection, const std::vector<Star>& stars, DrawCounts& counts) {
  std::vector<BYTE> levels(static_cast<std::size_t>(chart::kMapWidth) * chart::kMapHeight, 0);
  for (const Star& star : stars) {
    if (star.magnitude > sky::kFaintestMagnitude) continue;
    ++counts.brightEnough;
    const sky::Equatorial position =
        projection.StarPosition({star.raHours * 15.0, star.decDegrees}, sky::CatalogueMotion(star.hr));
    const std::optional<int> row = projection.Row(position.decDegrees);
    if (!row) continue;
    ++counts.onStrip;
    const std::vector<sky::StarDot> dots = sky::StarDots(star.magnitude);
    for (int column : projection.Columns(position.raDegrees)) {
      ++counts.copies;
      for (const sky::StarDot& dot : dots) {
        const int x = column + dot.dx;
        const int y = *row + dot.dy;
        if (x < 0 || x >= chart::kMapWidth || y < 0 || y >= chart::kMapHeight) continue;
        BYTE& pixel = levels[static_cast<std::size_t>(y) * chart::kMapWidth + static_cast<std::size_t>(x)];
        pixel = std::max(pixel, static_cast<BYTE>(dot.level));
      }
    }
  }
  return levels;
}

bool Write(const sbm::IndexedPicture& picture, const std::string& path) {
  std::string error;
  const std::optional<sbm::EncodedFile> file = sbm::EncodeFile(picture, true, &error);
  if (!file) {
    std::fprintf(stderr, "skymap: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  if (!file->runLengthCoded) {
    // The sky is mostly black, so coding always wins; if it did not, something is wrong.
    std::fprintf(stderr, "skymap: %s: run-length coding came out longer than plain rows\n", path.c_str());
    return false;
  }
  if (!sbm::WriteBytes(path, file->bytes, &error)) {
    std::fprintf(stderr, "skymap: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  std::printf("wrote %s: %zu bytes\n", path.c_str(), file->bytes.size());
  return true;
}

// The linear column model against sidereal time worked out for each evening of the year.
double LargestZenithError(const chart::Projection& projection) {
  double largest = 0.0;
  for (int day = 1; day <= chart::kDaysInYear; ++day) {
    double nearest = 1e9;
    for (double x : projection.ExactColumns(projection.ZenithRightAscension(day))) {
      nearest = std::min(nearest, std::abs(x - chart::WindowCentreColumn(day)));
    }
    largest = std::max(largest, nearest);
  }
  return largest;
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: skymap [OPTIONS] [CATALOGUE [OUTPUT_DIR]]\n"
               "Draws SkyMapHi.SBM and SkyMapSh.SBM into OUTPUT_DIR (default %s) from the Bright\n"
               "Star Catalogue file CATALOGUE (default %s).\n"
               "With no options the strip is the committed one: Tokyo at 21:00 JST in 2026, J2000 positions.\n"
               "  --lat DEG           latitude, north positive, -75..75 (default 35.7)\n"
               "  --lon DEG           longitude, east positive, -180..180 (default 139.7)\n"
               "  --utc-offset HOURS  the local clock's offset from UT, -12..14, e.g. 9, -3, 5.5 (default 9)\n"
               "  --hour H            the local clock hour the window shows, 0 to under 24 (default 21)\n"
               "  --year YYYY         the year, 1900..2100; the stars are precessed to its middle\n"
               "  --place NAME        tokyo, sapporo, naha, berlin or buenos-aires: latitude, longitude and offset\n"
               "  --output DIR        where to write the two files (instead of OUTPUT_DIR)\n"
               "  --help              this text\n",
               kDefaultOutput, kDefaultCatalogue);
}

// A bad command line: one line on standard error and status 2.
int BadArguments(const std::string& problem) {
  std::fprintf(stderr, "skymap: %s (skymap --help shows the usage)\n", problem.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const chart::ToolArguments arguments = chart::ReadToolArguments(argc, argv);
  if (arguments.help) {
    PrintUsage(stdout);
    return 0;
  }
  if (!arguments.error.empty()) return BadArguments(arguments.error);
  const std::vector<std::string>& positional = arguments.positional;
  const std::optional<std::string>& outputOption = arguments.outputDir;
  if (positional.size() > 2) return BadArguments("too many arguments");
  if (positional.size() == 2 && outputOption) return BadArguments("the output folder is given twice");
  const chart::Observer& observer = arguments.observer;
  const chart::Projection projection(observer);

  const std::string cataloguePath = !positional.empty() ? positional[0] : kDefaultCatalogue;
  const std::string outputDir = outputOption ? *outputOption : positional.size() > 1 ? positional[1] : kDefaultOutput;

  std::vector<Star> stars;
  std::string error;
  if (!ReadCatalogue(cataloguePath, stars, error)) {
    std::fprintf(stderr, "skymap: %s\n", error.c_str());
    return 1;
  }

  const long minutes = std::lround(observer.localHour * 60.0);
  std::printf("latitude %g, longitude %g east, %02ld:%02ld local time (UTC%+g), stars as in the middle of %d\n",
              observer.latitudeDegrees, observer.longitudeEastDegrees, minutes / 60 % 24, minutes % 60,
              observer.utcOffsetHours, observer.year);
  std::printf("columns per degree of RA k = %.10f, C0 = %.6f, rows per degree = %.10f\n", chart::kColumnsPerDegree,
              projection.ReferenceColumn(), projection.RowsPerDegree());
  std::printf("declinations %+.1f (top row) to %+.1f (bottom row)\n", projection.TopDeclination(),
              projection.BottomDeclination());
  std::printf("largest zenith error over the year: %.3g columns\n", LargestZenithError(projection));

  DrawCounts counts;
  const std::vector<BYTE> levels = DrawStars(projection, stars, counts);
  std::printf("%zu stars read, %d to magnitude %.1f, %d of them on the strip, drawn %d times\n", stars.size(),
              counts.brightEnough, sky::kFaintestMagnitude, counts.onStrip, counts.copies);

  sbm::IndexedPicture map;
  map.width = chart::kMapWidth;
  map.height = chart::kMapHeight;
  map.indices = levels;
  map.palette = StarPalette();

  // The mask: black under every star pixel, white elsewhere. The program ANDs it over the
  // desktop and then ORs the stars in, so each star keeps its own colour.
  sbm::IndexedPicture mask;
  mask.width = chart::kMapWidth;
  mask.height = chart::kMapHeight;
  mask.palette.resize(2);
  mask.palette[1].rgbRed = mask.palette[1].rgbGreen = mask.palette[1].rgbBlue = 255;
  mask.indices.resize(levels.size());
  std::transform(levels.begin(), levels.end(), mask.indices.begin(), [](BYTE level) { return level ? 0 : 1; });

  const bool ok = Write(map, outputDir + "/SkyMapHi.SBM") && Write(mask, outputDir + "/SkyMapSh.SBM");
  return ok ? 0 : 1;
}

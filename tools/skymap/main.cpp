// skymap: draws the two sky-map pictures, SkyMapHi.SBM (the stars) and SkyMapSh.SBM (their
// mask), from the Yale Bright Star Catalogue. The pictures are committed in data/; this tool
// is run by hand when the drawing changes, never by the build. See README.md beside it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "image/sbm_writer.h"
#include "sky/sky_chart.h"
#include "sky/star_picture.h"

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
      if (close != std::string_view::npos) star.name = std::string(rest.substr(1, close - 1));
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
std::vector<BYTE> DrawStars(const std::vector<Star>& stars, DrawCounts& counts) {
  std::vector<BYTE> levels(static_cast<std::size_t>(chart::kMapWidth) * chart::kMapHeight, 0);
  for (const Star& star : stars) {
    if (star.magnitude > sky::kFaintestMagnitude) continue;
    ++counts.brightEnough;
    const std::optional<int> row = chart::Row(star.decDegrees);
    if (!row) continue;
    ++counts.onStrip;
    const std::vector<sky::StarDot> dots = sky::StarDots(star.magnitude);
    for (int column : chart::Columns(star.raHours * 15.0)) {
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
double LargestZenithError() {
  double largest = 0.0;
  for (int day = 1; day <= chart::kDaysInYear; ++day) {
    double nearest = 1e9;
    for (double x : chart::ExactColumns(chart::ZenithRightAscension(day))) {
      nearest = std::min(nearest, std::abs(x - chart::WindowCentreColumn(day)));
    }
    largest = std::max(largest, nearest);
  }
  return largest;
}

int Usage() {
  std::fprintf(stderr,
               "usage: skymap [CATALOGUE [OUTPUT_DIR]]\n"
               "Draws SkyMapHi.SBM and SkyMapSh.SBM into OUTPUT_DIR (default %s) from the Bright\n"
               "Star Catalogue file CATALOGUE (default %s).\n",
               kDefaultOutput, kDefaultCatalogue);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 || (argc > 1 && argv[1][0] == '-')) return Usage();
  const std::string cataloguePath = argc > 1 ? argv[1] : kDefaultCatalogue;
  const std::string outputDir = argc > 2 ? argv[2] : kDefaultOutput;

  std::vector<Star> stars;
  std::string error;
  if (!ReadCatalogue(cataloguePath, stars, error)) {
    std::fprintf(stderr, "skymap: %s\n", error.c_str());
    return 1;
  }

  std::printf("columns per degree of RA k = %.10f, C0 = %.6f, rows per degree = %.10f\n",
              chart::kColumnsPerDegree, chart::ReferenceColumn(), chart::RowsPerDegree());
  std::printf("largest zenith error over the year: %.3g columns\n", LargestZenithError());

  DrawCounts counts;
  const std::vector<BYTE> levels = DrawStars(stars, counts);
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

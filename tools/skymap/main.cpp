// skymap: draws the two sky-map pictures, SkyMapHi.SBM (the stars) and SkyMapSh.SBM (their
// mask), from the Yale Bright Star Catalogue. The pictures are committed in data/; this tool
// is run by hand when the drawing changes, never by the build. With --lat, --lon, --utc-offset,
// --hour and --year it draws the strip for another place, hour or year; with --install it
// writes that strip, its mask and the star table for the same sky into the user's sky folder,
// where the program reads them. See README.md beside it.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "image/sbm_writer.h"
#include "sky/sky_chart.h"
#include "sky/sky_files.h"
#include "sky/star_picture.h"
#include "tools/skymap/star_motions.h"
#include "tools/startable/star_table_source.h"

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

// The picture's file, run-length coded, for `path`; nothing, with a message, when it cannot be.
std::optional<std::vector<BYTE>> Encode(const sbm::IndexedPicture& picture, const std::string& path) {
  std::string error;
  const std::optional<sbm::EncodedFile> file = sbm::EncodeFile(picture, true, &error);
  if (!file) {
    std::fprintf(stderr, "skymap: %s: %s\n", path.c_str(), error.c_str());
    return std::nullopt;
  }
  if (!file->runLengthCoded) {
    // The sky is mostly black, so coding always wins; if it did not, something is wrong.
    std::fprintf(stderr, "skymap: %s: run-length coding came out longer than plain rows\n", path.c_str());
    return std::nullopt;
  }
  return file->bytes;
}

bool Write(const std::vector<BYTE>& bytes, const std::string& path) {
  std::string error;
  if (!sbm::WriteBytes(path, bytes, &error)) {
    std::fprintf(stderr, "skymap: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  std::printf("wrote %s: %zu bytes\n", path.c_str(), bytes.size());
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
               "       skymap [OPTIONS] --install [--stars FILE] [CATALOGUE]\n"
               "Draws SkyMapHi.SBM and SkyMapSh.SBM into OUTPUT_DIR (default %s) from the Bright\n"
               "Star Catalogue file CATALOGUE (default %s).\n"
               "With no options the strip is the committed one: Tokyo at 21:00 JST in 2026.\n",
               kDefaultOutput, kDefaultCatalogue);
  std::fputs(chart::kObserverOptionsHelp, to);
  std::fputs(
      "  --output DIR        where to write the two files (instead of OUTPUT_DIR)\n"
      "  --install           draw the two maps and the star table SPup.sbd for the same sky into\n"
      "                      the user's sky folder, $XDG_DATA_HOME/Lumivane (or\n"
      "                      ~/.local/share/Lumivane), which Lumivane reads when it starts\n"
      "  --stars FILE        with --install: the star table's source (default: stars.tsv beside\n"
      "                      skymap, else ../share/lumivane/stars.tsv from its folder)\n"
      "  --help              this text\n",
      to);
}

// A bad command line: one line on standard error and status 2.
int BadArguments(const std::string& problem) {
  std::fprintf(stderr, "skymap: %s (skymap --help shows the usage)\n", problem.c_str());
  return 2;
}

// Something that stops the tool after a good command line: one line and status 1.
int Failed(const std::string& problem) {
  std::fprintf(stderr, "skymap: %s\n", problem.c_str());
  return 1;
}

// The options of skymap's own, --install and --stars FILE, taken out of the command line; the
// rest goes on to chart::ReadToolArguments. The line is read as that reads it: every other
// option takes the next argument as its value, and nothing after --help is looked at.
struct OwnOptions {
  bool install = false;
  std::optional<std::string> stars;
  std::string error;
  std::vector<char*> rest;  // argv without them
};

OwnOptions TakeOwnOptions(int argc, char** argv) {
  OwnOptions own;
  own.rest.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      own.rest.insert(own.rest.end(), argv + i, argv + argc);
      break;
    }
    if (argument == "--install") {
      own.install = true;
    } else if (argument == "--stars") {
      if (i + 1 >= argc) {
        own.error = "--stars needs a value";
        return own;
      }
      own.stars = argv[++i];
    } else {
      own.rest.push_back(argv[i]);
      if (argument.size() >= 2 && argument[0] == '-' && i + 1 < argc) own.rest.push_back(argv[++i]);
    }
  }
  return own;
}

// The star table's source for --install: the one given; else stars.tsv beside this executable
// (the build copies it into its program folder); else share/lumivane/stars.tsv beside the
// folder this executable is in (where it is installed). Nothing, with the places looked at in
// `lookedAt`, when there is none.
std::optional<std::string> FindStarSource(const std::optional<std::string>& given, std::string& lookedAt) {
  if (given) return given;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  if (error) {
    lookedAt = "the folder of skymap itself, which /proc/self/exe does not give";
    return std::nullopt;
  }
  const std::filesystem::path candidates[] = {folder / "stars.tsv",
                                              (folder / ".." / "share" / "lumivane" / "stars.tsv").lexically_normal()};
  for (const std::filesystem::path& candidate : candidates) {
    if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
  }
  lookedAt = candidates[0].string() + " and " + candidates[1].string();
  return std::nullopt;
}

// Makes `folder` and every missing parent, and lists the ones it made in `made`, outermost
// first. The folder itself gets mode 0755 (less the umask); a missing parent is the data home
// or above it, which the base-directory rules give mode 0700. False, with `error` set, when
// one cannot be made.
bool MakeFolders(const std::string& folder, std::vector<std::string>& made, std::string& error) {
  std::string path;
  std::size_t at = 0;
  while (at < folder.size()) {
    const std::size_t end = folder.find('/', at + 1);
    path = folder.substr(0, end == std::string::npos ? folder.size() : end);
    at = end == std::string::npos ? folder.size() : end;
    if (path.empty() || path.back() == '/') continue;
    const bool last = at >= folder.size() || folder.find_first_not_of('/', at) == std::string::npos;
    if (mkdir(path.c_str(), last ? 0755 : 0700) == 0) {
      made.push_back(path);
      continue;
    }
    const int mkdirError = errno;
    struct stat info;
    if (mkdirError == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    error = "cannot make the user's sky folder " + folder + ": " + path + ": " +
            std::strerror(mkdirError == EEXIST ? ENOTDIR : mkdirError);
    return false;
  }
  return true;
}

// Takes back the folders MakeFolders made, innermost first, so that a refused install leaves
// nothing behind.
void RemoveFolders(const std::vector<std::string>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) rmdir(it->c_str());
}

// --install: the two maps and the star table for the same projection into the user's sky
// folder. Everything is made before anything is written, and the files are written whole, so
// a refusal anywhere leaves the folder as it was.
int Install(const chart::Projection& projection, const std::string& folder, const std::string& starSource,
            const std::vector<BYTE>& map, const std::vector<BYTE>& mask) {
  startable::StarTable table;
  std::string tableBytes;
  try {
    table = startable::ReadStarTable(projection, starSource);
    tableBytes = startable::ComposeTable(table);
  } catch (const startable::Refusal& refusal) {
    return Failed(refusal.where + ": " + refusal.problem);
  }
  const std::vector<startable::FileToWrite> files = {
      {folder + "SkyMapHi.SBM", std::string(map.begin(), map.end())},
      {folder + "SkyMapSh.SBM", std::string(mask.begin(), mask.end())},
      {folder + startable::kTableName, tableBytes},
  };
  std::vector<std::string> made;
  std::string error;
  if (!MakeFolders(folder, made, error)) {
    RemoveFolders(made);
    return Failed(error);
  }
  try {
    startable::WriteFilesAtomically(files);
  } catch (const startable::Refusal& refusal) {
    RemoveFolders(made);
    return Failed(refusal.where + ": " + refusal.problem);
  }
  for (const std::string& path : made) std::printf("made the folder %s\n", path.c_str());
  std::printf("wrote %s: %zu bytes\n", files[0].path.c_str(), files[0].bytes.size());
  std::printf("wrote %s: %zu bytes\n", files[1].path.c_str(), files[1].bytes.size());
  const std::string leftOut =
      table.leftOut > 0 ? ", " + std::to_string(table.leftOut) + " left out as off this sky map" : std::string();
  std::printf("wrote %s: %zu bytes, %zu stars from %s (%d of them with two images on the map%s)\n",
              files[2].path.c_str(), tableBytes.size(), table.stars.size(), starSource.c_str(),
              table.StarsWithTwoImages(), leftOut.c_str());
  std::printf(
      "Lumivane reads its sky files when it starts: quit it if it is running and start it again to see this sky.\n"
      "Remove %s to have the shipped sky back.\n",
      folder.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  OwnOptions own = TakeOwnOptions(argc, argv);
  if (!own.error.empty()) return BadArguments(own.error);
  const chart::ToolArguments arguments = chart::ReadToolArguments(static_cast<int>(own.rest.size()), own.rest.data());
  if (arguments.help) {
    PrintUsage(stdout);
    return 0;
  }
  if (!arguments.error.empty()) return BadArguments(arguments.error);
  const std::vector<std::string>& positional = arguments.positional;
  const std::optional<std::string>& outputOption = arguments.outputDir;
  if (positional.size() > 2) return BadArguments("too many arguments");
  if (positional.size() == 2 && outputOption) return BadArguments("the output folder is given twice");
  if (own.install && (outputOption || positional.size() == 2)) {
    return BadArguments("--install writes into the user's sky folder and takes no output folder");
  }
  if (own.stars && !own.install) return BadArguments("--stars goes with --install");
  const chart::Observer& observer = arguments.observer;
  const chart::Projection projection(observer);

  const std::string cataloguePath = !positional.empty() ? positional[0] : kDefaultCatalogue;
  // --install writes into the user's sky folder, which is empty when there is none.
  std::string outputDir = outputOption ? *outputOption : positional.size() > 1 ? positional[1] : kDefaultOutput;
  if (own.install) outputDir = sky::UserSkyFolder();
  std::string starSource;
  if (own.install) {
    if (outputDir.empty()) {
      return Failed("--install: there is no user's sky folder: neither XDG_DATA_HOME nor HOME is an absolute path");
    }
    std::string lookedAt;
    const std::optional<std::string> found = FindStarSource(own.stars, lookedAt);
    if (!found) {
      return Failed("--install: no star table source (looked for " + lookedAt + "); give one with --stars FILE");
    }
    starSource = *found;
  }

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

  const std::string folder = outputDir.ends_with('/') ? outputDir : outputDir + "/";
  const std::optional<std::vector<BYTE>> mapFile = Encode(map, folder + "SkyMapHi.SBM");
  const std::optional<std::vector<BYTE>> maskFile = mapFile ? Encode(mask, folder + "SkyMapSh.SBM") : std::nullopt;
  if (!mapFile || !maskFile) return 1;
  if (own.install) return Install(projection, folder, starSource, *mapFile, *maskFile);
  const bool ok = Write(*mapFile, folder + "SkyMapHi.SBM") && Write(*maskFile, folder + "SkyMapSh.SBM");
  return ok ? 0 : 1;
}

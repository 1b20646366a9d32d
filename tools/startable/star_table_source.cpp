// The star table's building: see star_table_source.h.
//
// The program reads SPup.sbd with fixed offsets and atoi, and its texts in Shift-JIS, so
// everything that could make it read something else is refused here, with the source line,
// rather than shown wrongly on the desktop.
#include "tools/startable/star_table_source.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/core/code_page.h"
#include "sky/star_picture.h"
#include "tools/skymap/star_motions.h"

namespace startable {

namespace chart = sky::chart;

namespace {

// Each rectangle number has four characters in the file.
constexpr int kLargestNumber = 9999;
constexpr int kSmallestNumber = -999;

constexpr std::array<const char*, 3> kTextNames = {"title", "subtitle", "description"};

std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line); }

// A number as the source would write it (38.7836, not 38.783600).
std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find(separator, start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" ");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" ") - first + 1);
}

// A field's number; the spaces a hand-aligned table puts round it are fine.
template <typename Number>
std::optional<Number> Parse(std::string_view text) {
  return sky::chart::ParseNumber<Number>(Trim(text));
}

// Decodes UTF-8 into code points; nothing for bytes that are not UTF-8 (overlong forms and
// surrogates included), so that a damaged source is named as such and not as a conversion
// problem.
std::optional<std::vector<char32_t>> CodePoints(std::string_view text) {
  std::vector<char32_t> out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t cp = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
      length = 1, cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, cp = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, cp = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, cp = lead & 0x07, smallest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
      const unsigned char next = byte(i + static_cast<std::size_t>(k));
      if ((next & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(cp);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::string CodePointName(char32_t cp) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return name;
}

// The text as the program will hold it, or the reason it cannot be written.
std::string ToShiftJis(std::string_view utf8, const std::string& name, const std::string& where) {
  const std::string quoted = name + " \"" + std::string(utf8) + "\"";
  const std::optional<std::vector<char32_t>> points = CodePoints(utf8);
  if (!points) throw Refusal{where, name + " is not valid UTF-8"};
  // No escape exists: ';' ends a text in the file. (Shift-JIS second bytes start at 0x40, so
  // a converted character never produces one.)
  if (utf8.find(';') != std::string_view::npos) {
    throw Refusal{where, quoted + " contains ';', which ends a text in the file and cannot be written"};
  }
  std::size_t failedAt = 0;
  const std::optional<std::string> sjis = platform::ToCodePage932(utf8, &failedAt);
  if (!sjis) {
    const std::optional<std::vector<char32_t>> bad = CodePoints(utf8.substr(failedAt));
    const std::string character = bad && !bad->empty() ? CodePointName(bad->front()) : "a character";
    throw Refusal{where, quoted + " has no Shift-JIS (CP932) form for " + character};
  }
  // Some characters share a Shift-JIS code with another (WAVE DASH and FULLWIDTH TILDE both
  // become 81 60); the program would show the other one. Ask for the one that comes back.
  const std::optional<std::vector<char32_t>> backPoints = CodePoints(platform::FromCodePage932(*sjis));
  if (!backPoints || *backPoints != *points) {
    std::string detail = "does not read back the same from Shift-JIS (CP932)";
    if (backPoints) {
      for (std::size_t k = 0; k < points->size() && k < backPoints->size(); ++k) {
        if ((*points)[k] != (*backPoints)[k]) {
          detail += ": " + CodePointName((*points)[k]) + " reads back as " + CodePointName((*backPoints)[k]) +
                    "; write that instead";
          break;
        }
      }
    }
    throw Refusal{where, quoted + " " + detail};
  }
  return *sjis;
}

// A declination for messages, one decimal and its sign: "+0.9".
std::string SignedDegrees(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f", value);
  return text;
}

// The rectangles round the star's picture at each of its images on the strip, placed as
// tools/skymap places the star for the same projection. False for a star the strip does not
// show.
bool PlaceStar(const chart::Projection& projection, TableStar& star, const std::string& where) {
  const sky::Equatorial position =
      projection.StarPosition({star.raHours * 15.0, star.decDegrees}, sky::CatalogueMotion(star.hr));
  const std::optional<int> row = projection.Row(position.decDegrees);
  if (!row) return false;
  const std::vector<int> columns = projection.Columns(position.raDegrees);
  if (columns.empty()) return false;
  const sky::StarExtent reach = sky::StarReach(star.magnitude);
  const auto around = [&](int column) {
    return RECT{column + reach.left - star.extra, *row + reach.top - star.extra, column + reach.right + star.extra,
                *row + reach.bottom + star.extra};
  };
  star.first = around(columns.front());
  star.twoImages = columns.size() > 1;
  // The program always reads two rectangles; a star drawn once gives the same one twice.
  star.second = star.twoImages ? around(columns.back()) : star.first;
  for (const RECT& r : {star.first, star.second}) {
    const std::pair<const char*, int> numbers[] = {
        {"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}};
    for (const auto& [name, value] : numbers) {
      if (value > kLargestNumber || value < kSmallestNumber) {
        throw Refusal{where, std::string("rectangle ") + name + " " + std::to_string(value) +
                                 " does not fit in the file's 4 characters (-999..9999)"};
      }
    }
  }
  return true;
}

// One line of the source, checked; its rectangles are set when `onStrip`.
TableStar ReadStar(const chart::Projection& projection, std::string_view line, const std::string& where,
                   bool& onStrip) {
  const std::vector<std::string_view> fields = Split(line, '\t');
  if (fields.size() != 7 && fields.size() != 8) {
    throw Refusal{where, std::to_string(fields.size()) +
                             " TAB-separated fields; a star has 7 (hr, ra_hours, dec_degrees, vmag, title, subtitle, "
                             "description) or 8 (and extra)"};
  }
  TableStar star;
  const std::optional<long> hr = Parse<long>(fields[0]);
  if (!hr || *hr <= 0) throw Refusal{where, "hr \"" + std::string(fields[0]) + "\" is not a catalogue number"};
  star.hr = *hr;
  const std::optional<double> ra = Parse<double>(fields[1]);
  if (!ra || *ra < 0.0 || *ra >= 24.0) {
    throw Refusal{where, "ra_hours \"" + std::string(fields[1]) + "\" is not a number of hours from 0 to under 24"};
  }
  star.raHours = *ra;
  const std::optional<double> dec = Parse<double>(fields[2]);
  if (!dec || *dec < -90.0 || *dec > 90.0) {
    throw Refusal{where, "dec_degrees \"" + std::string(fields[2]) + "\" is not a number of degrees from -90 to 90"};
  }
  star.decDegrees = *dec;
  const std::optional<double> magnitude = Parse<double>(fields[3]);
  if (!magnitude) throw Refusal{where, "vmag \"" + std::string(fields[3]) + "\" is not a number"};
  // A balloon over a star the map does not draw would open over black sky.
  if (*magnitude > sky::kFaintestMagnitude) {
    throw Refusal{where, "vmag " + Decimal(*magnitude) + " is fainter than the map draws (" +
                             Decimal(sky::kFaintestMagnitude) + ")"};
  }
  star.magnitude = *magnitude;
  if (fields.size() == 8) {
    const std::optional<int> extra = Parse<int>(fields[7]);
    if (!extra || *extra < 0) {
      throw Refusal{where, "extra \"" + std::string(fields[7]) + "\" is not a whole number of pixels, 0 or more"};
    }
    star.extra = *extra;
  }
  for (std::size_t k = 0; k < kTextNames.size(); ++k) {
    star.texts[k] = ToShiftJis(fields[4 + k], kTextNames[k], where);
  }
  if (star.texts[0].empty()) throw Refusal{where, "the title is empty"};
  onStrip = PlaceStar(projection, star, where);
  return star;
}

// A number as the program reads it: four characters, right-aligned, padded with spaces.
std::string Number4(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%4d", value);
  return text;
}

void AppendRect(std::string& out, const RECT& r) {
  out += Number4(r.left) + "," + Number4(r.top) + "," + Number4(r.right) + "," + Number4(r.bottom) + "\r\n";
}

// The destination's temporary file, written whole; its name, or a Refusal.
std::string WriteTemporary(const FileToWrite& file) {
  std::string temporary = file.path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) throw Refusal{file.path, std::string("cannot write: ") + std::strerror(errno)};
  const std::string& bytes = file.bytes;
  std::size_t written = 0;
  int error = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  // mkstemp makes the file readable by its owner alone; the sky files are ordinary data files.
  bool ok = written == bytes.size();
  if (ok && fchmod(fd, 0644) != 0) ok = false, error = errno;
  if (close(fd) != 0 && ok) ok = false, error = errno;
  if (!ok) {
    unlink(temporary.c_str());
    throw Refusal{file.path, std::string("cannot write: ") + std::strerror(error)};
  }
  return temporary;
}

}  // namespace

int StarTable::StarsWithTwoImages() const {
  int twice = 0;
  for (const TableStar& star : stars) twice += star.twoImages ? 1 : 0;
  return twice;
}

// A strip drawn for one place shows one band of sky, and the one source serves every place
// with the stars its band holds: a star off the strip is left out, whatever the strip. (A
// typing error in a star's numbers is caught by the test that compares the source with the
// catalogue, not here.) A source none of whose stars is on the strip is refused: that table
// would give no balloons at all.
StarTable ReadStarTable(const chart::Projection& projection, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Refusal{path, std::string("cannot open: ") + std::strerror(errno)};
  StarTable table;
  std::map<long, int> lineOfHr;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::string_view text = line;
    // Tolerate a table saved with CR LF endings or a byte-order mark.
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (lineNumber == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text[first] == '#') continue;
    const std::string where = Where(path, lineNumber);
    bool onStrip = false;
    TableStar star = ReadStar(projection, text, where, onStrip);
    star.line = lineNumber;
    const auto [seen, added] = lineOfHr.emplace(star.hr, lineNumber);
    if (!added) {
      throw Refusal{where, "hr " + std::to_string(star.hr) + " is already on line " + std::to_string(seen->second)};
    }
    if (!onStrip) {
      ++table.leftOut;
      continue;
    }
    table.stars.push_back(std::move(star));
  }
  if (in.bad()) throw Refusal{path, "read error"};
  if (table.stars.empty() && table.leftOut > 0) {
    throw Refusal{path, "no star of the table is on this sky map, which shows declinations of about " +
                            SignedDegrees(projection.BottomDeclination()) + " to " +
                            SignedDegrees(projection.TopDeclination()) + " degrees (" + std::to_string(table.leftOut) +
                            " left out)"};
  }
  if (table.stars.empty()) throw Refusal{path, "no stars in the table"};
  return table;
}

std::string ComposeTable(const StarTable& table) {
  std::string out;
  for (const TableStar& star : table.stars) {
    AppendRect(out, star.first);
    AppendRect(out, star.second);
    for (const std::string& text : star.texts) out += text + ";\r\n";
  }
  return out;
}

void WriteFilesAtomically(const std::vector<FileToWrite>& files) {
  std::vector<std::string> temporaries;
  const auto removeTemporaries = [&](std::size_t from) {
    for (std::size_t k = from; k < temporaries.size(); ++k) unlink(temporaries[k].c_str());
  };
  try {
    for (const FileToWrite& file : files) temporaries.push_back(WriteTemporary(file));
  } catch (const Refusal&) {
    removeTemporaries(0);
    throw;
  }
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (std::rename(temporaries[k].c_str(), files[k].path.c_str()) != 0) {
      const int error = errno;
      removeTemporaries(k);
      throw Refusal{files[k].path, std::string("cannot write: ") + std::strerror(error)};
    }
  }
}

}  // namespace startable

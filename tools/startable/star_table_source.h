// The star table's building, shared by tools/startable (which writes SPup.sbd alone) and
// tools/skymap --install (which writes it beside the two maps it draws for the same
// projection): the UTF-8 source read and checked, each star's two rectangles placed on the
// strip, the file's bytes, and files written so that a failure never leaves a part of one.
// See README.md beside it for the source's columns and the file's layout.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/core/windef.h"
#include "sky/sky_chart.h"

namespace startable {

inline constexpr const char* kTableName = "SPup.sbd";

// Pixels added round a star's picture when the source does not say: the pointer need not
// land on the star's one or nine pixels exactly.
inline constexpr int kDefaultExtra = 2;

// Why a source or a file is refused: where (a file, or file:line) and what is wrong. The
// functions below throw it.
struct Refusal {
  std::string where;
  std::string problem;
};

// A star of the source that the strip shows, with its rectangles on the strip.
struct TableStar {
  int line = 0;
  long hr = 0;
  double raHours = 0.0;
  double decDegrees = 0.0;
  double magnitude = 0.0;
  std::array<std::string, 3> texts;  // title, subtitle, description, in Shift-JIS
  int extra = kDefaultExtra;
  RECT first{};
  RECT second{};  // the first again when the star is drawn once
  bool twoImages = false;
};

struct StarTable {
  std::vector<TableStar> stars;  // in the source's order
  // Stars of the source the strip does not show (outside its band of declination): left out
  // of the table, not refused.
  int leftOut = 0;

  int StarsWithTwoImages() const;
};

// Reads the source at `path` and places its stars for `projection`. Every line must be a good
// star: a line that is not is refused with its number. A star the strip does not show is left
// out and counted; the source is refused when no star at all is on the strip.
StarTable ReadStarTable(const sky::chart::Projection& projection, const std::string& path);

// The bytes of SPup.sbd for the table.
std::string ComposeTable(const StarTable& table);

struct FileToWrite {
  std::string path;
  std::string bytes;
};

// Writes each file to a temporary file beside it and, once all of them are written, renames
// each into place, so that no file is left half written and a write that fails leaves every
// one of the files as it was. The files are readable by everyone (mode 0644). Throws a
// Refusal naming the file that could not be written.
void WriteFilesAtomically(const std::vector<FileToWrite>& files);

}  // namespace startable

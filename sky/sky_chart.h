// Where a star sits on the sky-map strip, and which part of the strip is overhead on a given
// evening. The strip is drawn once for a place, a clock hour and a year (the committed one for
// Tokyo at 21:00 JST in 2026), and the window cuts a 350-pixel square out of it that moves 4
// pixels to the left a day: the stars come back to the same place 3m56s earlier each night,
// and 4 pixels a day is that drift. The map and star-table generators (tools/skymap,
// tools/startable) place the stars with a Projection; the program only ever uses the default
// one, through the free functions at the end.
//
// Right ascension runs right to left because the window is looked up through: with north at
// the top, east is on the left, south of the equator as well as north of it. Declination is a
// plain cylindrical projection whose scale keeps shapes true at the zenith's declination.
#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

#include "sky/precession.h"

namespace sky::chart {

// The strip and the window cut out of it.
constexpr int kMapWidth = 1856;
constexpr int kMapHeight = 403;
constexpr int kWindowSide = 350;
constexpr int kWindowTop = 53;
constexpr int kZenithRow = kWindowTop + kWindowSide / 2;  // 228
constexpr int kDaysInYear = 365;

// The place and time the committed strip is drawn for: 21:00 JST is 12:00 UT.
constexpr double kLatitudeDegrees = 35.7;
constexpr double kLongitudeEastDegrees = 139.7;
constexpr double kEveningUtHours = 12.0;
constexpr int kReferenceYear = 2026;

// Sidereal days per solar day: how much faster the stars turn than the clock.
constexpr double kSiderealRate = 1.00273790935;
// How far sidereal time moves on from one evening to the next at the same clock time:
// 360 x 0.00273790935 = 0.985647366 degrees.
constexpr double kDailyAdvanceDegrees = 360.0 * (kSiderealRate - 1.0);
constexpr int kColumnsPerDay = 4;
// Columns per degree of right ascension, so that a day's advance is 4 columns: 4.0582465...
constexpr double kColumnsPerDegree = kColumnsPerDay / kDailyAdvanceDegrees;
// The whole circle of right ascension, about 1461 columns: less than the strip, so the sky
// between columns 0 and about 395 appears once more about 1461 columns to the right.
constexpr double kWrapColumns = 360.0 * kColumnsPerDegree;

// Days from J2000.0 (2000-01-01 12:00 UT) to the given UT date and hour, proleptic
// Gregorian calendar. The hour may run past either end of the day.
double DaysSinceJ2000(int year, int month, int day, double utHours);

// Greenwich mean sidereal time in hours [0, 24), from the linear formula
// 18.697374558 + 24.06570982441908 D (good to a few milliseconds for decades around 2000).
double GreenwichSiderealHours(double daysSinceJ2000);

// Local sidereal time in degrees [0, 360) east of Greenwich by `longitudeEast` degrees.
double LocalSiderealDegrees(double daysSinceJ2000, double longitudeEast);

// The map's day of the year for a calendar date: 1 January = 1, 31 December = 365, with
// 29 February taken as 1 March (day 60) so that every year has 365 map days.
int MapDay(int month, int dayOfMonth);

// What a strip is drawn for: where the user stands, the local clock hour the window shows,
// and the year. The defaults are the committed strip's.
struct Observer {
  double latitudeDegrees = kLatitudeDegrees;       // north positive
  double longitudeEastDegrees = kLongitudeEastDegrees;  // east positive
  double localHour = 21.0;                         // on the local clock, 0 to under 24
  double utcOffsetHours = 9.0;                     // local clock minus UT
  // The stars are placed where they are in the middle of this year: the catalogue's J2000
  // positions carried there by proper motion and precession.
  int year = kReferenceYear;
};

// The ranges a strip makes sense for. Nearer a pole than 75 degrees the cylinder's columns
// spread the circumpolar stars ever further apart (a degree of right ascension is 4 columns
// at any declination, however short it is on the sky) while the strip holds an ever narrower
// band of declination: at 75 degrees a degree takes nearly 16 rows and the strip 26 degrees.
constexpr double kLargestLatitude = 75.0;
constexpr double kSmallestUtcOffset = -12.0;
constexpr double kLargestUtcOffset = 14.0;
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2100;

// Empty when the observer is within those ranges; otherwise one line saying what is not.
std::string ObserverProblem(const Observer& observer);

// A few places by name, for --place: latitude, longitude and standard time (no summer time:
// a strip serves the whole year with one offset).
struct NamedPlace {
  const char* name;
  double latitudeDegrees;
  double longitudeEastDegrees;
  double utcOffsetHours;
};
inline constexpr NamedPlace kNamedPlaces[] = {
    {"tokyo", kLatitudeDegrees, kLongitudeEastDegrees, 9.0},
    {"sapporo", 43.06, 141.35, 9.0},
    {"naha", 26.21, 127.68, 9.0},
    {"berlin", 52.52, 13.40, 1.0},
    {"buenos-aires", -34.60, -58.38, -3.0},
};

// The whole text as a number of type T, an optional '+' allowed; nothing for anything else
// (no spaces, no "+-3", no infinity or NaN). The generators read their options and their
// sources' numbers with it.
template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    // from_chars would read the "-3" of "+-3" as a number of its own.
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(value)) return std::nullopt;
  }
  return value;
}

// Sets observer fields from a command-line option ("--lat", "--lon", "--utc-offset",
// "--time-zone", which sets the offset to the standard time of a zone of the system's zone
// data in the year set so far, "--hour", "--year", or "--place", which sets latitude,
// longitude and offset at once; a later option overrides an earlier one) and its text. False,
// with `error` set to one line, for an option that is not one of these, a value that is not a
// plain number or a place not known; ranges are checked afterwards by ObserverProblem.
bool SetObserverOption(Observer& observer, std::string_view option, std::string_view value, std::string* error);

// The command line of a generator that draws for an observer (tools/skymap, tools/startable):
// the observer options above, "--output DIR", "--help" and plain arguments, in any order.
struct ToolArguments {
  Observer observer;
  bool observerGiven = false;  // any observer option was given
  std::optional<std::string> outputDir;
  std::vector<std::string> positional;
  bool help = false;  // "--help" or "-h": nothing after it is read
  // One line when the line does not read (an unknown option, a missing or malformed value, an
  // observer out of its ranges); empty otherwise.
  std::string error;
};
ToolArguments ReadToolArguments(int argc, const char* const* argv);

// The observer options' lines for a generator's --help, one option a line, each ending in a
// newline: the tools that take them describe them the same way.
extern const char kObserverOptionsHelp[];

// Where stars fall on the strip for one observer.
class Projection {
 public:
  // The committed strip's: Tokyo, 21:00 JST, 2026.
  Projection();
  // The observer must be valid (ObserverProblem empty); Make checks that first.
  explicit Projection(const Observer& observer);
  static std::optional<Projection> Make(const Observer& observer, std::string* error);

  const Observer& observer() const { return observer_; }

  // Rows per degree of declination: the column scale divided by cos latitude (about 4.997 in
  // Tokyo).
  double RowsPerDegree() const { return rowsPerDegree_; }

  // The right ascension overhead at the observer's hour on map day `day`, in degrees [0, 360).
  double ZenithRightAscension(int day) const;

  // C0 of Column = C0 - k x RA: chosen so that the zenith of 1 January (day 1) lands on
  // column 1681 = 1685 - 4. About 1927.959 for the default.
  double ReferenceColumn() const { return referenceColumn_; }

  // Where a catalogue star with this J2000 position and proper motion is in the middle of
  // the observer's year, referred to that year's equator: the place this strip draws it at.
  Equatorial StarPosition(Equatorial j2000, ProperMotion motion = {}) const;

  // The unrounded column of right ascension `raDegrees` (any value; it is taken modulo 360),
  // before wrapping: C0 - k x RA with RA in [0, 360), so a value in (C0 - 1461, C0].
  double ExactColumn(double raDegrees) const;

  // Every unrounded column of the right ascension whose pixel lies on the strip (one or
  // two), left to right.
  std::vector<double> ExactColumns(double raDegrees) const;

  // The unrounded row of declination `decDegrees`: 228 - (dec - latitude) x rows per degree.
  double ExactRow(double decDegrees) const;

  // The pixel columns of a right ascension on the strip, left to right; each copy is rounded
  // on its own.
  std::vector<int> Columns(double raDegrees) const;

  // The pixel row of a declination, or nothing when it falls off the strip.
  std::optional<int> Row(double decDegrees) const;

  // The declinations of the strip's top and bottom rows (about +81.3 and +0.9 in Tokyo).
  double TopDeclination() const;
  double BottomDeclination() const;

 private:
  Observer observer_;
  double rowsPerDegree_ = 0.0;
  double referenceColumn_ = 0.0;
};

// The committed strip's projection, the one the program uses.
const Projection& DefaultProjection();

// Rounding to pixels: to the nearest, halves upwards (floor(x + 0.5)).
int RoundToPixel(double value);

// The window for map day `day` (1..365): its left column and the column of its centre. The
// same for every observer.
int WindowLeft(int day);
int WindowCentreColumn(int day);

// The default projection's functions, as the program calls them.
double RowsPerDegree();
double ZenithRightAscension(int day);
double ReferenceColumn();
double ExactColumn(double raDegrees);
std::vector<double> ExactColumns(double raDegrees);
double ExactRow(double decDegrees);
std::vector<int> Columns(double raDegrees);
std::optional<int> Row(double decDegrees);

}  // namespace sky::chart

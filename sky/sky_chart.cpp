#include "sky/sky_chart.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numbers>
#include <type_traits>

namespace sky::chart {

namespace {

// The window of day 0 would start at column 1510; each later day starts 4 columns further left.
constexpr int kWindowLeftOfDayZero = 1510;

// Non-leap month lengths; a map year always has 365 days.
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

double Wrap(double value, double period) {
  double r = std::fmod(value, period);
  if (r < 0.0) r += period;
  // fmod of a value just under a multiple of the period can round up to the period itself.
  return r >= period ? 0.0 : r;
}

// A number as "%g" writes it, for messages.
std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// Written so that NaN is outside every range.
bool Within(double value, double low, double high) { return value >= low && value <= high; }

}  // namespace

double DaysSinceJ2000(int year, int month, int day, double utHours) {
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                      std::chrono::day{static_cast<unsigned>(day)}};
  const sys_days epoch{std::chrono::year{2000} / January / 1};
  const double wholeDays = static_cast<double>((date - epoch).count());
  // J2000.0 is noon of 1 January 2000, half a day after that date's midnight.
  return wholeDays - 0.5 + utHours / 24.0;
}

double GreenwichSiderealHours(double daysSinceJ2000) {
  return Wrap(18.697374558 + 24.06570982441908 * daysSinceJ2000, 24.0);
}

double LocalSiderealDegrees(double daysSinceJ2000, double longitudeEast) {
  return Wrap(GreenwichSiderealHours(daysSinceJ2000) * 15.0 + longitudeEast, 360.0);
}

int MapDay(int month, int dayOfMonth) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && dayOfMonth == 29) return MapDay(3, 1);
  int day = dayOfMonth;
  for (int m = 0; m < month - 1; ++m) day += kMonthDays[m];
  return day;
}

// The zone's standard time, in hours east of UT, in `year`: of the offsets on 1 January and
// 1 July the smaller, since summer time, north or south, puts the clocks forward. Read from
// the system's zone files through the C library, which takes a zone it cannot find for UT
// without a word: so the file is looked for first.
std::optional<double> StandardOffsetOfZone(std::string_view zone, int year) {
  const bool plainName = !zone.empty() && zone.front() != '/' && zone.find("..") == std::string_view::npos &&
                         zone.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/_+-") ==
                             std::string_view::npos;
  if (!plainName) return std::nullopt;
  const char* folder = std::getenv("TZDIR");
  const std::string file = std::string(folder && *folder ? folder : "/usr/share/zoneinfo") + "/" + std::string(zone);
  struct stat info {};
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;

  const char* previous = std::getenv("TZ");
  const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("TZ", std::string(zone).c_str(), 1);
  tzset();
  long smallest = 0;
  for (int month : {0, 6}) {
    std::tm noon{};
    noon.tm_year = year - 1900;
    noon.tm_mon = month;
    noon.tm_mday = 1;
    noon.tm_hour = 12;
    const std::time_t when = timegm(&noon);
    std::tm local{};
    localtime_r(&when, &local);
    smallest = month == 0 ? local.tm_gmtoff : std::min(smallest, local.tm_gmtoff);
  }
  if (saved) {
    setenv("TZ", saved->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  return smallest / 3600.0;
}

std::string ObserverProblem(const Observer& o) {
  if (!Within(o.latitudeDegrees, -kLargestLatitude, kLargestLatitude)) {
    return "latitude " + Decimal(o.latitudeDegrees) + " is outside -75..75 degrees (the strip's projection does not "
           "suit the sky near a pole)";
  }
  if (!Within(o.longitudeEastDegrees, -180.0, 180.0)) {
    return "longitude " + Decimal(o.longitudeEastDegrees) + " is outside -180..180 degrees (east positive)";
  }
  if (!Within(o.utcOffsetHours, kSmallestUtcOffset, kLargestUtcOffset)) {
    return "UTC offset " + Decimal(o.utcOffsetHours) + " is outside -12..+14 hours";
  }
  if (!(o.localHour >= 0.0 && o.localHour < 24.0)) {
    return "hour " + Decimal(o.localHour) + " is outside 0 to under 24";
  }
  if (o.year < kFirstYear || o.year > kLastYear) {
    return "year " + std::to_string(o.year) + " is outside " + std::to_string(kFirstYear) + ".." +
           std::to_string(kLastYear);
  }
  return {};
}

bool SetObserverOption(Observer& observer, std::string_view option, std::string_view value, std::string* error) {
  double* field = nullptr;
  if (option == "--lat") field = &observer.latitudeDegrees;
  if (option == "--lon") field = &observer.longitudeEastDegrees;
  if (option == "--utc-offset") field = &observer.utcOffsetHours;
  if (option == "--hour") field = &observer.localHour;
  if (field) {
    const std::optional<double> number = ParseNumber<double>(value);
    if (!number) {
      if (error) *error = std::string(option) + ": \"" + std::string(value) + "\" is not a number";
      return false;
    }
    *field = *number;
    return true;
  }
  if (option == "--year") {
    const std::optional<int> number = ParseNumber<int>(value);
    if (!number) {
      if (error) *error = "--year: \"" + std::string(value) + "\" is not a whole year";
      return false;
    }
    observer.year = *number;
    return true;
  }
  if (option == "--time-zone") {
    const std::optional<double> offset = StandardOffsetOfZone(value, observer.year);
    if (!offset) {
      if (error) {
        *error = "--time-zone: \"" + std::string(value) + "\" is not a time zone of this system (e.g. Europe/Berlin)";
      }
      return false;
    }
    observer.utcOffsetHours = *offset;
    return true;
  }
  if (option == "--place") {
    std::string known;
    for (const NamedPlace& place : kNamedPlaces) {
      if (value == place.name) {
        observer.latitudeDegrees = place.latitudeDegrees;
        observer.longitudeEastDegrees = place.longitudeEastDegrees;
        observer.utcOffsetHours = place.utcOffsetHours;
        return true;
      }
      known += known.empty() ? place.name : std::string(", ") + place.name;
    }
    if (error) *error = "--place: \"" + std::string(value) + "\" is not one of " + known;
    return false;
  }
  if (error) *error = "unknown option " + std::string(option);
  return false;
}

const char kObserverOptionsHelp[] =
    "  --lat DEG           latitude, north positive, -75..75 (default 35.7)\n"
    "  --lon DEG           longitude, east positive, -180..180 (default 139.7)\n"
    "  --utc-offset HOURS  the local clock's offset from UT, -12..14, e.g. 9, -3, 5.5 (default 9)\n"
    "  --time-zone ZONE    the offset of the zone's standard time, e.g. Europe/Berlin\n"
    "  --hour H            the local clock hour the window shows, 0 to under 24 (default 21)\n"
    "  --year YYYY         the year the stars are placed for, 1900..2100 (default 2026)\n"
    "  --place NAME        tokyo, sapporo, naha, berlin or buenos-aires: latitude, longitude and offset\n";

ToolArguments ReadToolArguments(int argc, const char* const* argv) {
  ToolArguments out;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      out.help = true;
      return out;
    }
    // A lone "-" is a plain argument; every option takes a value, which may itself start with
    // a minus (--lat -34.6).
    if (argument.size() < 2 || argument[0] != '-') {
      out.positional.emplace_back(argument);
      continue;
    }
    if (i + 1 >= argc) {
      out.error = std::string(argument) + " needs a value";
      return out;
    }
    const std::string_view value = argv[++i];
    if (argument == "--output") {
      out.outputDir = std::string(value);
      continue;
    }
    if (!SetObserverOption(out.observer, argument, value, &out.error)) return out;
    out.observerGiven = true;
  }
  out.error = ObserverProblem(out.observer);
  return out;
}

Projection::Projection() : Projection(Observer{}) {}

Projection::Projection(const Observer& observer)
    : observer_(observer), rowsPerDegree_(kColumnsPerDegree / std::cos(Radians(observer.latitudeDegrees))) {
  referenceColumn_ = WindowCentreColumn(1) + kColumnsPerDegree * ZenithRightAscension(1);
}

std::optional<Projection> Projection::Make(const Observer& observer, std::string* error) {
  const std::string problem = ObserverProblem(observer);
  if (!problem.empty()) {
    if (error) *error = problem;
    return std::nullopt;
  }
  return Projection(observer);
}

double Projection::ZenithRightAscension(int day) const {
  // The local hour of 1 January may be another day in UT; the linear day count takes an hour
  // past either end of the day as it is.
  const double utHours = observer_.localHour - observer_.utcOffsetHours;
  const double d = DaysSinceJ2000(observer_.year, 1, 1, utHours) + (day - 1);
  return LocalSiderealDegrees(d, observer_.longitudeEastDegrees);
}

Equatorial Projection::StarPosition(Equatorial j2000, ProperMotion motion) const {
  const double epoch = MidYearEpoch(observer_.year);
  return PrecessFromJ2000(MoveByProperMotion(j2000, motion, epoch), epoch);
}

double Projection::ExactColumn(double raDegrees) const {
  return referenceColumn_ - kColumnsPerDegree * Wrap(raDegrees, 360.0);
}

std::vector<double> Projection::ExactColumns(double raDegrees) const {
  const double x = ExactColumn(raDegrees);
  std::vector<double> out;
  // x lies within one circle below C0 (about 1928 for the default), so copies one circle
  // either side cover the strip; two either side cost nothing and keep this right for any C0.
  for (int n = -2; n <= 2; ++n) {
    const double copy = x + n * kWrapColumns;
    const int pixel = RoundToPixel(copy);
    if (pixel >= 0 && pixel < kMapWidth) out.push_back(copy);
  }
  return out;
}

double Projection::ExactRow(double decDegrees) const {
  return kZenithRow - (decDegrees - observer_.latitudeDegrees) * rowsPerDegree_;
}

std::vector<int> Projection::Columns(double raDegrees) const {
  std::vector<int> out;
  for (double x : ExactColumns(raDegrees)) out.push_back(RoundToPixel(x));
  return out;
}

std::optional<int> Projection::Row(double decDegrees) const {
  const int row = RoundToPixel(ExactRow(decDegrees));
  if (row < 0 || row >= kMapHeight) return std::nullopt;
  return row;
}

double Projection::TopDeclination() const { return observer_.latitudeDegrees + kZenithRow / rowsPerDegree_; }

double Projection::BottomDeclination() const {
  return observer_.latitudeDegrees - (kMapHeight - 1 - kZenithRow) / rowsPerDegree_;
}

const Projection& DefaultProjection() {
  static const Projection projection;
  return projection;
}

int RoundToPixel(double value) { return static_cast<int>(std::floor(value + 0.5)); }

int WindowLeft(int day) { return kWindowLeftOfDayZero - kColumnsPerDay * day; }

int WindowCentreColumn(int day) { return WindowLeft(day) + kWindowSide / 2; }

double RowsPerDegree() { return DefaultProjection().RowsPerDegree(); }
double ZenithRightAscension(int day) { return DefaultProjection().ZenithRightAscension(day); }
double ReferenceColumn() { return DefaultProjection().ReferenceColumn(); }
double ExactColumn(double raDegrees) { return DefaultProjection().ExactColumn(raDegrees); }
std::vector<double> ExactColumns(double raDegrees) { return DefaultProjection().ExactColumns(raDegrees); }
double ExactRow(double decDegrees) { return DefaultProjection().ExactRow(decDegrees); }
std::vector<int> Columns(double raDegrees) { return DefaultProjection().Columns(raDegrees); }
std::optional<int> Row(double decDegrees) { return DefaultProjection().Row(decDegrees); }

}  // namespace sky::chart

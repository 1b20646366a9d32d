#include "sky/sky_chart.h"

#include <chrono>
#include <cmath>
#include <numbers>

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

}  // namespace

double RowsPerDegree() { return kColumnsPerDegree / std::cos(Radians(kLatitudeDegrees)); }

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

double ZenithRightAscension(int day) {
  const double d = DaysSinceJ2000(kReferenceYear, 1, 1, kEveningUtHours) + (day - 1);
  return LocalSiderealDegrees(d, kLongitudeEastDegrees);
}

double ReferenceColumn() {
  static const double c0 = WindowCentreColumn(1) + kColumnsPerDegree * ZenithRightAscension(1);
  return c0;
}

double ExactColumn(double raDegrees) { return ReferenceColumn() - kColumnsPerDegree * Wrap(raDegrees, 360.0); }

std::vector<double> ExactColumns(double raDegrees) {
  const double x = ExactColumn(raDegrees);
  std::vector<double> out;
  // x lies within one circle below C0 (about 1928), so copies one circle either side cover
  // the strip; two either side cost nothing and keep this right for any C0.
  for (int n = -2; n <= 2; ++n) {
    const double copy = x + n * kWrapColumns;
    const int pixel = RoundToPixel(copy);
    if (pixel >= 0 && pixel < kMapWidth) out.push_back(copy);
  }
  return out;
}

double ExactRow(double decDegrees) { return kZenithRow - (decDegrees - kLatitudeDegrees) * RowsPerDegree(); }

int RoundToPixel(double value) { return static_cast<int>(std::floor(value + 0.5)); }

std::vector<int> Columns(double raDegrees) {
  std::vector<int> out;
  for (double x : ExactColumns(raDegrees)) out.push_back(RoundToPixel(x));
  return out;
}

std::optional<int> Row(double decDegrees) {
  const int row = RoundToPixel(ExactRow(decDegrees));
  if (row < 0 || row >= kMapHeight) return std::nullopt;
  return row;
}

int WindowLeft(int day) { return kWindowLeftOfDayZero - kColumnsPerDay * day; }

int WindowCentreColumn(int day) { return WindowLeft(day) + kWindowSide / 2; }

}  // namespace sky::chart

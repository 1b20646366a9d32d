// Where a star sits on the sky-map strip, and which part of the strip is overhead on a given
// evening. The strip is drawn once, for Tokyo at 21:00 JST, and the window cuts a 350-pixel
// square out of it that moves 4 pixels to the left a day: the stars come back to the same
// place 3m56s earlier each night, and 4 pixels a day is that drift. The map generator
// (tools/skymap) draws the stars with these functions; the program uses them to find a star
// under the mouse.
//
// Right ascension runs right to left because the window is looked up through: with north at
// the top, east is on the left. Declination is a plain cylindrical projection whose scale
// keeps shapes true at the zenith's declination.
#pragma once

#include <optional>
#include <vector>

namespace sky::chart {

// The strip and the window cut out of it.
constexpr int kMapWidth = 1856;
constexpr int kMapHeight = 403;
constexpr int kWindowSide = 350;
constexpr int kWindowTop = 53;
constexpr int kZenithRow = kWindowTop + kWindowSide / 2;  // 228
constexpr int kDaysInYear = 365;

// The place and time the strip is drawn for: 21:00 JST is 12:00 UT.
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

// Rows per degree of declination: the column scale divided by cos 35.7 deg, about 4.997.
double RowsPerDegree();

// Days from J2000.0 (2000-01-01 12:00 UT) to the given UT date and hour, proleptic
// Gregorian calendar.
double DaysSinceJ2000(int year, int month, int day, double utHours);

// Greenwich mean sidereal time in hours [0, 24), from the linear formula
// 18.697374558 + 24.06570982441908 D (good to a few milliseconds for decades around 2000).
double GreenwichSiderealHours(double daysSinceJ2000);

// Local sidereal time in degrees [0, 360) east of Greenwich by `longitudeEast` degrees.
double LocalSiderealDegrees(double daysSinceJ2000, double longitudeEast);

// The map's day of the year for a calendar date: 1 January = 1, 31 December = 365, with
// 29 February taken as 1 March (day 60) so that every year has 365 map days.
int MapDay(int month, int dayOfMonth);

// The right ascension overhead in Tokyo at 21:00 JST on map day `day` of the reference year,
// in degrees [0, 360).
double ZenithRightAscension(int day);

// C0 of Column = C0 - k x RA: chosen so that the zenith of 1 January (day 1) lands on column
// 1681 = 1685 - 4. About 1927.959.
double ReferenceColumn();

// The unrounded column of right ascension `raDegrees` (any value; it is taken modulo 360),
// before wrapping: C0 - k x RA with RA in [0, 360), so a value in (C0 - 1461, C0].
double ExactColumn(double raDegrees);

// Every unrounded column of the right ascension whose pixel lies on the strip (one or two),
// left to right.
std::vector<double> ExactColumns(double raDegrees);

// The unrounded row of declination `decDegrees`: 228 - (dec - 35.7) x rows per degree.
double ExactRow(double decDegrees);

// Rounding to pixels: to the nearest, halves upwards (floor(x + 0.5)).
int RoundToPixel(double value);

// The pixel columns of a right ascension on the strip, left to right; each copy is rounded
// on its own.
std::vector<int> Columns(double raDegrees);

// The pixel row of a declination, or nothing when it falls off the strip (north of about
// 81.3 deg or south of about 0.9 deg).
std::optional<int> Row(double decDegrees);

// The window for map day `day` (1..365): its left column and the column of its centre.
int WindowLeft(int day);
int WindowCentreColumn(int day);

}  // namespace sky::chart

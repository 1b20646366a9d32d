// The sky-map projection for any place, hour and year, and the precession that carries the
// catalogue's J2000 positions to the year a strip is drawn for. Sidereal time and precession
// are worked out here by other formulations than the ones the projection uses.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "independent_sky.h"
#include "sky/precession.h"
#include "sky/sky_chart.h"

namespace chart = sky::chart;

namespace {

using independent::kArcsecond;
using independent::kDegree;
using independent::Precess2006;
using independent::SeparationArcseconds;

struct Place {
  const char* name;
  double latitude;
  double longitudeEast;
  double utcOffset;
};

constexpr Place kTokyo{"Tokyo", 35.7, 139.7, 9.0};
constexpr Place kBerlin{"Berlin", 52.52, 13.40, 1.0};
constexpr Place kBuenosAires{"Buenos Aires", -34.60, -58.38, -3.0};

chart::Observer ObserverAt(const Place& place, double hour, int year) {
  chart::Observer o;
  o.latitudeDegrees = place.latitude;
  o.longitudeEastDegrees = place.longitudeEast;
  o.utcOffsetHours = place.utcOffset;
  o.localHour = hour;
  o.year = year;
  return o;
}

// Julian date of a Gregorian calendar date at `utHours` (which may run past the day), by the
// textbook month-and-century formula, independent of the projection's day count.
double JulianDate(int year, int month, int day, double utHours) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const int century = year / 100;
  const int gregorian = 2 - century + century / 4;
  return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + day + gregorian - 1524.5 +
         utHours / 24.0;
}

// Local mean sidereal time in degrees [0, 360) from the IAU 1982 polynomial for Greenwich.
double LocalSiderealDegrees(double julianDate, double longitudeEast) {
  const double d = julianDate - 2451545.0;
  const double t = d / 36525.0;
  const double gmst = 280.46061837 + 360.98564736629 * d + 0.000387933 * t * t - t * t * t / 38710000.0;
  double lst = std::fmod(gmst + longitudeEast, 360.0);
  return lst < 0.0 ? lst + 360.0 : lst;
}

TEST(SkyProjectionTest, DefaultIsTheCommittedStrip) {
  const chart::Projection& p = chart::DefaultProjection();
  EXPECT_EQ(p.observer().latitudeDegrees, 35.7);
  EXPECT_EQ(p.observer().longitudeEastDegrees, 139.7);
  EXPECT_EQ(p.observer().localHour - p.observer().utcOffsetHours, chart::kEveningUtHours);
  EXPECT_EQ(p.observer().year, 2026);
  // The same numbers as the worked example in tools/skymap/README.md.
  EXPECT_NEAR(p.ReferenceColumn(), 1927.959138, 1e-5);
  EXPECT_NEAR(p.RowsPerDegree(), 4.9973264975, 1e-9);
  EXPECT_NEAR(p.TopDeclination(), 81.32, 0.01);
  EXPECT_NEAR(p.BottomDeclination(), 0.88, 0.01);
  // An observer built by hand with the default's values is the same projection.
  const chart::Projection again(chart::Observer{});
  EXPECT_EQ(again.ReferenceColumn(), p.ReferenceColumn());
  EXPECT_EQ(again.RowsPerDegree(), p.RowsPerDegree());
}

TEST(SkyProjectionTest, WindowCentreIsTheLocalZenithAtThatHourForEveryPlace) {
  struct Evening {
    int month;
    int day;
  };
  const Evening kEvenings[] = {{1, 1}, {2, 28}, {3, 1}, {3, 21}, {6, 21}, {8, 10}, {9, 23}, {12, 9}, {12, 31}};
  for (const Place& place : {kTokyo, kBerlin, kBuenosAires}) {
    for (double hour : {21.0, 23.0}) {
      for (int year : {2026, 2051}) {
        SCOPED_TRACE(std::string(place.name) + " at " + std::to_string(hour) + "h, " + std::to_string(year));
        std::string error;
        const std::optional<chart::Projection> p = chart::Projection::Make(ObserverAt(place, hour, year), &error);
        ASSERT_TRUE(p) << error;
        // The zenith's declination is the latitude, on row 228 exactly.
        EXPECT_DOUBLE_EQ(p->ExactRow(place.latitude), 228.0);
        EXPECT_EQ(p->Row(place.latitude), 228);
        for (const Evening& e : kEvenings) {
          SCOPED_TRACE(std::to_string(e.month) + "/" + std::to_string(e.day));
          const int mapDay = chart::MapDay(e.month, e.day);
          const double lst = LocalSiderealDegrees(JulianDate(year, e.month, e.day, hour - place.utcOffset),
                                                  place.longitudeEast);
          const int centre = 1685 - 4 * mapDay;
          double nearest = 1e9;
          for (double x : p->ExactColumns(lst)) nearest = std::min(nearest, std::abs(x - centre));
          EXPECT_LT(nearest, 0.5);
        }
      }
    }
  }
}

TEST(SkyProjectionTest, SouthernPlacesKeepNorthUpAndEastLeft) {
  std::string error;
  const std::optional<chart::Projection> p = chart::Projection::Make(ObserverAt(kBuenosAires, 21.0, 2026), &error);
  ASSERT_TRUE(p) << error;
  // Rows per degree: k / cos 34.6 degrees.
  EXPECT_NEAR(p->RowsPerDegree(), chart::kColumnsPerDegree / std::cos(34.6 * kDegree), 1e-12);
  EXPECT_GT(p->RowsPerDegree(), 0.0);
  EXPECT_LT(*p->Row(-20.0), *p->Row(-50.0));  // north is up
  EXPECT_LT(p->ExactColumn(100.0), p->ExactColumn(99.0));  // east is left
  // The strip reaches about +11.6 at the top and -69.9 at the bottom: the Southern Cross and
  // the Magellanic Clouds are on it, Vega (+38.8) is not.
  EXPECT_NEAR(p->TopDeclination(), -34.6 + 228.0 / p->RowsPerDegree(), 1e-9);
  EXPECT_NEAR(p->TopDeclination(), 11.6, 0.1);
  EXPECT_NEAR(p->BottomDeclination(), -69.9, 0.1);
  EXPECT_TRUE(p->Row(-59.7));                     // Acrux
  EXPECT_EQ(p->Row(38.78), std::nullopt);         // Vega
  EXPECT_EQ(p->Row(-75.0), std::nullopt);
}

TEST(SkyProjectionTest, ObserversOutsideTheirRangesAreRefusedInOneLine) {
  const auto problem = [](auto change) {
    chart::Observer o;
    change(o);
    return chart::ObserverProblem(o);
  };
  EXPECT_EQ(problem([](chart::Observer&) {}), "");
  EXPECT_EQ(problem([](chart::Observer& o) { o.latitudeDegrees = -75.0; }), "");
  EXPECT_EQ(problem([](chart::Observer& o) { o.utcOffsetHours = 14.0; }), "");
  EXPECT_EQ(problem([](chart::Observer& o) { o.longitudeEastDegrees = -180.0; }), "");
  EXPECT_EQ(problem([](chart::Observer& o) { o.localHour = 0.0; }), "");
  EXPECT_EQ(problem([](chart::Observer& o) { o.year = 1900; }), "");
  const std::vector<std::string> refused = {
      problem([](chart::Observer& o) { o.latitudeDegrees = 75.5; }),
      problem([](chart::Observer& o) { o.latitudeDegrees = -80.0; }),
      problem([](chart::Observer& o) { o.latitudeDegrees = std::nan(""); }),
      problem([](chart::Observer& o) { o.longitudeEastDegrees = 180.5; }),
      problem([](chart::Observer& o) { o.utcOffsetHours = -12.5; }),
      problem([](chart::Observer& o) { o.utcOffsetHours = 14.25; }),
      problem([](chart::Observer& o) { o.localHour = 24.0; }),
      problem([](chart::Observer& o) { o.localHour = -1.0; }),
      problem([](chart::Observer& o) { o.year = 1899; }),
      problem([](chart::Observer& o) { o.year = 2101; }),
  };
  for (const std::string& message : refused) {
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
  EXPECT_NE(refused[0].find("latitude 75.5"), std::string::npos) << refused[0];
  EXPECT_NE(refused[8].find("year 1899"), std::string::npos) << refused[8];
  std::string error;
  chart::Observer tooFarNorth;
  tooFarNorth.latitudeDegrees = 78.2;
  EXPECT_FALSE(chart::Projection::Make(tooFarNorth, &error));
  EXPECT_NE(error.find("latitude 78.2"), std::string::npos) << error;
}

TEST(SkyProjectionTest, OptionsSetTheirFieldsAndRefuseWhatIsNotANumber) {
  chart::Observer o;
  std::string error;
  EXPECT_TRUE(chart::SetObserverOption(o, "--lat", "-34.6", &error));
  EXPECT_TRUE(chart::SetObserverOption(o, "--lon", "-58.38", &error));
  EXPECT_TRUE(chart::SetObserverOption(o, "--utc-offset", "5.5", &error));
  EXPECT_TRUE(chart::SetObserverOption(o, "--hour", "+23", &error));
  EXPECT_TRUE(chart::SetObserverOption(o, "--year", "1950", &error));
  EXPECT_EQ(o.latitudeDegrees, -34.6);
  EXPECT_EQ(o.longitudeEastDegrees, -58.38);
  EXPECT_EQ(o.utcOffsetHours, 5.5);
  EXPECT_EQ(o.localHour, 23.0);
  EXPECT_EQ(o.year, 1950);

  const chart::Observer before = o;
  const std::array<std::array<const char*, 2>, 9> bad = {{{"--lat", "north"},
                                                          {"--lat", ""},
                                                          {"--lon", "13.4E"},
                                                          {"--utc-offset", "+-3"},
                                                          {"--hour", "nan"},
                                                          {"--hour", "inf"},
                                                          {"--year", "2026.5"},
                                                          {"--year", "99999999999"},
                                                          {"--latitude", "35"}}};
  for (const auto& [option, value] : bad) {
    SCOPED_TRACE(std::string(option) + " " + value);
    error.clear();
    EXPECT_FALSE(chart::SetObserverOption(o, option, value, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  EXPECT_EQ(o.latitudeDegrees, before.latitudeDegrees);
  EXPECT_EQ(o.year, before.year);
  EXPECT_EQ(error, "unknown option --latitude");
}

// A zone's standard time, never its summer time, north or south; and only zones the system
// has: the C library would take an unknown name for UT without a word.
TEST(SkyProjectionTest, TimeZonesGiveTheirStandardOffset) {
  const std::pair<const char*, double> kZones[] = {{"Asia/Tokyo", 9.0},
                                                   {"Europe/Berlin", 1.0},
                                                   {"America/Argentina/Buenos_Aires", -3.0},
                                                   {"Asia/Kolkata", 5.5},
                                                   {"Australia/Sydney", 10.0},
                                                   {"America/New_York", -5.0}};
  std::string error;
  for (const auto& [zone, hours] : kZones) {
    chart::Observer o;
    EXPECT_TRUE(chart::SetObserverOption(o, "--time-zone", zone, &error)) << error;
    EXPECT_EQ(o.utcOffsetHours, hours) << zone;
  }
  const char* tz = std::getenv("TZ");
  for (const char* bad : {"Mars/Olympus_Mons", "../../etc/passwd", "/usr/share/zoneinfo/UTC", "Europe", ""}) {
    chart::Observer o;
    error.clear();
    EXPECT_FALSE(chart::SetObserverOption(o, "--time-zone", bad, &error)) << bad;
    EXPECT_EQ(o.utcOffsetHours, 9.0);
    EXPECT_NE(error.find("not a time zone"), std::string::npos) << error;
  }
  // The process's own zone is left as it was.
  EXPECT_EQ(std::getenv("TZ") == nullptr, tz == nullptr);
}

TEST(SkyProjectionTest, NamedPlacesSetLatitudeLongitudeAndOffset) {
  chart::Observer o;
  std::string error;
  ASSERT_TRUE(chart::SetObserverOption(o, "--place", "berlin", &error)) << error;
  EXPECT_EQ(o.latitudeDegrees, kBerlin.latitude);
  EXPECT_EQ(o.longitudeEastDegrees, kBerlin.longitudeEast);
  EXPECT_EQ(o.utcOffsetHours, kBerlin.utcOffset);
  ASSERT_TRUE(chart::SetObserverOption(o, "--place", "buenos-aires", &error)) << error;
  EXPECT_EQ(o.latitudeDegrees, kBuenosAires.latitude);
  EXPECT_EQ(o.utcOffsetHours, kBuenosAires.utcOffset);
  // A later option overrides what the place set.
  ASSERT_TRUE(chart::SetObserverOption(o, "--lat", "-34.9", &error));
  EXPECT_EQ(o.latitudeDegrees, -34.9);
  // Every named place is one a strip can be drawn for, and Tokyo is the committed strip's.
  for (const chart::NamedPlace& place : chart::kNamedPlaces) {
    chart::Observer named;
    ASSERT_TRUE(chart::SetObserverOption(named, "--place", place.name, &error));
    EXPECT_EQ(chart::ObserverProblem(named), "") << place.name;
  }
  chart::Observer tokyo;
  ASSERT_TRUE(chart::SetObserverOption(tokyo, "--place", "tokyo", &error));
  EXPECT_EQ(chart::Projection(tokyo).ReferenceColumn(), chart::DefaultProjection().ReferenceColumn());
  EXPECT_EQ(chart::Projection(tokyo).RowsPerDegree(), chart::DefaultProjection().RowsPerDegree());

  EXPECT_FALSE(chart::SetObserverOption(o, "--place", "Paris", &error));
  EXPECT_EQ(error, "--place: \"Paris\" is not one of tokyo, sapporo, naha, berlin, buenos-aires");
  EXPECT_EQ(o.latitudeDegrees, -34.9);
}

// ---- Precession ------------------------------------------------------------------------------

struct KnownStar {
  const char* name;
  sky::Equatorial j2000;
};

// J2000 positions from the Bright Star Catalogue (hours x 15, degrees).
const KnownStar kKnownStars[] = {
    {"Vega", {18.615649 * 15, 38.783692}},      {"Capella", {5.278155 * 15, 45.997991}},
    {"Arcturus", {14.261020 * 15, 19.182410}},  {"Deneb", {20.690532 * 15, 45.280339}},
    {"Aldebaran", {4.598677 * 15, 16.509302}},  {"Regulus", {10.139531 * 15, 11.967208}},
    {"Canopus", {6.399197 * 15, -52.695661}},   {"Achernar", {1.628568 * 15, -57.236753}},
    {"Acrux", {12.443311 * 15, -63.099092}},    {"Polaris", {2.530301 * 15, 89.264109}},
    {"Sirius", {6.752481 * 15, -16.716116}},    {"Fomalhaut", {22.960838 * 15, -29.622236}},
    {"Spica", {13.419883 * 15, -11.161322}},    {"Alpheratz", {0.139791 * 15, 29.090432}},
};

TEST(SkyPrecessionTest, AgreesWithTheIau2006MatrixForKnownStars) {
  for (int year : {2026, 1900, 2100}) {
    const double epoch = sky::MidYearEpoch(year);
    for (const KnownStar& star : kKnownStars) {
      SCOPED_TRACE(std::string(star.name) + " " + std::to_string(year));
      const sky::Equatorial ours = sky::PrecessFromJ2000(star.j2000, epoch);
      const sky::Equatorial theirs = Precess2006(star.j2000, epoch);
      EXPECT_GE(ours.raDegrees, 0.0);
      EXPECT_LT(ours.raDegrees, 360.0);
      // A pixel is about 15 arcminutes; the models agree far closer than that.
      EXPECT_LT(SeparationArcseconds(ours, theirs), 1.0);
      // And the stars did move: precession turns the sky 50 arcseconds a year about the pole of
      // the ecliptic, so even Polaris, 66 degrees from the ecliptic, moves some 20 a year.
      EXPECT_GT(SeparationArcseconds(ours, star.j2000), 10.0 * std::abs(epoch - 2000.0));
    }
  }
}

TEST(SkyPrecessionTest, J2000ToTheYear2000IsTheIdentity) {
  for (const KnownStar& star : kKnownStars) {
    const sky::Equatorial same = sky::PrecessFromJ2000(star.j2000, 2000.0);
    EXPECT_EQ(same.raDegrees, star.j2000.raDegrees) << star.name;
    EXPECT_EQ(same.decDegrees, star.j2000.decDegrees) << star.name;
  }
  EXPECT_EQ(sky::MidYearEpoch(2026), 2026.5);
}

TEST(SkyPrecessionTest, AProjectionForAYearPlacesPrecessedPositions) {
  const chart::Projection p(ObserverAt(kBerlin, 21.0, 2026));
  const sky::Equatorial vega = kKnownStars[0].j2000;
  const sky::Equatorial placed = p.StarPosition(vega);
  const sky::Equatorial expected = sky::PrecessFromJ2000(vega, 2026.5);
  EXPECT_EQ(placed.raDegrees, expected.raDegrees);
  EXPECT_EQ(placed.decDegrees, expected.decDegrees);
  // The textbook annual rate in right ascension, m + n sin(ra) tan(dec) with m = 46.1" and
  // n = 20.04", is 30.2" for Vega: 0.222 degrees by mid-2026, about one column.
  EXPECT_NEAR(placed.raDegrees - vega.raDegrees, 0.222, 0.005);
}

// The stars that move fastest across the sky, with their Hipparcos motions (mas a year, the
// right ascension's times cos dec): the step along a great circle must agree with the plain
// first-order step, and the placed position with IAU 2006 precession of it, to an arcsecond
// from 1900 to 2100; and the motion must really have been applied.
TEST(SkyPrecessionTest, ProperMotionCarriesFastStarsAlongTheirPaths) {
  struct Mover {
    const char* name;
    sky::Equatorial j2000;
    sky::ProperMotion motion;
  };
  const Mover kMovers[] = {
      {"61 Cygni", {21.1152 * 15, 38.7458}, {4155.1, 3258.9}},
      {"Arcturus", {14.2610 * 15, 19.1825}, {-1093.45, -1999.40}},
      {"alpha Centauri", {14.6600 * 15, -60.8353}, {-3678.19, 481.84}},
      {"Procyon", {7.6550 * 15, 5.2250}, {-716.57, -1034.58}},
  };
  for (const Mover& star : kMovers) {
    for (int year : {1900, 2026, 2100}) {
      SCOPED_TRACE(std::string(star.name) + " " + std::to_string(year));
      const double epoch = sky::MidYearEpoch(year);
      const sky::Equatorial moved = sky::MoveByProperMotion(star.j2000, star.motion, epoch);
      const sky::Equatorial plain =
          independent::Move(star.j2000, star.motion.raCosDecMasPerYear, star.motion.decMasPerYear, epoch);
      EXPECT_LT(SeparationArcseconds(moved, plain), 1.0);
      const double total = std::hypot(star.motion.raCosDecMasPerYear, star.motion.decMasPerYear) / 1000.0;
      EXPECT_NEAR(SeparationArcseconds(moved, star.j2000), total * std::abs(epoch - 2000.0), 0.5);

      const chart::Projection p(ObserverAt(kBuenosAires, 21.0, year));
      EXPECT_LT(SeparationArcseconds(p.StarPosition(star.j2000, star.motion), Precess2006(plain, epoch)), 1.5);
    }
  }
}

}  // namespace

#include "sky/precession.h"

#include <cmath>
#include <numbers>

namespace sky {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kRadiansPerArcsecond = kRadiansPerDegree / 3600.0;
constexpr double kRadiansPerMilliarcsecond = kRadiansPerArcsecond / 1000.0;

double FullCircle(double degrees) {
  double wrapped = std::fmod(degrees, 360.0);
  if (wrapped < 0.0) wrapped += 360.0;
  return wrapped >= 360.0 ? 0.0 : wrapped;
}

}  // namespace

double MidYearEpoch(int year) { return year + 0.5; }

Equatorial MoveByProperMotion(Equatorial j2000, ProperMotion motion, double julianEpoch) {
  const double years = julianEpoch - 2000.0;
  if (years == 0.0 || (motion.raCosDecMasPerYear == 0.0 && motion.decMasPerYear == 0.0)) return j2000;
  const double ra = j2000.raDegrees * kRadiansPerDegree;
  const double dec = j2000.decDegrees * kRadiansPerDegree;
  // The star's unit vector, and the unit vectors towards east (growing right ascension) and
  // north at its place; the motion is a step along those two.
  const double east = motion.raCosDecMasPerYear * years * kRadiansPerMilliarcsecond;
  const double north = motion.decMasPerYear * years * kRadiansPerMilliarcsecond;
  const double x = std::cos(dec) * std::cos(ra) - east * std::sin(ra) - north * std::sin(dec) * std::cos(ra);
  const double y = std::cos(dec) * std::sin(ra) + east * std::cos(ra) - north * std::sin(dec) * std::sin(ra);
  const double z = std::sin(dec) + north * std::cos(dec);
  return {FullCircle(std::atan2(y, x) / kRadiansPerDegree), std::atan2(z, std::hypot(x, y)) / kRadiansPerDegree};
}

Equatorial PrecessFromJ2000(Equatorial j2000, double julianEpoch) {
  // Julian centuries from J2000.0.
  const double t = (julianEpoch - 2000.0) / 100.0;
  if (t == 0.0) return j2000;
  const double zeta = ((0.017998 * t + 0.30188) * t + 2306.2181) * t * kRadiansPerArcsecond;
  const double z = ((0.018203 * t + 1.09468) * t + 2306.2181) * t * kRadiansPerArcsecond;
  const double theta = ((-0.041833 * t - 0.42665) * t + 2004.3109) * t * kRadiansPerArcsecond;

  const double ra = j2000.raDegrees * kRadiansPerDegree;
  const double dec = j2000.decDegrees * kRadiansPerDegree;
  // The star's direction turned by -zeta about the old pole, theta about the new x axis and
  // -z about the new pole; written out as the three components of the turned unit vector.
  const double a = std::cos(dec) * std::sin(ra + zeta);
  const double b = std::cos(theta) * std::cos(dec) * std::cos(ra + zeta) - std::sin(theta) * std::sin(dec);
  const double c = std::sin(theta) * std::cos(dec) * std::cos(ra + zeta) + std::cos(theta) * std::sin(dec);

  const double raOfDate = FullCircle((std::atan2(a, b) + z) / kRadiansPerDegree);
  // atan2 of the component along the pole and the one across it keeps the declination exact
  // near the poles, where an arcsine loses digits.
  const double decOfDate = std::atan2(c, std::hypot(a, b)) / kRadiansPerDegree;
  return {raOfDate, decOfDate};
}

}  // namespace sky

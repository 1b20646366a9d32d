// Where a star is in a given year, worked out by other formulations than the sky-map tools
// use, for tests to check them against: the IAU 2006 precession as a matrix, and proper
// motion as a plain step in right ascension and declination.
#pragma once

#include <array>
#include <cmath>
#include <numbers>

#include "sky/precession.h"

namespace independent {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kArcsecond = kDegree / 3600.0;

using Matrix = std::array<std::array<double, 3>, 3>;

inline Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
  return m;
}

// Rotations of the coordinate axes by `angle` radians about x and about z.
inline Matrix AboutX(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {{{1, 0, 0}, {0, c, s}, {0, -s, c}}};
}
inline Matrix AboutZ(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {{{c, s, 0}, {-s, c, 0}, {0, 0, 1}}};
}

// The IAU 2006 precession (with frame bias) as a matrix from the four Fukushima-Williams
// angles, gamma-bar, phi-bar, psi-bar and the obliquity epsilon-A (Capitaine et al. 2003,
// Hilton et al. 2006): P = R1(-eps) R3(-psi) R1(phi) R3(gamma). The tool uses the IAU 1976
// angles instead; the two agree to well under an arcsecond over these centuries.
inline Matrix PrecessionMatrix2006(double julianEpoch) {
  const double t = (julianEpoch - 2000.0) / 100.0;
  const auto poly = [t](std::array<double, 6> c) {
    double v = 0.0;
    for (int k = 5; k >= 0; --k) v = v * t + c[static_cast<std::size_t>(k)];
    return v * kArcsecond;
  };
  const double gamma = poly({-0.052928, 10.556378, 0.4932044, -0.00031238, -0.000002788, 0.0000000260});
  const double phi = poly({84381.412819, -46.811016, 0.0511268, 0.00053289, -0.000000440, -0.0000000176});
  const double psi = poly({-0.041775, 5038.481484, 1.5584175, -0.00018522, -0.000026452, -0.0000000148});
  const double eps = poly({84381.406, -46.836769, -0.0001831, 0.00200340, -0.000000576, -0.0000000434});
  return Multiply(AboutX(-eps), Multiply(AboutZ(-psi), Multiply(AboutX(phi), AboutZ(gamma))));
}

inline sky::Equatorial Precess2006(sky::Equatorial j2000, double julianEpoch) {
  const double ra = j2000.raDegrees * kDegree, dec = j2000.decDegrees * kDegree;
  const std::array<double, 3> v = {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
  const Matrix p = PrecessionMatrix2006(julianEpoch);
  std::array<double, 3> w{};
  for (int i = 0; i < 3; ++i) w[i] = p[i][0] * v[0] + p[i][1] * v[1] + p[i][2] * v[2];
  double raOut = std::atan2(w[1], w[0]) / kDegree;
  if (raOut < 0.0) raOut += 360.0;
  return {raOut, std::atan2(w[2], std::hypot(w[0], w[1])) / kDegree};
}

// The angle between two positions, in arcseconds.
inline double SeparationArcseconds(sky::Equatorial a, sky::Equatorial b) {
  const double dRa = std::remainder(a.raDegrees - b.raDegrees, 360.0) * kDegree;
  const double d1 = a.decDegrees * kDegree, d2 = b.decDegrees * kDegree;
  const double h = std::pow(std::sin((d2 - d1) / 2), 2) + std::cos(d1) * std::cos(d2) * std::pow(std::sin(dRa / 2), 2);
  return 2 * std::asin(std::sqrt(h)) / kArcsecond;
}

// A J2000 position moved by a proper motion (milliarcseconds a year; the right ascension's
// already times cos dec) to `julianEpoch`, still on the J2000 equator: first order in RA and
// dec, which for a century of the fastest catalogue star stays within an arcsecond of the
// motion along a great circle, away from the poles.
inline sky::Equatorial Move(sky::Equatorial j2000, double pmRaCosDec, double pmDec, double julianEpoch) {
  const double years = julianEpoch - 2000.0;
  const double raArcseconds = pmRaCosDec / 1000.0 * years / std::cos(j2000.decDegrees * kDegree);
  return {j2000.raDegrees + raArcseconds / 3600.0, j2000.decDegrees + pmDec / 1000.0 * years / 3600.0};
}

}  // namespace independent

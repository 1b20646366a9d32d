// Where a catalogue star is in a given year. The catalogue gives positions for J2000; two
// things have moved them since. Each star drifts across the sky on its own (its proper
// motion, at most a few arcseconds a year), and the slow turn of the Earth's axis carries the
// equator, and with it every star's right ascension and declination, about 50 arcseconds a
// year along the ecliptic (precession). A strip drawn for a year places its stars where both
// put them.
#pragma once

namespace sky {

// A position on the sky, in degrees.
struct Equatorial {
  double raDegrees = 0.0;
  double decDegrees = 0.0;
};

// A star's proper motion in milliarcseconds a year, as catalogues give it: along the
// right ascension already multiplied by cos(declination), so both are arcs on the sky.
struct ProperMotion {
  double raCosDecMasPerYear = 0.0;
  double decMasPerYear = 0.0;
};

// The Julian epoch of the middle of a calendar year (2026.5 for 2026). A strip serves a whole
// year, so its stars are placed for the middle of it: half a year's precession, 25
// arcseconds, is the most any evening is off.
double MidYearEpoch(int year);

// A J2000 mean position carried to the mean equator and equinox of `julianEpoch` with the
// IAU 1976 precession angles zeta, z and theta (Lieske et al. 1977). Right ascension comes
// back in [0, 360). At epoch 2000.0 the position is returned unchanged.
Equatorial PrecessFromJ2000(Equatorial j2000, double julianEpoch);

// A J2000 position moved along its proper motion to `julianEpoch`, still referred to the
// J2000 equator: the motion is taken as a straight line on the sphere, tangent at the J2000
// place, which stays exact to far under an arcsecond for centuries and holds at the poles.
Equatorial MoveByProperMotion(Equatorial j2000, ProperMotion motion, double julianEpoch);

}  // namespace sky

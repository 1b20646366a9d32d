// Precession: the slow turn of the Earth's axis that carries the equator, and with it every
// star's right ascension and declination, about 50 arcseconds a year along the ecliptic. The
// star catalogue gives positions for J2000; a strip drawn for another year places its stars
// where that year's equator puts them.
#pragma once

namespace sky {

// A position on the sky, in degrees.
struct Equatorial {
  double raDegrees = 0.0;
  double decDegrees = 0.0;
};

// The Julian epoch of the middle of a calendar year (2026.5 for 2026). A strip serves a whole
// year, so its stars are placed for the middle of it: half a year's precession, 25
// arcseconds, is the most any evening is off.
double MidYearEpoch(int year);

// A J2000 mean position carried to the mean equator and equinox of `julianEpoch` with the
// IAU 1976 precession angles zeta, z and theta (Lieske et al. 1977). Right ascension comes
// back in [0, 360). At epoch 2000.0 the position is returned unchanged.
Equatorial PrecessFromJ2000(Equatorial j2000, double julianEpoch);

}  // namespace sky

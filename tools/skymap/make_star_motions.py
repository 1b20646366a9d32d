#!/usr/bin/env python3
"""Make the proper-motion table the sky-map tools carry the stars forward with.

The Bright Star Catalogue copy that tools/skymap draws from (xplanet's BSC) gives
J2000 positions only. Proper motions come from the Hipparcos catalogue (ESA 1997,
public domain), here read from the plain-text extract Debian's kstars-data package
installs as /usr/share/kstars/stars.dat. Each catalogue star the map can draw
(magnitude 5.5 or brighter) is paired with the nearest Hipparcos star of about
the same brightness; its motion is written under the star's HR number.

Run from anywhere (the package need only be unpacked, not installed:
`apt-get download kstars-data && dpkg-deb -x kstars-data_*.deb x`):

    python3 tools/skymap/make_star_motions.py [BSC] [HIPPARCOS] [OUTPUT]

The defaults are the two installed files and tools/skymap/star_motions.inc.
Only the Python standard library is used; the same inputs give the same file.
"""

import math
import os
import sys

FAINTEST = 5.5           # the faintest star the map draws
PAIRING_ARCMIN = 1.5     # farther than this, two entries are not the same star
MAGNITUDE_SLACK = 1.0    # nor when their magnitudes differ by more than this...
SAME_SYSTEM_ARCMIN = 0.5  # ...unless they are this close: a close pair that one catalogue
                          # splits and the other gives as one star (Castor, alpha Crucis)
                          # or as its other component moves through space as one system


def read_bsc(path):
    """(hr, ra_deg, dec_deg, vmag) for every star line of xplanet's BSC."""
    stars = []
    with open(path, encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            text = line.strip()
            if not text or text.startswith("#"):
                continue
            first, _, rest = text.partition('"')
            name, _, tail = rest.partition('"')
            dec, ra, mag = (float(v) for v in first.split())
            numbers = tail.split()
            if not numbers:
                sys.exit(f"{path}:{number}: no HR number: {text}")
            stars.append((int(numbers[0]), ra * 15.0, dec, mag))
    return stars


def sexagesimal(text, hours):
    """'183656.34' or '+384701.3' as degrees."""
    sign = -1.0 if text.startswith("-") else 1.0
    digits = text.lstrip("+-")
    whole, _, fraction = digits.partition(".")
    whole = whole.rjust(6, "0")
    value = int(whole[:-4]) + int(whole[-4:-2]) / 60.0 + float(whole[-2:] + "." + (fraction or "0")) / 3600.0
    return sign * value * (15.0 if hours else 1.0)


def read_hipparcos(path):
    """(ra_deg, dec_deg, pm_ra_cosdec, pm_dec, vmag): motions in mas a year, fixed columns."""
    stars = []
    with open(path, encoding="latin-1") as f:
        for line in f:
            if line.startswith("#") or len(line) < 50:
                continue
            ra = sexagesimal(line[0:9], hours=True)
            dec = sexagesimal(line[10:19], hours=False)
            pm_ra = float(line[20:29])
            pm_dec = float(line[29:38])
            mag = float(line[45:50])
            stars.append((ra, dec, pm_ra, pm_dec, mag))
    return stars


def separation_arcmin(ra1, dec1, ra2, dec2):
    a1, d1, a2, d2 = map(math.radians, (ra1, dec1, ra2, dec2))
    s = math.sin((d2 - d1) / 2) ** 2 + math.cos(d1) * math.cos(d2) * math.sin((a2 - a1) / 2) ** 2
    return math.degrees(2 * math.asin(min(1.0, math.sqrt(s)))) * 60.0


def pair(bsc, hipparcos):
    # Hipparcos stars by whole degree of declination, so that each search looks at a narrow band.
    bands = {}
    for star in hipparcos:
        bands.setdefault(math.floor(star[1]), []).append(star)
    motions, unpaired = {}, []
    for hr, ra, dec, mag in bsc:
        if mag > FAINTEST:
            continue
        best, best_score = None, None
        nearest, nearest_sep = None, SAME_SYSTEM_ARCMIN
        for band in (math.floor(dec) - 1, math.floor(dec), math.floor(dec) + 1):
            for h in bands.get(band, ()):
                sep = separation_arcmin(ra, dec, h[0], h[1])
                if sep <= nearest_sep:
                    nearest, nearest_sep = h, sep
                if sep > PAIRING_ARCMIN or abs(h[4] - mag) > MAGNITUDE_SLACK:
                    continue
                # Near a close pair the magnitude tells the components apart.
                score = sep / PAIRING_ARCMIN + abs(h[4] - mag) / MAGNITUDE_SLACK
                if best_score is None or score < best_score:
                    best, best_score = h, score
        best = best or nearest
        # Hipparcos gives 0, 0 where it found no solution (some close binaries): no motion known.
        if best is not None and best[2] == 0.0 and best[3] == 0.0:
            best = None
        if best is None:
            unpaired.append(hr)
        else:
            motions[hr] = (best[2], best[3])
    return motions, unpaired


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    bsc_path = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/xplanet/stars/BSC"
    hip_path = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/kstars/stars.dat"
    out_path = sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "star_motions.inc")
    motions, unpaired = pair(read_bsc(bsc_path), read_hipparcos(hip_path))
    lines = [
        "// Proper motions of the Bright Star Catalogue's stars to magnitude 5.5, from the Hipparcos",
        "// catalogue: HR number, motion in right ascension times cos(declination) and in declination,",
        "// milliarcseconds a year. Made by tools/skymap/make_star_motions.py; do not edit by hand.",
    ]
    for hr in sorted(motions):
        pm_ra, pm_dec = motions[hr]
        lines.append(f"{{{hr}, {pm_ra:.1f}, {pm_dec:.1f}}},")
    with open(out_path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{len(motions)} stars with motions, {len(unpaired)} without a Hipparcos partner"
          f" ({' '.join(str(hr) for hr in unpaired[:20])}{' ...' if len(unpaired) > 20 else ''}) into {out_path}")


if __name__ == "__main__":
    main()

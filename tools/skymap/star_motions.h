// Proper motions of the catalogue stars the sky map draws, by Bright Star Catalogue (HR)
// number. The catalogue copy the tools read gives J2000 positions only; the motions come from
// Hipparcos (tools/skymap/make_star_motions.py pairs the two and writes star_motions.inc).
#pragma once

#include "sky/precession.h"

namespace sky {

// The star's motion, or none (zero) for a number the table does not know: a star fainter
// than the map draws, or one Hipparcos gives no motion for.
ProperMotion CatalogueMotion(long hr);

}  // namespace sky

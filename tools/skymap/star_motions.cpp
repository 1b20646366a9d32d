#include "tools/skymap/star_motions.h"

#include <algorithm>
#include <iterator>

namespace sky {

namespace {

struct MotionEntry {
  long hr;
  double raCosDecMasPerYear;
  double decMasPerYear;
};

// Sorted by HR number.
constexpr MotionEntry kMotions[] = {
#include "tools/skymap/star_motions.inc"
};

static_assert(std::ranges::is_sorted(kMotions, {}, &MotionEntry::hr), "star_motions.inc must be sorted by HR number");

}  // namespace

ProperMotion CatalogueMotion(long hr) {
  const auto found = std::ranges::lower_bound(kMotions, hr, {}, &MotionEntry::hr);
  if (found == std::end(kMotions) || found->hr != hr) return {};
  return {found->raCosDecMasPerYear, found->decMasPerYear};
}

}  // namespace sky

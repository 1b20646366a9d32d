// How many screen pixels each of the program's pixels takes on the desktop. The program draws
// in its own pixels, exactly as on a screen of ordinary density; on a high-density screen the
// presentation blows every pixel up to a square block of a whole number of screen pixels, so
// the classic pixel art stays crisp instead of being smoothed by a fractional scale.
#pragma once

#include <optional>
#include <string>

namespace platform {

// What the user and the desktop say about the density, gathered before Qt starts.
struct DensityHints {
  std::optional<std::string> lumivaneScale;         // LUMIVANE_SCALE: the user's choice for this program
  std::optional<std::string> gdkScale;              // GDK_SCALE: the desktop's whole scale factor
  std::optional<std::string> qtScaleFactor;         // QT_SCALE_FACTOR
  std::optional<std::string> qtScreenScaleFactors;  // QT_SCREEN_SCALE_FACTORS: "name=factor;..." or "factor;..."
  std::optional<std::string> xResources;            // the X server's resource database (Xft.dpi)
  std::optional<double> screenDpi;                  // the screen's pixels per inch across, from its size in mm
};

struct PresentationScale {
  static constexpr int kLargest = 4;
  int factor = 1;
  // The dots per inch Qt's own texts (menus, message boxes, the help viewer) are set at in
  // the program's pixels, so that with the factor they come out at the size the desktop asks
  // for, neither scaled twice nor left small.
  int fontDpi = 96;
  // Only set for Qt when the factor is above 1.
  // One line about a LUMIVANE_SCALE that could not be used, for standard error; empty if none.
  std::string warning;
};

// LUMIVANE_SCALE (a whole number from 1 to kLargest) wins; then the desktop's scale factor
// (GDK_SCALE, QT_SCALE_FACTOR, the largest of QT_SCREEN_SCALE_FACTORS), then the font DPI the
// desktop declares (Xft.dpi), then the screen's own density; 96 dpi is factor 1. A fractional
// factor goes to the nearest whole one, a half down: 1.5 is 1, 1.75 is 2.
PresentationScale ChoosePresentationScale(const DensityHints& hints);

// The Xft.dpi entry of an X resource database, if it has a usable one.
std::optional<double> XftDpiOf(const std::string& resources);

}  // namespace platform

#include "platform/backend/qt/presentation_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace platform {
namespace {

constexpr double kOrdinaryDpi = 96.0;

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A number that is the whole text (blanks around it aside), finite and above zero.
std::optional<double> PositiveNumber(std::string_view text) {
  text = Trimmed(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0) {
    return std::nullopt;
  }
  return value;
}

// The whole factor nearest to a fractional one, a half going down, within 1..kLargest.
int WholeFactor(double factor) {
  const double whole = std::ceil(factor - 0.5);
  return static_cast<int>(std::clamp(whole, 1.0, static_cast<double>(PresentationScale::kLargest)));
}

std::optional<int> FactorOf(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::optional<double> value = PositiveNumber(*text);
  if (!value) return std::nullopt;
  return WholeFactor(*value);
}

// "eDP-1=2;HDMI-1=1" or "2;1": the largest factor named, since the program's window is the
// hardest to see on the densest screen.
std::optional<int> LargestScreenFactor(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::optional<int> largest;
  std::string_view rest = *text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    std::string_view entry = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (const std::size_t equals = entry.rfind('='); equals != std::string_view::npos) entry.remove_prefix(equals + 1);
    if (const std::optional<double> value = PositiveNumber(entry)) {
      largest = std::max(largest.value_or(1), WholeFactor(*value));
    }
  }
  return largest;
}

}  // namespace

std::optional<double> XftDpiOf(const std::string& resources) {
  std::string_view rest = resources;
  std::optional<double> dpi;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = Trimmed(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    constexpr std::string_view kName = "Xft.dpi";
    if (line.substr(0, kName.size()) != kName) continue;
    const std::string_view after = Trimmed(line.substr(kName.size()));
    if (after.empty() || after.front() != ':') continue;
    // The last entry of a name is the one in force, as in any resource database.
    dpi = PositiveNumber(after.substr(1));
  }
  return dpi;
}

PresentationScale ChoosePresentationScale(const DensityHints& hints) {
  PresentationScale chosen;
  std::optional<int> factor;
  if (hints.lumivaneScale && !Trimmed(*hints.lumivaneScale).empty()) {
    const std::string_view text = Trimmed(*hints.lumivaneScale);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value >= 1 && value <= PresentationScale::kLargest) {
      factor = value;
    } else {
      chosen.warning = "LUMIVANE_SCALE=\"" + std::string(text) + "\" is not a whole number from 1 to " +
                       std::to_string(PresentationScale::kLargest) + "; using the desktop's scale";
    }
  }
  const std::optional<double> xftDpi = hints.xResources ? XftDpiOf(*hints.xResources) : std::nullopt;
  if (!factor) factor = FactorOf(hints.gdkScale);
  if (!factor) factor = FactorOf(hints.qtScaleFactor);
  if (!factor) factor = LargestScreenFactor(hints.qtScreenScaleFactors);
  if (!factor && xftDpi) factor = WholeFactor(*xftDpi / kOrdinaryDpi);
  // A size in millimetres the server merely made up, or a projector's, says little: only a
  // density in the range of real screens counts.
  if (!factor && hints.screenDpi && *hints.screenDpi >= 50 && *hints.screenDpi <= 1000) {
    factor = WholeFactor(*hints.screenDpi / kOrdinaryDpi);
  }
  chosen.factor = factor.value_or(1);
  // At factor 1 Qt's texts keep exactly the desktop's density; above it the factor already
  // enlarges them, and the density is divided by it (to no less than the ordinary one).
  const double desktopFontDpi = xftDpi.value_or(kOrdinaryDpi);
  chosen.fontDpi = chosen.factor == 1 ? static_cast<int>(std::lround(desktopFontDpi))
                                      : std::max(static_cast<int>(kOrdinaryDpi),
                                                 static_cast<int>(std::lround(desktopFontDpi / chosen.factor)));
  return chosen;
}

}  // namespace platform

#include "decor/clock_layout.h"

namespace decor {

namespace {

// The float fraction times the width, exactly (a float times a small int fits a double),
// truncated toward zero.
int Fraction(float f, int w) { return static_cast<int>(static_cast<double>(f) * w); }

}  // namespace

PlateColumns ClockPlateColumns(int w) {
  return PlateColumns{Fraction(0.4f, w), Fraction(0.42f, w), Fraction(0.66f, w), Fraction(0.72f, w),
                      Fraction(0.9f, w)};
}

std::string TwoDigits(int value) {
  const std::string digits = std::to_string(value);
  return value >= 0 && value < 10 ? "0" + digits : digits;
}

std::string SquareDateText(int w, const ClockReading& r) {
  std::string text;
  if (w >= 200) text += std::to_string(r.year) + "/";
  text += std::to_string(r.month) + "/" + TwoDigits(r.day);
  if (w >= 300) text += " " + r.weekday;
  return text;
}

std::string SquareTimeText(int w, const ClockReading& r) {
  std::string text;
  if (w >= 200) {
    text = r.hour >= 13 ? "PM " + std::to_string(r.hour - 12) : "AM " + std::to_string(r.hour);
  } else {
    text = std::to_string(r.hour);
  }
  return text + ":" + TwoDigits(r.minute);
}

COLORREF ClockTextColour(int clockColor) {
  constexpr COLORREF kColours[6] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 0),
                                    RGB(192, 192, 192), RGB(0, 0, 192),     RGB(192, 0, 0)};
  if (clockColor < 0 || clockColor > 5) return kColours[0];
  return kColours[clockColor];
}

}  // namespace decor

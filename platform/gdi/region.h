// Regions: sets of pixels kept as y-x banded rectangles, the way the classic GDI keeps them.
//
// A region is a list of rectangles sorted by top, then left. Rectangles of one band share top
// and bottom, do not overlap and do not touch. Results of boolean operations have vertically
// coalesced bands (two touching bands with the same spans become one); an elliptic region as
// created has one band per scanline, which is what region dumps of the classic platform show.
#pragma once

#include <vector>

#include "platform/core/windef.h"

namespace gdi {

// Region complexity, with the values GetRgnBox and CombineRgn report.
enum RegionComplexity : int { kNullRegion = 1, kSimpleRegion = 2, kComplexRegion = 3 };

class Region {
 public:
  Region() = default;

  // Rectangle with the classic normalisation (swapped edges are put in order); an empty
  // rectangle gives an empty region.
  static Region FromRect(int left, int top, int right, int bottom);
  // The ellipse inscribed in the box. Its pixels follow the classic rule: the region is one
  // pixel narrower and lower than the box, and boxes too thin for an ellipse become
  // rectangles.
  static Region Ellipse(int left, int top, int right, int bottom);

  bool IsEmpty() const { return rects_.empty(); }
  const std::vector<RECT>& Rects() const { return rects_; }
  // Bounding box; all zero for an empty region.
  RECT Box() const { return box_; }
  int Complexity() const;
  bool Contains(int x, int y) const { return RectAt(x, y) != nullptr; }
  // The rectangle of the region that holds the pixel, or null when none does.
  const RECT* RectAt(int x, int y) const;
  // Any pixel of the rectangle lies in the region.
  bool IntersectsRect(const RECT& r) const;
  void Offset(int dx, int dy);

  static Region And(const Region& a, const Region& b);
  static Region Or(const Region& a, const Region& b);
  static Region Diff(const Region& a, const Region& b);
  static Region Xor(const Region& a, const Region& b);

  friend bool operator==(const Region& a, const Region& b) { return a.rects_ == b.rects_; }

 private:
  enum class Op { And, Or, Diff, Xor };
  static Region Combine(const Region& a, const Region& b, Op op);
  // Takes the rectangles (in order, in bands) and works out their box.
  void SetRects(std::vector<RECT> rects);

  std::vector<RECT> rects_;
  RECT box_{};  // kept with the rectangles: clipping asks for it all the time
  // In the form combinations give (touching bands with equal spans joined): every region but
  // an elliptic one as created.
  bool coalesced_ = true;
};

}  // namespace gdi

// Region handles over gdi::Region.
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

HRGN NewRegion(Region r) { return reinterpret_cast<HRGN>(AddObject(RegionObject{std::move(r)})); }

Region* RegionOf(HRGN h) {
  RegionObject* o = Find<RegionObject>(h);
  return o ? &o->region : nullptr;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion(Region::FromRect(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* r) {
  return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion(Region::Ellipse(left, top, right, bottom));
}

HRGN CreateEllipticRgnIndirect(const RECT* r) {
  return r ? CreateEllipticRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  Region* r = RegionOf(rgn);
  if (!r) return FALSE;
  *r = Region::FromRect(left, top, right, bottom);
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  Region* d = RegionOf(dest);
  const Region* a = RegionOf(src1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    *d = *a;
    return d->Complexity();
  }
  const Region* b = RegionOf(src2);
  if (!b) return ERROR;
  switch (mode) {
    case RGN_AND: *d = Region::And(*a, *b); break;
    case RGN_OR: *d = Region::Or(*a, *b); break;
    case RGN_XOR: *d = Region::Xor(*a, *b); break;
    case RGN_DIFF: *d = Region::Diff(*a, *b); break;
    default: return ERROR;
  }
  return d->Complexity();
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  const Region* r = RegionOf(rgn);
  return r && r->Contains(x, y) ? TRUE : FALSE;
}

int GetRgnBox(HRGN rgn, RECT* box) {
  const Region* r = RegionOf(rgn);
  if (!r || !box) return ERROR;
  *box = r->Box();
  return r->Complexity();
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  Region* r = RegionOf(rgn);
  if (!r) return ERROR;
  r->Offset(dx, dy);
  return r->Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  const Region* ra = RegionOf(a);
  const Region* rb = RegionOf(b);
  if (!ra || !rb) return FALSE;
  return *ra == *rb ? TRUE : FALSE;
}

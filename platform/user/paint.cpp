// Invalidation, paint device contexts and presentation of window pixels.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {

gdi::Region VisibleRegion(const Window& w, bool clientOnly) {
  const POINT origin = clientOnly ? ClientOriginInTop(w) : WindowOriginInTop(w);
  const SIZE size = clientOnly ? ClientSize(w)
                               : SIZE{w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  gdi::Region vis = gdi::Region::FromRect(origin.x, origin.y, origin.x + size.cx, origin.y + size.cy);
  const Window* p = &w;
  while (!IsTopLevel(*p)) {
    p = Find(p->parent);
    if (!p) return gdi::Region();
    const POINT po = ClientOriginInTop(*p);
    const SIZE ps = ClientSize(*p);
    vis = gdi::Region::And(vis, gdi::Region::FromRect(po.x, po.y, po.x + ps.cx, po.y + ps.cy));
  }
  if (w.style & WS_CLIPCHILDREN) {
    for (HWND c : w.children) {
      const Window* cw = Find(c);
      if (!cw || !(cw->style & WS_VISIBLE)) continue;
      const POINT co = WindowOriginInTop(*cw);
      vis = gdi::Region::Diff(vis, gdi::Region::FromRect(co.x, co.y, co.x + (cw->rect.right - cw->rect.left),
                                                         co.y + (cw->rect.bottom - cw->rect.top)));
    }
  }
  const Window* top = p;
  if (top->windowRegion) vis = gdi::Region::And(vis, *top->windowRegion);
  if (top->surface) {
    vis = gdi::Region::And(vis, gdi::Region::FromRect(0, 0, top->surface->width, top->surface->height));
  }
  return vis;
}

void Present(HWND top, const RECT& dirty) {
  Window* w = Find(top);
  if (!w || !w->surface || !(w->style & WS_VISIBLE)) return;
  platform::GetBackend().Present(top, *w->surface, dirty);
}

HWND NextWindowToPaint() {
  State& s = S();
  struct Walk {
    static HWND Visit(HWND h) {
      const Window* w = Find(h);
      if (!w || !(w->style & WS_VISIBLE)) return nullptr;
      if (!w->update.IsEmpty()) return h;
      for (HWND c : w->children) {
        if (HWND found = Visit(c)) return found;
      }
      return nullptr;
    }
  };
  for (HWND top : s.topLevels) {
    if (HWND found = Walk::Visit(top)) return found;
  }
  return nullptr;
}

}  // namespace user::detail

using namespace user::detail;

namespace {

gdi::Region ClientBounds(const Window& w) {
  const SIZE c = ClientSize(w);
  return gdi::Region::FromRect(0, 0, c.cx, c.cy);
}

void AddToUpdate(Window& w, const gdi::Region& area, bool erase) {
  gdi::Region part = gdi::Region::And(area, ClientBounds(w));
  if (part.IsEmpty()) return;
  w.update = gdi::Region::Or(w.update, part);
  w.erase = w.erase || erase;
}

HDC MakeWindowDC(Window& w, bool clientOnly, const gdi::Region* limit) {
  Window* top = TopLevelOf(&w);
  if (!top) return nullptr;
  auto dc = std::make_unique<gdi::DeviceContext>();
  dc->kind = gdi::DeviceContext::Kind::Window;
  dc->hwnd = w.handle;
  dc->topLevel = top->handle;
  dc->surface = top->surface;
  dc->origin = clientOnly ? ClientOriginInTop(w) : WindowOriginInTop(w);
  gdi::Region vis = VisibleRegion(w, clientOnly);
  if (limit) {
    gdi::Region l = *limit;
    l.Offset(dc->origin.x, dc->origin.y);
    vis = gdi::Region::And(vis, l);
  }
  dc->systemClip = std::move(vis);
  gdi::UpdateVisible(*dc);
  dc->bitsPixel = gdi::DisplayBitsPerPixel();
  gdi::SelectDefaultObjects(*dc);
  return gdi::AddDeviceContext(std::move(dc));
}

void FinishWindowDC(HDC hdc) {
  gdi::DeviceContext* dc = gdi::FindDC(hdc);
  if (!dc) return;
  if (dc->dirty && dc->topLevel) Present(dc->topLevel, *dc->dirty);
  gdi::RemoveDeviceContext(hdc);
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND top : S().topLevels) InvalidateRect(top, rect, erase);
    return TRUE;
  }
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (rect) {
    AddToUpdate(*w, gdi::Region::FromRect(rect->left, rect->top, rect->right, rect->bottom), erase != 0);
  } else {
    AddToUpdate(*w, ClientBounds(*w), erase != 0);
  }
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!region) return InvalidateRect(hwnd, nullptr, erase);
  const gdi::RegionObject* r = gdi::Find<gdi::RegionObject>(region);
  if (!r) return FALSE;
  AddToUpdate(*w, r->region, erase != 0);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!rect) {
    w->update = gdi::Region();
    w->erase = false;
  } else {
    w->update = gdi::Region::Diff(w->update, gdi::Region::FromRect(rect->left, rect->top, rect->right, rect->bottom));
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  const Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->update.Box();
  return w->update.IsEmpty() ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!w->update.IsEmpty() && IsReallyVisible(*w)) SendMessage(hwnd, WM_PAINT, 0, 0);
  if ((w = Find(hwnd))) {
    const std::vector<HWND> children = w->children;
    for (HWND c : children) UpdateWindow(c);
  }
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Window* w = Find(hwnd);
  if (!w || !ps) return nullptr;
  State& s = S();
  ++s.paintsBegun;
  const gdi::Region area = std::move(w->update);
  w->update = gdi::Region();
  const bool erase = w->erase;
  w->erase = false;
  HDC hdc = MakeWindowDC(*w, true, &area);
  ps->hdc = hdc;
  ps->rcPaint = area.Box();
  ps->fErase = FALSE;
  if (erase && hdc) {
    ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  }
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  FinishWindowDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd || hwnd == S().desktop) {
    auto dc = std::make_unique<gdi::DeviceContext>();
    dc->kind = gdi::DeviceContext::Kind::Screen;
    dc->hwnd = GetDesktopWindow();
    dc->bitsPixel = gdi::DisplayBitsPerPixel();
    gdi::SelectDefaultObjects(*dc);
    return gdi::AddDeviceContext(std::move(dc));
  }
  Window* w = Find(hwnd);
  return w ? MakeWindowDC(*w, true, nullptr) : nullptr;
}

HDC GetWindowDC(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w || hwnd == S().desktop) return GetDC(nullptr);
  return MakeWindowDC(*w, false, nullptr);
}

int ReleaseDC(HWND, HDC hdc) {
  gdi::DeviceContext* dc = gdi::FindDC(hdc);
  if (!dc || dc->kind == gdi::DeviceContext::Kind::Memory) return 0;
  FinishWindowDC(hdc);
  return 1;
}

HWND WindowFromDC(HDC hdc) {
  const gdi::DeviceContext* dc = gdi::FindDC(hdc);
  return dc ? dc->hwnd : nullptr;
}

#include "platform/gdi/objects.h"

#include <algorithm>
#include <unordered_map>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi.h"

namespace gdi {
namespace {

struct Entry {
  GdiObject object;
  bool stock = false;
};

struct Tables {
  std::unordered_map<std::uintptr_t, Entry> objects;
  std::unordered_map<std::uintptr_t, std::unique_ptr<DeviceContext>> dcs;
  std::uintptr_t nextObject = 0x1000;
  std::uintptr_t nextDc = 0x1000;
  std::unordered_map<int, HGDIOBJ> stock;
  std::unordered_map<int, HBRUSH> sysBrushes;
  std::unordered_map<int, COLORREF> desktopColors;  // the desktop's own, where it has them
  int displayBits = 32;
};

Tables& T() {
  static Tables tables;
  return tables;
}

}  // namespace

HGDIOBJ AddObject(GdiObject object, bool stock) {
  Tables& t = T();
  // Handle values step by 4 and keep clear of small numbers, like the classic ones.
  const std::uintptr_t id = t.nextObject;
  t.nextObject += 4;
  t.objects.emplace(id, Entry{std::move(object), stock});
  return reinterpret_cast<HGDIOBJ>(id);
}

GdiObject* FindObject(HGDIOBJ handle) {
  Tables& t = T();
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : &it->second.object;
}

void RemoveObject(HGDIOBJ handle) { T().objects.erase(reinterpret_cast<std::uintptr_t>(handle)); }

size_t LiveObjectCount() {
  const Tables& t = T();
  return static_cast<size_t>(std::count_if(t.objects.begin(), t.objects.end(),
                                           [](const auto& kv) { return !kv.second.stock; }));
}

HDC AddDeviceContext(std::unique_ptr<DeviceContext> dc) {
  Tables& t = T();
  const std::uintptr_t id = t.nextDc;
  t.nextDc += 4;
  t.dcs.emplace(id, std::move(dc));
  return reinterpret_cast<HDC>(id);
}

DeviceContext* FindDC(HDC hdc) {
  Tables& t = T();
  auto it = t.dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
  return it == t.dcs.end() ? nullptr : it->second.get();
}

void RemoveDeviceContext(HDC hdc) { T().dcs.erase(reinterpret_cast<std::uintptr_t>(hdc)); }

size_t LiveDeviceContextCount() { return T().dcs.size(); }

void SelectDefaultObjects(DeviceContext& dc) {
  dc.pen = reinterpret_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc.brush = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc.font = reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  dc.palette = reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

void UpdateVisible(DeviceContext& dc) {
  if (dc.systemClip && dc.appClip) {
    dc.visible = Region::And(*dc.systemClip, *dc.appClip);
  } else if (dc.systemClip) {
    dc.visible = dc.systemClip;
  } else {
    dc.visible = dc.appClip;
  }
}

bool DcCanDraw(const DeviceContext& dc, int sx, int sy) {
  if (!dc.surface || !dc.surface->Contains(sx, sy)) return false;
  return !dc.visible || dc.visible->Contains(sx, sy);
}

void MarkDirty(DeviceContext& dc, const RECT& r) {
  if (IsEmpty(r)) return;
  dc.dirty = dc.dirty ? Union(*dc.dirty, r) : r;
}

void ResetPalettes();

void ResetAll() {
  ResetPalettes();
  ReleaseFonts();  // faces, glyphs and the font configuration
  Tables& t = T();
  // The handle numbers go on from where they were: a handle never names a second object.
  t.objects.clear();
  t.dcs.clear();
  t.stock.clear();
  t.sysBrushes.clear();
  t.desktopColors.clear();
  t.displayBits = 32;
}

void SetSystemColor(int index, COLORREF color) {
  Tables& t = T();
  t.desktopColors[index] = color & 0xFFFFFF;
  // The brush of the old colour stays valid for whoever holds it; new requests get the new one.
  t.sysBrushes.erase(index);
}

void SetDisplayBitsPerPixel(int bits) { T().displayBits = bits; }
int DisplayBitsPerPixel() { return T().displayBits; }

namespace {
ScreenReader& TheScreenReader() {
  static ScreenReader reader;
  return reader;
}
}  // namespace

void SetScreenReader(ScreenReader reader) { TheScreenReader() = std::move(reader); }

void ReadScreen(const RECT& area, std::uint32_t* out, int stride) {
  if (TheScreenReader()) {
    TheScreenReader()(area, out, stride);
    return;
  }
  for (int y = 0; y < area.bottom - area.top; ++y) {
    std::fill_n(out + static_cast<size_t>(y) * stride, area.right - area.left, 0u);
  }
}

}  // namespace gdi

using namespace gdi;

HGDIOBJ GetStockObject(int which) {
  Tables& t = T();
  auto it = t.stock.find(which);
  if (it != t.stock.end()) return it->second;
  std::optional<GdiObject> made;
  switch (which) {
    case WHITE_BRUSH: made = BrushObject{RGB(255, 255, 255), false}; break;
    case LTGRAY_BRUSH: made = BrushObject{RGB(192, 192, 192), false}; break;
    case GRAY_BRUSH: made = BrushObject{RGB(128, 128, 128), false}; break;
    case DKGRAY_BRUSH: made = BrushObject{RGB(64, 64, 64), false}; break;
    case BLACK_BRUSH: made = BrushObject{RGB(0, 0, 0), false}; break;
    case NULL_BRUSH: made = BrushObject{0, true}; break;
    case WHITE_PEN: made = PenObject{PS_SOLID, 0, RGB(255, 255, 255)}; break;
    case BLACK_PEN: made = PenObject{PS_SOLID, 0, RGB(0, 0, 0)}; break;
    case NULL_PEN: made = PenObject{PS_NULL, 0, 0}; break;
    case SYSTEM_FONT: {
      FontObject f;
      f.height = 16;
      f.weight = 700;
      f.face = "System";
      made = f;
      break;
    }
    case DEFAULT_PALETTE: {
      // The twenty static colours of the classic display palette.
      static const BYTE kStatic[20][3] = {
          {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
          {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
          {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
          {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
      PaletteObject p;
      for (const auto& c : kStatic) p.entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
      made = p;
      break;
    }
    default: return nullptr;
  }
  HGDIOBJ h = AddObject(std::move(*made), true);
  t.stock.emplace(which, h);
  return h;
}

COLORREF GetSysColor(int index) {
  if (auto it = T().desktopColors.find(index); it != T().desktopColors.end()) return it->second;
  switch (index) {
    // The classic desktop's standard scheme.
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_3DDKSHADOW:
    default: return RGB(0, 0, 0);
  }
}

HBRUSH GetSysColorBrush(int index) {
  Tables& t = T();
  auto it = t.sysBrushes.find(index);
  if (it != t.sysBrushes.end()) return it->second;
  auto h = reinterpret_cast<HBRUSH>(AddObject(BrushObject{GetSysColor(index), false}, true));
  t.sysBrushes.emplace(index, h);
  return h;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Tables& t = T();
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(obj));
  if (it == t.objects.end()) return FALSE;
  if (it->second.stock) return TRUE;
  // An object selected into a DC stays until it is selected out, as on the classic
  // platform; the call fails and the object lives on.
  for (const auto& [id, dc] : t.dcs) {
    const HGDIOBJ h = obj;
    if (AsGdiObject(dc->pen) == h || AsGdiObject(dc->brush) == h || AsGdiObject(dc->font) == h ||
        AsGdiObject(dc->bitmap) == h || AsGdiObject(dc->palette) == h) {
      return FALSE;
    }
  }
  t.objects.erase(it);
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(AddObject(BrushObject{color & 0xFFFFFF, false}));
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < 0 || style > PS_INSIDEFRAME) return nullptr;
  return reinterpret_cast<HPEN>(AddObject(PenObject{style, width < 0 ? 0 : width, color & 0xFFFFFF}));
}

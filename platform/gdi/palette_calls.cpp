// Palettes and the system palette of an 8-bit display.
#include <algorithm>
#include <array>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

// The system palette: twenty static colours (ten at each end) and 236 entries that
// realised palettes share.
struct SystemPalette {
  std::array<PALETTEENTRY, 256> entries{};
  std::array<bool, 256> used{};
  bool initialised = false;
};

SystemPalette& SystemStorage() {
  static SystemPalette palette;
  return palette;
}

SystemPalette& System() {
  SystemPalette& palette = SystemStorage();
  if (!palette.initialised) {
    const auto* stock = Find<PaletteObject>(GetStockObject(DEFAULT_PALETTE));
    for (size_t i = 0; i < 10; ++i) {
      palette.entries[i] = stock->entries[i];
      palette.entries[246 + i] = stock->entries[10 + i];
      palette.used[i] = palette.used[246 + i] = true;
    }
    palette.initialised = true;
  }
  return palette;
}

bool SameColor(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

// Whether the background realisation of the selected palette applies; kept per DC.
struct Selection {
  HDC hdc;
  bool background;
};
std::vector<Selection>& Selections() {
  static std::vector<Selection> selections;
  return selections;
}

}  // namespace

namespace gdi {
void ResetPalettes() {
  SystemStorage() = SystemPalette();
  Selections().clear();
}
}  // namespace gdi

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0 || palette->palNumEntries > 256) return nullptr;
  PaletteObject p;
  for (WORD i = 0; i < palette->palNumEntries; ++i) {
    const PALETTEENTRY& e = palette->palPalEntry[i];
    p.entries.push_back(e);
  }
  return reinterpret_cast<HPALETTE>(AddObject(std::move(p)));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !Find<PaletteObject>(palette)) return nullptr;
  auto& sel = Selections();
  sel.erase(std::remove_if(sel.begin(), sel.end(), [&](const Selection& s) { return s.hdc == hdc || !FindDC(s.hdc); }),
            sel.end());
  sel.push_back(Selection{hdc, forceBackground != 0});
  return std::exchange(dc->palette, palette);
}

UINT RealizePalette(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  if (DisplayBitsPerPixel() != 8) return 0;
  const PaletteObject* p = Find<PaletteObject>(dc->palette);
  if (!p || dc->palette == reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))) return 0;
  bool background = false;
  for (const Selection& s : Selections()) {
    if (s.hdc == hdc) background = s.background;
  }
  SystemPalette& sys = System();
  if (!background) {
    // A foreground palette takes the shared entries over from whatever held them.
    for (size_t i = 10; i < 246; ++i) sys.used[i] = false;
  }
  UINT changed = 0;
  for (const PALETTEENTRY& want : p->entries) {
    bool present = false;
    for (size_t i = 0; i < 256 && !present; ++i) present = sys.used[i] && SameColor(sys.entries[i], want);
    if (present) continue;
    size_t slot = 10;
    while (slot < 246 && sys.used[slot]) ++slot;
    if (slot == 246) break;  // the shared entries are full: the rest map to nearest colours
    if (!SameColor(sys.entries[slot], want)) ++changed;
    sys.entries[slot] = want;
    sys.used[slot] = true;
  }
  return changed;
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face) {
  FontObject f;
  f.height = height;
  f.width = width;
  f.escapement = escapement;
  f.orientation = orientation;
  f.weight = weight;
  f.italic = static_cast<BYTE>(italic);
  f.underline = static_cast<BYTE>(underline);
  f.strikeOut = static_cast<BYTE>(strikeOut);
  f.charSet = static_cast<BYTE>(charSet);
  f.outPrecision = static_cast<BYTE>(outPrecision);
  f.clipPrecision = static_cast<BYTE>(clipPrecision);
  f.quality = static_cast<BYTE>(quality);
  f.pitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  f.face = face ? face : "";
  return reinterpret_cast<HFONT>(AddObject(std::move(f)));
}

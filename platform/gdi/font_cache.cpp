#include "platform/gdi/font_cache.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>
#include <map>
#include <tuple>

namespace gdi {
namespace {

// Up to this em size text is rendered in two colours with full hinting, which is how the
// classic platform shows the small Japanese faces; larger text is antialiased.
constexpr int kLargestMonochromeEm = 16;
constexpr int kDefaultEm = 12;
// Keeps absurd heights from allocating huge glyph bitmaps.
constexpr int kLargestEm = 512;
constexpr int kBoldWeight = 700;

// The family every face falls back to: the program's text is Japanese.
constexpr const char* kFallbackFamily = "IPAPGothic";

// The classic Japanese faces and the IPA families drawn with the same proportions
// (P = proportional). Keys are folded with FoldFaceName, so the Japanese and the English
// spellings, full-width or not, all match.
struct Substitution {
  std::u32string_view foldedName;
  const char* family;
};
constexpr Substitution kSubstitutions[] = {
    {U"mspゴシック", "IPAPGothic"}, {U"msゴシック", "IPAGothic"},
    {U"msp明朝", "IPAPMincho"},     {U"ms明朝", "IPAMincho"},
    {U"mspgothic", "IPAPGothic"},   {U"msgothic", "IPAGothic"},
    {U"mspmincho", "IPAPMincho"},   {U"msmincho", "IPAMincho"},
};

// Full-width Latin letters become ASCII, ASCII letters lower case, spaces (ASCII and
// ideographic) disappear, so "ＭＳ Ｐゴシック", "MS Pゴシック" and "msPゴシック" are one name.
std::u32string FoldFaceName(std::string_view name) {
  std::u32string folded;
  for (char32_t c : DecodeUtf8(name)) {
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
    if (c == U' ' || c == 0x3000) continue;
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
    folded.push_back(c);
  }
  return folded;
}

// a * b / c rounded to the nearest integer, for non-negative a, b and positive c.
long RoundedScale(long a, long b, long c) { return (a * b * 2 + c) / (2 * c); }

class FontStore {
 public:
  ~FontStore() { Release(); }

  const std::optional<FaceFile>& Resolve(std::string_view faceName) { return Named(faceName).file; }

  SizedFont& FontFor(const FontObject& font) {
    NamedFace& named = Named(font.face);
    if (!named.opened) {
      named.face = named.file ? Face(*named.file) : nullptr;
      named.opened = true;
    }
    FT_Face face = named.face;
    const int em = EmPixels(face, font.height);
    const bool bold = font.weight >= kBoldWeight;
    std::unique_ptr<SizedFont>& slot = sized_[std::make_tuple(face, em, bold)];
    if (!slot) slot = std::make_unique<SizedFont>(face, em, bold);
    return *slot;
  }

  void Release() {
    // Sizes belong to their faces, faces to the library: free in that order.
    named_.clear();
    sized_.clear();
    for (auto& [key, face] : faces_) {
      if (face) FT_Done_Face(face);
    }
    faces_.clear();
    if (library_) FT_Done_FreeType(library_);
    library_ = nullptr;
    if (config_) FcConfigDestroy(config_);
    config_ = nullptr;
  }

 private:
  // What a face name stands for, looked up once: text is drawn on every paint.
  struct NamedFace {
    std::optional<FaceFile> file;
    FT_Face face = nullptr;
    bool opened = false;
  };

  NamedFace& Named(std::string_view faceName) {
    auto it = named_.find(faceName);
    if (it == named_.end()) it = named_.emplace(std::string(faceName), NamedFace{ResolveUncached(faceName)}).first;
    return it->second;
  }

  std::optional<FaceFile> ResolveUncached(std::string_view faceName) {
    const std::u32string folded = FoldFaceName(faceName);
    const char* substitute = nullptr;
    for (const Substitution& s : kSubstitutions) {
      if (s.foldedName == folded) substitute = s.family;
    }
    std::optional<FaceFile> file;
    if (substitute) {
      file = MatchFamily(substitute);
    } else if (!folded.empty()) {
      file = MatchFamily(std::string(faceName).c_str());
    }
    if (!file) file = MatchFamily(kFallbackFamily);
    if (!file) file = MatchAnyJapanese();
    return file;
  }

  FcConfig* Config() {
    // Our own configuration, not fontconfig's current one: a toolkit in the same process
    // may use that one, and we free ours at shutdown.
    if (!config_) config_ = FcInitLoadConfigAndFonts();
    return config_;
  }

  // The installed outline font of exactly this family, if there is one (fontconfig
  // always offers something, so its answer is checked).
  std::optional<FaceFile> MatchFamily(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    std::optional<FaceFile> file = Match(pattern, family);
    FcPatternDestroy(pattern);
    return file;
  }

  std::optional<FaceFile> MatchAnyJapanese() {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    std::optional<FaceFile> file = Match(pattern, nullptr);
    FcPatternDestroy(pattern);
    return file;
  }

  std::optional<FaceFile> Match(FcPattern* pattern, const char* requiredFamily) {
    FcConfig* config = Config();
    if (!config) return std::nullopt;
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (!match) return std::nullopt;

    std::optional<FaceFile> file;
    FcChar8* path = nullptr;
    FcBool scalable = FcFalse;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable) {
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
        if (!requiredFamily ||
            FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(requiredFamily)) == 0) {
          int index = 0;
          FcPatternGetInteger(match, FC_INDEX, 0, &index);
          file = FaceFile{reinterpret_cast<const char*>(family), reinterpret_cast<const char*>(path),
                          index};
          break;
        }
      }
    }
    FcPatternDestroy(match);
    return file;
  }

  // The opened face of a file, shared by every name that resolves to it; null when it
  // cannot be opened (kept, so it is tried once).
  FT_Face Face(const FaceFile& file) {
    auto [it, added] = faces_.try_emplace(std::make_pair(file.path, file.index), nullptr);
    if (!added) return it->second;
    if (!library_ && FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    if (!library_) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
      FT_Done_Face(face);
      face = nullptr;
    }
    it->second = face;
    return face;
  }

  // The em in pixels for a logical height; a positive height is the cell (ascent +
  // descent), which for the IPA faces is exactly one em.
  static int EmPixels(FT_Face face, LONG height) {
    long em = kDefaultEm;
    if (height < 0) {
      em = -static_cast<long>(height);
    } else if (height > 0) {
      em = height;
      const long cellUnits = face ? face->ascender - face->descender : 0;
      if (cellUnits > 0) em = RoundedScale(height, face->units_per_EM, cellUnits);
    }
    return static_cast<int>(std::clamp<long>(em, 1, kLargestEm));
  }

  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  std::map<std::string, NamedFace, std::less<>> named_;
  std::map<std::pair<std::string, int>, FT_Face> faces_;
  std::map<std::tuple<FT_Face, int, bool>, std::unique_ptr<SizedFont>> sized_;
};

FontStore& Store() {
  static FontStore store;
  return store;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::u32string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    // A continuation byte cannot lead; C0, C1 and F5 to FF only start overlong or
    // out-of-range forms.
    const size_t trailing = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    if (lead < 0xC2 || lead > 0xF4) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    char32_t c = lead & (0x7F >> (trailing + 1));
    size_t taken = 1;
    while (taken <= trailing && i + taken < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + taken]);
      if ((next & 0xC0) != 0x80) break;
      c = (c << 6) | (next & 0x3F);
      ++taken;
    }
    // A cut-off sequence is replaced once and decoding resumes at the byte that cut it.
    const bool complete = taken == trailing + 1;
    const bool valid = complete && c >= kSmallest[trailing] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    out.push_back(valid ? c : kReplacement);
    i += taken;
  }
  return out;
}

std::optional<FaceFile> ResolveFace(std::string_view faceName) { return Store().Resolve(faceName); }

SizedFont& FontFor(const FontObject& font) { return Store().FontFor(font); }

void ReleaseFonts() { Store().Release(); }

SizedFont::SizedFont(FT_FaceRec_* face, int emPixels, bool bold)
    : face_(face), em_(emPixels), bold_(bold), monochrome_(emPixels <= kLargestMonochromeEm) {
  if (face_ && (FT_New_Size(face_, &size_) != 0 || FT_Activate_Size(size_) != 0 ||
                FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(em_)) != 0)) {
    if (size_) FT_Done_Size(size_);
    size_ = nullptr;
    face_ = nullptr;
  }
  if (!face_) {
    ascent_ = em_;
    descent_ = 0;
    return;
  }
  // The line's extent comes from the font's own ascender and descender, rounded to whole
  // pixels (FreeType's hinted size metrics round outwards and would make the cell of the
  // IPA faces a pixel taller than the em at most sizes).
  ascent_ = static_cast<int>(RoundedScale(std::max<long>(face_->ascender, 0), em_, face_->units_per_EM));
  descent_ = static_cast<int>(RoundedScale(std::max<long>(-face_->descender, 0), em_, face_->units_per_EM));
}

SizedFont::~SizedFont() {
  if (size_) FT_Done_Size(size_);
}

const Glyph& SizedFont::GlyphFor(char32_t c) {
  auto it = glyphs_.find(c);
  if (it == glyphs_.end()) it = glyphs_.emplace(c, Render(c)).first;
  return it->second;
}

Glyph SizedFont::Render(char32_t c) {
  Glyph glyph;
  // Control characters (line breaks that reach a single line, tabs) take no room.
  const bool control = c < 0x20 || c == 0x7F;
  if (!face_ || control || FT_Activate_Size(size_) != 0) return glyph;

  const FT_Int32 flags = FT_LOAD_NO_BITMAP | (monochrome_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Glyph(face_, FT_Get_Char_Index(face_, c), flags) != 0) return glyph;
  FT_GlyphSlot slot = face_->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;
  if (bold_) {
    // Synthetic bold, as the IPA faces have no bold style: every stroke grows to the right
    // by whole pixels (about 1/24 em, at least one), so hinted edges stay on the pixel grid,
    // and the advance grows by as much.
    const FT_Pos strength = 64 * std::max(1, (em_ + 12) / 24);
    FT_Outline_EmboldenXY(&slot->outline, strength, 0);
    slot->advance.x += strength;
  }
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, monochrome_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return glyph;

  const FT_Bitmap& bitmap = slot->bitmap;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if ((!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) || bitmap.pitch < 0) return glyph;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.height = static_cast<int>(bitmap.rows);
  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
  for (int y = 0; y < glyph.height; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<size_t>(y) * bitmap.pitch;
    std::uint8_t* out = glyph.coverage.data() + static_cast<size_t>(y) * glyph.width;
    for (int x = 0; x < glyph.width; ++x) {
      out[x] = mono ? ((row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0) : row[x];
    }
  }
  return glyph;
}

}  // namespace gdi

// Fonts behind the GDI's text calls: which installed font file stands for a logical font's
// face name, and that font's glyphs rendered at a pixel size and kept for reuse.
//
// Everything here lives until ReleaseFonts (platform shutdown) and is used from the one
// user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gdi/objects.h"

struct FT_FaceRec_;
struct FT_SizeRec_;

namespace gdi {

// Text in code is UTF-8. Malformed sequences (stray or missing continuation bytes, overlong
// forms, surrogates, values beyond U+10FFFF) become U+FFFD; nothing past the view is read.
std::u32string DecodeUtf8(std::string_view text);

// An installed font file chosen for a face name.
struct FaceFile {
  std::string family;  // the fontconfig family that matched
  std::string path;
  int index = 0;  // face within the file
};

// Resolves a face name as CreateFont received it (UTF-8). The classic Japanese faces go
// through our own substitution table, since fontconfig would hand them to a Latin-only
// font; other names go to fontconfig and fall back to IPAPGothic, then to whatever
// fontconfig offers for Japanese. Nothing when no usable font is installed. The answer is
// kept per name.
std::optional<FaceFile> ResolveFace(std::string_view faceName);

// One rendered character. The pen sits on the baseline; the bitmap's top-left corner is
// (pen x + left, baseline - top).
struct Glyph {
  int advance = 0;  // whole pixels
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  // Ink per pixel, rows top-down, 0 (none) to 255 (full). Monochrome glyphs hold 0 and
  // 255 only.
  std::vector<std::uint8_t> coverage;
};

// A face at one pixel size and weight, with its glyphs rendered on first use.
class SizedFont {
 public:
  // Size (em) in whole pixels; `face` may be null (no font installed), and then nothing
  // has ink or width but the cell is still one em tall, so layouts stay stable.
  SizedFont(FT_FaceRec_* face, int emPixels, bool bold);
  ~SizedFont();
  SizedFont(const SizedFont&) = delete;
  SizedFont& operator=(const SizedFont&) = delete;

  int EmPixels() const { return em_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  // The height of a line of text: ascent + descent.
  int CellHeight() const { return ascent_ + descent_; }
  bool Monochrome() const { return monochrome_; }
  bool HasFace() const { return face_ != nullptr; }

  const Glyph& GlyphFor(char32_t c);
  int Advance(char32_t c) { return GlyphFor(c).advance; }

 private:
  Glyph Render(char32_t c);

  FT_FaceRec_* face_;  // owned by the font cache
  FT_SizeRec_* size_ = nullptr;
  int em_;
  bool bold_;
  bool monochrome_;
  int ascent_ = 0;
  int descent_ = 0;
  std::unordered_map<char32_t, Glyph> glyphs_;
};

// The sized font for a logical font (face name, height, weight). Heights follow the
// classic meaning: negative = character height (the em), positive = cell height, 0 = a
// default of 12 pixels em. The reference stays valid until ReleaseFonts.
SizedFont& FontFor(const FontObject& font);

// Frees every face, rendered glyph and the font configuration. The next text call loads
// them again, reading the font configuration afresh.
void ReleaseFonts();

}  // namespace gdi

// Text: TextOut, GetTextExtentPoint32 and DrawText, drawn with the glyphs of the font cache.
//
// A line of text occupies a cell: as wide as the sum of its glyphs' advances, as tall as
// the font's ascent + descent, with the baseline `ascent` pixels below its top. Glyph ink
// may reach outside the cell; only the clip limits it.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

// The text argument decoded; nothing for a negative length other than -1 or a missing
// pointer with text to read.
std::optional<std::u32string> DecodeTextArgument(const char* text, int length) {
  if (length == -1) return text ? std::optional(DecodeUtf8(text)) : std::nullopt;
  if (length < 0 || (!text && length > 0)) return std::nullopt;
  if (length == 0) return std::u32string();
  return DecodeUtf8(std::string_view(text, static_cast<size_t>(length)));
}

SizedFont& SelectedFont(const DeviceContext& dc) {
  if (const FontObject* font = Find<FontObject>(dc.font)) return FontFor(*font);
  return FontFor(*Find<FontObject>(GetStockObject(SYSTEM_FONT)));
}

int RunWidth(SizedFont& font, std::u32string_view chars) {
  int width = 0;
  for (char32_t c : chars) width += font.Advance(c);
  return width;
}


std::uint32_t Blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((under >> shift) & 0xFF);
    const int b = static_cast<int>((over >> shift) & 0xFF);
    const int mixed = a + ((b - a) * static_cast<int>(alpha) + (b > a ? 127 : -127)) / 255;
    out |= static_cast<std::uint32_t>(mixed) << shift;
  }
  return out;
}

// Draws text cells into a DC's surface, inside a clip rectangle (surface coordinates) and
// the DC's visible region, and reports every part it touched as dirty.
class TextPainter {
 public:
  TextPainter(DeviceContext& dc, const RECT& clip)
      : dc_(dc), clip_(Intersect(clip, RECT{0, 0, dc.surface->width, dc.surface->height})) {}

  // One line of text with its cell's top-left corner at (x, y), surface coordinates.
  void DrawRun(SizedFont& font, std::u32string_view chars, int x, int y) {
    if (dc_.bkMode == OPAQUE) {
      Fill(RECT{x, y, x + RunWidth(font, chars), y + font.CellHeight()}, PixelFromColor(dc_.bkColor));
    }
    const std::uint32_t ink = PixelFromColor(dc_.textColor);
    const int baseline = y + font.Ascent();
    int pen = x;
    for (char32_t c : chars) {
      const Glyph& glyph = font.GlyphFor(c);
      DrawGlyph(glyph, pen, baseline, ink);
      pen += glyph.advance;
    }
  }

 private:
  template <typename PaintPart>
  void ForEachDrawablePart(const RECT& area, PaintPart paint) {
    const RECT r = Intersect(area, clip_);
    if (IsEmpty(r)) return;
    gdi::ForEachDrawablePart(dc_, r, paint);
  }

  void Fill(const RECT& area, std::uint32_t pixel) {
    Surface& surface = *dc_.surface;
    ForEachDrawablePart(area, [&](const RECT& part) {
      for (int y = part.top; y < part.bottom; ++y) {
        std::fill_n(&surface.At(part.left, y), part.right - part.left, pixel);
      }
    });
  }

  void DrawGlyph(const Glyph& glyph, int pen, int baseline, std::uint32_t ink) {
    if (glyph.coverage.empty()) return;
    const RECT box{pen + glyph.left, baseline - glyph.top, pen + glyph.left + glyph.width,
                   baseline - glyph.top + glyph.height};
    Surface& surface = *dc_.surface;
    ForEachDrawablePart(box, [&](const RECT& part) {
      for (int y = part.top; y < part.bottom; ++y) {
        const std::uint8_t* coverage = glyph.coverage.data() + static_cast<size_t>(y - box.top) * glyph.width;
        std::uint32_t* row = surface.Row(y);
        for (int x = part.left; x < part.right; ++x) {
          const std::uint8_t alpha = coverage[x - box.left];
          if (alpha == 255) {
            row[x] = ink;
          } else if (alpha != 0) {
            row[x] = Blend(row[x], ink, alpha);
          }
        }
      }
    });
  }

  DeviceContext& dc_;
  RECT clip_;
};

// ---- DrawText's line layout ----

// One line of DrawText's output: characters [begin, end) of the decoded text.
struct TextLine {
  size_t begin = 0;
  size_t end = 0;
  int width = 0;
};

bool IsBreakingSpace(char32_t c) { return c == U' ' || c == U'\t'; }

// Japanese text (kana, ideographs, CJK punctuation, full- and half-width forms) may break
// between any two characters.
bool IsWideCharacter(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) ||
         (c >= 0x20000 && c <= 0x3FFFF);
}

// Closing punctuation, small kana and iteration marks never start a line; opening brackets
// never end one.
constexpr std::u32string_view kNoLineStart =
    U"、。，．・：；？！゛゜ヽヾゝゞ々ー）］｝」』〕〉》】’”"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ｡｣､･ｰｧｨｩｪｫｬｭｮｯ)]},.!?:;%";
constexpr std::u32string_view kNoLineEnd = U"（［｛「『〔〈《【‘“｢([{";

// Whether a wrapped line may end between `before` and `after`. At spaces the break comes
// after the run of spaces, which the break then swallows.
bool MayBreakBetween(char32_t before, char32_t after) {
  if (IsBreakingSpace(before)) return !IsBreakingSpace(after);
  if (IsBreakingSpace(after)) return false;
  if (!IsWideCharacter(before) && !IsWideCharacter(after)) return false;  // inside a word
  return kNoLineStart.find(after) == std::u32string_view::npos &&
         kNoLineEnd.find(before) == std::u32string_view::npos;
}

TextLine MakeLine(SizedFont& font, std::u32string_view text, size_t begin, size_t end) {
  return TextLine{begin, end, RunWidth(font, text.substr(begin, end - begin))};
}

// Greedy line filling of one paragraph [begin, end): as many characters as fit in
// `maxWidth`, ending at the last allowed break; where a line has no allowed break (a long
// word), it breaks before the character that does not fit. Every line takes at least one
// character, so a narrow rectangle still makes progress.
void WrapParagraph(SizedFont& font, std::u32string_view text, size_t begin, size_t end, int maxWidth,
                   std::vector<TextLine>& lines) {
  if (begin == end) {
    lines.push_back(TextLine{begin, end, 0});
    return;
  }
  size_t start = begin;
  while (start < end) {
    int width = 0;
    size_t lastBreak = start;  // start = none yet
    size_t i = start;
    for (; i < end; ++i) {
      const char32_t c = text[i];
      if (i > start && MayBreakBetween(text[i - 1], c)) lastBreak = i;
      const int advance = font.Advance(c);
      // Spaces may hang past the edge: they vanish at the break.
      if (i > start && !IsBreakingSpace(c) && width + advance > maxWidth) break;
      width += advance;
    }
    if (i == end) {
      lines.push_back(MakeLine(font, text, start, end));
      return;
    }
    const size_t next = lastBreak > start ? lastBreak : i;
    size_t lineEnd = next;
    while (lineEnd > start && IsBreakingSpace(text[lineEnd - 1])) --lineEnd;
    lines.push_back(MakeLine(font, text, start, lineEnd));
    start = next;
  }
}

// The lines of DrawText: one for DT_SINGLELINE; otherwise one per paragraph (split at
// "\r\n", "\n" or "\r"), each wrapped to `maxWidth` with DT_WORDBREAK. A break at the very
// end of the text does not open another line.
std::vector<TextLine> LayOutLines(SizedFont& font, std::u32string_view text, UINT format, int maxWidth) {
  std::vector<TextLine> lines;
  if (text.empty()) return lines;
  if (format & DT_SINGLELINE) {
    lines.push_back(MakeLine(font, text, 0, text.size()));
    return lines;
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != U'\n' && text[end] != U'\r') ++end;
    if (format & DT_WORDBREAK) {
      WrapParagraph(font, text, start, end, maxWidth, lines);
    } else {
      lines.push_back(MakeLine(font, text, start, end));
    }
    const bool crlf = end + 1 < text.size() && text[end] == U'\r' && text[end + 1] == U'\n';
    start = end + (crlf ? 2 : 1);
  }
  return lines;
}

}  // namespace

BOOL TextOut(HDC hdc, int x, int y, const char* text, int length) {
  DeviceContext* dc = FindDC(hdc);
  const std::optional<std::u32string> chars = DecodeTextArgument(text, length);
  if (!dc || !dc->surface || !chars) return FALSE;
  TextPainter painter(*dc, RECT{0, 0, dc->surface->width, dc->surface->height});
  painter.DrawRun(SelectedFont(*dc), *chars, x + dc->origin.x, y + dc->origin.y);
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, const char* text, int length, SIZE* size) {
  DeviceContext* dc = FindDC(hdc);
  const std::optional<std::u32string> chars = DecodeTextArgument(text, length);
  if (!dc || !chars || !size) return FALSE;
  SizedFont& font = SelectedFont(*dc);
  size->cx = RunWidth(font, *chars);
  size->cy = font.CellHeight();
  return TRUE;
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !metrics) return FALSE;
  SizedFont& font = SelectedFont(*dc);
  metrics->tmHeight = font.CellHeight();
  metrics->tmAscent = font.Ascent();
  metrics->tmDescent = font.Descent();
  metrics->tmAveCharWidth = font.Advance(U'x');
  return TRUE;
}

// Returns how far below the rectangle's top the text ends: the text's height (lines x cell
// height), plus, for a single line moved down by DT_VCENTER or DT_BOTTOM, the offset it was
// moved by, as the classic call reports. DT_VCENTER and DT_BOTTOM act on single lines only.
// Empty text draws nothing and returns 0.
int DrawText(HDC hdc, const char* text, int length, RECT* rect, UINT format) {
  DeviceContext* dc = FindDC(hdc);
  const std::optional<std::u32string> chars = DecodeTextArgument(text, length);
  if (!dc || !dc->surface || !chars || !rect) return 0;
  SizedFont& font = SelectedFont(*dc);
  const int boxWidth = rect->right - rect->left;
  const std::vector<TextLine> lines = LayOutLines(font, *chars, format, boxWidth);
  const int cell = font.CellHeight();
  const int textHeight = static_cast<int>(lines.size()) * cell;

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, line.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }

  if (lines.empty()) return 0;
  int top = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = rect->top + (rect->bottom - rect->top - textHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = rect->bottom - textHeight;
    }
  }
  const RECT clip = (format & DT_NOCLIP)
                        ? RECT{0, 0, dc->surface->width, dc->surface->height}
                        : RECT{rect->left + dc->origin.x, rect->top + dc->origin.y,
                               rect->right + dc->origin.x, rect->bottom + dc->origin.y};
  TextPainter painter(*dc, clip);
  for (size_t n = 0; n < lines.size(); ++n) {
    const TextLine& line = lines[n];
    int x = rect->left;
    if (format & DT_CENTER) {
      x = rect->left + (boxWidth - line.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rect->right - line.width;
    }
    const int y = top + static_cast<int>(n) * cell;
    painter.DrawRun(font, std::u32string_view(*chars).substr(line.begin, line.end - line.begin),
                    x + dc->origin.x, y + dc->origin.y);
  }
  return top - rect->top + textHeight;
}

namespace gdi {

InstalledFont InstalledFontOf(HFONT font) {
  InstalledFont out;
  const FontObject* f = Find<FontObject>(font);
  if (!f) return out;
  if (auto face = ResolveFace(f->face)) out.family = face->family;
  out.pixels = FontFor(*f).EmPixels();
  return out;
}

}  // namespace gdi

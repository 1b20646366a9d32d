// Text: face resolution, glyph rendering, TextOut, GetTextExtentPoint32 and DrawText.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"

// Readable rectangles in failure messages.
static void PrintTo(const RECT& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

constexpr COLORREF kPaper = RGB(20, 30, 60);
constexpr COLORREF kInk = RGB(255, 230, 160);
constexpr COLORREF kBackground = RGB(90, 60, 30);

// The part of a surface that differs from the paper colour.
struct InkBox {
  bool any = false;
  RECT box{};
};

class GdiTextTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::Initialize(std::make_unique<platform::HeadlessBackend>()); }
  void TearDown() override { platform::Shutdown(); }

  // A memory DC on a new w x h bitmap filled with the paper colour, ink colour selected,
  // transparent background, nothing dirty yet.
  HDC Canvas(int w, int h) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, AsGdiObject(CreateBitmap(w, h, 1, 32, nullptr)));
    HBRUSH brush = CreateSolidBrush(kPaper);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SetTextColor(dc, kInk);
    SetBkColor(dc, kBackground);
    SetBkMode(dc, TRANSPARENT);
    gdi::FindDC(dc)->dirty.reset();
    return dc;
  }

  // Selects a new font into the DC (platform shutdown frees it).
  void UseFont(HDC dc, int height, const char* face, int weight = FW_NORMAL) {
    HFONT font = CreateFont(height, 0, 0, 0, weight, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                            CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    SelectObject(dc, AsGdiObject(font));
  }

  static const gdi::Surface& Pixels(HDC dc) { return *gdi::FindDC(dc)->surface; }

  static std::set<std::uint32_t> Colours(HDC dc) {
    const gdi::Surface& s = Pixels(dc);
    return std::set<std::uint32_t>(s.pixels.begin(), s.pixels.end());
  }

  // Bounding box of every pixel that is not `paper`.
  static InkBox Ink(HDC dc, COLORREF paper = kPaper) {
    const gdi::Surface& s = Pixels(dc);
    InkBox ink;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        if (s.At(x, y) == gdi::PixelFromColor(paper)) continue;
        if (!ink.any) {
          ink.box = RECT{x, y, x + 1, y + 1};
          ink.any = true;
        }
        ink.box.left = std::min<LONG>(ink.box.left, x);
        ink.box.top = std::min<LONG>(ink.box.top, y);
        ink.box.right = std::max<LONG>(ink.box.right, x + 1);
        ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
      }
    }
    return ink;
  }

  static bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
  }

  static SIZE Extent(HDC dc, const std::string& text) {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size));
    return size;
  }

  // Lines DrawText makes of `text` in a box `width` wide (from the height it measures).
  static int CountLines(HDC dc, const char* text, int width, UINT format, RECT* measured = nullptr) {
    RECT r{0, 0, width, 0};
    const int height = DrawText(dc, text, -1, &r, format | DT_CALCRECT);
    if (measured) *measured = r;
    const int cell = Extent(dc, "").cy;
    EXPECT_EQ(height % cell, 0);
    EXPECT_EQ(r.bottom - r.top, height);
    return height / cell;
  }
};

TEST(FaceResolutionTest, ClassicJapaneseFacesMapToTheIpaFamilies) {
  struct Case {
    const char* face;
    const char* family;
    const char* file;
  };
  const Case cases[] = {
      {"ＭＳ Ｐゴシック", "IPAPGothic", "ipagp.ttf"}, {"ＭＳ ゴシック", "IPAGothic", "ipag.ttf"},
      {"ＭＳ Ｐ明朝", "IPAPMincho", "ipamp.ttf"},     {"ＭＳ 明朝", "IPAMincho", "ipam.ttf"},
      {"MS PGothic", "IPAPGothic", "ipagp.ttf"},      {"ms gothic", "IPAGothic", "ipag.ttf"},
      // Names fontconfig knows go through fontconfig, in either of their spellings.
      {"IPAMincho", "IPAMincho", "ipam.ttf"},         {"IPA明朝", "IPA明朝", "ipam.ttf"},
      // Unknown faces and the stock font's name fall back to the proportional Gothic.
      {"No Such Face", "IPAPGothic", "ipagp.ttf"},    {"System", "IPAPGothic", "ipagp.ttf"},
      {"", "IPAPGothic", "ipagp.ttf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    const std::optional<gdi::FaceFile> file = gdi::ResolveFace(c.face);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->family, c.family);
    // Debian also installs the IPA files under alias links.
    EXPECT_EQ(std::filesystem::canonical(file->path).filename(), c.file) << file->path;
  }
  gdi::ReleaseFonts();
}

TEST(Utf8TextTest, DecodingReplacesMalformedBytesAndStopsAtTheEnd) {
  using gdi::DecodeUtf8;
  EXPECT_EQ(DecodeUtf8("A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8C\x9F"), (std::u32string{U'A', 0xE9, 0x65E5, 0x1F31F}));
  // A sequence cut by the end of the text or by another character is replaced once.
  EXPECT_EQ(DecodeUtf8(std::string_view("\xE6\x97\xA5", 2)), std::u32string{0xFFFD});
  EXPECT_EQ(DecodeUtf8("\xE6\x97" "A"), (std::u32string{0xFFFD, U'A'}));
  // Stray continuation bytes, impossible lead bytes, overlong forms, surrogates and values
  // beyond U+10FFFF.
  EXPECT_EQ(DecodeUtf8("\x80\xFF"), (std::u32string{0xFFFD, 0xFFFD}));
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));
  EXPECT_EQ(DecodeUtf8("\xE0\x80\xAF"), std::u32string{0xFFFD});
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), std::u32string{0xFFFD});
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), std::u32string{0xFFFD});
  EXPECT_EQ(DecodeUtf8(""), std::u32string());
}

TEST_F(GdiTextTest, SmallSizesRenderInTwoColoursAndLargeOnesAntialiased) {
  struct Case {
    int height;
    const char* face;
    int weight;
    bool twoColours;
  };
  const Case cases[] = {
      {-10, "ＭＳ Ｐゴシック", FW_NORMAL, true}, {-12, "ＭＳ Ｐ明朝", FW_NORMAL, true},
      {-14, "ＭＳ ゴシック", FW_BOLD, true},    {-16, "ＭＳ Ｐゴシック", FW_NORMAL, true},
      {-24, "ＭＳ Ｐゴシック", FW_NORMAL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    HDC dc = Canvas(160, 40);
    UseFont(dc, c.height, c.face, c.weight);
    ASSERT_TRUE(TextOut(dc, 2, 2, "0123456789 北斗七星", -1));
    const std::set<std::uint32_t> colours = Colours(dc);
    if (c.twoColours) {
      EXPECT_EQ(colours, (std::set<std::uint32_t>{gdi::PixelFromColor(kPaper), gdi::PixelFromColor(kInk)}));
    } else {
      EXPECT_GT(colours.size(), 2u);
      EXPECT_TRUE(colours.count(gdi::PixelFromColor(kInk)));
    }
  }
}

TEST_F(GdiTextTest, ExtentsAddUpAdvancesAndTheCellIsOneEmForTheIpaFaces) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -10, "ＭＳ Ｐゴシック");
  const SIZE one = Extent(dc, "1");
  const SIZE clock = Extent(dc, "12:34");
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(clock.cx, Extent(dc, "12").cx + Extent(dc, ":").cx + Extent(dc, "34").cx);
  EXPECT_GT(clock.cx, Extent(dc, "12:3").cx);
  EXPECT_EQ(clock.cy, 10);
  EXPECT_EQ(Extent(dc, "").cx, 0);
  EXPECT_EQ(Extent(dc, "").cy, 10);
  // -1 reads up to the terminating zero; the length counts bytes, not characters.
  SIZE whole{};
  ASSERT_TRUE(GetTextExtentPoint32(dc, "北斗", -1, &whole));
  SIZE firstCharacter{};
  ASSERT_TRUE(GetTextExtentPoint32(dc, "北斗", 3, &firstCharacter));
  EXPECT_EQ(whole.cx, 2 * firstCharacter.cx);

  // Positive heights are cell heights, 0 is the default size; for the IPA faces the cell
  // is exactly the em.
  const struct {
    int height;
    int cell;
  } sizes[] = {{-12, 12}, {-14, 14}, {12, 12}, {16, 16}, {20, 20}, {0, 12}};
  for (const auto& s : sizes) {
    UseFont(dc, s.height, "ＭＳ ゴシック");
    EXPECT_EQ(Extent(dc, "Ag日").cy, s.cell) << s.height;
  }
  DeleteDC(dc);
}

TEST_F(GdiTextTest, BoldAddsOnePixelPerCharacterAtSmallSizes) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -14, "ＭＳ ゴシック");
  const SIZE regular = Extent(dc, "Vega ベガ");
  UseFont(dc, -14, "ＭＳ ゴシック", FW_BOLD);
  const SIZE bold = Extent(dc, "Vega ベガ");
  EXPECT_EQ(bold.cx, regular.cx + 7);
  EXPECT_EQ(bold.cy, regular.cy);
  // Weights below 700 are regular.
  UseFont(dc, -14, "ＭＳ ゴシック", 600);
  EXPECT_EQ(Extent(dc, "Vega ベガ").cx, regular.cx);
  DeleteDC(dc);
}

TEST_F(GdiTextTest, ProportionalFacesNarrowThinLettersFixedFacesKeepHalfAndFullWidths) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -12, "ＭＳ ゴシック");
  EXPECT_EQ(Extent(dc, "ill1").cx, 4 * 6);
  EXPECT_EQ(Extent(dc, "MWmw").cx, 4 * 6);
  EXPECT_EQ(Extent(dc, "日本語").cx, 3 * 12);
  const int fixedThin = Extent(dc, "ill1").cx;
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  EXPECT_LT(Extent(dc, "ill1").cx, fixedThin);
  EXPECT_GT(Extent(dc, "MWmw").cx, Extent(dc, "ill1").cx);
  UseFont(dc, -12, "ＭＳ Ｐ明朝");
  EXPECT_LT(Extent(dc, "ill1").cx, fixedThin);
  DeleteDC(dc);
}

TEST_F(GdiTextTest, TextOutPutsTheCellTopLeftAtThePositionAndDrawsNothingOutside) {
  HDC dc = Canvas(120, 40);
  UseFont(dc, -10, "ＭＳ Ｐゴシック");
  const SIZE size = Extent(dc, "12:34 日本");
  ASSERT_TRUE(TextOut(dc, 10, 7, "12:34 日本", -1));
  const InkBox ink = Ink(dc);
  ASSERT_TRUE(ink.any);
  const RECT cell{10, 7, 10 + size.cx, 7 + size.cy};
  EXPECT_TRUE(Inside(ink.box, cell));
  // Digits stand on the baseline, ascent (9 of the 10 pixels) below the top.
  HDC digits = Canvas(40, 20);
  UseFont(digits, -10, "ＭＳ Ｐゴシック");
  TextOut(digits, 3, 4, "1234567890", -1);
  EXPECT_EQ(Ink(digits).box.bottom, 4 + 9);

  // Another position moves the same pixels by the same offset.
  HDC moved = Canvas(120, 40);
  UseFont(moved, -10, "ＭＳ Ｐゴシック");
  TextOut(moved, 13, 9, "12:34 日本", -1);
  const gdi::Surface& a = Pixels(dc);
  const gdi::Surface& b = Pixels(moved);
  for (int y = 0; y + 2 < 40; ++y) {
    for (int x = 0; x + 3 < 120; ++x) ASSERT_EQ(a.At(x, y), b.At(x + 3, y + 2)) << x << "," << y;
  }
  // What was drawn is reported for presentation.
  const std::optional<RECT> dirty = gdi::FindDC(moved)->dirty;
  ASSERT_TRUE(dirty.has_value());
  EXPECT_TRUE(Inside(Ink(moved).box, *dirty));
  DeleteDC(dc);
  DeleteDC(digits);
  DeleteDC(moved);
}

TEST_F(GdiTextTest, OpaqueFillsTheCellTransparentLeavesTheBackground) {
  HDC dc = Canvas(100, 30);
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  SetBkMode(dc, OPAQUE);
  const SIZE size = Extent(dc, "星 Star");
  TextOut(dc, 5, 6, "星 Star", -1);
  const gdi::Surface& s = Pixels(dc);
  const std::uint32_t paper = gdi::PixelFromColor(kPaper);
  const std::uint32_t ink = gdi::PixelFromColor(kInk);
  const std::uint32_t background = gdi::PixelFromColor(kBackground);
  int backgroundPixels = 0;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const bool inCell = x >= 5 && x < 5 + size.cx && y >= 6 && y < 6 + size.cy;
      if (!inCell) {
        ASSERT_EQ(s.At(x, y), paper) << x << "," << y;
      } else {
        ASSERT_TRUE(s.At(x, y) == ink || s.At(x, y) == background) << x << "," << y;
        backgroundPixels += s.At(x, y) == background;
      }
    }
  }
  EXPECT_GT(backgroundPixels, size.cx * size.cy / 2);

  HDC transparent = Canvas(100, 30);
  UseFont(transparent, -12, "ＭＳ Ｐゴシック");
  TextOut(transparent, 5, 6, "星 Star", -1);
  EXPECT_EQ(Colours(transparent), (std::set<std::uint32_t>{paper, ink}));
  // The same glyph pixels either way.
  const gdi::Surface& t = Pixels(transparent);
  for (size_t i = 0; i < s.pixels.size(); ++i) ASSERT_EQ(s.pixels[i] == ink, t.pixels[i] == ink);
  DeleteDC(dc);
  DeleteDC(transparent);
}

TEST_F(GdiTextTest, SingleLinesArePlacedInTheRectangleWithIntegerHalving) {
  HDC dc = Canvas(100, 40);
  UseFont(dc, -10, "ＭＳ Ｐゴシック");
  SetBkMode(dc, OPAQUE);
  const SIZE size = Extent(dc, "23:59");
  const UINT centred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

  // The clock's rectangle is lower than the cell: (9 - 10) / 2 is 0, so the cell starts at
  // the top and its last row is clipped away.
  RECT clock{20, 10, 70, 19};
  EXPECT_EQ(DrawText(dc, "23:59", -1, &clock, centred), 10);
  const int left = 20 + (50 - size.cx) / 2;
  EXPECT_TRUE(Inside(Ink(dc).box, RECT{left, 10, left + size.cx, 19}));
  EXPECT_EQ(Ink(dc).box.left, left);
  EXPECT_EQ(Ink(dc).box.top, 10);
  EXPECT_EQ(Ink(dc).box.bottom, 19);

  // The ink of the centred text is centred too, within a pixel.
  SetBkMode(dc, TRANSPARENT);
  for (const RECT& box : {RECT{3, 3, 73, 26}, RECT{10, 5, 35, 14}, RECT{4, 4, 31, 37}}) {
    HDC probe = Canvas(100, 40);
    UseFont(probe, -10, "ＭＳ Ｐゴシック");
    RECT r = box;
    const int returned = DrawText(probe, "23:59", -1, &r, centred);
    const int offset = (box.bottom - box.top - size.cy) / 2;
    EXPECT_EQ(returned, offset + size.cy);
    const RECT ink = Ink(probe).box;
    EXPECT_NEAR((ink.left + ink.right) / 2.0, (box.left + box.right) / 2.0, 1.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (box.top + box.bottom) / 2.0, 1.0);
    DeleteDC(probe);
  }

  // Right and bottom alignment put the cell against those edges; top-left is the default.
  for (const UINT format : {DT_RIGHT | DT_BOTTOM, DT_LEFT | DT_TOP}) {
    HDC probe = Canvas(100, 40);
    UseFont(probe, -10, "ＭＳ Ｐゴシック");
    SetBkMode(probe, OPAQUE);
    RECT r{10, 5, 90, 35};
    const int returned = DrawText(probe, "23:59", -1, &r, DT_SINGLELINE | format);
    const RECT cell = format == DT_LEFT ? RECT{10, 5, 10 + size.cx, 5 + size.cy}
                                        : RECT{90 - size.cx, 35 - size.cy, 90, 35};
    EXPECT_EQ(Ink(probe).box, cell);
    EXPECT_EQ(returned, cell.bottom - 5);
    DeleteDC(probe);
  }
  DeleteDC(dc);
}

TEST_F(GdiTextTest, WordBreakFillsLinesAtSpacesAndSplitsWordsThatDoNotFit) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -14, "ＭＳ ゴシック");
  const int cell = Extent(dc, "").cy;

  // "aaa bbb" where "aaa bb" would fit: the break comes at the space, not inside "bbb".
  RECT measured{};
  const int aaaBb = Extent(dc, "aaa bb").cx;
  EXPECT_EQ(CountLines(dc, "aaa bbb", aaaBb, DT_WORDBREAK, &measured), 2);
  EXPECT_EQ(measured.right, Extent(dc, "aaa").cx);
  // Everything fits: one line.
  EXPECT_EQ(CountLines(dc, "aaa bbb", Extent(dc, "aaa bbb").cx, DT_WORDBREAK), 1);

  // A word wider than the rectangle breaks between characters.
  const int four = Extent(dc, "abcd").cx;
  EXPECT_EQ(CountLines(dc, "abcdefghij", four + 1, DT_WORDBREAK, &measured), 3);
  EXPECT_EQ(measured.right, four);

  // A long sentence in a narrow box: several lines, none wider than the box.
  const char* sentence = "Vega is the brightest star in the northern constellation of Lyra.";
  const int lines = CountLines(dc, sentence, 100, DT_WORDBREAK, &measured);
  EXPECT_GE(lines, 5);
  EXPECT_LE(measured.right, 100);

  // Japanese has no spaces and breaks between characters; closing punctuation does not
  // start a line, so the character before it moves down with it.
  const char* japanese = "こと座の一等星。夏の大三角のひとつで、七夕の織姫星として知られています。";
  EXPECT_EQ(CountLines(dc, japanese, 7 * 14, DT_WORDBREAK, &measured), 6);
  EXPECT_LE(measured.right, 7 * 14);
  EXPECT_EQ(CountLines(dc, "あいうえお。", 5 * 14, DT_WORDBREAK, &measured), 2);
  EXPECT_EQ(measured.right, 4 * 14);

  // The lines are drawn one cell apart, each inside the rectangle.
  HDC canvas = Canvas(120, 120);
  UseFont(canvas, -14, "ＭＳ ゴシック");
  RECT box{5, 5, 5 + 7 * 14, 115};
  EXPECT_EQ(DrawText(canvas, japanese, -1, &box, DT_WORDBREAK), 6 * cell);
  const InkBox ink = Ink(canvas);
  EXPECT_TRUE(Inside(ink.box, RECT{5, 5, 5 + 7 * 14, 5 + 6 * cell}));
  EXPECT_GT(ink.box.bottom, 5 + 5 * cell);  // the sixth line has ink
  DeleteDC(canvas);
  DeleteDC(dc);
}

TEST_F(GdiTextTest, LineBreaksStartNewLinesWithOrWithoutWordBreak) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  for (const UINT format : {0u, static_cast<UINT>(DT_WORDBREAK)}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(CountLines(dc, "一\n二\r\n三\r四", 200, format), 4);
    EXPECT_EQ(CountLines(dc, "一\n\n三", 200, format), 3);
    EXPECT_EQ(CountLines(dc, "一\n", 200, format), 1);
  }
  // A single line ignores them; the breaks take no room.
  RECT measured{};
  EXPECT_EQ(CountLines(dc, "一\r\n二", 200, DT_SINGLELINE, &measured), 1);
  EXPECT_EQ(measured.right, Extent(dc, "一二").cx);
  // Without DT_WORDBREAK long lines stay whole.
  EXPECT_EQ(CountLines(dc, "one two three four", 10, 0, &measured), 1);
  EXPECT_EQ(measured.right, Extent(dc, "one two three four").cx);
  DeleteDC(dc);
}

TEST_F(GdiTextTest, DrawingHonoursTheRectangleTheClipRegionAndTheSurface) {
  // DrawText clips to its rectangle unless told not to.
  const char* wide = "北斗七星 Big Dipper";
  for (const bool noClip : {false, true}) {
    HDC dc = Canvas(160, 30);
    UseFont(dc, -14, "ＭＳ ゴシック");
    SetBkMode(dc, OPAQUE);
    RECT r{10, 5, 60, 25};
    DrawText(dc, wide, -1, &r, DT_SINGLELINE | DT_VCENTER | (noClip ? DT_NOCLIP : 0));
    const InkBox ink = Ink(dc);
    ASSERT_TRUE(ink.any);
    if (noClip) {
      EXPECT_EQ(ink.box.right, 10 + Extent(dc, wide).cx);
    } else {
      EXPECT_EQ(ink.box, (RECT{10, 5 + (20 - 14) / 2, 60, 5 + (20 - 14) / 2 + 14}));
    }
    DeleteDC(dc);
  }

  // A clip region limits text and its background; the dirty area stays inside it.
  HDC dc = Canvas(120, 30);
  UseFont(dc, -14, "ＭＳ ゴシック");
  SetBkMode(dc, OPAQUE);
  HRGN clip = CreateRectRgn(0, 0, 40, 30);
  SelectObject(dc, AsGdiObject(clip));
  DeleteObject(clip);
  TextOut(dc, 5, 5, wide, -1);
  EXPECT_EQ(Ink(dc).box, (RECT{5, 5, 40, 19}));
  ASSERT_TRUE(gdi::FindDC(dc)->dirty.has_value());
  EXPECT_TRUE(Inside(*gdi::FindDC(dc)->dirty, RECT{0, 0, 40, 30}));
  DeleteDC(dc);

  // Text partly or wholly off the surface draws what is on it.
  HDC small = Canvas(20, 10);
  UseFont(small, -14, "ＭＳ ゴシック", FW_BOLD);
  SetBkMode(small, OPAQUE);
  EXPECT_TRUE(TextOut(small, -7, -5, wide, -1));
  EXPECT_EQ(Ink(small).box, (RECT{0, 0, 20, 9}));
  EXPECT_TRUE(TextOut(small, 500, -500, wide, -1));
  EXPECT_TRUE(TextOut(small, -100000, 100000, wide, -1));
  const gdi::DeviceContext* state = gdi::FindDC(small);
  ASSERT_TRUE(state->dirty.has_value());
  EXPECT_TRUE(Inside(*state->dirty, RECT{0, 0, 20, 10}));
  DeleteDC(small);
}

TEST_F(GdiTextTest, BadAndEmptyTextIsHarmless) {
  HDC dc = Canvas(120, 30);
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  SetBkMode(dc, OPAQUE);

  // Invalid bytes show as the replacement character.
  const int replacement = Extent(dc, "\xEF\xBF\xBD").cx;
  EXPECT_EQ(Extent(dc, "a\xFF" "b").cx, Extent(dc, "ab").cx + replacement);
  // A cut-off character at the end of a buffer with no terminating zero: nothing past
  // the length is read (the sanitizer build checks this).
  const std::vector<char> cut{'1', '\xE6', '\x97'};
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32(dc, cut.data(), static_cast<int>(cut.size()), &size));
  EXPECT_EQ(size.cx, Extent(dc, "1").cx + replacement);
  EXPECT_TRUE(TextOut(dc, 0, 0, cut.data(), static_cast<int>(cut.size())));
  RECT r{0, 0, 100, 30};
  EXPECT_GT(DrawText(dc, cut.data(), static_cast<int>(cut.size()), &r, DT_WORDBREAK), 0);

  // Empty text draws nothing, not even its background, and measures no width.
  HDC empty = Canvas(50, 20);
  UseFont(empty, -12, "ＭＳ Ｐゴシック");
  SetBkMode(empty, OPAQUE);
  EXPECT_TRUE(TextOut(empty, 0, 0, "", 0));
  EXPECT_TRUE(TextOut(empty, 0, 0, nullptr, 0));
  RECT box{0, 0, 50, 20};
  EXPECT_EQ(DrawText(empty, "", -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 0);
  EXPECT_EQ(DrawText(empty, "", -1, &box, DT_WORDBREAK | DT_CALCRECT), 0);
  EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
  EXPECT_FALSE(Ink(empty).any);

  // Arguments the calls cannot use are refused.
  EXPECT_FALSE(TextOut(empty, 0, 0, nullptr, -1));
  EXPECT_FALSE(TextOut(empty, 0, 0, "abc", -2));
  EXPECT_FALSE(GetTextExtentPoint32(empty, "abc", 3, nullptr));
  EXPECT_FALSE(TextOut(nullptr, 0, 0, "abc", 3));
  EXPECT_EQ(DrawText(empty, "abc", 3, nullptr, 0), 0);
  EXPECT_FALSE(Ink(empty).any);
  DeleteDC(dc);
  DeleteDC(empty);
}

TEST_F(GdiTextTest, UnknownFacesAndTheStockFontUseTheFallbackFace) {
  HDC dc = Canvas(10, 10);
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  const SIZE gothic = Extent(dc, "Lumivane 北斗七星 ill1");
  UseFont(dc, -12, "No Such Face");
  EXPECT_EQ(Extent(dc, "Lumivane 北斗七星 ill1"), gothic);

  // A fresh DC's system font: 16 pixels high, bold.
  HDC fresh = CreateCompatibleDC(nullptr);
  UseFont(dc, 16, "ＭＳ Ｐゴシック", FW_BOLD);
  EXPECT_EQ(Extent(fresh, "System 16"), Extent(dc, "System 16"));
  EXPECT_EQ(Extent(fresh, "System 16").cy, 16);
  DeleteDC(fresh);
  DeleteDC(dc);
}

TEST_F(GdiTextTest, WithoutFontsTextDrawsNothingAndMeasuresNoWidth) {
  // A font configuration without font directories.
  const std::string config = ::testing::TempDir() + "lumivane-no-fonts.conf";
  std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  const char* previous = std::getenv("FONTCONFIG_FILE");
  const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
  gdi::ReleaseFonts();

  EXPECT_FALSE(gdi::ResolveFace("ＭＳ Ｐゴシック").has_value());
  HDC dc = Canvas(60, 30);
  UseFont(dc, -12, "ＭＳ Ｐゴシック");
  SetBkMode(dc, OPAQUE);
  EXPECT_TRUE(TextOut(dc, 0, 0, "12:34 星", -1));
  const SIZE size = Extent(dc, "12:34 星");
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 12);
  RECT r{0, 0, 60, 30};
  EXPECT_EQ(DrawText(dc, "12:34 星 a long line", -1, &r, DT_WORDBREAK), 12);
  EXPECT_FALSE(Ink(dc).any);
  DeleteDC(dc);

  if (saved) {
    setenv("FONTCONFIG_FILE", saved->c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  gdi::ReleaseFonts();
  EXPECT_TRUE(gdi::ResolveFace("ＭＳ Ｐゴシック").has_value());
}

}  // namespace

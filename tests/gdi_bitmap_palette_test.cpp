// Device-independent bitmaps, bitmaps from resources and the 8-bit system palette.
#include <gtest/gtest.h>

#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace {

class BitmapTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(32); }
  void TearDown() override { platform::Shutdown(); }

  void Start(int bits) {
    if (platform::IsInitialized()) platform::Shutdown();
    platform::HeadlessBackend::Options options;
    options.bitsPerPixel = bits;
    platform::Initialize(std::make_unique<platform::HeadlessBackend>(options));
  }

  // A DIB header with a colour table of `colours` entries: entry k is (k, 2k, 3k).
  std::vector<BYTE> Info(int width, int height, int depth, int colours) {
    std::vector<BYTE> storage(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * static_cast<size_t>(std::max(colours, 1)));
    auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
    info->bmiHeader = BITMAPINFOHEADER{};
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biBitCount = static_cast<WORD>(depth);
    for (int k = 0; k < colours; ++k) {
      info->bmiColors[k] = RGBQUAD{static_cast<BYTE>(3 * k), static_cast<BYTE>(2 * k), static_cast<BYTE>(k), 0};
    }
    return storage;
  }

  std::uint32_t Pixel(HBITMAP b, int x, int y) { return gdi::Find<gdi::BitmapObject>(b)->surface->At(x, y); }
};

TEST_F(BitmapTest, PalettedRowsAreReadBottomUpWithPaddingToFourBytes) {
  HDC screen = GetDC(nullptr);
  // 3 x 2 at 8 bits: rows of 4 bytes, bottom row first.
  auto storage = Info(3, 2, 8, 256);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(storage.data());
  const BYTE bits[] = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE};
  HBITMAP b = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Pixel(b, 0, 1), 0x010203u);  // the first stored row is the bottom one
  EXPECT_EQ(Pixel(b, 2, 1), 0x030609u);
  EXPECT_EQ(Pixel(b, 0, 0), 0x04080Cu);
  DeleteObject(b);

  // 4 bits a pixel: high nibble first.
  auto info4 = Info(3, 1, 4, 16);
  const auto* i4 = reinterpret_cast<const BITMAPINFO*>(info4.data());
  const BYTE bits4[] = {0x1F, 0x20, 0, 0};
  b = CreateDIBitmap(screen, &i4->bmiHeader, CBM_INIT, bits4, i4, DIB_RGB_COLORS);
  EXPECT_EQ(Pixel(b, 0, 0), 0x010203u);
  EXPECT_EQ(Pixel(b, 1, 0), 0x0F1E2Du);
  EXPECT_EQ(Pixel(b, 2, 0), 0x020406u);
  DeleteObject(b);

  // A negative height stores the top row first; 24-bit pixels are blue, green, red.
  auto info24 = Info(1, -2, 24, 0);
  const auto* i24 = reinterpret_cast<const BITMAPINFO*>(info24.data());
  const BYTE bits24[] = {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0};
  b = CreateDIBitmap(screen, &i24->bmiHeader, CBM_INIT, bits24, i24, DIB_RGB_COLORS);
  EXPECT_EQ(Pixel(b, 0, 0), 0x102030u);
  EXPECT_EQ(Pixel(b, 0, 1), 0x405060u);
  DeleteObject(b);
  ReleaseDC(nullptr, screen);
}

TEST_F(BitmapTest, UnsupportedDibsAreRefused) {
  HDC screen = GetDC(nullptr);
  auto storage = Info(2, 2, 8, 256);
  auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
  const BYTE bits[8] = {};
  info->bmiHeader.biCompression = BI_RLE8;
  EXPECT_EQ(CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS), nullptr);
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biBitCount = 16;
  EXPECT_EQ(CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS), nullptr);
  info->bmiHeader.biBitCount = 8;
  info->bmiHeader.biWidth = 0;
  EXPECT_EQ(CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS), nullptr);
  EXPECT_EQ(CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS), nullptr);
  // Without CBM_INIT the bitmap is made but its pixels are not read.
  info->bmiHeader.biWidth = 2;
  HBITMAP empty = CreateDIBitmap(screen, &info->bmiHeader, 0, nullptr, info, DIB_RGB_COLORS);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Pixel(empty, 1, 1), 0u);
  DeleteObject(empty);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(gdi::LiveObjectCount(), 0u);
}

TEST_F(BitmapTest, ResourceBitmapsMakeTransparencyBlack) {
  static const char* picture[] = {"2 1 2 1", "  c None", "w c #FFFF00", "w "};
  user::ResourceTable table;
  table.bitmaps[135] = user::XpmLines(picture, 4);
  user::RegisterResources(&table);
  HBITMAP b = LoadBitmap(user::ProgramInstance(), MAKEINTRESOURCE(135));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Pixel(b, 0, 0), 0xFFFF00u);
  EXPECT_EQ(Pixel(b, 1, 0), 0x000000u);
  // Every load is a new bitmap of the caller's.
  HBITMAP again = LoadBitmap(user::ProgramInstance(), MAKEINTRESOURCE(135));
  EXPECT_NE(again, b);
  EXPECT_EQ(LoadBitmap(user::ProgramInstance(), MAKEINTRESOURCE(999)), nullptr);
  DeleteObject(b);
  DeleteObject(again);
  user::RegisterResources(nullptr);
}

HPALETTE Palette(int n, int seed) {
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(n));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(n);
  for (int i = 0; i < n; ++i) {
    lp->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(seed + i), static_cast<BYTE>(seed), 77, 0};
  }
  return CreatePalette(lp);
}

TEST_F(BitmapTest, PalettesActOnlyOnEightBitDisplays) {
  HDC screen = GetDC(nullptr);
  HPALETTE p = Palette(10, 1);
  SelectPalette(screen, p, FALSE);
  EXPECT_EQ(RealizePalette(screen), 0u);
  ReleaseDC(nullptr, screen);
  DeleteObject(p);

  Start(8);
  screen = GetDC(nullptr);
  HPALETTE first = Palette(10, 1);
  HPALETTE second = Palette(10, 100);
  ASSERT_NE(SelectPalette(screen, first, FALSE), nullptr);
  EXPECT_EQ(RealizePalette(screen), 10u);
  EXPECT_EQ(RealizePalette(screen), 0u);  // already there
  // A background palette only takes free entries: the first palette's colours stay.
  SelectPalette(screen, second, TRUE);
  EXPECT_EQ(RealizePalette(screen), 10u);
  SelectPalette(screen, first, TRUE);
  EXPECT_EQ(RealizePalette(screen), 0u);
  // A foreground palette takes the shared entries over.
  SelectPalette(screen, second, FALSE);
  EXPECT_EQ(RealizePalette(screen), 10u);
  SelectPalette(screen, first, TRUE);
  EXPECT_EQ(RealizePalette(screen), 10u);
  // The static colours (white among them) are always present and never count.
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
  auto* whiteOnly = reinterpret_cast<LOGPALETTE*>(storage.data());
  whiteOnly->palNumEntries = 1;
  whiteOnly->palPalEntry[0] = PALETTEENTRY{255, 255, 255, 0};
  HPALETTE white = CreatePalette(whiteOnly);
  SelectPalette(screen, white, FALSE);
  EXPECT_EQ(RealizePalette(screen), 0u);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  whiteOnly->palNumEntries = 0;
  EXPECT_EQ(CreatePalette(whiteOnly), nullptr);
  ReleaseDC(nullptr, screen);
}

}  // namespace

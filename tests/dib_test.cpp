// The picture holder on the headless backend: loading, the screen bitmap, drawing with each
// raster operation, palettes on 8-bit and true-colour displays, and pictures written by a
// common image tool.
#include <gtest/gtest.h>

#include <memory>

#include "image/dib.h"
#include "image/png_file.h"
#include "image/sbm_reader.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/user.h"
#include "sbm_test_files.h"

using sbmtest::Bytes;
using sbmtest::Header;
using sbmtest::MakeSbm;

namespace {

constexpr COLORREF kBackdrop = RGB(0x5A, 0xC3, 0x3C);

COLORREF TableRef(int k) {
  const std::uint32_t c = sbmtest::TableColour(k);
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// 5 x 3 pixels, 8 bits: the pixel at (x, y), counted from the top, has index 10y + x + 1.
// Stored bottom row first, rows padded to 8 bytes.
constexpr int kWidth = 5;
constexpr int kHeight = 3;
int IndexAt(int x, int y) { return 10 * y + x + 1; }

Bytes PlainRows() {
  Bytes rows;
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < 8; ++x) rows.push_back(static_cast<std::uint8_t>(x < kWidth ? IndexAt(x, y) : 0));
  }
  return rows;
}

class DibTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(32); }
  void TearDown() override {
    canvas_.reset();
    platform::Shutdown();
  }

  void Start(int bitsPerPixel) {
    if (platform::IsInitialized()) {
      canvas_.reset();
      platform::Shutdown();
    }
    platform::HeadlessBackend::Options options;
    options.bitsPerPixel = bitsPerPixel;
    platform::Initialize(std::make_unique<platform::HeadlessBackend>(options));
  }

  // A 32-bit memory DC of w x h pixels in the backdrop colour.
  CDC& Canvas(int w = 12, int h = 8) {
    canvas_ = std::make_unique<CDC>();
    canvas_->CreateCompatibleDC(nullptr);
    ::SelectObject(canvas_->m_hDC, AsGdiObject(::CreateBitmap(w, h, 1, 32, nullptr)));
    RECT all{0, 0, w, h};
    canvas_->FillSolidRect(&all, kBackdrop);
    return *canvas_;
  }

  // Whether every pixel of the canvas still has the backdrop colour.
  bool Untouched(int w = 12, int h = 8) const {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (canvas_->GetPixel(x, y) != kBackdrop) return false;
      }
    }
    return true;
  }

  sbmtest::TempDir dir_;
  std::unique_ptr<CDC> canvas_;
};

TEST_F(DibTest, LoadsTheFileAndDrawsItTopRowFirst) {
  const std::string path = dir_.Write("plain.sbm", MakeSbm({.width = kWidth, .height = kHeight}, PlainRows()));
  ::WNDCLASS wc;
  wc.lpfnWndProc = ::DefWindowProc;
  wc.lpszClassName = "DibOwner";
  ::RegisterClass(&wc);
  HWND owner = ::CreateWindowEx(0, "DibOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);

  CDib dib;
  ASSERT_EQ(dib.Read(path.c_str(), CWnd::FromHandle(owner)), 1);
  EXPECT_EQ(dib.m_nWidth, kWidth);
  EXPECT_EQ(dib.m_nHeight, kHeight);
  EXPECT_EQ(dib.m_nImageSize, 24u);
  EXPECT_EQ(dib.m_fileHeader[13], 13);
  ASSERT_NE(dib.m_pBits, nullptr);
  EXPECT_EQ(dib.m_pBits[0], IndexAt(0, kHeight - 1));  // the block keeps the bottom row first

  // A full 256-entry palette of the table's colours.
  ASSERT_NE(dib.m_hPalette, nullptr);
  EXPECT_EQ(dib.m_logPalette.palVersion, 0x300);
  EXPECT_EQ(dib.m_logPalette.palNumEntries, 256);
  EXPECT_EQ(dib.m_logPalette.palPalEntry[200].peRed, 255 - 200);
  EXPECT_EQ(dib.m_logPalette.palPalEntry[200].peGreen, 200);

  CDC& dc = Canvas();
  EXPECT_EQ(dib.Draw(&dc, 2, 1, 0, 0, 0, 0, SRCCOPY), 1);  // 0 x 0: the whole picture
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 2 + kWidth && y >= 1 && y < 1 + kHeight;
      EXPECT_EQ(dc.GetPixel(x, y), inside ? TableRef(IndexAt(x - 2, y - 1)) : kBackdrop) << x << "," << y;
    }
  }
  dib.Free();
  ::DestroyWindow(owner);
}

TEST_F(DibTest, DrawsPartsWithCopyAndAndOr) {
  const std::string path = dir_.Write("plain.sbm", MakeSbm({.width = kWidth, .height = kHeight}, PlainRows()));
  CDib dib;
  ASSERT_EQ(dib.Read(path.c_str(), nullptr), 1);  // no window: made for the screen
  const COLORREF source = TableRef(IndexAt(3, 1));
  const struct {
    DWORD rop;
    COLORREF want;
  } cases[] = {
      {SRCCOPY, source},
      {SRCAND, source & kBackdrop},
      {SRCPAINT, source | kBackdrop},
  };
  for (const auto& c : cases) {
    CDC& dc = Canvas();
    // Source coordinates count from the picture's top-left.
    EXPECT_EQ(dib.Draw(&dc, 6, 4, 3, 1, 2, 2, c.rop), 1);
    EXPECT_EQ(dc.GetPixel(6, 4), c.want) << std::hex << c.rop;
    EXPECT_EQ(dc.GetPixel(8, 4), kBackdrop);
    EXPECT_EQ(dc.GetPixel(6, 6), kBackdrop);
  }
  // Only the width is the picture's: one whole row.
  CDC& dc = Canvas();
  dib.Draw(&dc, 0, 0, 0, 2, 0, 1, SRCCOPY);
  EXPECT_EQ(dc.GetPixel(4, 0), TableRef(IndexAt(4, 2)));
  EXPECT_EQ(dc.GetPixel(0, 1), kBackdrop);
  dib.Free();
}

TEST_F(DibTest, AHolderWithoutAPictureLeavesTheTargetUntouched) {
  Bytes shortHeader = MakeSbm({.width = 4, .height = 4}, {});
  shortHeader.resize(40);
  const std::string files[] = {
      dir_.File("missing.sbm"),
      dir_.Write("huge.sbm", MakeSbm({.width = 100000, .height = 100000}, Bytes(16, 1))),
      dir_.Write("negative.sbm", MakeSbm({.width = 4, .height = -4}, Bytes(16, 1))),
      dir_.Write("short.sbm", shortHeader),
      dir_.File(""),  // a folder opens but reads nothing
  };
  for (const std::string& path : files) {
    CDib dib;
    EXPECT_EQ(dib.Read(path.c_str(), nullptr), 0) << path;
    EXPECT_EQ(dib.m_hBitmap, nullptr);
    EXPECT_EQ(dib.m_pBits, nullptr);
    CDC& dc = Canvas();
    EXPECT_EQ(dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCCOPY), 1);
    EXPECT_EQ(dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCAND), 1);
    EXPECT_TRUE(Untouched()) << path;
    EXPECT_EQ(dib.Free(), 1);
  }
  CDib dib;
  EXPECT_EQ(dib.Read(dir_.Write("huge.sbm", MakeSbm({.width = 100000, .height = 3}, {})).c_str(), nullptr), 0);
  EXPECT_EQ(dib.m_nWidth, 100000);  // what was reached is kept
}

TEST_F(DibTest, FourBitPicturesHaveSixteenColours) {
  // 3 x 2, nibbles from the left; stored rows of 4 bytes, bottom row first.
  const Bytes rows{0x9A, 0xB0, 0, 0, 0x12, 0x30, 0, 0};
  const std::string path = dir_.Write("four.sbm", MakeSbm({.width = 3, .height = 2, .bitCount = 4, .coloursUsed = 2}, rows));
  CDib dib;
  ASSERT_EQ(dib.Read(path.c_str(), nullptr), 1);
  EXPECT_EQ(dib.m_logPalette.palNumEntries, 16);
  EXPECT_EQ(dib.m_logPalette.palPalEntry[15].peRed, 255 - 15);
  CDC& dc = Canvas();
  dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCCOPY);
  EXPECT_EQ(dc.GetPixel(0, 0), TableRef(1));
  EXPECT_EQ(dc.GetPixel(2, 0), TableRef(3));
  EXPECT_EQ(dc.GetPixel(1, 1), TableRef(0xA));
  dib.Free();
}

TEST_F(DibTest, PalettesActOnlyOnEightBitDisplays) {
  const Bytes file = MakeSbm({.width = kWidth, .height = kHeight}, PlainRows());
  for (int bits : {8, 32}) {
    Start(bits);
    const HPALETTE stock = reinterpret_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
    CDib dib;
    image::sbm::MemorySource source(file);
    ASSERT_EQ(dib.Read(source, nullptr), 1);
    ASSERT_NE(dib.m_hBitmap, nullptr) << bits;
    CClientDC dc(nullptr);
    // Making the screen bitmap realised the picture's palette already.
    EXPECT_EQ(dib.Realize(&dc, FALSE), 0u);
    // Another palette takes the shared entries over; in the background the picture's
    // palette gets none back, in the foreground it takes them all.
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + 236 * sizeof(PALETTEENTRY));
    auto* greys = reinterpret_cast<LOGPALETTE*>(storage.data());
    greys->palVersion = 0x300;
    greys->palNumEntries = 236;
    for (int i = 0; i < 236; ++i) greys->palPalEntry[i] = PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i + 1), 0};  // none static
    HPALETTE other = ::CreatePalette(greys);
    ::SelectPalette(dc.m_hDC, other, FALSE);
    ::RealizePalette(dc.m_hDC);
    const UINT background = dib.Realize(&dc, TRUE);
    const UINT foreground = dib.Realize(&dc, FALSE);
    const HPALETTE selected = ::SelectPalette(dc.m_hDC, stock, FALSE);
    if (bits == 8) {
      EXPECT_EQ(background, 0u);
      EXPECT_EQ(foreground, 236u);
      EXPECT_EQ(selected, dib.m_hPalette);
    } else {
      EXPECT_EQ(background, 0u);
      EXPECT_EQ(foreground, 0u);
      EXPECT_EQ(selected, other);  // the picture's palette was not selected
    }
    ::DeleteObject(other);
    // The screen bitmap shows the picture's colours either way.
    CDC& canvas = Canvas();
    dib.Draw(&canvas, 0, 0, 0, 0, 0, 0, SRCCOPY);
    EXPECT_EQ(canvas.GetPixel(4, 2), TableRef(IndexAt(4, 2))) << bits;
    dib.Free();
  }

  // A picture without a palette gets no screen bitmap on an 8-bit display.
  Start(8);
  CDib deep;
  EXPECT_EQ(deep.Read(dir_.Write("deep.sbm", MakeSbm({.width = 2, .height = 2, .bitCount = 24}, Bytes(16, 7))).c_str(),
                      nullptr),
            1);
  EXPECT_EQ(deep.m_hPalette, nullptr);
  EXPECT_EQ(deep.m_hBitmap, nullptr);
  EXPECT_EQ(deep.CreateScreenBitmap(nullptr), 0);
  deep.Free();
}

TEST_F(DibTest, FreeGivesEverythingBack) {
  const std::size_t before = gdi::LiveObjectCount();
  const std::string path = dir_.Write("plain.sbm", MakeSbm({.width = kWidth, .height = kHeight}, PlainRows()));
  CDib dib;
  ASSERT_EQ(dib.Read(path.c_str(), nullptr), 1);
  EXPECT_EQ(gdi::LiveObjectCount(), before + 2);  // palette and screen bitmap
  EXPECT_EQ(dib.Free(), 1);
  EXPECT_EQ(gdi::LiveObjectCount(), before);
  EXPECT_EQ(dib.m_pBits, nullptr);
  EXPECT_TRUE(dib.m_pixelBlock.empty());
  EXPECT_NE(dib.m_hBitmap, nullptr);  // deleted, not cleared
  CDC& dc = Canvas();
  EXPECT_EQ(dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCCOPY), 1);
  EXPECT_TRUE(Untouched());
}

TEST_F(DibTest, APictureThatGaveBackItsPixelsStillDrawsTheSame) {
  const std::string path = dir_.Write("plain.sbm", MakeSbm({.width = kWidth, .height = kHeight}, PlainRows()));
  CDib dib;
  ASSERT_EQ(dib.Read(path.c_str(), nullptr), 1);
  const std::size_t objects = gdi::LiveObjectCount();
  EXPECT_EQ(dib.ReleasePixels(), 1);
  EXPECT_EQ(dib.m_pBits, nullptr);
  EXPECT_TRUE(dib.m_pixelBlock.empty());
  EXPECT_EQ(gdi::LiveObjectCount(), objects);  // bitmap and palette stay
  EXPECT_EQ(dib.m_nWidth, kWidth);
  CDC& dc = Canvas();
  dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCCOPY);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) EXPECT_EQ(dc.GetPixel(x, y), TableRef(IndexAt(x, y))) << x << "," << y;
  }
  dib.Free();

  // Without a screen bitmap the pixels are all there is: they stay.
  CDib unmade;
  unmade.m_pixelBlock.assign(24, 7);
  unmade.m_pBits = unmade.m_pixelBlock.data();
  EXPECT_EQ(unmade.ReleasePixels(), 0);
  EXPECT_EQ(unmade.m_pixelBlock.size(), 24u);
}

// Bitmaps written by ImageMagick (see data/sbm/make_fixtures.sh), with a full colour table,
// load as SBM pictures with the pixels of the PNG they were made from.
TEST_F(DibTest, BitmapsFromACommonImageToolLoadWithTheirSourcePixels) {
  const std::string data = std::string(LV_TEST_DATA_DIR) + "/sbm/";
  std::string error;
  const std::optional<platform::Image> source = image::ReadPng(data + "stars.png", &error);
  ASSERT_TRUE(source) << error;
  for (const char* name : {"stars_plain.bmp", "stars_rle8.bmp"}) {
    CDib dib;
    ASSERT_EQ(dib.Read((data + name).c_str(), nullptr), 1) << name;
    EXPECT_EQ(dib.m_fileHeader[0], 'B');
    EXPECT_EQ(dib.m_pbmih->biClrUsed, 256u);
    ASSERT_EQ(dib.m_nWidth, source->width);
    ASSERT_EQ(dib.m_nHeight, source->height);
    CDC& dc = Canvas(source->width, source->height);
    dib.Draw(&dc, 0, 0, 0, 0, 0, 0, SRCCOPY);
    int differing = 0;
    for (int y = 0; y < source->height; ++y) {
      for (int x = 0; x < source->width; ++x) {
        const std::uint32_t want = source->argb[static_cast<std::size_t>(y * source->width + x)];
        differing += dc.GetPixel(x, y) != RGB((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF);
      }
    }
    EXPECT_EQ(differing, 0) << name;
    dib.Free();
  }
}

}  // namespace

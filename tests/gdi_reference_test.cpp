// Replays the reference scripts of classic GDI calls through our GDI and compares every
// pixel and every printed probe with what the classic GDI produced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "image/png_file.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"

namespace fs = std::filesystem;

namespace {

const fs::path kReference = fs::path(LV_TEST_DATA_DIR) / "gdi-reference";

COLORREF ParseColor(const std::string& hex) {
  const unsigned long v = std::stoul(hex, nullptr, 16);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

struct Replay {
  std::vector<std::string> printed;
  platform::Image canvas;
  std::string failure;  // an unsupported command, for the test to report
};

// Runs one script on a fresh memory DC; returns what it printed and drew.
Replay RunScene(const fs::path& script) {
  Replay out;
  std::ifstream in(script);
  std::string line;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HPEN pen = nullptr;
  HGDIOBJ oldPen = nullptr;
  std::map<int, HRGN> regions;
  while (std::getline(in, line)) {
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string cmd;
    if (!(words >> cmd)) continue;
    if (cmd == "size") {
      int w = 0, h = 0;
      std::string color;
      words >> w >> h >> color;
      dc = CreateCompatibleDC(nullptr);
      bitmap = CreateBitmap(w, h, 1, 32, nullptr);
      oldBitmap = SelectObject(dc, AsGdiObject(bitmap));
      HBRUSH b = CreateSolidBrush(ParseColor(color));
      RECT r{0, 0, w, h};
      FillRect(dc, &r, b);
      DeleteObject(b);
    } else if (cmd == "pen") {
      int style = 0, width = 0;
      std::string color;
      words >> style >> width >> color;
      HPEN next = CreatePen(style, width, ParseColor(color));
      HGDIOBJ previous = SelectObject(dc, AsGdiObject(next));
      if (!oldPen) oldPen = previous;
      if (pen) DeleteObject(pen);
      pen = next;
    } else if (cmd == "move") {
      int x = 0, y = 0;
      words >> x >> y;
      MoveToEx(dc, x, y, nullptr);
    } else if (cmd == "line") {
      int x = 0, y = 0;
      words >> x >> y;
      LineTo(dc, x, y);
    } else if (cmd == "arc") {
      int v[8];
      for (int& x : v) words >> x;
      Arc(dc, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    } else if (cmd == "pixel") {
      int x = 0, y = 0;
      std::string color;
      words >> x >> y >> color;
      SetPixel(dc, x, y, ParseColor(color));
    } else if (cmd == "fillrect") {
      RECT r;
      std::string color;
      words >> r.left >> r.top >> r.right >> r.bottom >> color;
      HBRUSH b = CreateSolidBrush(ParseColor(color));
      FillRect(dc, &r, b);
      DeleteObject(b);
    } else if (cmd == "rgn_rect" || cmd == "rgn_ellipse") {
      int n = 0, l = 0, t = 0, r = 0, b = 0;
      words >> n >> l >> t >> r >> b;
      if (regions.count(n)) DeleteObject(regions[n]);
      regions[n] = cmd == "rgn_rect" ? CreateRectRgn(l, t, r, b) : CreateEllipticRgn(l, t, r, b);
    } else if (cmd == "rgn_and" || cmd == "rgn_or" || cmd == "rgn_diff" || cmd == "rgn_xor") {
      int d = 0, a = 0, b = 0;
      words >> d >> a >> b;
      const int mode = cmd == "rgn_and" ? RGN_AND : cmd == "rgn_or" ? RGN_OR : cmd == "rgn_diff" ? RGN_DIFF : RGN_XOR;
      CombineRgn(regions[d], regions[a], regions[b], mode);
    } else if (cmd == "fillrgn") {
      int n = 0;
      std::string color;
      words >> n >> color;
      HBRUSH b = CreateSolidBrush(ParseColor(color));
      FillRgn(dc, regions[n], b);
      DeleteObject(b);
    } else if (cmd == "ptinrgn") {
      int n = 0, x = 0, y = 0;
      words >> n >> x >> y;
      std::ostringstream p;
      p << "ptinrgn " << n << ' ' << x << ' ' << y << " -> " << (PtInRegion(regions[n], x, y) ? 1 : 0);
      out.printed.push_back(p.str());
    } else if (cmd == "rgnbox") {
      int n = 0;
      words >> n;
      RECT r;
      const int type = GetRgnBox(regions[n], &r);
      std::ostringstream p;
      p << "rgnbox " << n << " -> " << type << ' ' << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom;
      out.printed.push_back(p.str());
    } else if (cmd == "rgndata") {
      int n = 0;
      words >> n;
      const auto* obj = gdi::Find<gdi::RegionObject>(regions[n]);
      const auto& rects = obj->region.Rects();
      out.printed.push_back("rgndata " + std::to_string(n) + " " + std::to_string(rects.size()));
      for (const RECT& r : rects) {
        std::ostringstream p;
        p << "  " << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom;
        out.printed.push_back(p.str());
      }
    } else if (cmd == "out") {
      const auto* bmp = gdi::Find<gdi::BitmapObject>(bitmap);
      out.canvas.width = bmp->surface->width;
      out.canvas.height = bmp->surface->height;
      for (std::uint32_t p : bmp->surface->pixels) out.canvas.argb.push_back(0xFF000000u | p);
    } else {
      out.failure = "unsupported command '" + cmd + "'";
      break;
    }
  }
  for (auto& [n, r] : regions) DeleteObject(r);
  if (dc) {
    if (oldPen) SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
  }
  if (pen) DeleteObject(pen);
  if (bitmap) DeleteObject(bitmap);
  return out;
}

std::vector<std::string> ReadLines(const fs::path& p) {
  std::vector<std::string> lines;
  std::ifstream in(p);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class GdiReferenceTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { platform::Initialize(std::make_unique<platform::HeadlessBackend>()); }
  void TearDown() override { platform::Shutdown(); }
};

TEST_P(GdiReferenceTest, MatchesClassicPixelsAndProbes) {
  const std::string name = GetParam();
  const Replay got = RunScene(kReference / "scenes" / (name + ".gdi"));
  ASSERT_TRUE(got.failure.empty()) << got.failure;

  const fs::path probes = kReference / "expected" / (name + ".txt");
  if (fs::exists(probes)) EXPECT_EQ(got.printed, ReadLines(probes));

  std::string error;
  const auto want = image::ReadPng((kReference / "expected" / (name + ".png")).string(), &error);
  ASSERT_TRUE(want) << error;
  ASSERT_EQ(got.canvas.width, want->width);
  ASSERT_EQ(got.canvas.height, want->height);
  int wrong = 0;
  std::string first;
  for (int y = 0; y < want->height; ++y) {
    for (int x = 0; x < want->width; ++x) {
      const std::uint32_t a = got.canvas.argb[static_cast<size_t>(y) * want->width + x] & 0xFFFFFF;
      const std::uint32_t b = want->argb[static_cast<size_t>(y) * want->width + x] & 0xFFFFFF;
      if (a != b && wrong++ == 0) {
        std::ostringstream m;
        m << "first difference at (" << x << ", " << y << "): got " << std::hex << a << " want " << b;
        first = m.str();
      }
    }
  }
  EXPECT_EQ(wrong, 0) << wrong << " pixels differ; " << first;
}

std::vector<std::string> Scenes() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kReference / "scenes")) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(AllScenes, GdiReferenceTest, ::testing::ValuesIn(Scenes()),
                         [](const auto& info) { return info.param; });

TEST(GdiReference, EveryScenePresent) {
  // The reference set is replayed whole; losing scenes would weaken the check silently.
  EXPECT_EQ(Scenes().size(), 196u);
}

}  // namespace

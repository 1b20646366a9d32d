// The about box and its bevelled OK button on the headless backend: the button's four looks,
// the box's two shapes at 24 and 8 bits, its twinkling pointer, its drag and every way to
// close it, and the about command's sound around it.
#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>

#include "dialogs/bevel_button.h"
#include "dialogs/version_dlg.h"
#include "image/sbm_reader.h"
#include "program_fixture.h"

namespace {

// ---- The bevelled button, drawn by itself into a memory DC ----

class BevelButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Initialize(std::make_unique<platform::HeadlessBackend>());
    WNDCLASS wc;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = "BevelButtonTestParent";
    RegisterClass(&wc);
    parent = CreateWindowEx(0, "BevelButtonTestParent", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override { platform::Shutdown(); }

  // The button's picture for a draw-item state, in a 35 x 20 item as the about box has it.
  gdi::Surface Draw(CBevelButton& button, const char* caption, UINT state) {
    if (!button.m_hWnd) {
      button.Create("Button", caption, WS_CHILD | BS_OWNERDRAW, CRect(0, 0, kW, kH), CWnd::FromHandle(parent), 1001);
      font.CreateFont(-12, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
    }
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateBitmap(kW, kH, 1, 32, nullptr);
    memory.SelectObject(&bitmap);
    memory.SelectObject(&font);
    CBrush magenta(RGB(255, 0, 255));
    const CRect all(0, 0, kW, kH);
    memory.FillRect(&all, &magenta);
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button.m_hWnd;
    item.hDC = memory.m_hDC;
    item.rcItem = RECT{0, 0, kW, kH};
    button.DrawItem(&item);
    gdi::Surface out(kW, kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const COLORREF c = memory.GetPixel(x, y);
        out.At(x, y) = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
    }
    return out;
  }

  static std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
  // The box round the pixels of one colour; empty when there are none.
  static RECT Ink(const gdi::Surface& s, std::uint32_t colour) {
    RECT box{kW, kH, -1, -1};
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (s.At(x, y) != colour) continue;
        box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
      }
    }
    return box;
  }

  static constexpr int kW = 35;
  static constexpr int kH = 20;
  HWND parent = nullptr;
  CFont font;
};

TEST_F(BevelButtonTest, FourToneLooksLikeAGreyButtonLitFromTheTopLeftAndSwapsWhenPressed) {
  CBevelButton button;
  const gdi::Surface normal = Draw(button, "OK", 0);
  const std::uint32_t white = 0xFFFFFF, black = 0, face = 0xC0C0C0, shadow = 0x808080;
  // The outer white line: the left column and the top row; the black one: the bottom row
  // and the right column. Inside them the 2-pixel highlight and shadow strokes.
  EXPECT_EQ(normal.At(0, 5), white);
  EXPECT_EQ(normal.At(10, 0), white);
  EXPECT_EQ(normal.At(10, kH - 1), black);
  EXPECT_EQ(normal.At(kW - 1, 10), black);
  EXPECT_EQ(normal.At(1, 8), white) << "the highlight stroke";
  EXPECT_EQ(normal.At(8, kH - 2), shadow) << "the shadow stroke";
  EXPECT_EQ(normal.At(kW - 2, 8), shadow);
  EXPECT_EQ(normal.At(5, 5), face);
  const gdi::Surface pressed = Draw(button, "OK", ODS_SELECTED);
  EXPECT_EQ(pressed.At(10, kH - 1), white) << "light and shadow change places";
  EXPECT_EQ(pressed.At(kW - 1, 10), white);
  EXPECT_EQ(pressed.At(1, 8), black);
  EXPECT_EQ(pressed.At(8, 0), black);
  EXPECT_EQ(pressed.At(8, 1), shadow) << "the shadow stroke inside the black line";
  // The caption, black on grey, moves with the pressed text box (L+4, T+4, R-2, B-2).
  CDC measure;
  measure.CreateCompatibleDC(nullptr);
  measure.SelectObject(&font);
  const CSize size = measure.GetTextExtent(" OK ");
  const int normalX = (kW - size.cx) / 2;
  const int pressedX = 4 + (kW - 2 - size.cx - 4) / 2;
  const int normalY = (kH - size.cy) / 2;
  const int pressedY = 4 + (kH - 2 - size.cy - 4) / 2;
  auto captionInk = [&](const gdi::Surface& s) {
    RECT box{kW, kH, -1, -1};
    for (int y = 3; y < kH - 3; ++y) {
      for (int x = 3; x < kW - 3; ++x) {
        if (s.At(x, y) != black) continue;
        box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
      }
    }
    return box;
  };
  const RECT a = captionInk(normal);
  const RECT b = captionInk(pressed);
  ASSERT_LT(a.left, a.right) << "no caption drawn";
  EXPECT_EQ(b.left - a.left, pressedX - normalX);
  EXPECT_EQ(b.top - a.top, pressedY - normalY);
  EXPECT_EQ(pressedX - normalX, 1);
}

TEST_F(BevelButtonTest, TwoToneUsesTheOwnersColoursAloneAndTheDisabledCaptionColour) {
  CBevelButton button;
  const COLORREF face = RGB(0, 0, 128), text = RGB(255, 255, 255), shadow = RGB(0, 0, 64), light = RGB(64, 64, 255);
  Draw(button, "OK", 0);
  button.SetColors(1, face, text, shadow, light, RGB(128, 128, 128));
  const gdi::Surface normal = Draw(button, "OK", 0);
  EXPECT_EQ(normal.At(0, 5), Rgb(light)) << "no white outer line in two tones";
  EXPECT_EQ(normal.At(10, 0), Rgb(light));
  EXPECT_EQ(normal.At(10, kH - 1), Rgb(shadow));
  EXPECT_EQ(normal.At(kW - 1, 10), Rgb(shadow));
  EXPECT_EQ(normal.At(5, 5), Rgb(face));
  EXPECT_GT(Ink(normal, Rgb(text)).right, 0) << "the white caption";
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) ASSERT_NE(normal.At(x, y), 0u) << "no black anywhere, at " << x << "," << y;
  }
  const gdi::Surface pressed = Draw(button, "OK", ODS_SELECTED);
  EXPECT_EQ(pressed.At(10, kH - 1), Rgb(light));
  EXPECT_EQ(pressed.At(kW - 1, 10), Rgb(light));
  EXPECT_EQ(pressed.At(1, 8), Rgb(shadow));
  const gdi::Surface disabled = Draw(button, "OK", ODS_DISABLED);
  EXPECT_EQ(Ink(disabled, Rgb(text)).right, -1) << "no white caption when disabled";
  EXPECT_GT(Ink(disabled, 0x808080).right, 0);
  EXPECT_EQ(disabled.At(0, 5), normal.At(0, 5)) << "the edges do not change";
}

TEST_F(BevelButtonTest, AnEmptyCaptionPaintsFaceAndEdgesOnly) {
  CBevelButton button;
  const gdi::Surface empty = Draw(button, "", 0);
  std::set<std::uint32_t> colours(empty.pixels.begin(), empty.pixels.end());
  EXPECT_EQ(colours, (std::set<std::uint32_t>{0xFFFFFF, 0x000000, 0xC0C0C0, 0x808080}));
}

// ---- The about box in the program ----

class AboutBoxTest : public ProgramTest {
 protected:
  // Runs the about command; each time the box waits for the user the next step runs with
  // the box's window and its object.
  void RunAbout(std::vector<std::function<void(HWND, CVersionDlg&)>> steps) {
    size_t next = 0;
    backend->idle = [&] {
      HWND box = nullptr;
      for (HWND h : user::TopLevelWindows()) {
        if (user::detail::FindDialog(h) && ::IsWindowVisible(h)) box = h;
      }
      auto* dialog = dynamic_cast<CVersionDlg*>(CWnd::FromHandlePermanent(box));
      if (!box || !dialog) throw std::runtime_error("the about box waits but is not shown");
      if (next >= steps.size()) throw std::runtime_error("the about box is still up after the last step");
      steps[next++](box, *dialog);
    };
    ViewCommand(ID_ABOUT);
    backend->idle = nullptr;
    EXPECT_EQ(next, steps.size());
  }

  static RECT ClientInWindow(HWND box) {
    RECT window;
    ::GetWindowRect(box, &window);
    POINT origin{0, 0};
    ::ClientToScreen(box, &origin);
    RECT client;
    ::GetClientRect(box, &client);
    return RECT{origin.x - window.left, origin.y - window.top, origin.x - window.left + client.right,
                origin.y - window.top + client.bottom};
  }
  // A client pixel of the box as shown, 0x00RRGGBB.
  static std::uint32_t Pixel(HWND box, int x, int y) {
    const RECT c = ClientInWindow(box);
    return user::WindowPixels(box)->At(c.left + x, c.top + y);
  }
  static POINT ClientOrigin(HWND box) {
    POINT p{0, 0};
    ::ClientToScreen(box, &p);
    return p;
  }
  // Whether any white pixel lies in the client rectangle.
  static bool WhiteIn(HWND box, RECT r) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        if (Pixel(box, x, y) == 0xFFFFFF) return true;
      }
    }
    return false;
  }
};

TEST_F(AboutBoxTest, TheSquareBoxPaintsItsGradientTextsAndButtonAndTheSoundPlaysMeanwhile) {
  ASSERT_TRUE(Start());
  backend->sounds.clear();
  int aboutUpDuringRun = -1;
  RunAbout({[&](HWND box, CVersionDlg& d) {
    aboutUpDuringRun = GetMyApp()->m_bAboutBoxUp;
    EXPECT_EQ(GetWindowTextString(box), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(d.m_nBitsPixel, 32);
    EXPECT_EQ(d.m_pBackground, nullptr) << "no picture read on a deep display";
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(box, CVersionDlg::IDC_SQUARE_ICON)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(box, CVersionDlg::IDC_ROUND_BITMAP)));
    EXPECT_EQ(user::WindowShape(box), nullptr);
    ASSERT_EQ(backend->sounds.size(), 1u);
    EXPECT_EQ(std::filesystem::path(backend->sounds[0].substr(5, backend->sounds[0].size() - 10)).filename(),
              "nature.wav");
    EXPECT_EQ(backend->sounds[0].substr(backend->sounds[0].size() - 4), "loop");
    // The OK button: 35 x 20 at client (88, 87).
    RECT ok;
    ::GetWindowRect(::GetDlgItem(box, CVersionDlg::IDC_OK_BUTTON), &ok);
    const POINT o = ClientOrigin(box);
    EXPECT_EQ(ok.left - o.x, 88);
    EXPECT_EQ(ok.top - o.y, 87);
    EXPECT_EQ(ok.right - ok.left, 35);
    EXPECT_EQ(ok.bottom - ok.top, 20);
    EXPECT_EQ(Pixel(box, 88 + 5, 87 + 5), 0x000080u) << "the dark-blue face";
    // The gradient: bands of H / 65 rows, green k and blue 2k in band k; sampled at the
    // right edge where no text or icon lies.
    RECT client;
    ::GetClientRect(box, &client);
    const int n = std::max(1, static_cast<int>(client.bottom) / 65);
    const int x = client.right - 1;
    for (int y : {0, n - 1, n, 5 * n, 20 * n + n - 1}) {
      const int k = y / n;
      EXPECT_EQ(Pixel(box, x, y), static_cast<std::uint32_t>((k << 8) | (2 * k))) << "row " << y;
    }
    // The four lines stand at their places: white just right of and below each corner,
    // none just left of it.
    for (POINT at : {POINT{66, 16}, POINT{70, 36}, POINT{102, 55}, POINT{79, 68}}) {
      EXPECT_TRUE(WhiteIn(box, RECT{at.x, at.y, at.x + 14, at.y + 12})) << at.x << "," << at.y;
      EXPECT_FALSE(WhiteIn(box, RECT{at.x - 4, at.y, at.x, at.y + 12})) << at.x << "," << at.y;
    }
    ::SendMessage(box, WM_COMMAND, MAKEWPARAM(CVersionDlg::IDC_OK_BUTTON, BN_CLICKED),
                  reinterpret_cast<LPARAM>(::GetDlgItem(box, CVersionDlg::IDC_OK_BUTTON)));
  }});
  EXPECT_EQ(aboutUpDuringRun, 1);
  EXPECT_EQ(GetMyApp()->m_bAboutBoxUp, 0);
  ASSERT_EQ(backend->sounds.size(), 2u);
  EXPECT_EQ(backend->sounds[1], "stop");
}

TEST_F(AboutBoxTest, TheGradientsBandsAreAPartOf65OfTheClientsHeight) {
  ASSERT_TRUE(Start());
  // The box made 130 and then 60 rows high: bands of 2 rows, then of 1.
  auto resize = [&](HWND box, int rows) {
    RECT w;
    ::GetWindowRect(box, &w);
    const RECT c = ClientInWindow(box);
    ::SetWindowPos(box, nullptr, 0, 0, w.right - w.left, c.top + rows + ((w.bottom - w.top) - c.bottom),
                   SWP_NOMOVE | SWP_NOZORDER);
    ::InvalidateRect(box, nullptr, TRUE);
  };
  auto band = [](int k) { return static_cast<std::uint32_t>((k << 8) | (2 * k)); };
  RunAbout({[&](HWND box, CVersionDlg&) { resize(box, 130); },
            [&](HWND box, CVersionDlg&) {
              RECT client;
              ::GetClientRect(box, &client);
              ASSERT_EQ(client.bottom, 130);
              const int x = client.right - 1;
              EXPECT_EQ(Pixel(box, x, 0), band(0));
              EXPECT_EQ(Pixel(box, x, 1), band(0));
              EXPECT_EQ(Pixel(box, x, 2), band(1));
              EXPECT_EQ(Pixel(box, x, 129), band(64));
              resize(box, 60);
            },
            [&](HWND box, CVersionDlg&) {
              RECT client;
              ::GetClientRect(box, &client);
              ASSERT_EQ(client.bottom, 60);
              for (int y : {0, 1, 2, 30, 59}) EXPECT_EQ(Pixel(box, client.right - 1, y), band(y));
              backend->Key(VK_ESCAPE, true);
              backend->Key(VK_ESCAPE, false);
            }});
}

TEST_F(AboutBoxTest, TheRoundBoxIsADiscWithItsRingPictureAndButtonAndIsDraggedByAnyPoint) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  RunAbout({[&](HWND box, CVersionDlg& d) {
               RECT w;
               ::GetWindowRect(box, &w);
               EXPECT_EQ(w.right - w.left, 200);
               EXPECT_EQ(w.bottom - w.top, 200);
               // Centred over the main window at that size.
               const RECT f = FrameRect();
               EXPECT_NEAR((w.left + w.right) / 2, (f.left + f.right) / 2, 1);
               EXPECT_NEAR((w.top + w.bottom) / 2, (f.top + f.bottom) / 2, 1);
               const gdi::Region* shape = user::WindowShape(box);
               ASSERT_NE(shape, nullptr);
               EXPECT_EQ(*shape, gdi::Region::Ellipse(25, 25, 175, 175));
               EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(box, CVersionDlg::IDC_SQUARE_ICON)));
               EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(box, CVersionDlg::IDC_ROUND_BITMAP)));
               RECT ok;
               ::GetWindowRect(::GetDlgItem(box, CVersionDlg::IDC_OK_BUTTON), &ok);
               const POINT o = ClientOrigin(box);
               EXPECT_EQ(ok.left - o.x, 79);
               EXPECT_EQ(ok.top - o.y, 118);
               // The ring, outermost on the ellipse in (22, 3, 172, 153): brightest at the
               // upper left, darkest at the lower right. Found by walking in from each side.
               auto firstGrey = [&](int x, int y, int dx, int dy) {
                 for (int i = 0; i < 100; ++i, x += dx, y += dy) {
                   const std::uint32_t p = Pixel(box, x, y);
                   const std::uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                   if (r == g && g == b && r >= 192) return r;
                 }
                 return 0u;
               };
               EXPECT_EQ(firstGrey(97, 0, 0, 1), 235u) << "top";
               EXPECT_EQ(firstGrey(97, 160, 0, -1), 200u) << "bottom";
               EXPECT_EQ(firstGrey(15, 85, 1, 0), 235u) << "left";
               EXPECT_EQ(firstGrey(180, 85, -1, 0), 200u) << "right";
               EXPECT_EQ(firstGrey(50, 12, 1, 1), 255u) << "upper left";
               // At the lower right the window's outline (one pixel inside the ring's box on
               // the right and bottom, as elliptic regions are) leaves the outer arcs out:
               // the inner ellipse's grey shows.
               EXPECT_EQ(firstGrey(185, 125, -1, 0), 223u) << "lower right";
               // The lines of the round box.
               for (POINT at : {POINT{44, 48}, POINT{40, 67}, POINT{70, 84}, POINT{50, 97}}) {
                 EXPECT_TRUE(WhiteIn(box, RECT{at.x, at.y, at.x + 14, at.y + 12})) << at.x << "," << at.y;
               }
               // A press anywhere drags the box.
               backend->systemMoves.clear();
               const POINT inside{o.x + 97, o.y + 30};
               backend->MouseDown(inside);
               backend->MouseUp(inside);
               (void)d;
             },
             [&](HWND box, CVersionDlg&) {
               ASSERT_FALSE(backend->systemMoves.empty());
               EXPECT_EQ(backend->systemMoves.back(), box);
               backend->Key(VK_RETURN, true);
               backend->Key(VK_RETURN, false);
             }});
}

TEST_F(AboutBoxTest, AskedAgainWhileUpTheOpenBoxComesForwardAndTheSoundGoesOn) {
  ASSERT_TRUE(Start());
  backend->sounds.clear();
  int boxes = 0;
  RunAbout({[&](HWND, CVersionDlg&) {
              ::SetActiveWindow(FrameHwnd());
              ::PostMessage(FrameHwnd(), WM_COMMAND, ID_ABOUT, 0);  // the tray's menu
            },
            [&](HWND box, CVersionDlg&) {
              for (HWND h : user::TopLevelWindows()) boxes += user::detail::FindDialog(h) ? 1 : 0;
              EXPECT_EQ(::GetActiveWindow(), box);
              EXPECT_EQ(backend->sounds.size(), 1u) << "the sound was not started again or stopped";
              EXPECT_EQ(GetMyApp()->m_bAboutBoxUp, 1);
              backend->Key(VK_ESCAPE, true);
              backend->Key(VK_ESCAPE, false);
            }});
  EXPECT_EQ(boxes, 1);
}

TEST_F(AboutBoxTest, OnlyTheValueOneMakesTheBoxRound) {
  WriteSetting("CircleEdgeFlg", 2);
  ASSERT_TRUE(Start());
  RunAbout({[&](HWND box, CVersionDlg& d) {
    EXPECT_EQ(d.m_bRound, 2);
    EXPECT_EQ(user::WindowShape(box), nullptr);
    EXPECT_EQ(GetWindowTextString(box), "ﾊﾞｰｼﾞｮﾝ情報");
    ::PostMessage(box, WM_CLOSE, 0, 0);  // the close box
  }});
  EXPECT_EQ(GetMyApp()->m_bAboutBoxUp, 0);
}

TEST_F(AboutBoxTest, ThePointerTwinklesThroughTenFramesEveryTenthOfASecond) {
  ASSERT_TRUE(Start());
  platform::SetTimerTick(10);
  std::vector<int> frames;
  RunAbout({[&](HWND box, CVersionDlg& d) {
    EXPECT_EQ(d.m_nCursorFrame, 1);
    for (int i = 0; i < 11; ++i) {
      backend->Advance(100);
      frames.push_back(d.m_nCursorFrame);
      // The timer sets the frame's cursor wherever the pointer is.
      EXPECT_EQ(::GetCursor(), d.m_hCursors[d.m_nCursorFrame - 1]);
    }
    // Over the client area the set-cursor message shows the frame; over the caption it is
    // left to the default handling.
    EXPECT_TRUE(::SendMessage(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), d.m_hCursors[d.m_nCursorFrame - 1]);
    ::SendMessage(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_ARROW));
    // The main window leaves the pointer to the box meanwhile.
    ::SendMessage(FrameHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(FrameHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_ARROW));
    backend->Key(VK_ESCAPE, true);
    backend->Key(VK_ESCAPE, false);
  }});
  EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
}

class AboutBoxAt8BitsTest : public AboutBoxTest {
 protected:
  void SetUp() override {
    AboutBoxTest::SetUp();
    Reopen();
  }

  // A new session on an 8-bit display, the program not started yet.
  void Reopen() {
    platform::Shutdown();
    app.reset();
    platform::HeadlessBackend::Options options;
    options.screen = SIZE{640, 480};
    options.bitsPerPixel = 8;
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
  }

  // The picture file's pixels, top row first.
  static platform::Image Picture(const char* name) {
    const std::string path = AfxExecutablePath().substr(0, AfxExecutablePath().rfind('/') + 1) + name;
    image::sbm::FileSource in(path.c_str());
    image::sbm::Picture picture;
    EXPECT_EQ(image::sbm::ReadPicture(in, picture), image::sbm::ReadOutcome::kLoaded) << path;
    return image::sbm::ToArgb(picture).value_or(platform::Image{});
  }
};

TEST_F(AboutBoxAt8BitsTest, BothBoxesShowTheirPictureAtItsPlace) {
  for (int round : {0, 1}) {
    if (round) Reopen();
    WriteSetting("CircleEdgeFlg", round);
    ASSERT_TRUE(Start());
    const platform::Image picture = Picture(round ? "CVerBG.SBM" : "VerBG.SBM");
    ASSERT_EQ(picture.width, round ? 141 : 236);
    const POINT at = round ? POINT{26, 7} : POINT{0, 0};
    RunAbout({[&](HWND box, CVersionDlg& d) {
      EXPECT_EQ(d.m_nBitsPixel, 8);
      ASSERT_NE(d.m_pBackground, nullptr);
      // Away from the texts, the button, the icon and the ring, the picture shows as it is.
      int compared = 0, same = 0;
      const std::vector<POINT> samples = round ? std::vector<POINT>{{100, 110}, {12, 75}, {30, 120}}
                                               : std::vector<POINT>{{3, 3}, {200, 5}, {5, 100}, {60, 20}, {120, 20}};
      for (POINT p : samples) {
        const std::uint32_t want = picture.argb[static_cast<size_t>(p.y) * picture.width + p.x] & 0xFFFFFF;
        ++compared;
        same += Pixel(box, at.x + p.x, at.y + p.y) == want ? 1 : 0;
      }
      EXPECT_GT(compared, 0);
      EXPECT_EQ(same, compared);
      backend->Key(VK_ESCAPE, true);
      backend->Key(VK_ESCAPE, false);
    }});
  }
}

}  // namespace

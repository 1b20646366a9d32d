// The star balloons: reading the star table, finding the star under the pointer, the balloon
// that follows the pointer, how it paints and sizes itself, and when it goes away.
#include <sys/stat.h>

#include <cstdio>

#include "platform/core/code_page.h"
#include "program_fixture.h"
#include "sky/star_popup.h"
#include "sky/star_table.h"

namespace {

struct Entry {
  RECT first;
  RECT second;
  std::string title, subtitle, description;  // UTF-8
};

// Writes a table in the file's layout, independently of the reader: numbers right-aligned in
// four characters, "," between them, CR LF after each rectangle, texts in code page 932.
std::string TableBytes(const std::vector<Entry>& entries) {
  std::string out;
  auto rect = [&](const RECT& r) {
    char line[32];
    std::snprintf(line, sizeof line, "%4d,%4d,%4d,%4d\r\n", static_cast<int>(r.left), static_cast<int>(r.top),
                  static_cast<int>(r.right), static_cast<int>(r.bottom));
    out += line;
  };
  for (const Entry& e : entries) {
    rect(e.first);
    rect(e.second);
    for (const std::string* text : {&e.title, &e.subtitle, &e.description}) {
      out += platform::ToCodePage932(*text).value();
      out += ";\r\n";
    }
  }
  return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Titles(const CStarTable& table) {
  std::vector<std::string> titles;
  for (const CStarDataObject* s : table) titles.push_back(s->m_strTitle);
  return titles;
}

void Free(CStarTable& table) {
  for (CStarDataObject* s : table) delete s;
  table.clear();
}

const Entry kVega{{10, 20, 14, 24}, {10, 20, 14, 24}, "ベガ（織女星）", "こと座 α星 0.0等", "青白く輝く夏の星です。"};
const Entry kCapella{{100, 50, 104, 54}, {1561, 50, 1565, 54}, "カペラ", "ぎょしゃ座 α星 0.1等", "黄色い星です。"};

}  // namespace

TEST(StarTableReader, NumberFieldsReadLikeTheCLibrarysAtoi) {
  const std::pair<const char*, int> cases[] = {{"0120", 120}, {" 120", 120}, {"120,", 120}, {" -12", -12},
                                               {"12ab", 12},  {"    ", 0},   {"+7  ", 7},   {"-   ", 0},
                                               {"\t\n 9", 9}, {"9999", 9999}, {"-999", -999}, {"ab12", 0}};
  for (const auto& [bytes, value] : cases) EXPECT_EQ(sky::FieldNumber(bytes), value) << '"' << bytes << '"';
}

class StarTableReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-stars-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override {
    Free(table_);
    std::filesystem::remove_all(dir_);
  }
  CStarTable& Load(const std::string& bytes) {
    Free(table_);
    WriteFile(dir_ + "/SPup.sbd", bytes);
    sky::LoadStarTable((dir_ + "/SPup.sbd").c_str(), table_);
    return table_;
  }

  std::string dir_;
  CStarTable table_;
};

TEST_F(StarTableReaderTest, EntriesComeBackInFileOrderWithTheirTextsInUtf8) {
  const CStarTable& t = Load(TableBytes({kVega, kCapella}));
  ASSERT_EQ(t.size(), 2u);
  const CStarDataObject& capella = *t.back();
  EXPECT_EQ(t.front()->m_strTitle, "ベガ（織女星）");
  EXPECT_EQ(t.front()->m_strDescription, "青白く輝く夏の星です。");
  EXPECT_EQ(capella.m_rcFirst, CRect(100, 50, 104, 54));
  EXPECT_EQ(capella.m_rcSecond, CRect(1561, 50, 1565, 54));
  EXPECT_EQ(capella.m_strSubtitle, "ぎょしゃ座 α星 0.1等");

  // Separators and line ends may be any bytes; a text may hold line breaks.
  std::string odd = TableBytes({kVega});
  odd[4] = 'x';
  odd[19] = '\0';
  odd[20] = '\0';
  odd.insert(odd.find(";", 42), "\r\n2");
  ASSERT_EQ(Load(odd).size(), 1u);
  EXPECT_EQ(table_.front()->m_rcFirst, CRect(10, 20, 14, 24));
  EXPECT_EQ(table_.front()->m_strTitle, "ベガ（織女星）\r\n2");
}

TEST_F(StarTableReaderTest, AFileCutShortKeepsTheEntriesBeforeTheCut) {
  const std::string whole = TableBytes({kVega, kCapella});
  const size_t second = TableBytes({kVega}).size();
  // Empty, shorter than one number, cut inside the second entry's numbers, inside its
  // texts (no ";" before the end), and just before the last text's ";".
  EXPECT_TRUE(Load("").empty());
  EXPECT_TRUE(Load("  1").empty());
  EXPECT_EQ(Titles(Load(whole.substr(0, second + 3))), std::vector<std::string>{"ベガ（織女星）"});
  EXPECT_EQ(Titles(Load(whole.substr(0, second + 30))), std::vector<std::string>{"ベガ（織女星）"});
  EXPECT_EQ(Titles(Load(whole.substr(0, second + 50))), std::vector<std::string>{"ベガ（織女星）"});
  EXPECT_EQ(Titles(Load(whole.substr(0, whole.size() - 3))), std::vector<std::string>{"ベガ（織女星）"});
  // Cut after the last ";": the two line-end bytes are all that is missing.
  EXPECT_EQ(Load(whole.substr(0, whole.size() - 2)).size(), 2u);
  // Bytes that mean nothing in code page 932 read as U+FFFD rather than stopping the table.
  std::string damaged = TableBytes({kVega});
  damaged[42] = '\x81';
  damaged[43] = '\x7F';
  ASSERT_EQ(Load(damaged).size(), 1u);
  EXPECT_EQ(table_.front()->m_strTitle.rfind("\xEF\xBF\xBD", 0), 0u);
}

TEST_F(StarTableReaderTest, AMissingFileAPipeOrAFolderGiveAnEmptyTableAtOnce) {
  sky::LoadStarTable((dir_ + "/missing.sbd").c_str(), table_);
  EXPECT_TRUE(table_.empty());
  ASSERT_EQ(mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  sky::LoadStarTable((dir_ + "/pipe").c_str(), table_);  // nobody writes: must not wait
  sky::LoadStarTable(dir_.c_str(), table_);
  EXPECT_TRUE(table_.empty());
}

TEST_F(StarTableReaderTest, OnlyTheFirstMegabyteOfAHugeFileIsRead) {
  // A text that never ends: the reader gives up at the limit instead of growing without end.
  std::string endless = TableBytes({kVega}).substr(0, 42);
  endless.append(static_cast<size_t>(sky::kMaxTableBytes) * 2, 'a');
  EXPECT_TRUE(Load(endless).empty());
  // Entries that fit within the limit are kept; what lies beyond it is not read.
  std::string many;
  const std::string one = TableBytes({kVega});
  while (many.size() + one.size() <= static_cast<size_t>(sky::kMaxTableBytes)) many += one;
  const size_t fit = many.size() / one.size();
  many += one;
  many += one;
  EXPECT_EQ(Load(many).size(), fit);
}

// ---- The program ----

class StarBalloonTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char pattern[] = "/tmp/lumivane-balloons-XXXXXX";
    programDir = mkdtemp(pattern);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(programDir);
  }

  // Ends the running program and starts the platform afresh.
  void Restart() {
    ViewCommand(ID_EXIT);
    platform::Shutdown();
    app.reset();
    backend = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
  }

  // Starts with a table whose rectangles are given in view coordinates of today's window.
  void StartWith(const std::vector<Entry>& inView) {
    if (app) Restart();
    // Where the sky map lies in the view on the test's date (the headless clock's).
    ASSERT_TRUE(Start());
    const CPoint o = View()->m_ptSkyOrigin;
    std::vector<Entry> onMap = inView;
    for (Entry& e : onMap) {
      e.first = RECT{e.first.left + o.x, e.first.top + o.y, e.first.right + o.x, e.first.bottom + o.y};
      e.second = RECT{e.second.left + o.x, e.second.top + o.y, e.second.right + o.x, e.second.bottom + o.y};
    }
    WriteFile(programDir + "/SPup.sbd", TableBytes(onMap));
    Restart();
    ASSERT_TRUE(Start());
    ASSERT_EQ(View()->m_ptSkyOrigin, o);
  }

  CStarPopupWnd& Popup() { return View()->m_wndStarPopup; }
  RECT PopupRect() {
    RECT r;
    ::GetWindowRect(Popup().m_hWnd, &r);
    return r;
  }
  // Moves the pointer to a view point.
  void PointAt(int x, int y) {
    backend->MouseMove(POINT{FrameRect().left + x, FrameRect().top + y});
    platform::PumpPendingMessages();
  }
};

const Entry kNear{{40, 40, 44, 44}, {300, 300, 301, 301}, "近い星", "テスト座 α星 1.0等", "説明です。"};
const Entry kOverlapping{{42, 42, 60, 60}, {42, 42, 60, 60}, "重なる星", "テスト座 β星 2.0等", "二番目です。"};
const Entry kSecondImage{{500, 500, 501, 501}, {100, 30, 104, 34}, "二つ目の像", "テスト座 γ星 3.0等", "右の像です。"};
const Entry kUnderTheBar{{73, 30, 77, 34}, {73, 30, 77, 34}, "棒の下の星", "テスト座 δ星 4.0等", "棒の下です。"};

TEST_F(StarBalloonTest, EveryEdgeOfARectangleCountsAndTheFirstEntryWins) {
  WriteSetting("EdgeFlg", 0);
  StartWith({kNear, kOverlapping, kSecondImage});
  ASSERT_EQ(View()->m_starTable.size(), 3u);
  // Corners and edges inside, one pixel beyond outside.
  for (const POINT p : {POINT{40, 40}, POINT{44, 44}, POINT{44, 40}, POINT{40, 44}}) {
    EXPECT_EQ(View()->HitStar(p.x, p.y), 1) << p.x << ", " << p.y;
    EXPECT_EQ(Popup().m_strTitle, "近い星");
  }
  // Where the first two overlap the earlier entry wins; beyond the first only the second.
  EXPECT_EQ(View()->HitStar(43, 43), 1);
  EXPECT_EQ(Popup().m_strTitle, "近い星");
  EXPECT_EQ(View()->HitStar(45, 45), 1);
  EXPECT_EQ(Popup().m_strTitle, "重なる星");
  EXPECT_EQ(View()->HitStar(60, 60), 1);
  EXPECT_EQ(View()->HitStar(61, 60), 0);
  EXPECT_EQ(View()->HitStar(39, 40), 0);
  // A miss leaves the texts of the last hit; the second rectangle is tested too.
  EXPECT_EQ(Popup().m_strTitle, "重なる星");
  EXPECT_EQ(View()->HitStar(104, 34), 1);
  EXPECT_EQ(Popup().m_strTitle, "二つ目の像");
  EXPECT_EQ(Popup().m_strDescription, "右の像です。");
}

TEST_F(StarBalloonTest, WithAFrameOnlyStarsSeenThroughThePanesAnswer) {
  // The log frame with bars at 150 pixels: its vertical bar covers columns about 71..79.
  StartWith({kUnderTheBar, kNear});
  EXPECT_EQ(View()->HitStar(75, 32), 0);
  EXPECT_EQ(View()->HitStar(42, 42), 1);
  // Over the frame itself nothing answers either: a star there is not seen.
  Doc()->EdgeFlg = 0;
  EXPECT_EQ(View()->HitStar(75, 32), 1);
  EXPECT_EQ(Popup().m_strTitle, "棒の下の星");
  // Only exactly 1 means a frame is shown.
  Doc()->EdgeFlg = 2;
  EXPECT_EQ(View()->HitStar(75, 32), 1);
}

TEST_F(StarBalloonTest, TheBalloonFollowsThePointerAndNeverTakesTheActivation) {
  WriteSetting("EdgeFlg", 0);
  StartWith({kNear});
  const HWND active = ::GetActiveWindow();
  ASSERT_EQ(active, FrameHwnd());
  EXPECT_FALSE(Popup().IsWindowVisible());
  PointAt(41, 42);
  ASSERT_TRUE(Popup().IsWindowVisible());
  EXPECT_EQ(PopupRect().left, FrameRect().left + 41 + 10);
  EXPECT_EQ(PopupRect().top, FrameRect().top + 42 + 10);
  // Within the star it only moves, keeping the size its paint gave it.
  const RECT before = PopupRect();
  PointAt(43, 44);
  EXPECT_EQ(PopupRect().left, FrameRect().left + 43 + 10);
  EXPECT_EQ(PopupRect().top, FrameRect().top + 44 + 10);
  EXPECT_EQ(PopupRect().right - PopupRect().left, before.right - before.left);
  EXPECT_EQ(::GetActiveWindow(), active);
  // A click on the balloon does not activate it either.
  const RECT r = PopupRect();
  backend->MouseDown(POINT{r.left + 3, r.top + 3});
  backend->MouseUp(POINT{r.left + 3, r.top + 3});
  platform::PumpPendingMessages();
  EXPECT_EQ(::GetActiveWindow(), active);
  // Off every star it hides (the balloon lies over its owner, so away from the balloon too).
  PointAt(20, 90);
  EXPECT_FALSE(Popup().IsWindowVisible());
}

TEST_F(StarBalloonTest, TheBalloonGoesWhenThePointerLeavesTheWindowFromAStar) {
  WriteSetting("EdgeFlg", 0);
  StartWith({kNear});
  PointAt(42, 42);
  ASSERT_TRUE(Popup().IsWindowVisible());
  // Still over the window: it stays, whatever time passes.
  backend->Advance(2000);
  EXPECT_TRUE(Popup().IsWindowVisible());
  // Straight off the window: no more moves reach the view, the balloon's own check hides it.
  backend->MouseMove(POINT{FrameRect().left - 30, FrameRect().top + 42});
  backend->Advance(CStarPopupWnd::kCheckPeriodMs + 55);
  EXPECT_FALSE(Popup().IsWindowVisible());
  // And with it hidden, its check stops.
  EXPECT_EQ(Popup().m_nTimerId, 0);
  for (const user::detail::Timer& t : user::detail::S().timers) EXPECT_NE(t.hwnd, Popup().m_hWnd);
}

TEST_F(StarBalloonTest, TheBalloonLeavesARoundWindowOutsideItsEllipse) {
  WriteSetting("EdgeFlg", 0);
  WriteSetting("CircleEdgeFlg", 1);
  StartWith({Entry{{4, 4, 10, 10}, {4, 4, 10, 10}, "角の星", "テスト座 ε星 5.0等", "角です。"}});
  // The corner of the square lies outside the round window's outline.
  View()->HitStar(5, 5);
  Popup().SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Popup().ShowWindow(SW_SHOWNA);
  platform::PumpPendingMessages();
  backend->cursorPos = POINT{FrameRect().left + 5, FrameRect().top + 5};
  backend->Advance(CStarPopupWnd::kCheckPeriodMs + 55);
  EXPECT_FALSE(Popup().IsWindowVisible());
}

TEST_F(StarBalloonTest, TheBottomBorderHitCodeHidesTheBalloon) {
  WriteSetting("EdgeFlg", 0);
  StartWith({kNear});
  PointAt(42, 42);
  ASSERT_TRUE(Popup().IsWindowVisible());
  View()->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(View()->m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_TRUE(Popup().IsWindowVisible());
  View()->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(View()->m_hWnd), MAKELPARAM(HTBOTTOM, WM_MOUSEMOVE));
  EXPECT_FALSE(Popup().IsWindowVisible());
}

// ---- The balloon's paint ----

class BalloonPaintTest : public StarBalloonTest {
 protected:
  // Shows the balloon for an entry and lets both its paints happen.
  const gdi::Surface& ShowBalloon(const Entry& e) {
    WriteSetting("EdgeFlg", 0);
    StartWith({e});
    PointAt(e.first.left, e.first.top);
    EXPECT_TRUE(Popup().IsWindowVisible());
    return *user::WindowPixels(Popup().m_hWnd);
  }

  // Single-line extents of a text in one of the balloon's fonts.
  CSize Extent(CFont& font, const std::string& text) {
    CClientDC dc(&Popup());
    CFont* previous = dc.SelectObject(&font);
    const CSize s = dc.GetTextExtent(text);
    dc.SelectObject(previous);
    return s;
  }
};

TEST_F(BalloonPaintTest, TheBalloonTakesTheSizeOfItsTextsAndWrapsTheDescription) {
  const Entry star{{40, 40, 44, 44},
                   {40, 40, 44, 44},
                   "ベガ（織女星）",
                   "こと座 α星 0.0等",
                   "青白く輝く夏の大三角の一つで、七夕の織姫星として親しまれています。距離は約25光年です。"};
  const gdi::Surface& pixels = ShowBalloon(star);
  const CSize title = Extent(Popup().m_fontTitle, star.title);
  const CSize subtitle = Extent(Popup().m_fontText, star.subtitle);
  const CSize description = Extent(Popup().m_fontText, star.description);
  const int widest = std::max(title.cx, subtitle.cx);
  const int height = (description.cx / widest + 2) * description.cy + (title.cy + 2) + (subtitle.cy + 2) + 6;
  ASSERT_EQ(pixels.width, widest + 5);
  ASSERT_EQ(pixels.height, height);
  ASSERT_GT(description.cx / widest, 1) << "the description must need wrapping for this test";

  const std::uint32_t blue = 0x0000FF, black = 0, paper = 0xFFFFC0;
  auto count = [&](std::uint32_t colour, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 2; x < pixels.width - 2; ++x) n += pixels.At(x, y) == colour;
    }
    return n;
  };
  // The title in blue on its line, the subtitle in black below it, nothing else there.
  EXPECT_GT(count(blue, 2, 2 + title.cy), 20);
  EXPECT_EQ(count(black, 2, 2 + title.cy), 0);
  EXPECT_GT(count(black, title.cy + 4, title.cy + 4 + subtitle.cy), 20);
  EXPECT_EQ(count(blue, title.cy + 4, pixels.height - 2), 0);
  // The description wrapped over several lines, each with ink.
  const int first = title.cy + subtitle.cy + 8;
  const int wrapped = description.cx / widest + 1;
  for (int line = 0; line < wrapped; ++line) {
    EXPECT_GT(count(black, first + line * description.cy, first + (line + 1) * description.cy), 5) << "line " << line;
  }
  // The pale yellow paper everywhere else, for instance just inside the inner ring.
  EXPECT_EQ(pixels.At(2, pixels.height - 3), paper);
  EXPECT_EQ(pixels.At(pixels.width - 3, 2), paper);
}

TEST_F(BalloonPaintTest, TwoRingsLitFromTheUpperLeftOutsideAndTheLowerRightInside) {
  const gdi::Surface& p = ShowBalloon(kNear);
  const int w = p.width, h = p.height;
  const std::uint32_t light = 0xC8C8C8, dark = 0x5C5C5C, paper = 0xFFFFC0;
  // Outer ring: light along the top and left, dark along the bottom and right; the lines
  // leave out their end points, so the two far corners belong to the light lines.
  for (int x = 0; x < w; ++x) EXPECT_EQ(p.At(x, 0), light) << x;
  for (int y = 0; y < h; ++y) EXPECT_EQ(p.At(0, y), light) << y;
  for (int x = 1; x < w; ++x) EXPECT_EQ(p.At(x, h - 1), dark) << x;
  for (int y = 1; y < h; ++y) EXPECT_EQ(p.At(w - 1, y), dark) << y;
  // Inner ring: dark at the top and left, light at the bottom and right; its two far
  // corners are nobody's and stay paper.
  for (int x = 1; x <= w - 3; ++x) EXPECT_EQ(p.At(x, 1), dark) << x;
  for (int y = 1; y <= h - 3; ++y) EXPECT_EQ(p.At(1, y), dark) << y;
  for (int x = 2; x <= w - 2; ++x) EXPECT_EQ(p.At(x, h - 2), light) << x;
  for (int y = 2; y <= h - 2; ++y) EXPECT_EQ(p.At(w - 2, y), light) << y;
  EXPECT_EQ(p.At(w - 2, 1), paper);
  EXPECT_EQ(p.At(1, h - 2), paper);
}

TEST_F(BalloonPaintTest, WithoutTitleAndSubtitleTheDescriptionSetsAWidthOfItsOwn) {
  const Entry bare{{40, 40, 44, 44}, {40, 40, 44, 44}, "", "", "題のない星の長い説明文が、ここに続いています。まだ続きます。"};
  const gdi::Surface& pixels = ShowBalloon(bare);
  const CSize description = Extent(Popup().m_fontText, bare.description);
  const int width = std::min<int>(description.cx, CStarPopupWnd::kWidthWithoutTitles);
  EXPECT_EQ(pixels.width, width + 5);
  EXPECT_GT(pixels.height, 2 * description.cy);
  // Nothing at all: a small empty balloon, no division by zero.
  const gdi::Surface& empty = ShowBalloon(Entry{{40, 40, 44, 44}, {40, 40, 44, 44}, "", "", ""});
  EXPECT_EQ(empty.width, 5);
  EXPECT_GT(empty.height, 0);
}

TEST_F(StarBalloonTest, TheBalloonGoesWhenADialogTakesTheWindowOver) {
  WriteSetting("EdgeFlg", 0);
  StartWith({kNear});
  PointAt(41, 42);
  ASSERT_TRUE(Popup().IsWindowVisible());
  // The settings opened from the keyboard with the pointer resting on the star: the window
  // takes no pointer while its dialog is up, so the balloon cannot stay.
  int waits = 0;
  bool shownWithDialog = true;
  backend->idle = [&] {
    if (waits++ == 0) {
      backend->Advance(1000);
      return;
    }
    shownWithDialog = Popup().IsWindowVisible() != FALSE;
    backend->Key(VK_ESCAPE, true);
    backend->Key(VK_ESCAPE, false);
  };
  ViewCommand(ID_SETTINGS);
  backend->idle = nullptr;
  EXPECT_FALSE(shownWithDialog);
}

// The program reads the user's own sky files in place of the shipped ones, each on its own,
// until the user's folder goes; and takes bad ones as it takes the same bad files shipped.
#include <cstdint>
#include <filesystem>

#include "document/settings.h"
#include "platform/gdi/surface.h"
#include "program_fixture.h"
#include "scoped_environment.h"
#include "user_sky_files.h"

namespace fs = std::filesystem;

namespace {

class UserSkyProgramTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char pattern[] = "/tmp/lumivane-user-sky-XXXXXX";
    dataHome_ = mkdtemp(pattern);
    environment_.Set("XDG_DATA_HOME", dataHome_.string());
    // A square window without frame, clock or events: all of it is sky.
    WriteSetting("EdgeFlg", 0);
    WriteSetting("ClockFlg", 0);
    WriteSetting("CircleEdgeFlg", 0);
    WriteSetting("ShootingStarLevel", 0);
    WriteSetting("SateltLevel", 0);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    fs::remove_all(dataHome_);
    if (!shippedCopy_.empty()) fs::remove_all(shippedCopy_);
  }

  static fs::path Shipped(const std::string& name) { return fs::read_symlink("/proc/self/exe").parent_path() / name; }
  fs::path UserFile(const std::string& name) const { return dataHome_ / "Lumivane" / name; }

  // Ends the running program (which stores its settings as it goes) and starts the platform
  // afresh; settings written after this are the next start's.
  void Stop() {
    ViewCommand(ID_EXIT);
    platform::Shutdown();
    app.reset();
    platform::HeadlessBackend::Options options;
    options.screen = SIZE{640, 480};
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
    if (desktop_) backend->SetDesktopPicture(*desktop_);
  }

  void Restart() {
    Stop();
    ASSERT_TRUE(Start());
  }

  void UseDesktop(std::uint32_t colour) {
    desktop_ = gdi::Surface(640, 480);
    for (std::uint32_t& p : desktop_->pixels) p = colour;
    backend->SetDesktopPicture(*desktop_);
  }

  // The window's pixels, which without a frame are all sky.
  std::vector<std::uint32_t> Shown() const { return user::WindowPixels(FrameHwnd())->pixels; }

  // What the window shows from these maps: the maps' pixels at the sky's origin, over the
  // desktop colour cut by the mask, or alone over darkness.
  std::vector<std::uint32_t> Expected(const fs::path& stars, const fs::path& mask, std::optional<std::uint32_t> desktop) {
    const platform::Image hi = usersky::DecodedMap(stars);
    const platform::Image sh = usersky::DecodedMap(mask);
    const gdi::Surface& shown = *user::WindowPixels(FrameHwnd());
    const CPoint o = View()->m_ptSkyOrigin;
    std::vector<std::uint32_t> out;
    for (int y = 0; y < shown.height; ++y) {
      for (int x = 0; x < shown.width; ++x) {
        const std::size_t at = static_cast<std::size_t>(o.y + y) * hi.width + o.x + x;
        const std::uint32_t star = hi.argb.at(at) & 0xFFFFFF;
        out.push_back(desktop ? (*desktop & sh.argb.at(at) & 0xFFFFFF) | star : star);
      }
    }
    return out;
  }

  static int Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
  }

  fs::path dataHome_;
  fs::path shippedCopy_;  // a program folder of a test's own
  std::optional<gdi::Surface> desktop_;
  ScopedEnvironment environment_;
};

TEST_F(UserSkyProgramTest, EachOfTheUsersMapsIsShownInPlaceOfTheShippedOneUntilTheFolderGoes) {
  constexpr std::uint32_t kDesktop = 0x336699;
  WriteSetting("BkMode", settings::kBackgroundDesktop);
  UseDesktop(kDesktop);
  ASSERT_TRUE(Start());
  const std::vector<std::uint32_t> shipped = Expected(Shipped("SkyMapHi.SBM"), Shipped("SkyMapSh.SBM"), kDesktop);
  ASSERT_EQ(Differing(Shown(), shipped), 0);

  // The user's stars alone: their pixels over the shipped mask.
  usersky::WriteInvertedMap(Shipped("SkyMapHi.SBM"), UserFile("SkyMapHi.SBM"));
  Restart();
  const std::vector<std::uint32_t> userStars = Expected(UserFile("SkyMapHi.SBM"), Shipped("SkyMapSh.SBM"), kDesktop);
  EXPECT_GT(Differing(userStars, shipped), static_cast<int>(shipped.size()) / 2);
  EXPECT_EQ(Differing(Shown(), userStars), 0);

  // And the user's mask too.
  usersky::WriteInvertedMap(Shipped("SkyMapSh.SBM"), UserFile("SkyMapSh.SBM"));
  Restart();
  const std::vector<std::uint32_t> userBoth = Expected(UserFile("SkyMapHi.SBM"), UserFile("SkyMapSh.SBM"), kDesktop);
  EXPECT_GT(Differing(userBoth, userStars), 0);
  EXPECT_EQ(Differing(Shown(), userBoth), 0);

  // Over darkness the user's stars show alone.
  Stop();
  WriteSetting("BkMode", settings::kBackgroundDarkness);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Differing(Shown(), Expected(UserFile("SkyMapHi.SBM"), UserFile("SkyMapSh.SBM"), std::nullopt)), 0);

  // The folder removed, the shipped sky is back.
  Stop();
  fs::remove_all(dataHome_ / "Lumivane");
  WriteSetting("BkMode", settings::kBackgroundDesktop);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Differing(Shown(), shipped), 0);
}

TEST_F(UserSkyProgramTest, TheUsersStarTableGivesTheBalloonsUntilTheFolderGoes) {
  ASSERT_TRUE(Start());
  const std::size_t shippedStars = View()->m_starTable.size();
  ASSERT_GT(shippedStars, 1u);
  // One star of the user's, at view point (60, 50) of this date's window.
  const CPoint o = View()->m_ptSkyOrigin;
  usersky::WriteBytes(UserFile("SPup.sbd"), usersky::OneStarTable(o.x + 58, o.y + 48, o.x + 62, o.y + 52));
  Restart();
  ASSERT_EQ(View()->m_ptSkyOrigin, o);
  ASSERT_EQ(View()->m_starTable.size(), 1u);
  backend->MouseMove(POINT{FrameRect().left + 60, FrameRect().top + 50});
  platform::PumpPendingMessages();
  EXPECT_TRUE(View()->m_wndStarPopup.IsWindowVisible());
  EXPECT_EQ(View()->m_wndStarPopup.m_strTitle, usersky::kStarTitle);

  fs::remove_all(dataHome_ / "Lumivane");
  Restart();
  EXPECT_EQ(View()->m_starTable.size(), shippedStars);
  for (const CStarDataObject* star : View()->m_starTable) EXPECT_NE(star->m_strTitle, usersky::kStarTitle);
}

TEST_F(UserSkyProgramTest, BadUserFilesAreTakenAsTheSameBadFilesInTheProgramFolderWouldBe) {
  const std::string garbage(5000, '\x5A');
  const std::string halfMap = usersky::ReadBytes(Shipped("SkyMapSh.SBM")).substr(0, 3000);
  WriteSetting("BkMode", settings::kBackgroundDesktop);
  UseDesktop(0x204060);

  // In the user's folder.
  usersky::WriteBytes(UserFile("SkyMapHi.SBM"), garbage);
  usersky::WriteBytes(UserFile("SkyMapSh.SBM"), halfMap);
  usersky::WriteBytes(UserFile("SPup.sbd"), garbage);
  ASSERT_TRUE(Start());
  ASSERT_TRUE(::IsWindowVisible(FrameHwnd()));
  EXPECT_TRUE(View()->m_starTable.empty());
  backend->MouseMove(POINT{FrameRect().left + 60, FrameRect().top + 50});
  View()->InvalidateRect(nullptr, FALSE);
  platform::PumpPendingMessages();
  const std::vector<std::uint32_t> fromUser = Shown();

  // The same files as the program folder's, with no user folder.
  fs::remove_all(dataHome_ / "Lumivane");
  char pattern[] = "/tmp/lumivane-bad-program-XXXXXX";
  shippedCopy_ = mkdtemp(pattern);
  usersky::WriteBytes(shippedCopy_ / "SkyMapHi.SBM", garbage);
  usersky::WriteBytes(shippedCopy_ / "SkyMapSh.SBM", halfMap);
  usersky::WriteBytes(shippedCopy_ / "SPup.sbd", garbage);
  programDir = shippedCopy_.string();
  Restart();
  ASSERT_TRUE(::IsWindowVisible(FrameHwnd()));
  EXPECT_TRUE(View()->m_starTable.empty());
  backend->MouseMove(POINT{FrameRect().left + 60, FrameRect().top + 50});
  View()->InvalidateRect(nullptr, FALSE);
  platform::PumpPendingMessages();
  EXPECT_EQ(Differing(Shown(), fromUser), 0);
}

}  // namespace

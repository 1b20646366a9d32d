// What a paint of the window costs: the real program on the headless backend, repainting its
// whole window at each size step over darkness and over the desktop in every frame, against
// three plain passes over the window's pixels; and the frame with its clock alone, as every
// paint and every minute's clock refresh draws them.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "app/my_app.h"
#include "document/my_doc.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/core/profile_store.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "res/resource.h"
#include "view/my_view.h"

namespace {

// The program started with a size step and a background, in a settings folder of its own;
// the shipped sky maps are read from beside the benchmark executable.
class RunningProgram {
 public:
  RunningProgram(int sizeStep, int background, std::initializer_list<std::pair<const char*, int>> more = {}) {
    char pattern[] = "/tmp/lumivane-bench-XXXXXX";
    config_ = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    platform::ProfileStore settings(platform::ProfilePathFor("Orvant", "Lumivane"));
    settings.WriteInt("Config", "FrameSizeNo", sizeStep);
    settings.WriteInt("Config", "BkMode", background);
    settings.WriteInt("Config", "ShootingStarLevel", 0);
    settings.WriteInt("Config", "SateltLevel", 0);
    for (const auto& [name, value] : more) settings.WriteInt("Config", name, value);
    auto* backend = new platform::HeadlessBackend();
    gdi::Surface desktop(640, 480, 0x405060);
    backend->SetDesktopPicture(desktop);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
    app_ = std::make_unique<CMyApp>();
    char name[] = "lumivane_bench";
    char* argv[] = {name};
    AfxWinInit(app_.get(), 1, argv);
    app_->InitInstance();
    platform::PumpPendingMessages();
  }
  ~RunningProgram() {
    platform::Shutdown();
    app_.reset();
    std::filesystem::remove_all(config_);
  }

  CMyView* ViewObject() const {
    return static_cast<CMyView*>(static_cast<CFrameWnd*>(app_->m_pMainWnd)->GetActiveView());
  }
  HWND View() const { return ViewObject()->m_hWnd; }

 private:
  std::string config_;
  std::unique_ptr<CMyApp> app_;
};

constexpr int kEdges[] = {100, 125, 150, 200, 275, 350};

// A whole window repainted, as the sky's invalidations bring it: at each size step, over
// darkness (background 1) or the desktop (2), square or round, log (1) or aluminium (0),
// with or without bars; the clock always shown. Compare each with ThreePasses at its edge.
void FullPaint(benchmark::State& state) {
  const int step = static_cast<int>(state.range(0));
  const int background = static_cast<int>(state.range(1));
  const int round = static_cast<int>(state.range(2));
  const int log = static_cast<int>(state.range(3));
  const int bars = static_cast<int>(state.range(4));
  RunningProgram program(step, background,
                         {{"CircleEdgeFlg", round}, {"EdgeKind", log ? 1 : 2}, {"EdgeClossFlg", bars ? 1 : 2}, {"ClockFlg", 1}});
  const HWND view = program.View();
  for (auto _ : state) {
    ::InvalidateRect(view, nullptr, FALSE);
    platform::PumpPendingMessages();
  }
  const int edge = kEdges[step - 1];
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * edge * edge * 4);
}
BENCHMARK(FullPaint)
    ->ArgsProduct({{1, 2, 3, 4, 5, 6}, {1, 2}, {0, 1}, {1, 0}, {1, 0}})
    ->ArgNames({"step", "background", "round", "log", "bars"});

// The same paint without the frame and clock: the sky's share of a full paint.
void SkyPaint(benchmark::State& state) {
  const int step = static_cast<int>(state.range(0));
  RunningProgram program(step, static_cast<int>(state.range(1)), {{"EdgeFlg", 0}});
  const HWND view = program.View();
  for (auto _ : state) {
    ::InvalidateRect(view, nullptr, FALSE);
    platform::PumpPendingMessages();
  }
}
BENCHMARK(SkyPaint)->ArgsProduct({{1, 6}, {1, 2}})->ArgNames({"step", "background"});

// The frame and the clock drawn straight into the window at 350 pixels, as each paint draws
// them after the sky: material (1 log, 0 aluminium), shape and bars.
void FrameAndClock(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const int round = static_cast<int>(state.range(1));
  const int bars = static_cast<int>(state.range(2));
  RunningProgram program(6, 1, {{"EdgeKind", kind}, {"CircleEdgeFlg", round}, {"EdgeClossFlg", bars}, {"ClockFlg", 1}});
  CMyView* view = program.ViewObject();
  CClientDC dc(view);
  for (auto _ : state) {
    if (kind == 1) {
      view->PaintLogFrame(&dc, bars);
    } else {
      view->PaintAlumiFrame(&dc, bars);
    }
    view->PaintClock(&dc);
  }
}
BENCHMARK(FrameAndClock)->ArgsProduct({{1, 0}, {0, 1}, {1, 0}})->ArgNames({"log", "round", "bars"});

// The paint that follows a minute's turn: frame and clock again, clipped to the minutes.
void MinuteRefresh(benchmark::State& state) {
  const int round = static_cast<int>(state.range(0));
  RunningProgram program(6, 1, {{"EdgeKind", 1}, {"CircleEdgeFlg", round}, {"EdgeClossFlg", 1}, {"ClockFlg", 1}});
  CMyView* view = program.ViewObject();
  for (auto _ : state) {
    view->m_bSkipSky = 1;
    view->InvalidateRect(&view->m_rcClockMinute, FALSE);
    platform::PumpPendingMessages();
  }
}
BENCHMARK(MinuteRefresh)->Arg(0)->Arg(1)->ArgNames({"round"});

// A satellite's step: a 4 x 4 square of the glass repainted, 200 times a second while it
// flies, each time with the whole sky composed and the frame drawn clipped to the square.
void SatelliteStep(benchmark::State& state) {
  const int round = static_cast<int>(state.range(0));
  RunningProgram program(6, 1, {{"EdgeKind", 1}, {"CircleEdgeFlg", round}, {"EdgeClossFlg", 1}, {"ClockFlg", 1}});
  CMyView* view = program.ViewObject();
  const CRect square(60, 80, 64, 84);
  for (auto _ : state) {
    view->InvalidateRect(&square, FALSE);
    platform::PumpPendingMessages();
  }
}
BENCHMARK(SatelliteStep)->Arg(0)->Arg(1)->ArgNames({"round"});

// The yardstick: three passes over a window's pixels (compose, blend, copy to the window).
void ThreePasses(benchmark::State& state) {
  const int edge = static_cast<int>(state.range(0));
  const size_t bytes = static_cast<size_t>(edge) * edge * 4;
  std::vector<char> a(bytes, 1);
  std::vector<char> b(bytes, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    std::memcpy(a.data(), b.data(), bytes);
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}
BENCHMARK(ThreePasses)->Arg(100)->Arg(125)->Arg(150)->Arg(200)->Arg(275)->Arg(350);

}  // namespace

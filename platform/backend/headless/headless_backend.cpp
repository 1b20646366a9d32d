#include "platform/backend/headless/headless_backend.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "platform/core/help_file.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/sound/sound_file.h"
#include "platform/user/native.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace platform {
namespace {

// Local time is kept as if it were UTC: the headless world has no time zone, and the
// arithmetic on it must not depend on the machine's.
std::int64_t ToEpoch(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  return static_cast<std::int64_t>(timegm(&tm));
}

LocalTime FromEpoch(std::int64_t seconds) {
  const std::time_t s = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&s, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
                   tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

}  // namespace

HeadlessBackend::HeadlessBackend() : HeadlessBackend(Options{}) {}

HeadlessBackend::HeadlessBackend(Options options)
    : screen_(options.screen), bits_(options.bitsPerPixel), panelHeight_(options.panelHeight), monitors_(options.monitors), desktop_(options.screen.cx, options.screen.cy) {
  epochBase_ = ToEpoch(options.start);
  gdi::SetDisplayBitsPerPixel(bits_);
}

void HeadlessBackend::SetLocalTime(const LocalTime& t) {
  epochBase_ = ToEpoch(t);
  clockBaseMs_ = now_;
}

void HeadlessBackend::SetEpochSeconds(std::int64_t seconds) {
  epochBase_ = seconds;
  clockBaseMs_ = now_;
}

std::int64_t HeadlessBackend::EpochSeconds() {
  return epochBase_ + static_cast<std::int64_t>((now_ - clockBaseMs_) / 1000);
}

LocalTime HeadlessBackend::Now() { return FromEpoch(EpochSeconds()); }

void HeadlessBackend::Advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  PumpPendingMessages();
  for (;;) {
    const auto due = NextTimerDue();
    if (!due || *due > target) break;
    now_ = std::max(now_, *due);
    PumpPendingMessages();
  }
  now_ = target;
  PumpPendingMessages();
}

void HeadlessBackend::WaitForEvents(std::optional<std::uint64_t> deadlineMs) {
  if (idle) {
    idle();
    return;
  }
  if (deadlineMs) {
    now_ = std::max(now_, *deadlineMs);
    return;
  }
  throw std::runtime_error("headless message loop waits with no timer and no idle handler");
}

std::vector<Backend::Monitor> HeadlessBackend::Monitors() {
  if (monitors_.empty()) return Backend::Monitors();
  std::vector<Monitor> out;
  for (const RECT& m : monitors_) out.push_back(Monitor{m, m});
  return out;
}

void HeadlessBackend::SetDesktopPicture(gdi::Surface picture) {
  desktop_ = std::move(picture);
  screen_ = SIZE{desktop_.width, desktop_.height};
}

void HeadlessBackend::GrabScreen(const RECT& area, std::uint32_t* out, int stride) {
  Grab grab{area, false};
  for (HWND h : user::TopLevelWindows()) {
    if (h == GetDesktopWindow() || !IsWindowVisible(h)) continue;
    RECT r;
    GetWindowRect(h, &r);
    RECT common;
    if (IntersectRect(&common, &r, &area)) grab.programWindowShown = true;
  }
  grabs.push_back(grab);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const std::uint32_t p = desktop_.Contains(x, y) ? desktop_.At(x, y) : 0;
      out[static_cast<size_t>(y - area.top) * stride + (x - area.left)] = p;
    }
  }
}

HWND HeadlessBackend::TopLevelAt(POINT screen) const {
  for (HWND h : user::TopLevelWindows()) {
    if (!IsWindowVisible(h)) continue;
    RECT r;
    GetWindowRect(h, &r);
    if (!PtInRect(&r, screen)) continue;
    const gdi::Region* shape = user::WindowShape(h);
    if (shape && !shape->Contains(screen.x - r.left, screen.y - r.top)) continue;
    return h;
  }
  return nullptr;
}

void HeadlessBackend::Log(const std::string& what, HWND hwnd, long extra) {
  std::string line = what + " " + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd));
  if (extra >= 0) line += " " + std::to_string(extra);
  log.push_back(std::move(line));
}

void HeadlessBackend::DestroyNative(HWND hwnd) {
  presents.erase(hwnd);
  nativeSyncs.erase(hwnd);
  shapes.erase(hwnd);
  shown_.erase(hwnd);
}

void HeadlessBackend::SyncNative(HWND hwnd, const NativeWindowState& state) {
  ++nativeSyncs[hwnd];
  const bool visible = state.visible;
  bool& was = shown_[hwnd];
  if (visible != was) Log(visible ? "shown" : "hidden", hwnd);
  was = visible;
}

void HeadlessBackend::SetNativeShape(HWND hwnd, const gdi::Region* region) {
  Log("shape", hwnd);
  shapes[hwnd] = region ? std::optional<gdi::Region>(*region) : std::nullopt;
}

void HeadlessBackend::MouseMove(POINT screen) {
  cursorPos = screen;
  if (HWND top = TopLevelAt(screen)) user::InjectMouse(top, WM_MOUSEMOVE, screen, 0);
}

void HeadlessBackend::MouseDown(POINT screen, UINT button) {
  cursorPos = screen;
  if (HWND top = TopLevelAt(screen)) {
    user::InjectMouse(top, button, screen, button == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON);
  }
}

void HeadlessBackend::MouseUp(POINT screen, UINT button) {
  cursorPos = screen;
  if (HWND top = TopLevelAt(screen)) user::InjectMouse(top, button, screen, 0);
}

void HeadlessBackend::Key(int virtualKey, bool down) { user::InjectKey(virtualKey, down); }

void HeadlessBackend::ClickTray(HWND hwnd, UINT id, UINT mouseMessage) {
  user::DeliverTrayEvent(hwnd, id, mouseMessage);
}

bool HeadlessBackend::TrayAdd(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) {
  Log("tray-add", hwnd, static_cast<long>(id));
  tray.push_back(TrayEntry{hwnd, id, icon, tip});
  return true;
}

bool HeadlessBackend::TrayModify(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) {
  for (TrayEntry& t : tray) {
    if (t.hwnd == hwnd && t.id == id) {
      t.icon = icon;
      t.tip = tip;
      return true;
    }
  }
  return false;
}

bool HeadlessBackend::TrayDelete(HWND hwnd, UINT id) {
  auto it = std::find_if(tray.begin(), tray.end(),
                         [&](const TrayEntry& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == tray.end()) return false;
  Log("tray-delete", hwnd, static_cast<long>(id));
  tray.erase(it);
  return true;
}

bool HeadlessBackend::StayModal() {
  return RunModalLoop(whileModalUp ? whileModalUp : [] { return false; });
}

UINT HeadlessBackend::TrackPopupMenu(const std::vector<MenuEntry>& entries, POINT at, HWND owner) {
  menus.push_back(MenuCall{entries, at, owner});
  if (!StayModal()) return 0;
  return menuChooser ? menuChooser(entries, at, owner) : 0;
}

std::optional<std::string> HeadlessBackend::FileDialog(const FileDialogRequest& request) {
  fileDialogs.push_back(request);
  if (!StayModal()) return std::nullopt;
  return fileDialogAnswer ? fileDialogAnswer(request) : std::nullopt;
}

int HeadlessBackend::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  messageBoxes.push_back(MessageBoxCall{owner, text, caption, type});
  // Taken down early, the one-button box answers as if its button had been pressed.
  if (!StayModal()) return IDOK;
  return messageBoxAnswer;
}

bool HeadlessBackend::ShowHelp(const HelpRequest& request) {
  helpRequests.push_back(request);
  if (!helpAvailable) return false;
  helpTopicShown.clear();
  helpProblem.clear();
  if (request.command == HELP_QUIT) return true;
  // The viewer's choice of topic, as the desktop's viewer makes it.
  const std::optional<help::Document> doc = help::Load(request.file, &helpProblem);
  if (!doc) return true;
  const help::Topic* topic = request.command == HELP_CONTEXT ? doc->Find(static_cast<std::int32_t>(request.data)) : nullptr;
  helpTopicShown = (topic ? *topic : doc->Contents()).title;
  return true;
}

bool HeadlessBackend::OpenUrl(const std::string& url) {
  if (!opensUrls) return false;
  openedUrls.push_back(url);
  return true;
}

bool HeadlessBackend::PlaySound(const std::string& path, bool loop) {
  // The desktop's decoder judges the file, so a file refused on the desktop is refused here.
  if (!SoundFile::Open(path)) {
    sounds.push_back("refused " + path);
    soundPlaying.clear();
    return false;
  }
  sounds.push_back("play " + path + (loop ? " loop" : " once"));
  soundPlaying = path;
  return true;
}

void HeadlessBackend::StopSound() {
  sounds.push_back("stop");
  soundPlaying.clear();
}

}  // namespace platform

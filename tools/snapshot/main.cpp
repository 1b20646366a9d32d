// lumivane-snapshot: runs the real program objects on the headless backend and writes what
// the window shows after its first full paint to a PNG, for previews, documentation and
// pixel tests. The view reads the sky files as the program does: each the user's own when
// there is one (sky::SkyFilePath), else the program folder's beside this tool.
#include <stdlib.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/my_app.h"
#include "document/settings.h"
#include "image/png_file.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/core/profile_store.h"
#include "platform/user/native.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "res/resource.h"
#include "view/my_view.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNoBalloon = 3;

struct Options {
  std::optional<platform::LocalTime> date;  // year, month, day
  std::optional<std::pair<int, int>> time;  // hour, minute
  std::map<std::string, int> settings;
  std::string desktop;
  std::optional<POINT> pointer;  // view point
  std::string balloon;
  bool about = false;  // the about box's client area instead of the window
  bool round = false;
  int depth = 24;
  std::string out;
};

constexpr const char* kUsageLine =
    "usage: lumivane-snapshot [--date YYYY-MM-DD] [--time HH:MM] [--set NAME=VALUE]... "
    "[--desktop PICTURE.png] [--pointer X,Y [--balloon BALLOON.png]] OUT.png, "
    "or lumivane-snapshot --about [--round] [--depth 8|24] OUT.png";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "lumivane-snapshot: %s (%s)\n", problem.c_str(), kUsageLine);
  return kUsage;
}

std::optional<int> Number(std::string_view text) {
  int value = 0;
  if (text.empty()) return std::nullopt;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::optional<platform::LocalTime> ParseDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto y = Number(std::string_view(text).substr(0, 4));
  const auto m = Number(std::string_view(text).substr(5, 2));
  const auto d = Number(std::string_view(text).substr(8, 2));
  if (!y || !m || !d || *y < 1970 || *y > 9999 || *m < 1 || *m > 12 || *d < 1) return std::nullopt;
  static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int length = kLengths[*m - 1] + (*m == 2 && IsLeap(*y) ? 1 : 0);
  if (*d > length) return std::nullopt;
  platform::LocalTime t;
  t.year = *y;
  t.month = *m;
  t.day = *d;
  return t;
}

std::optional<std::pair<int, int>> ParseTime(const std::string& text) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  const auto h = Number(std::string_view(text).substr(0, 2));
  const auto m = Number(std::string_view(text).substr(3, 2));
  if (!h || !m || *h < 0 || *h > 23 || *m < 0 || *m > 59) return std::nullopt;
  return std::pair{*h, *m};
}

// Returns an error message, or nothing when the arguments are sound.
std::optional<std::string> Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (a == "--help" || a == "-h") {
      std::puts(kUsageLine);
      std::exit(0);
    } else if (a == "--date") {
      const auto v = value();
      if (!v) return "--date needs a date";
      o.date = ParseDate(*v);
      if (!o.date) return "not a date (YYYY-MM-DD): " + *v;
    } else if (a == "--time") {
      const auto v = value();
      if (!v) return "--time needs a time";
      o.time = ParseTime(*v);
      if (!o.time) return "not a time (HH:MM): " + *v;
    } else if (a == "--set") {
      const auto v = value();
      if (!v) return "--set needs NAME=VALUE";
      const size_t eq = v->find('=');
      if (eq == std::string::npos) return "--set needs NAME=VALUE: " + *v;
      const std::string name = v->substr(0, eq);
      bool known = false;
      for (const settings::Entry& s : settings::kAll) known = known || name == s.name;
      if (!known) return "unknown setting: " + name;
      const auto n = Number(std::string_view(*v).substr(eq + 1));
      if (!n) return "not a whole number: " + v->substr(eq + 1);
      o.settings[name] = *n;
    } else if (a == "--pointer") {
      const auto v = value();
      if (!v) return "--pointer needs X,Y";
      const size_t comma = v->find(',');
      const auto x = comma == std::string::npos ? std::nullopt : Number(std::string_view(*v).substr(0, comma));
      const auto y = comma == std::string::npos ? std::nullopt : Number(std::string_view(*v).substr(comma + 1));
      if (!x || !y) return "not a point (X,Y): " + *v;
      o.pointer = POINT{*x, *y};
    } else if (a == "--balloon") {
      const auto v = value();
      if (!v) return "--balloon needs a file name";
      o.balloon = *v;
    } else if (a == "--about") {
      o.about = true;
    } else if (a == "--round") {
      o.round = true;
    } else if (a == "--depth") {
      const auto v = value();
      const auto n = v ? Number(*v) : std::nullopt;
      if (!n || (*n != 8 && *n != 24)) return "--depth takes 8 or 24";
      o.depth = *n;
    } else if (a == "--desktop") {
      const auto v = value();
      if (!v) return "--desktop needs a picture";
      o.desktop = *v;
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option: " + a;
    } else if (o.out.empty()) {
      o.out = a;
    } else {
      return "more than one output file";
    }
  }
  if (o.out.empty()) return "no output file";
  if (!o.balloon.empty() && !o.pointer) return "--balloon needs --pointer";
  if ((o.round || o.depth != 24) && !o.about) return "--round and --depth go with --about";
  if (o.about && (o.pointer || !o.desktop.empty())) return "--about takes no --pointer or --desktop";
  return std::nullopt;
}

platform::LocalTime NowLocal() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return platform::LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, 0};
}

// The user's settings with the snapshot's on top, in a folder of the snapshot's own: the
// program reads them from there and whatever it writes goes nowhere.
class SettingsOverlay {
 public:
  SettingsOverlay() {
    char pattern[] = "/tmp/lumivane-snapshot-XXXXXX";
    if (const char* made = mkdtemp(pattern)) folder_ = made;
  }
  ~SettingsOverlay() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  bool Prepare(const std::map<std::string, int>& settings, std::string& problem) {
    if (folder_.empty()) {
      problem = "cannot make a temporary folder";
      return false;
    }
    const fs::path user = platform::ProfilePathFor("Orvant", "Lumivane");
    const fs::path copy = fs::path(folder_) / "Orvant" / "Lumivane.ini";
    std::error_code ec;
    fs::create_directories(copy.parent_path(), ec);
    if (fs::exists(user, ec)) fs::copy_file(user, copy, ec);
    platform::ProfileStore store(copy);
    for (const auto& [name, value] : settings) {
      if (!store.WriteInt(settings::kSection, name, value)) {
        problem = "cannot write settings in " + folder_;
        return false;
      }
    }
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    return true;
  }

 private:
  std::string folder_;
};

// A window's pixels as a picture, transparent outside its outline.
bool WriteWindow(HWND hwnd, const std::string& path) {
  const gdi::Surface* pixels = user::WindowPixels(hwnd);
  const gdi::Region* shape = user::WindowShape(hwnd);
  platform::Image out;
  out.width = pixels->width;
  out.height = pixels->height;
  out.argb.resize(pixels->pixels.size());
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const bool inside = !shape || shape->Contains(x, y);
      out.argb[static_cast<size_t>(y) * out.width + x] = inside ? 0xFF000000u | pixels->At(x, y) : 0u;
    }
  }
  std::string error;
  if (!image::WritePng(path, out, &error)) {
    std::fprintf(stderr, "lumivane-snapshot: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

// A window's client area as a picture, transparent outside its outline.
bool WriteClientArea(HWND hwnd, const std::string& path) {
  const gdi::Surface* pixels = user::WindowPixels(hwnd);
  const gdi::Region* shape = user::WindowShape(hwnd);
  RECT window;
  ::GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ::ClientToScreen(hwnd, &origin);
  RECT client;
  ::GetClientRect(hwnd, &client);
  const int dx = origin.x - window.left;
  const int dy = origin.y - window.top;
  platform::Image out;
  out.width = client.right;
  out.height = client.bottom;
  out.argb.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const bool inside = !shape || shape->Contains(x + dx, y + dy);
      out.argb[static_cast<size_t>(y) * out.width + x] = inside ? 0xFF000000u | pixels->At(x + dx, y + dy) : 0u;
    }
  }
  std::string error;
  if (!image::WritePng(path, out, &error)) {
    std::fprintf(stderr, "lumivane-snapshot: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

// Runs the about command and writes the box's client area once it has been painted.
int SnapshotAbout(platform::HeadlessBackend& backend, CView* view, const std::string& out) {
  int status = kFailed;
  backend.idle = [&] {
    HWND box = nullptr;
    for (HWND h : user::TopLevelWindows()) {
      if (h != AfxGetMainWnd()->m_hWnd && ::IsWindowVisible(h) && ::GetWindowTextString(h) == "ﾊﾞｰｼﾞｮﾝ情報") box = h;
    }
    if (!box) throw std::runtime_error("the about box did not open");
    status = WriteClientArea(box, out) ? 0 : kFailed;
    ::EndDialog(box, IDOK);
  };
  view->SendMessage(WM_COMMAND, ID_ABOUT);
  backend.idle = nullptr;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const auto problem = Parse(argc, argv, options)) return Usage(*problem);

  platform::HeadlessBackend::Options headless;
  headless.screen = SIZE{1024, 768};
  std::optional<gdi::Surface> desktop;
  if (!options.desktop.empty()) {
    std::string error;
    const auto picture = image::ReadPng(options.desktop, &error);
    if (!picture) {
      std::fprintf(stderr, "lumivane-snapshot: %s: %s\n", options.desktop.c_str(), error.c_str());
      return kFailed;
    }
    desktop = gdi::Surface(picture->width, picture->height);
    for (size_t i = 0; i < picture->argb.size(); ++i) desktop->pixels[i] = picture->argb[i] & 0xFFFFFF;
    headless.screen = SIZE{picture->width, picture->height};
  }
  platform::LocalTime when = NowLocal();
  if (options.date) {
    when.year = options.date->year;
    when.month = options.date->month;
    when.day = options.date->day;
  }
  if (options.time) {
    when.hour = options.time->first;
    when.minute = options.time->second;
    when.second = 0;
  }
  headless.start = when;
  // The display's depth: 24 bits are kept in 32-bit pixels.
  headless.bitsPerPixel = options.depth == 8 ? 8 : 32;
  if (options.about && options.round) options.settings["CircleEdgeFlg"] = 1;
  if (options.about && !options.round) options.settings["CircleEdgeFlg"] = 0;

  SettingsOverlay overlay;
  std::string problem;
  if (!overlay.Prepare(options.settings, problem)) {
    std::fprintf(stderr, "lumivane-snapshot: %s\n", problem.c_str());
    return kFailed;
  }

  auto* backend = new platform::HeadlessBackend(headless);
  if (desktop) backend->SetDesktopPicture(*desktop);
  platform::Initialize(std::unique_ptr<platform::Backend>(backend));
  user::RegisterResources(&ProgramResources());
  int status = 0;
  {
    CMyApp app;
    AfxWinInit(&app, argc, argv);
    // The snapshot's own arguments are not the program's command line.
    app.m_args.clear();
    if (!app.InitInstance() || !app.m_pMainWnd) {
      std::fputs("lumivane-snapshot: the program did not start\n", stderr);
      status = kFailed;
    } else {
      // The first full paint, and whatever it asks for at once.
      platform::PumpPendingMessages();
      const HWND frame = app.m_pMainWnd->m_hWnd;
      if (options.about) {
        auto* view = static_cast<CFrameWnd*>(app.m_pMainWnd)->GetActiveView();
        status = view ? SnapshotAbout(*backend, view, options.out) : kFailed;
      } else if (options.pointer) {
        // The pointer at a view point, as the user would hold it there.
        RECT window;
        ::GetWindowRect(frame, &window);
        backend->MouseMove(POINT{window.left + options.pointer->x, window.top + options.pointer->y});
        platform::PumpPendingMessages();
      }
      if (!options.about && !WriteWindow(frame, options.out)) status = kFailed;
      if (status == 0 && !options.balloon.empty()) {
        auto* view = static_cast<CMyView*>(static_cast<CFrameWnd*>(app.m_pMainWnd)->GetActiveView());
        if (!view || !view->m_wndStarPopup.IsWindowVisible()) {
          std::fprintf(stderr, "lumivane-snapshot: no star balloon at %d,%d\n", static_cast<int>(options.pointer->x),
                       static_cast<int>(options.pointer->y));
          status = kNoBalloon;
        } else if (!WriteWindow(view->m_wndStarPopup.m_hWnd, options.balloon)) {
          status = kFailed;
        }
      }
    }
    platform::Shutdown();
  }
  return status;
}

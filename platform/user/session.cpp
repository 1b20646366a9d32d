// The platform session: the backend the window layer runs on, the system tick, the filter
// every loop applies, the modal loops, and the request to end that ends them.
#include <stdexcept>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace platform {
namespace {

struct Session {
  std::unique_ptr<Backend> backend;
  unsigned tick = kDefaultTimerTickMs;
  std::function<bool(MSG*)> filter;
  std::function<void()> onTermination;
  bool terminationRequested = false;
  int modalDepth = 0;
};

Session& Current() {
  static Session session;
  return session;
}

}  // namespace

void Initialize(std::unique_ptr<Backend> backend) {
  if (Current().backend) Shutdown();
  Current().backend = std::move(backend);
  Current().tick = kDefaultTimerTickMs;
  RegisterSystemClasses();
  for (const auto& [index, color] : Current().backend->SystemColors()) gdi::SetSystemColor(index, color);
  // Copies from the screen DC read the backend's screen.
  gdi::SetScreenReader([](const RECT& area, std::uint32_t* out, int stride) {
    GetBackend().GrabScreen(area, out, stride);
  });
}

void Shutdown() {
  Session& session = Current();
  if (!session.backend) return;
  // Destroy what the program left behind, top-level windows first in z-order.
  for (int guard = 0; guard < 1000; ++guard) {
    std::vector<HWND> tops = user::TopLevelWindows();
    HWND victim = nullptr;
    for (HWND h : tops) {
      if (h != S().desktop) {
        victim = h;
        break;
      }
    }
    if (!victim) break;
    DestroyWindow(victim);
  }
  ResetState();
  gdi::ResetAll();
  gdi::SetScreenReader(nullptr);
  session.filter = nullptr;
  session.onTermination = nullptr;
  session.terminationRequested = false;
  session.modalDepth = 0;
  session.backend.reset();
}

bool IsInitialized() { return Current().backend != nullptr; }

Backend& GetBackend() {
  if (!Current().backend) throw std::logic_error("platform used before platform::Initialize");
  return *Current().backend;
}

void SetTimerTick(unsigned ms) { Current().tick = ms == 0 ? 1 : ms; }
unsigned TimerTick() { return Current().tick; }

void SetMessageFilter(std::function<bool(MSG*)> filter) { Current().filter = std::move(filter); }

void FilterAndDispatch(MSG* msg) {
  if (Current().filter && Current().filter(msg)) return;
  // A dialog's messages go through its keyboard handling.
  if (const Window* target = Find(msg->hwnd)) {
    if (const Window* top = TopLevelOf(const_cast<Window*>(target)); top && FindDialog(top->handle)) {
      IsDialogMessage(top->handle, msg);
      return;
    }
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
}

void RequestTermination() { Current().terminationRequested = true; }

void SetTerminationHandler(std::function<void()> handler) { Current().onTermination = std::move(handler); }

void DeliverTerminationOutsideModalLoops() {
  Session& session = Current();
  if (!session.terminationRequested || session.modalDepth > 0) return;
  session.terminationRequested = false;
  if (session.onTermination) {
    session.onTermination();
  } else {
    PostQuitMessage(0);
  }
}

bool ModalLoopMustEnd() { return Current().terminationRequested || S().quitPending; }

bool InModalLoop() { return Current().modalDepth > 0; }

int ModalLoopDepth() { return Current().modalDepth; }

bool RunModalLoop(const std::function<bool()>& open) {
  // Counted even when a step throws, so that an end requested later is still delivered.
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } inside(Current().modalDepth);
  while (!ModalLoopMustEnd() && open()) RunModalStep();
  return !ModalLoopMustEnd();
}

int PumpPendingMessages() {
  int count = 0;
  MSG msg;
  for (;;) {
    DeliverTerminationOutsideModalLoops();
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      S().quitPending = true;
      S().quitCode = static_cast<int>(msg.wParam);
      break;
    }
    FilterAndDispatch(&msg);
    ++count;
  }
  return count;
}

void RunModalStep() {
  MSG msg;
  if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the outer loop, as the classic modal loops do.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    FilterAndDispatch(&msg);
    return;
  }
  GetBackend().WaitForEvents(NextTimerDue());
}

bool QuitPending() { return S().quitPending; }

std::optional<std::uint64_t> NextTimerDue() { return user::detail::NextTimerDue(); }

}  // namespace platform

// The message queue: sent and posted messages, raw input, paints and timers.
#include <algorithm>
#include <stdexcept>

#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {
// Defined with the input handling: turns raw input into a window message, or returns false
// when it has no target any more.
bool CookInput(Queued& q, MSG* out);
// Finds the next window that needs painting.
HWND NextWindowToPaint();
}  // namespace user::detail

using namespace user::detail;

namespace user {
void SetMessageSpy(std::function<void(const MSG&)> spy) { detail::S().spy = std::move(spy); }
}  // namespace user

namespace user::detail {

void ForgetWindowMessages(HWND hwnd) {
  State& s = S();
  s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(),
                                [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                 s.timers.end());
  s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(),
                               [hwnd](const Queued& q) { return q.msg.hwnd == hwnd; }),
                s.queue.end());
}

std::optional<std::uint64_t> NextTimerDue() {
  const State& s = S();
  std::optional<std::uint64_t> due;
  for (const Timer& t : s.timers) {
    if (!due || t.due < *due) due = t.due;
  }
  return due;
}

}  // namespace user::detail

namespace {

bool Matches(const MSG& m, HWND hwnd, UINT first, UINT last) {
  if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
  if (first == 0 && last == 0) return true;
  return m.message >= first && m.message <= last;
}

DWORD NowStamp() { return static_cast<DWORD>(platform::GetBackend().NowMs()); }

// Takes the next deliverable message, in the classic order: posted and input messages,
// then the quit, then paints, then timers.
bool Retrieve(MSG* out, HWND hwnd, UINT first, UINT last, bool remove) {
  State& s = S();
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    if (!it->rawMouse && !it->rawKey && !Matches(it->msg, hwnd, first, last)) continue;
    if (!remove) {
      if (it->rawMouse || it->rawKey) continue;  // raw input is only ever taken out
      *out = it->msg;
      return true;
    }
    Queued q = *it;
    s.queue.erase(it);
    if (q.rawMouse || q.rawKey) {
      if (!CookInput(q, out)) return Retrieve(out, hwnd, first, last, remove);
      return true;
    }
    *out = q.msg;
    return true;
  }
  if (s.quitPending && (first == 0 || (WM_QUIT >= first && WM_QUIT <= last))) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, NowStamp(), {}};
    if (remove) s.quitPending = false;
    return true;
  }
  if (first == 0 || (WM_PAINT >= first && WM_PAINT <= last)) {
    if (HWND paint = NextWindowToPaint(); paint && (!hwnd || paint == hwnd || IsChild(hwnd, paint))) {
      *out = MSG{paint, WM_PAINT, 0, 0, NowStamp(), {}};
      return true;
    }
  }
  if (first == 0 || (WM_TIMER >= first && WM_TIMER <= last)) {
    const std::uint64_t now = platform::GetBackend().NowMs();
    Timer* next = nullptr;
    for (Timer& t : s.timers) {
      if (t.due > now) continue;
      if (hwnd && t.hwnd != hwnd && !IsChild(hwnd, t.hwnd)) continue;
      if (!next || t.due < next->due) next = &t;
    }
    if (next) {
      *out = MSG{next->hwnd, WM_TIMER, next->id, reinterpret_cast<LPARAM>(next->proc),
                 static_cast<DWORD>(now), {}};
      if (remove) next->due = now + next->interval;
      return true;
    }
  }
  return false;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w || !w->proc) return 0;
  State& s = S();
  MSG m{hwnd, message, wParam, lParam, s.messageTime, {}};
  if (s.spy) s.spy(m);
  s.current.push_back(m);
  const LRESULT r = w->proc(hwnd, message, wParam, lParam);
  s.current.pop_back();
  return r;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !IsWindow(hwnd)) return FALSE;
  Queued q;
  q.msg = MSG{hwnd, message, wParam, lParam, NowStamp(), {}};
  S().queue.push_back(q);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  S().quitPending = true;
  S().quitCode = exitCode;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last) {
  if (!msg) return FALSE;
  for (;;) {
    platform::DeliverTerminationOutsideModalLoops();
    if (Retrieve(msg, hwnd, first, last, true)) {
      S().messageTime = msg->time;
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    platform::GetBackend().WaitForEvents(NextTimerDue());
  }
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove) {
  if (!msg) return FALSE;
  if (!Retrieve(msg, hwnd, first, last, (remove & PM_REMOVE) != 0)) return FALSE;
  if (remove & PM_REMOVE) S().messageTime = msg->time;
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  // Character messages are not used by the program; keys arrive as key messages only.
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  Window* w = Find(msg->hwnd);
  if (!w || !w->proc) return 0;
  State& s = S();
  const std::uint64_t paintsBefore = s.paintsBegun;
  if (s.spy) s.spy(*msg);
  s.current.push_back(*msg);
  const LRESULT r = w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  s.current.pop_back();
  // A paint handler that never began painting would be asked again forever; validate the
  // window then. A handler that did paint keeps whatever it invalidated meanwhile.
  if (msg->message == WM_PAINT && s.paintsBegun == paintsBefore) {
    if (Window* pw = Find(msg->hwnd)) {
      pw->update = gdi::Region();
      pw->erase = false;
    }
  }
  return r;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

DWORD GetMessageTime() { return S().messageTime; }

const MSG* GetCurrentMessage() {
  const State& s = S();
  return s.current.empty() ? nullptr : &s.current.back();
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  State& s = S();
  if (hwnd && !IsWindow(hwnd)) return 0;
  if (!hwnd) id = s.nextTimerId++;
  const unsigned interval = std::max<unsigned>({elapse, platform::TimerTick(), 1u});
  const std::uint64_t due = platform::GetBackend().NowMs() + interval;
  for (Timer& t : s.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = interval;
      t.due = due;
      t.proc = proc;
      return id == 0 ? 1 : id;
    }
  }
  s.timers.push_back(Timer{hwnd, id, interval, due, proc});
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  State& s = S();
  auto it = std::find_if(s.timers.begin(), s.timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == s.timers.end()) return FALSE;
  s.timers.erase(it);
  // A timer message already taken from the queue is not recalled; none is queued here,
  // since timer messages are made at retrieval.
  return TRUE;
}

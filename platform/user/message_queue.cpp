// The thread's message queue in the order Windows hands messages out:
// posted and input messages first, then WM_QUIT, then WM_PAINT when nothing
// else is queued, then WM_TIMER. Sent messages never wait in the queue.
#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <optional>

#include "driver.h"
#include "user/user_internal.h"

namespace platform {
namespace {

std::function<std::int64_t()>& TestClock() {
  static std::function<std::int64_t()> clock;
  return clock;
}

}  // namespace

void SetClockForTests(std::function<std::int64_t()> nowMs) { TestClock() = std::move(nowMs); }

std::int64_t NowMs() {
  if (TestClock()) return TestClock()();
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace user {
namespace {

struct Timer {
  UINT elapseMs = 0;
  std::int64_t due = 0;
  TIMERPROC proc = nullptr;
};

struct Queue {
  std::deque<QueuedMessage> posted;
  bool quitPending = false;
  int quitCode = 0;
  std::map<std::pair<HWND, UINT_PTR>, Timer> timers;
  UINT_PTR nextThreadTimerId = 0x7FFF0000;
};

Queue& Q() {
  static Queue queue;
  return queue;
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

bool ForWindow(HWND target, HWND filter) { return !filter || target == filter || IsSelfOrDescendant(target, filter); }

MSG Stamp(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = static_cast<DWORD>(NowMs());
  return msg;
}

bool TakePosted(MSG& out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  auto& posted = Q().posted;
  for (auto it = posted.begin(); it != posted.end();) {
    const QueuedMessage q = *it;
    if (!InRange(q.msg.message, filterMin, filterMax)) {
      ++it;
      continue;
    }
    if (q.input == InputKind::None) {
      if (!ForWindow(q.msg.hwnd, filter)) {
        ++it;
        continue;
      }
      out = q.msg;
      if (remove) posted.erase(it);
      return true;
    }
    MSG resolved{};
    if (!ResolveInput(q, false, resolved)) {
      it = posted.erase(it);
      continue;
    }
    if (!ForWindow(resolved.hwnd, filter)) {
      ++it;
      continue;
    }
    if (remove) {
      posted.erase(it);
      if (!ResolveInput(q, true, resolved)) {
        it = posted.begin();
        continue;
      }
    }
    out = resolved;
    return true;
  }
  return false;
}

std::optional<HWND> PaintCandidate(HWND filter) {
  for (HWND hwnd : WindowsInPaintOrder()) {
    Window* w = Find(hwnd);
    if (w && (w->updatePending || w->framePending) && IsShownOnScreen(*w) && ForWindow(hwnd, filter)) {
      return hwnd;
    }
  }
  return std::nullopt;
}

bool TakeTimer(MSG& out, HWND filter, bool remove) {
  const std::int64_t now = NowMs();
  auto best = Q().timers.end();
  for (auto it = Q().timers.begin(); it != Q().timers.end(); ++it) {
    if (it->second.due > now) continue;
    if (it->first.first && !ForWindow(it->first.first, filter)) continue;
    if (best == Q().timers.end() || it->second.due < best->second.due) best = it;
  }
  if (best == Q().timers.end()) return false;
  out = Stamp(best->first.first, WM_TIMER, best->first.second, reinterpret_cast<LPARAM>(best->second.proc));
  if (remove) {
    // One WM_TIMER stands for all the periods that passed since the last.
    Timer& t = best->second;
    t.due += t.elapseMs;
    if (t.due <= now) t.due = now + t.elapseMs;
  }
  return true;
}

bool Fetch(MSG& out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  if (!AnyPaintPending()) PresentPendingFrames();
  if (TakePosted(out, filter, filterMin, filterMax, remove)) return true;
  if (Q().quitPending && InRange(WM_QUIT, filterMin, filterMax)) {
    out = Stamp(nullptr, WM_QUIT, static_cast<WPARAM>(Q().quitCode), 0);
    if (remove) Q().quitPending = false;
    return true;
  }
  if (InRange(WM_PAINT, filterMin, filterMax)) {
    if (auto hwnd = PaintCandidate(filter)) {
      // The frame first, so the window's own paint comes after it.
      Window* w = Find(*hwnd);
      if (remove && w->framePending) {
        w->framePending = false;
        SendMessageW(*hwnd, WM_NCPAINT, 1, 0);
        if (!Find(*hwnd)) return Fetch(out, filter, filterMin, filterMax, remove);
      }
      out = Stamp(*hwnd, WM_PAINT, 0, 0);
      return true;
    }
  }
  if (InRange(WM_TIMER, filterMin, filterMax) && TakeTimer(out, filter, remove)) return true;
  if (!AnyPaintPending()) PresentPendingFrames();
  return false;
}

// -1 when no timer runs.
int MsUntilNextTimer() {
  if (Q().timers.empty()) return -1;
  std::int64_t next = Q().timers.begin()->second.due;
  for (const auto& [key, t] : Q().timers) next = std::min(next, t.due);
  const std::int64_t wait = next - NowMs();
  return static_cast<int>(std::clamp<std::int64_t>(wait, 0, 0x7FFFFFFF));
}

}  // namespace

void PostInput(const QueuedMessage& q) {
  auto& posted = Q().posted;
  // Pointer moves are coalesced, as on Windows: only the latest position of
  // an unbroken run of moves is kept.
  if (q.input == InputKind::MouseMove && !posted.empty() && posted.back().input == InputKind::MouseMove &&
      posted.back().msg.hwnd == q.msg.hwnd) {
    posted.back() = q;
    return;
  }
  posted.push_back(q);
}

void ForgetQueuedMessagesFor(HWND hwnd) {
  auto& posted = Q().posted;
  posted.erase(
      std::remove_if(posted.begin(), posted.end(), [hwnd](const QueuedMessage& q) { return q.msg.hwnd == hwnd; }),
      posted.end());
}

void ForgetTimersOf(HWND hwnd) {
  auto& timers = Q().timers;
  for (auto it = timers.begin(); it != timers.end();) {
    it = it->first.first == hwnd ? timers.erase(it) : std::next(it);
  }
}

void ResetQueue() {
  Q().posted.clear();
  Q().quitPending = false;
  Q().quitCode = 0;
  Q().timers.clear();
}

}  // namespace user

void ResetForTests() {
  user::DestroyAllWindowsForTests();
  user::ResetQueue();
  user::ResetHotkeys();
  user::ResetInput();
  user::ResetKeyState();
}

}  // namespace platform

using platform::user::Find;
using platform::user::Q;

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (hwnd && !Find(hwnd)) return -1;
  for (;;) {
    if (platform::user::Fetch(*msg, hwnd, filterMin, filterMax, true)) {
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    platform::GetDriver()->WaitAndDispatchEvents(platform::user::MsUntilNextTimer());
  }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) return FALSE;
  if (hwnd && !Find(hwnd)) return FALSE;
  return platform::user::Fetch(*msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

// Characters come from the driver as WM_CHAR already.
BOOL TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(platform::NowMs()));
    return 0;
  }
  if (!Find(msg->hwnd)) return 0;
  return platform::user::Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Find(hwnd)) return 0;
  return platform::user::Deliver(hwnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !Find(hwnd)) return FALSE;
  platform::user::QueuedMessage q;
  q.msg = platform::user::Stamp(hwnd, msg, wParam, lParam);
  Q().posted.push_back(q);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Q().quitPending = true;
  Q().quitCode = exitCode;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd && !Find(hwnd)) return 0;
  if (!hwnd) id = Q().nextThreadTimerId++;
  // Windows clamps very short periods to 10 ms.
  elapseMs = std::max<UINT>(elapseMs, 10);
  platform::user::Timer& t = Q().timers[{hwnd, id}];
  t.elapseMs = elapseMs;
  t.due = platform::NowMs() + elapseMs;
  t.proc = proc;
  return hwnd && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) { return Q().timers.erase({hwnd, id}) ? TRUE : FALSE; }

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

// Window subclassing as comctl32 does it: every message of a window runs
// through its subclass procedures, newest first, and DefSubclassProc hands
// it to the next one, finally to the window procedure.
#include <algorithm>

#include "user/comctl.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

// One message on its way through a window's chain. The chain is taken when
// the message starts, so subclasses added or removed meanwhile change nothing
// for it except that removed ones are skipped.
struct ChainCall {
  HWND hwnd;
  std::vector<std::shared_ptr<SubclassEntry>> chain;
  std::size_t next = 0;
};

std::vector<ChainCall*>& Calls() {
  static std::vector<ChainCall*> calls;
  return calls;
}

LRESULT RunNext(ChainCall& call, UINT msg, WPARAM wParam, LPARAM lParam) {
  while (call.next < call.chain.size()) {
    std::shared_ptr<SubclassEntry> entry = call.chain[call.next++];
    if (entry->removed) continue;
    return entry->proc(call.hwnd, msg, wParam, lParam, entry->id, entry->refData);
  }
  Window* w = Find(call.hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(call.hwnd, msg, wParam, lParam);
}

ChainCall* InnermostCallFor(HWND hwnd) {
  auto& calls = Calls();
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if ((*it)->hwnd == hwnd) return *it;
  }
  return nullptr;
}

}  // namespace

LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  if (w->subclasses.empty()) return w->proc ? w->proc(hwnd, msg, wParam, lParam) : 0;
  ChainCall call{hwnd, w->subclasses, 0};
  Calls().push_back(&call);
  const LRESULT result = RunNext(call, msg, wParam, lParam);
  Calls().erase(std::find(Calls().begin(), Calls().end(), &call));
  // comctl32 drops a window's subclasses once it is gone.
  if (msg == WM_NCDESTROY) {
    if (Window* still = Find(hwnd)) ForgetSubclasses(*still);
  }
  return result;
}

void ForgetSubclasses(Window& w) {
  for (auto& entry : w.subclasses) entry->removed = true;
  w.subclasses.clear();
}

}  // namespace platform::user

namespace platform::comctl {

using user::Find;
using user::SubclassEntry;
using user::Window;

BOOL SetWindowSubclassImpl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
  Window* w = Find(hwnd);
  if (!w || !proc) return FALSE;
  for (auto& entry : w->subclasses) {
    if (entry->proc == proc && entry->id == id) {
      entry->refData = refData;
      return TRUE;
    }
  }
  auto entry = std::make_shared<SubclassEntry>();
  entry->proc = proc;
  entry->id = id;
  entry->refData = refData;
  w->subclasses.insert(w->subclasses.begin(), entry);
  return TRUE;
}

BOOL RemoveWindowSubclassImpl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  auto& list = w->subclasses;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if ((*it)->proc == proc && (*it)->id == id) {
      (*it)->removed = true;
      list.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT DefSubclassProcImpl(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  user::ChainCall* call = user::InnermostCallFor(hwnd);
  if (!call) {
    Window* w = Find(hwnd);
    return w && w->proc ? w->proc(hwnd, msg, wParam, lParam) : 0;
  }
  return user::RunNext(*call, msg, wParam, lParam);
}

}  // namespace platform::comctl

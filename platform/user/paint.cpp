// Invalidation, the paint cycle and the frames of top-level windows. Every
// DC handed out draws into its top-level's frame; what was drawn goes to the
// driver in one transfer per top-level once no paint is pending.
#include <algorithm>
#include <unordered_map>

#include "driver.h"
#include "gdi/gdi_internal.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

struct OpenDC {
  HWND hwnd;
  HWND top;
  RECT area;  // frame coordinates: what drawing through it may have changed
  bool frameDC;
};

std::unordered_map<HDC, OpenDC>& OpenDCs() {
  static std::unordered_map<HDC, OpenDC> dcs;
  return dcs;
}

cairo_surface_t* NewFrame(int width, int height) {
  return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(0, width), std::max(0, height));
}

HDC OpenFrameDC(Window& w, POINT origin, RECT clip) {
  Window& top = TopLevelOf(w);
  if (!top.frame) return nullptr;
  HDC hdc = gdi::CreateFrameDC(top.frame, origin.x, origin.y, clip);
  if (hdc) OpenDCs()[hdc] = OpenDC{w.handle, top.handle, clip, true};
  return hdc;
}

void CloseDC(HDC hdc) {
  auto it = OpenDCs().find(hdc);
  if (it == OpenDCs().end()) return;
  const OpenDC open = it->second;
  OpenDCs().erase(it);
  if (!open.frameDC) {
    DeleteDC(hdc);
    return;
  }
  gdi::ReleaseFrameDC(hdc);
  if (Window* top = Find(open.top)) MarkFrameDirty(*top, open.area);
}

RECT WholeWindowInClient(const Window& w) {
  const int b = BorderWidth(w);
  return RECT{-b, -b, w.rect.right - w.rect.left - b, w.rect.bottom - w.rect.top - b};
}

void InvalidateChildren(Window& w) {
  if (w.style & WS_CLIPCHILDREN) return;
  for (HWND child : w.children) {
    if (Window* c = Find(child)) InvalidateWholeWindow(*c);
  }
}

}  // namespace

void CreateFrame(Window& top) {
  top.frame = NewFrame(top.rect.right - top.rect.left, top.rect.bottom - top.rect.top);
  top.dirty = RECT{0, 0, 0, 0};
}

void ResizeFrame(Window& top) {
  cairo_surface_t* old = top.frame;
  top.frame = NewFrame(top.rect.right - top.rect.left, top.rect.bottom - top.rect.top);
  if (old) {
    // The old content stays at the top-left until the window repaints.
    cairo_t* cr = cairo_create(top.frame);
    cairo_set_source_surface(cr, old, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(old);
  }
  top.dirty = RECT{0, 0, 0, 0};
}

void DestroyFrame(Window& top) {
  if (top.frame) cairo_surface_destroy(top.frame);
  top.frame = nullptr;
}

void AddToUpdate(Window& w, const RECT& area, bool erase) {
  const RECT clipped = Intersect(area, ClientRectOf(w));
  if (IsEmpty(clipped)) return;
  w.update = w.updatePending ? Union(w.update, clipped) : clipped;
  w.updatePending = true;
  w.erasePending = w.erasePending || erase;
}

void InvalidateWholeWindow(Window& w) {
  AddToUpdate(w, ClientRectOf(w), true);
  w.framePending = true;
  InvalidateChildren(w);
}

bool AnyPaintPending() {
  for (HWND hwnd : WindowsInPaintOrder()) {
    const Window* w = Find(hwnd);
    if (w && (w->updatePending || w->framePending) && IsShownOnScreen(*w)) return true;
  }
  return false;
}

void MarkFrameDirty(Window& top, const RECT& area) {
  if (!top.frame) return;
  const RECT bounds{0, 0, cairo_image_surface_get_width(top.frame), cairo_image_surface_get_height(top.frame)};
  top.dirty = Union(top.dirty, Intersect(area, bounds));
}

void PresentPendingFrames() {
  for (HWND hwnd : WindowsInPaintOrder()) {
    Window* w = Find(hwnd);
    if (!w || IsChildWindow(*w) || !w->frame || IsEmpty(w->dirty)) continue;
    const RECT dirty = w->dirty;
    w->dirty = RECT{0, 0, 0, 0};
    cairo_surface_flush(w->frame);
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(w->frame));
    GetDriver()->Present(hwnd, pixels, cairo_image_surface_get_stride(w->frame),
                         cairo_image_surface_get_width(w->frame), cairo_image_surface_get_height(w->frame), dirty);
  }
}

void ForgetDCsOf(HWND hwnd) {
  std::vector<HDC> stale;
  for (const auto& [hdc, open] : OpenDCs()) {
    if (open.hwnd == hwnd) stale.push_back(hdc);
  }
  for (HDC hdc : stale) {
    const OpenDC open = OpenDCs()[hdc];
    OpenDCs().erase(hdc);
    if (open.frameDC) {
      gdi::ReleaseFrameDC(hdc);
    } else {
      DeleteDC(hdc);
    }
  }
}

}  // namespace platform::user

using platform::user::Find;
using platform::user::Window;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const RECT area = rect ? *rect : ClientRectOf(*w);
  AddToUpdate(*w, area, erase != FALSE);
  if (!(w->style & WS_CLIPCHILDREN)) {
    for (HWND child : w->children) {
      Window* c = Find(child);
      if (c && c->visible && !IsEmpty(Intersect(area, c->rect))) InvalidateWholeWindow(*c);
    }
  }
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w || !ps) return nullptr;
  if (w->framePending) {
    w->framePending = false;
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    w = Find(hwnd);
    if (!w) return nullptr;
  }
  const RECT update = w->updatePending ? w->update : RECT{0, 0, 0, 0};
  const bool erase = w->erasePending;
  w->updatePending = false;
  w->erasePending = false;
  w->update = RECT{0, 0, 0, 0};

  const POINT origin = ClientOriginInFrame(*w);
  const RECT clip = Intersect(Offset(update, origin.x, origin.y), VisibleClientInFrame(*w));
  HDC hdc = OpenFrameDC(*w, origin, clip);
  *ps = PAINTSTRUCT{};
  ps->hdc = hdc;
  ps->rcPaint = update;
  ps->fErase = erase ? TRUE : FALSE;
  if (hdc && erase) ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) platform::user::CloseDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  using namespace platform::user;
  if (!hwnd) {
    // The screen: a memory DC stands in for measuring.
    HDC hdc = CreateCompatibleDC(nullptr);
    if (hdc) OpenDCs()[hdc] = OpenDC{nullptr, nullptr, RECT{}, false};
    return hdc;
  }
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  return OpenFrameDC(*w, ClientOriginInFrame(*w), VisibleClientInFrame(*w));
}

HDC GetWindowDC(HWND hwnd) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  const POINT origin = WindowOriginInFrame(*w);
  RECT clip = Offset(WholeWindowInClient(*w), ClientOriginInFrame(*w).x, ClientOriginInFrame(*w).y);
  if (IsChildWindow(*w)) {
    if (Window* parent = Find(w->parent)) clip = Intersect(clip, VisibleClientInFrame(*parent));
  }
  return OpenFrameDC(*w, origin, clip);
}

int ReleaseDC(HWND, HDC hdc) {
  if (!platform::user::OpenDCs().count(hdc)) return 0;
  platform::user::CloseDC(hdc);
  return 1;
}

BOOL UpdateWindow(HWND hwnd) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if ((w->updatePending || w->framePending) && IsShownOnScreen(*w)) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

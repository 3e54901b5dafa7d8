// Invalidation, the paint cycle and the frames of top-level windows. Every
// DC handed out draws into its top-level's frame; what was drawn goes to the
// driver in one transfer per top-level once no paint is pending.
#include <algorithm>
#include <functional>
#include <unordered_map>

#include "driver.h"
#include "gdi/gdi_internal.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

// Pixels of a child that a WS_CLIPCHILDREN parent's DC may not change: they
// are put back when the DC is released.
struct SavedArea {
  RECT area;  // frame coordinates
  std::vector<std::uint32_t> pixels;
};

struct OpenDC {
  HWND hwnd;
  HWND top;
  RECT area;  // frame coordinates: what drawing through it may have changed
  bool frameDC;
  std::vector<SavedArea> children;
};

std::unordered_map<HDC, OpenDC>& OpenDCs() {
  static std::unordered_map<HDC, OpenDC> dcs;
  return dcs;
}

cairo_surface_t* NewFrame(int width, int height) {
  return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(0, width), std::max(0, height));
}

std::uint32_t* PixelRow(cairo_surface_t* frame, int y) {
  unsigned char* data = cairo_image_surface_get_data(frame);
  return reinterpret_cast<std::uint32_t*>(data +
                                          static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(frame));
}

RECT FrameBounds(cairo_surface_t* frame) {
  return RECT{0, 0, cairo_image_surface_get_width(frame), cairo_image_surface_get_height(frame)};
}

// The children of a WS_CLIPCHILDREN window inside `clip`, frame coordinates.
std::vector<RECT> ChildAreas(const Window& w, cairo_surface_t* frame, const RECT& clip) {
  std::vector<RECT> areas;
  if (!(w.style & WS_CLIPCHILDREN)) return areas;
  const POINT origin = ClientOriginInFrame(w);
  for (HWND hwnd : w.children) {
    const Window* child = Find(hwnd);
    if (!child || !child->visible) continue;
    const RECT area = Intersect(Intersect(Offset(child->rect, origin.x, origin.y), clip), FrameBounds(frame));
    if (!IsEmpty(area)) areas.push_back(area);
  }
  return areas;
}

std::vector<SavedArea> SavePixels(cairo_surface_t* frame, const std::vector<RECT>& areas) {
  std::vector<SavedArea> saved;
  cairo_surface_flush(frame);
  for (const RECT& area : areas) {
    SavedArea patch{area, {}};
    patch.pixels.reserve(static_cast<std::size_t>(area.right - area.left) *
                         static_cast<std::size_t>(area.bottom - area.top));
    for (LONG y = area.top; y < area.bottom; ++y) {
      const std::uint32_t* row = PixelRow(frame, y);
      patch.pixels.insert(patch.pixels.end(), row + area.left, row + area.right);
    }
    saved.push_back(std::move(patch));
  }
  return saved;
}

void RestoreChildren(cairo_surface_t* frame, const std::vector<SavedArea>& saved) {
  if (saved.empty()) return;
  cairo_surface_flush(frame);
  for (const SavedArea& patch : saved) {
    const std::size_t width = static_cast<std::size_t>(patch.area.right - patch.area.left);
    auto source = patch.pixels.begin();
    for (LONG y = patch.area.top; y < patch.area.bottom; ++y, source += static_cast<std::ptrdiff_t>(width)) {
      std::copy(source, source + static_cast<std::ptrdiff_t>(width), PixelRow(frame, y) + patch.area.left);
    }
  }
  cairo_surface_mark_dirty(frame);
}

HDC OpenFrameDC(Window& w, POINT origin, RECT clip) {
  Window& top = TopLevelOf(w);
  if (!top.frame) return nullptr;
  std::vector<RECT> children = ChildAreas(w, top.frame, clip);
  HDC hdc = gdi::CreateFrameDC(top.frame, origin.x, origin.y, clip, children);
  if (!hdc) return nullptr;
  OpenDCs()[hdc] = OpenDC{w.handle, top.handle, clip, true, {}};
  // The children's pixels are saved only when the DC is about to change
  // the frame: a repaint that changes nothing copies none.
  if (!children.empty()) {
    gdi::BeforeFirstChange(hdc, [hdc, frame = top.frame, children = std::move(children)] {
      if (auto it = OpenDCs().find(hdc); it != OpenDCs().end()) it->second.children = SavePixels(frame, children);
    });
  }
  return hdc;
}

void CloseDC(HDC hdc) {
  auto it = OpenDCs().find(hdc);
  if (it == OpenDCs().end()) return;
  const OpenDC open = std::move(it->second);
  OpenDCs().erase(it);
  if (!open.frameDC) {
    DeleteDC(hdc);
    return;
  }
  const RECT changed = gdi::ReleaseFrameDC(hdc);
  if (Window* top = Find(open.top)) {
    // Children's pixels go back as they were: no change to show there.
    if (top->frame) RestoreChildren(top->frame, open.children);
    MarkFrameDirty(*top, Intersect(changed, open.area));
  }
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

// A new frame goes to the screen whole, whatever its first paint changes.
void CreateFrame(Window& top) {
  top.frame = NewFrame(top.rect.right - top.rect.left, top.rect.bottom - top.rect.top);
  top.dirty = FrameBounds(top.frame);
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
  top.dirty = FrameBounds(top.frame);
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
  top.dirty = Union(top.dirty, Intersect(area, FrameBounds(top.frame)));
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
    if (hdc) OpenDCs()[hdc] = OpenDC{nullptr, nullptr, RECT{}, false, {}};
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

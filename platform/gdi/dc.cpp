#include "gdi/dc.h"

#include <algorithm>

#include "driver.h"
#include "gdi/gdi_internal.h"
#include "gdi/handle_set.h"
#include "gdi/draw_cache/copy_elision.h"
#include "gdi/draw_cache/display_list.h"

namespace platform::gdi {
namespace {

HandleSet<DeviceContext>& LiveDCs() {
  static HandleSet<DeviceContext> dcs;
  return dcs;
}

void Select(GdiObject*& slot, GdiObject* object) {
  if (slot) --slot->selections;
  slot = object;
  if (slot) ++slot->selections;
}

DeviceContext* NewDC() {
  auto* dc = new DeviceContext;
  Select(dc->pen, DefaultPen());
  Select(dc->brush, DefaultBrush());
  Select(dc->font, DefaultFont());
  LiveDCs().Insert(dc);
  return dc;
}

void DropCairo(DeviceContext& dc) {
  if (dc.cairo) cairo_destroy(dc.cairo);
  dc.cairo = nullptr;
}

// Frees the DC; the objects selected into it stay alive, now deletable.
void FreeDC(DeviceContext* dc) {
  DropCairo(*dc);
  Select(dc->pen, nullptr);
  Select(dc->brush, nullptr);
  Select(dc->font, nullptr);
  if (dc->bitmap) dc->bitmap->owner = nullptr;
  Select(dc->bitmap, nullptr);
  if (dc->frame) cairo_surface_destroy(dc->frame);
  LiveDCs().Erase(dc);
  delete dc;
}

HGDIOBJ SelectBitmap(DeviceContext& dc, HDC hdc, GdiObject* bitmap) {
  // Only memory DCs take a bitmap, and a bitmap goes into one DC at a time.
  if (!dc.memory) return nullptr;
  if (bitmap->owner && bitmap->owner != hdc && !bitmap->stock) return nullptr;
  GdiObject* previous = dc.bitmap;
  if (previous == bitmap) return previous;
  if (previous) previous->owner = nullptr;
  Select(dc.bitmap, bitmap);
  if (!bitmap->stock) bitmap->owner = hdc;
  DropCairo(dc);
  return previous;
}

// The logical point as a frame/bitmap pixel, when it may be drawn on.
bool PixelAddress(const DeviceContext& dc, int x, int y, int& px, int& py) {
  cairo_surface_t* target = TargetOf(dc);
  px = ClampCoordinate(static_cast<long long>(x) + dc.originX);
  py = ClampCoordinate(static_cast<long long>(y) + dc.originY);
  if (px < 0 || py < 0 || px >= cairo_image_surface_get_width(target) || py >= cairo_image_surface_get_height(target)) {
    return false;
  }
  if (dc.memory) return true;
  return px >= dc.clip.left && px < dc.clip.right && py >= dc.clip.top && py < dc.clip.bottom;
}

}  // namespace

DeviceContext* DCFromHandle(HDC hdc) {
  auto* dc = reinterpret_cast<DeviceContext*>(hdc);
  return dc && LiveDCs().Contains(dc) ? dc : nullptr;
}

cairo_surface_t* TargetOf(const DeviceContext& dc) { return dc.memory ? dc.bitmap->bitmap : dc.frame; }

void AboutToChange(DeviceContext& dc) {
  if (dc.memory || !dc.beforeFirstChange) return;
  const std::function<void()> prepare = std::move(dc.beforeFirstChange);
  dc.beforeFirstChange = nullptr;
  prepare();
}

cairo_t* CairoOf(DeviceContext& dc) {
  AboutToChange(dc);
  if (!dc.cairo) {
    dc.cairo = cairo_create(TargetOf(dc));
    cairo_rectangle(dc.cairo, dc.clip.left, dc.clip.top, dc.clip.right - dc.clip.left, dc.clip.bottom - dc.clip.top);
    cairo_clip(dc.cairo);
    cairo_translate(dc.cairo, dc.originX, dc.originY);
    cairo_set_antialias(dc.cairo, CAIRO_ANTIALIAS_NONE);
  }
  // Whatever cairo draws stays inside the clip.
  if (!dc.memory) MarkChanged(dc, dc.clip);
  cairo_new_path(dc.cairo);
  return dc.cairo;
}

void MarkChanged(DeviceContext& dc, const RECT& area) {
  const RECT r{std::max(area.left, dc.clip.left), std::max(area.top, dc.clip.top), std::min(area.right, dc.clip.right),
               std::min(area.bottom, dc.clip.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return;
  draw_cache::FrameChanged(dc, r);
  RECT& c = dc.changed;
  if (c.right <= c.left || c.bottom <= c.top) {
    c = r;
    return;
  }
  c = RECT{std::min(c.left, r.left), std::min(c.top, r.top), std::max(c.right, r.right), std::max(c.bottom, r.bottom)};
}

void SetSourceColour(cairo_t* cr, COLORREF colour) {
  cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

HDC CreateFrameDC(cairo_surface_t* frame, int originX, int originY, const RECT& clip, std::vector<RECT> childAreas) {
  if (!frame || cairo_surface_get_type(frame) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  DeviceContext* dc = NewDC();
  dc->frame = cairo_surface_reference(frame);
  dc->originX = ClampCoordinate(originX);
  dc->originY = ClampCoordinate(originY);
  dc->clip = RECT{ClampCoordinate(clip.left), ClampCoordinate(clip.top), ClampCoordinate(clip.right),
                  ClampCoordinate(clip.bottom)};
  dc->childAreas = std::move(childAreas);
  return reinterpret_cast<HDC>(dc);
}

void BeforeFirstChange(HDC hdc, std::function<void()> prepare) {
  if (DeviceContext* dc = DCFromHandle(hdc); dc && !dc->memory) dc->beforeFirstChange = std::move(prepare);
}

RECT ReleaseFrameDC(HDC hdc) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || dc->memory) return RECT{0, 0, 0, 0};
  const RECT changed = dc->changed;
  FreeDC(dc);
  return changed;
}

}  // namespace platform::gdi

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;
using platform::gdi::GdiObject;
using platform::gdi::ObjectKind;

HDC CreateCompatibleDC(HDC hdc) {
  // hdc may be null (the screen); any other value must be a live DC.
  if (hdc && !DCFromHandle(hdc)) return nullptr;
  DeviceContext* dc = platform::gdi::NewDC();
  dc->memory = true;
  platform::gdi::Select(dc->bitmap, platform::gdi::DefaultBitmap());
  platform::gdi::CountMemoryDC(1);
  return reinterpret_cast<HDC>(dc);
}

BOOL DeleteDC(HDC hdc) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !dc->memory) return FALSE;
  platform::gdi::FreeDC(dc);
  platform::gdi::CountMemoryDC(-1);
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (!DCFromHandle(hdc) || width < 0 || height < 0) return nullptr;
  // A zero size gives a 1x1 bitmap, as on Windows.
  if (width == 0 || height == 0) width = height = 1;
  cairo_surface_t* surface = platform::gdi::NewBitmapSurface(width, height);
  if (!surface) return nullptr;
  auto* bitmap = platform::gdi::NewObject(ObjectKind::Bitmap);
  bitmap->bitmap = surface;
  return static_cast<HBITMAP>(platform::gdi::RegisterObject(bitmap));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle) {
  DeviceContext* dc = DCFromHandle(hdc);
  GdiObject* object = platform::gdi::ObjectFromHandle(handle);
  if (!dc || !object) return nullptr;
  GdiObject** slot = nullptr;
  switch (object->kind) {
    case ObjectKind::Pen: slot = &dc->pen; break;
    case ObjectKind::Brush: slot = &dc->brush; break;
    case ObjectKind::Font: slot = &dc->font; break;
    case ObjectKind::Bitmap: return platform::gdi::SelectBitmap(*dc, hdc, object);
  }
  GdiObject* previous = *slot;
  platform::gdi::Select(*slot, object);
  return previous;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->textColour;
  dc->textColour = colour & 0x00FFFFFF;
  return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->bkColour;
  dc->bkColour = colour & 0x00FFFFFF;
  return previous;
}

int SetBkMode(HDC hdc, int mode) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

int GetDeviceCaps(HDC hdc, int index) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return 0;
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: {
      platform::Driver* driver = platform::GetDriver();
      int dpi = driver ? driver->DpiY() : 96;
      return dpi > 0 ? dpi : 96;
    }
    case HORZRES: return cairo_image_surface_get_width(platform::gdi::TargetOf(*dc));
    case VERTRES: return cairo_image_surface_get_height(platform::gdi::TargetOf(*dc));
    default: return 0;
  }
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DeviceContext* dc = DCFromHandle(hdc);
  int px = 0, py = 0;
  if (!dc || !platform::gdi::PixelAddress(*dc, x, y, px, py)) return CLR_INVALID;
  platform::draw_cache::Replay(*dc);
  cairo_surface_t* target = platform::gdi::TargetOf(*dc);
  cairo_surface_flush(target);
  const unsigned char* row =
      cairo_image_surface_get_data(target) + static_cast<std::ptrdiff_t>(py) * cairo_image_surface_get_stride(target);
  std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(row)[px];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

#include "gdi/objects.h"

#include <memory>
#include <vector>

#include "gdi/fonts.h"
#include "gdi/gdi_internal.h"
#include "gdi/handle_set.h"
#include "gdi/draw_cache/display_list.h"

namespace platform::gdi {
namespace {

HandleSet<GdiObject>& LiveObjects() {
  static HandleSet<GdiObject> objects;
  return objects;
}

int& MemoryDCCount() {
  static int count = 0;
  return count;
}

GdiObject* MakeStock(ObjectKind kind, COLORREF colour, bool null) {
  auto* object = new GdiObject(kind);
  object->stock = true;
  object->colour = colour;
  object->null = null;
  return object;
}

// The stock objects, all made at once on first use (so none can later take
// the address of a deleted object) and kept for the whole process.
struct StockObjects {
  GdiObject* whiteBrush = MakeStock(ObjectKind::Brush, RGB(255, 255, 255), false);
  GdiObject* lightGreyBrush = MakeStock(ObjectKind::Brush, RGB(192, 192, 192), false);
  GdiObject* greyBrush = MakeStock(ObjectKind::Brush, RGB(128, 128, 128), false);
  GdiObject* darkGreyBrush = MakeStock(ObjectKind::Brush, RGB(64, 64, 64), false);
  GdiObject* blackBrush = MakeStock(ObjectKind::Brush, RGB(0, 0, 0), false);
  GdiObject* nullBrush = MakeStock(ObjectKind::Brush, 0, true);
  GdiObject* whitePen = MakeStock(ObjectKind::Pen, RGB(255, 255, 255), false);
  GdiObject* blackPen = MakeStock(ObjectKind::Pen, RGB(0, 0, 0), false);
  GdiObject* nullPen = MakeStock(ObjectKind::Pen, 0, true);
  GdiObject* font = MakeStockFont();
  GdiObject* bitmap = MakeStockBitmap();

  static GdiObject* MakeStockFont() {
    LOGFONTW logFont{};
    logFont.lfWeight = FW_NORMAL;
    wcscpy(logFont.lfFaceName, L"Segoe UI");
    GdiObject* object = NewFontObject(logFont);
    object->stock = true;
    return object;
  }
  static GdiObject* MakeStockBitmap() {
    GdiObject* object = MakeStock(ObjectKind::Bitmap, 0, false);
    object->bitmap = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    return object;
  }
  bool Holds(const GdiObject* object) const {
    for (const GdiObject* stock : {whiteBrush, lightGreyBrush, greyBrush, darkGreyBrush, blackBrush, nullBrush,
                                   whitePen, blackPen, nullPen, font, bitmap}) {
      if (stock == object) return true;
    }
    return false;
  }
};

const StockObjects& Stock() {
  static const StockObjects stock;
  return stock;
}

GdiObject* StockObject(int index) {
  const StockObjects& stock = Stock();
  switch (index) {
    case 0: return stock.whiteBrush;
    case 1: return stock.lightGreyBrush;
    case 2: return stock.greyBrush;
    case 3: return stock.darkGreyBrush;
    case 4: return stock.blackBrush;
    case NULL_BRUSH: return stock.nullBrush;
    case 6: return stock.whitePen;
    case BLACK_PEN: return stock.blackPen;
    case NULL_PEN: return stock.nullPen;
    case 10:  // OEM_FIXED_FONT
    case 11:  // ANSI_FIXED_FONT
    case 12:  // ANSI_VAR_FONT
    case 13:  // SYSTEM_FONT
    case 14:  // DEVICE_DEFAULT_FONT
    case 16:  // SYSTEM_FIXED_FONT
    case DEFAULT_GUI_FONT: return stock.font;
    default: return nullptr;
  }
}

// The images of the last deleted bitmaps, for the next bitmaps of their
// size: a new bitmap's content is undefined (as on Windows), so a paint
// cycle that makes and deletes a frame-sized bitmap neither allocates nor
// clears one. Bounded, and emptied at exit.
class SurfacePool {
 public:
  SurfacePool() = default;
  SurfacePool(const SurfacePool&) = delete;
  SurfacePool& operator=(const SurfacePool&) = delete;
  ~SurfacePool() {
    for (cairo_surface_t* surface : surfaces_) cairo_surface_destroy(surface);
  }

  cairo_surface_t* Take(int width, int height) {
    for (auto it = surfaces_.begin(); it != surfaces_.end(); ++it) {
      if (cairo_image_surface_get_width(*it) == width && cairo_image_surface_get_height(*it) == height) {
        cairo_surface_t* surface = *it;
        surfaces_.erase(it);
        return surface;
      }
    }
    return nullptr;
  }

  // Takes over the caller's reference; a surface someone else still holds
  // is only released.
  void Give(cairo_surface_t* surface) {
    if (cairo_surface_get_reference_count(surface) != 1) {
      cairo_surface_destroy(surface);
      return;
    }
    if (surfaces_.size() == kCapacity) {
      cairo_surface_destroy(surfaces_.front());
      surfaces_.erase(surfaces_.begin());
    }
    surfaces_.push_back(surface);
  }

 private:
  static constexpr std::size_t kCapacity = 2;
  std::vector<cairo_surface_t*> surfaces_;
};

SurfacePool& Pool() {
  static SurfacePool pool;
  return pool;
}

// Freed objects kept for NewObject, a few frames' worth at most.
constexpr std::size_t kSpareObjects = 64;

std::vector<std::unique_ptr<GdiObject>>& SpareObjects() {
  static std::vector<std::unique_ptr<GdiObject>> spares;
  return spares;
}

void Free(GdiObject* object) {
  if (object->bitmap) {
    draw_cache::DropDisplayList(object->bitmap);
    Pool().Give(object->bitmap);
  }
  auto& spares = SpareObjects();
  if (spares.size() >= kSpareObjects) {
    delete object;
    return;
  }
  *object = GdiObject(ObjectKind::Pen);  // lets go of its face now
  spares.emplace_back(object);
}

}  // namespace

GdiObject* NewObject(ObjectKind kind) {
  auto& spares = SpareObjects();
  if (spares.empty()) return new GdiObject(kind);
  GdiObject* object = spares.back().release();
  spares.pop_back();
  *object = GdiObject(kind);
  return object;
}

GdiObject* ObjectFromHandle(HGDIOBJ handle) {
  auto* object = static_cast<GdiObject*>(handle);
  if (!object) return nullptr;
  if (LiveObjects().Contains(object)) return object;
  return Stock().Holds(object) ? object : nullptr;
}

HGDIOBJ RegisterObject(GdiObject* object) {
  LiveObjects().Insert(object);
  return object;
}

cairo_surface_t* NewBitmapSurface(int width, int height) {
  if (cairo_surface_t* reused = Pool().Take(width, height)) return reused;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) return surface;
  cairo_surface_destroy(surface);
  return nullptr;
}

GdiObject* DefaultPen() { return Stock().blackPen; }
GdiObject* DefaultBrush() { return Stock().whiteBrush; }
GdiObject* DefaultFont() { return Stock().font; }
GdiObject* DefaultBitmap() { return Stock().bitmap; }

void CountMemoryDC(int delta) { MemoryDCCount() += delta; }

int LiveGdiObjectCount() { return static_cast<int>(LiveObjects().Size()) + MemoryDCCount(); }

}  // namespace platform::gdi

using platform::gdi::GdiObject;
using platform::gdi::ObjectKind;

HGDIOBJ GetStockObject(int index) { return platform::gdi::StockObject(index); }

BOOL DeleteObject(HGDIOBJ handle) {
  GdiObject* object = platform::gdi::ObjectFromHandle(handle);
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  if (object->selections > 0) return FALSE;
  platform::gdi::LiveObjects().Erase(object);
  platform::gdi::Free(object);
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  auto* brush = platform::gdi::NewObject(ObjectKind::Brush);
  brush->colour = colour & 0x00FFFFFF;
  return static_cast<HBRUSH>(platform::gdi::RegisterObject(brush));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  // Dashed and dotted styles are drawn solid; only the null pen differs.
  constexpr int kNullStyle = 5;  // PS_NULL
  auto* pen = platform::gdi::NewObject(ObjectKind::Pen);
  pen->colour = colour & 0x00FFFFFF;
  pen->null = style == kNullStyle;
  // Width 0 is a one-pixel pen, as on Windows.
  pen->penWidth = width < 1 ? 1 : width;
  return static_cast<HPEN>(platform::gdi::RegisterObject(pen));
}

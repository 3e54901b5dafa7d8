// GDI objects (pens, brushes, fonts, bitmaps) and device contexts as the
// handles the shell holds: opaque pointers to these structs, validated
// against the set of live ones before use.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "win32_layer.h"

namespace platform::gdi {

enum class ObjectKind { Pen, Brush, Font, Bitmap };

// A font as pango takes it, with its description as text (equal fonts,
// equal keys). Shared: fonts made alike share one, and a deferred text
// keeps its font after the shell has deleted the font object.
struct FontFace {
  explicit FontFace(PangoFontDescription* d, std::string k) : description(d), key(std::move(k)), serial(NextSerial()) {}
  ~FontFace() { pango_font_description_free(description); }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;
  PangoFontDescription* description;
  std::string key;
  // Never reused, unlike an address: tells faces apart cheaply.
  std::uint64_t serial;

 private:
  static std::uint64_t NextSerial() {
    static std::uint64_t last = 0;
    return ++last;
  }
};

struct GdiObject {
  explicit GdiObject(ObjectKind k) : kind(k) {}
  ObjectKind kind;
  bool stock = false;
  // How many device contexts hold this object selected; a selected object
  // cannot be deleted.
  int selections = 0;
  // Pen and brush.
  COLORREF colour = 0;
  bool null = false;  // the null pen, the null brush: draws nothing
  int penWidth = 1;
  // Font.
  std::shared_ptr<const FontFace> face;
  // Bitmap: an RGB24 image; `owner` is the memory DC it is selected into.
  cairo_surface_t* bitmap = nullptr;
  HDC owner = nullptr;
};

// The live, non-stock object behind a handle, or a stock object; nullptr
// for anything else (a deleted or made-up handle).
GdiObject* ObjectFromHandle(HGDIOBJ handle);

// A new object of the kind, not yet live: the shell makes and deletes
// dozens a frame, so freed ones are used again.
GdiObject* NewObject(ObjectKind kind);

// Takes ownership of a new object and registers it as live.
HGDIOBJ RegisterObject(GdiObject* object);

// An RGB24 image for a new bitmap, its content undefined (a recently
// deleted bitmap's pixels may be reused); nullptr when none can be made.
cairo_surface_t* NewBitmapSurface(int width, int height);

// The stock objects a new device context starts with.
GdiObject* DefaultPen();
GdiObject* DefaultBrush();
GdiObject* DefaultFont();
GdiObject* DefaultBitmap();  // 1x1, for a fresh memory DC

// Memory DCs count as live objects too.
void CountMemoryDC(int delta);

}  // namespace platform::gdi

// A frame surface with a frame DC on it, for drawing tests, and readers of
// its raw pixels (0x00RRGGBB).
#pragma once

#include <cairo.h>

#include <cstdint>

#include "gdi/gdi_internal.h"
#include "win32_layer.h"

namespace gdi_test {

class Canvas {
 public:
  Canvas(int width, int height, int originX = 0, int originY = 0)
      : Canvas(width, height, originX, originY, RECT{0, 0, width, height}) {}
  Canvas(int width, int height, int originX, int originY, const RECT& clip)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
        hdc_(platform::gdi::CreateFrameDC(surface_, originX, originY, clip)) {}
  ~Canvas() {
    platform::gdi::ReleaseFrameDC(hdc_);
    cairo_surface_destroy(surface_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return hdc_; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  // The frame's pixel at frame coordinates, as cairo stores it.
  std::uint32_t Raw(int x, int y) const {
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0x00FFFFFF;
  }
  // The same pixel as a COLORREF.
  COLORREF At(int x, int y) const {
    std::uint32_t p = Raw(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // How many pixels of the frame have this colour.
  int Count(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) n += At(x, y) == colour;
    return n;
  }
  // The bounding box of the pixels that are not `background`; empty
  // (right <= left) when there are none.
  RECT InkBox(COLORREF background) const {
    RECT box{width(), height(), 0, 0};
    for (int y = 0; y < height(); ++y) {
      for (int x = 0; x < width(); ++x) {
        if (At(x, y) == background) continue;
        if (x < box.left) box.left = x;
        if (y < box.top) box.top = y;
        if (x + 1 > box.right) box.right = x + 1;
        if (y + 1 > box.bottom) box.bottom = y + 1;
      }
    }
    return box;
  }
  void Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{-10000, -10000, 10000, 10000};
    FillRect(hdc_, &all, brush);
    DeleteObject(brush);
  }

 private:
  cairo_surface_t* surface_;
  HDC hdc_;
};

}  // namespace gdi_test

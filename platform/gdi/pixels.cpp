#include "gdi/pixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <pixman.h>

#include "rect.h"

namespace platform::gdi {
namespace {

// As cairo stores an opaque RGB24 pixel.
std::uint32_t OpaquePixel(COLORREF colour) {
  return 0xFF000000u | (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) |
         GetBValue(colour);
}

}  // namespace

PixelWriter::PixelWriter(DeviceContext& dc) : dc_(dc), target_(TargetOf(dc)) {
  AboutToChange(dc);
  limit_ = RECT{0, 0, cairo_image_surface_get_width(target_), cairo_image_surface_get_height(target_)};
  limit_ = Intersect(limit_, dc.clip);
  // Whatever cairo drew before must be in the pixels first.
  cairo_surface_flush(target_);
}

PixelWriter::~PixelWriter() {
  const RECT& w = written_;
  if (IsEmpty(w)) return;
  cairo_surface_mark_dirty_rectangle(target_, w.left, w.top, w.right - w.left, w.bottom - w.top);
  if (!dc_.memory) MarkChanged(dc_, w);
}

void PixelWriter::Fill(long long left, long long top, long long right, long long bottom, COLORREF colour) {
  RECT r{ClampCoordinate(left) + dc_.originX, ClampCoordinate(top) + dc_.originY, ClampCoordinate(right) + dc_.originX,
         ClampCoordinate(bottom) + dc_.originY};
  r = Intersect(r, limit_);
  if (IsEmpty(r)) return;
  const std::uint32_t pixel = OpaquePixel(colour);
  unsigned char* data = cairo_image_surface_get_data(target_);
  const int stride = cairo_image_surface_get_stride(target_);
  const auto row = [&](LONG y) {
    return reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
  };
  // One row by hand, the others copied from it: memcpy is the fast path.
  std::uint32_t* first = row(r.top) + r.left;
  std::fill(first, first + (r.right - r.left), pixel);
  const std::size_t bytes = static_cast<std::size_t>(r.right - r.left) * 4;
  for (LONG y = r.top + 1; y < r.bottom; ++y) std::memcpy(row(y) + r.left, first, bytes);
  Written(r);
}

void PixelWriter::Cover(cairo_surface_t* coverage, int left, int top, const RECT& cut, COLORREF colour) {
  const int x0 = left + dc_.originX, y0 = top + dc_.originY;
  const RECT box{x0, y0, x0 + cairo_image_surface_get_width(coverage), y0 + cairo_image_surface_get_height(coverage)};
  const RECT cutInTarget{cut.left + dc_.originX, cut.top + dc_.originY, cut.right + dc_.originX,
                         cut.bottom + dc_.originY};
  const RECT r = Intersect(Intersect(box, cutInTarget), limit_);
  if (IsEmpty(r)) return;
  // pixman is what cairo blends with: the same rounding as a text drawn by
  // pango, and its fast path for a solid colour through an A8 mask.
  pixman_color_t solid{static_cast<std::uint16_t>(GetRValue(colour) * 257),
                       static_cast<std::uint16_t>(GetGValue(colour) * 257),
                       static_cast<std::uint16_t>(GetBValue(colour) * 257), 0xFFFF};
  pixman_image_t* source = pixman_image_create_solid_fill(&solid);
  pixman_image_t* mask = pixman_image_create_bits_no_clear(
      PIXMAN_a8, cairo_image_surface_get_width(coverage), cairo_image_surface_get_height(coverage),
      reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(coverage)),
      cairo_image_surface_get_stride(coverage));
  pixman_image_t* target = pixman_image_create_bits_no_clear(
      PIXMAN_x8r8g8b8, cairo_image_surface_get_width(target_), cairo_image_surface_get_height(target_),
      reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(target_)), cairo_image_surface_get_stride(target_));
  if (source && mask && target) {
    pixman_image_composite32(PIXMAN_OP_OVER, source, mask, target, 0, 0, r.left - x0, r.top - y0, r.left, r.top,
                             r.right - r.left, r.bottom - r.top);
  }
  for (pixman_image_t* image : {source, mask, target}) {
    if (image) pixman_image_unref(image);
  }
  Written(r);
}

void PixelWriter::Written(const RECT& r) {
  if (IsEmpty(written_)) {
    written_ = r;
    return;
  }
  written_ = RECT{std::min(written_.left, r.left), std::min(written_.top, r.top), std::max(written_.right, r.right),
                  std::max(written_.bottom, r.bottom)};
}

}  // namespace platform::gdi

// Direct writes of a solid colour into a DC's target, as spans or through
// a coverage picture: most of a frame is rectangles, rows of shapes and
// cached texts, and cairo's compositor cost more per call than the writing
// itself.
#pragma once

#include "gdi/dc.h"

namespace platform::gdi {

class PixelWriter {
 public:
  explicit PixelWriter(DeviceContext& dc);
  ~PixelWriter();
  PixelWriter(const PixelWriter&) = delete;
  PixelWriter& operator=(const PixelWriter&) = delete;

  // Fills [left, right) x [top, bottom), DC coordinates, cut to what the
  // DC may draw on.
  void Fill(long long left, long long top, long long right, long long bottom, COLORREF colour);

  // Blends the colour into the pixels under an A8 coverage picture whose
  // top-left is at (left, top), DC coordinates, cut to `cut`: rounded as
  // cairo (pixman) blends, so a text drawn from its picture matches the
  // same text drawn by pango.
  void Cover(cairo_surface_t* coverage, int left, int top, const RECT& cut, COLORREF colour);

  // The rows the DC may draw on, DC coordinates: [first, end).
  int FirstRow() const { return limit_.top - dc_.originY; }
  int EndRow() const { return limit_.bottom - dc_.originY; }

 private:
  DeviceContext& dc_;
  cairo_surface_t* target_;
  RECT limit_;      // target pixels the DC may change
  RECT written_{};  // target pixels written so far

  void Written(const RECT& r);
};

}  // namespace platform::gdi

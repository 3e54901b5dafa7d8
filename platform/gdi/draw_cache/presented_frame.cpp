#include "gdi/draw_cache/presented_frame.h"

#include <algorithm>
#include <cstring>

#include "gdi/draw_cache/draw_cache.h"

namespace platform::draw_cache {

namespace {

// Where two rows that differ somewhere in [from, to) first and last differ.
// A block at a time: the changed part of a row is mostly a few digits.
constexpr LONG kBlock = 16;

LONG FirstDifference(const std::uint32_t* a, const std::uint32_t* b, LONG from, LONG to) {
  while (to - from > kBlock && std::memcmp(a + from, b + from, kBlock * 4) == 0) from += kBlock;
  while (a[from] == b[from]) ++from;
  return from;
}

LONG LastDifference(const std::uint32_t* a, const std::uint32_t* b, LONG from, LONG to) {
  while (to - from > kBlock && std::memcmp(a + to - kBlock, b + to - kBlock, kBlock * 4) == 0) to -= kBlock;
  while (a[to - 1] == b[to - 1]) --to;
  return to - 1;
}

}  // namespace

RECT ClipToFrame(const PresentedFrame& frame, const RECT& area) {
  RECT r{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, frame.width),
         std::min<LONG>(area.bottom, frame.height)};
  if (IsEmptyRect(r)) return {0, 0, 0, 0};
  return r;
}

RECT MergeFrame(PresentedFrame& frame, const std::uint32_t* pixels, int stride, int width, int height,
                const RECT& dirty) {
  if (width <= 0 || height <= 0 || !pixels) return {0, 0, 0, 0};
  RECT area = dirty;
  if (width != frame.width || height != frame.height || !Enabled()) {
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<size_t>(width) * height, 0);
    area = {0, 0, width, height};
    for (int y = 0; y < height; ++y)
      std::memcpy(&frame.pixels[static_cast<size_t>(y) * width],
                  reinterpret_cast<const char*>(pixels) + static_cast<size_t>(y) * stride,
                  static_cast<size_t>(width) * 4);
    return area;
  }
  area = ClipToFrame(frame, area);
  if (IsEmptyRect(area)) return {0, 0, 0, 0};
  // The common case, a whole repaint of an unchanged frame, in one comparison.
  if (area.left == 0 && area.right == width && stride == width * 4 &&
      std::memcmp(reinterpret_cast<const char*>(pixels) + static_cast<size_t>(area.top) * stride,
                  &frame.pixels[static_cast<size_t>(area.top) * width],
                  static_cast<size_t>(area.bottom - area.top) * stride) == 0)
    return {0, 0, 0, 0};
  RECT changed{width, height, 0, 0};
  for (LONG y = area.top; y < area.bottom; ++y) {
    const auto* src =
        reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const char*>(pixels) + static_cast<size_t>(y) * stride);
    std::uint32_t* dst = &frame.pixels[static_cast<size_t>(y) * width];
    const size_t bytes = static_cast<size_t>(area.right - area.left) * 4;
    if (std::memcmp(src + area.left, dst + area.left, bytes) == 0) continue;
    const LONG first = FirstDifference(src, dst, area.left, area.right);
    const LONG last = LastDifference(src, dst, first, area.right);
    std::memcpy(dst + first, src + first, static_cast<size_t>(last - first + 1) * 4);
    changed.left = std::min(changed.left, first);
    changed.right = std::max(changed.right, last + 1);
    changed.top = std::min(changed.top, y);
    changed.bottom = y + 1;
  }
  if (IsEmptyRect(changed)) return {0, 0, 0, 0};
  return changed;
}

}  // namespace platform::draw_cache

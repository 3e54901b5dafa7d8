// Damage tracking on present: the last frame of a window as the display was
// given it. It answers exposures, and a repaint that changed nothing costs
// no transfer.
#pragma once

#include <cstdint>
#include <vector>

#include "win32_layer.h"

namespace platform::draw_cache {

struct PresentedFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, width per row
};

// Copies the dirty part of a new frame (0x00RRGGBB, `stride` bytes a row)
// into `frame` and returns the damage: the box of pixels that changed,
// empty when none. A new size, or the drawing cache off, takes the whole
// frame.
RECT MergeFrame(PresentedFrame& frame, const std::uint32_t* pixels, int stride, int width, int height,
                const RECT& dirty);

// The part of `area` inside the frame.
RECT ClipToFrame(const PresentedFrame& frame, const RECT& area);

inline bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace platform::draw_cache

// The last frame of a window as the server was given it: answers exposures
// and lets a repaint that changed nothing cost no transfer.
#pragma once

#include <cstdint>
#include <vector>

#include "win32_layer.h"

namespace platform::x11 {

struct KeptFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, width per row
};

// Copies the dirty part of a new frame (0x00RRGGBB, `stride` bytes a row)
// into `kept` and returns the box of pixels that changed, empty when none.
// A new size takes the whole frame.
RECT MergeFrame(KeptFrame& kept, const std::uint32_t* pixels, int stride, int width, int height,
                const RECT& dirty);

// The part of `area` inside the frame.
RECT ClipToFrame(const KeptFrame& kept, const RECT& area);

inline bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace platform::x11

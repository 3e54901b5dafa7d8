// Copy elision onto window frames. A frame remembers which replayed
// content it last showed where, so copying the same content again is left
// out, or cut to the damage of the last replay. Child areas are parts of
// the frame a copy may leave as they are (the children's pixels, put back
// after a parent's paint).
#pragma once

#include <cstdint>

#include "gdi/dc.h"

namespace platform::draw_cache {

using gdi::DeviceContext;

// What of `box` (frame coordinates) a copy from the DC's bitmap to the
// frame DC must still copy: empty when the frame shows these pixels there,
// the damage when it shows the pixels they were drawn over, else all of it.
RECT StillToCopy(const DeviceContext& frameDC, const DeviceContext& source, const RECT& box, POINT shift);
void RememberShown(const DeviceContext& frameDC, std::uint64_t id, const RECT& box, POINT shift);
// Any other change of a frame's pixels inside `area` (frame coordinates).
void FrameChanged(const DeviceContext& frameDC, const RECT& area);

}  // namespace platform::draw_cache

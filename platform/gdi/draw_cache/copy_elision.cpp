#include "gdi/draw_cache/copy_elision.h"

#include <vector>

#include "gdi/draw_cache/display_list.h"
#include "gdi/draw_cache/surface_data.h"
#include "rect.h"

namespace platform::draw_cache {
namespace {

struct Shown {
  std::uint64_t id = 0;
  RECT box{};
  POINT shift{};
  std::vector<RECT> childAreas;
};

// Told apart by its address only.
cairo_user_data_key_t kShownKey;

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool SameAreas(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameRect(a[i], b[i])) return false;
  return true;
}

}  // namespace

RECT StillToCopy(const DeviceContext& frameDC, const DeviceContext& source, const RECT& box, POINT shift) {
  const LastReplay last = LastReplayOf(source);
  const Shown* shown = Attached<Shown>(frameDC.frame, kShownKey);
  if (last.content == 0 || !shown || shown->id == 0 || !SameRect(shown->box, box) || shown->shift.x != shift.x ||
      shown->shift.y != shift.y || !SameAreas(shown->childAreas, frameDC.childAreas))
    return box;
  if (shown->id == last.content) return RECT{0, 0, 0, 0};
  if (shown->id == last.base) return Intersect(box, Offset(last.damage, -shift.x, -shift.y));
  return box;
}

void RememberShown(const DeviceContext& frameDC, std::uint64_t id, const RECT& box, POINT shift) {
  if (id == 0 && !Attached<Shown>(frameDC.frame, kShownKey)) return;
  if (Shown* shown = AttachedOrNew<Shown>(frameDC.frame, kShownKey)) *shown = Shown{id, box, shift, frameDC.childAreas};
}

void FrameChanged(const DeviceContext& frameDC, const RECT& area) {
  Shown* shown = Attached<Shown>(frameDC.frame, kShownKey);
  if (!shown || shown->id == 0) return;
  for (const RECT& child : shown->childAreas)
    if (Within(area, child)) return;
  shown->id = 0;
}

}  // namespace platform::draw_cache

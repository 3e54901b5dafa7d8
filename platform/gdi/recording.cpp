#include "gdi/recording.h"

#include <algorithm>
#include <memory>

#include "rect.h"

namespace platform::gdi {
namespace {

// What a step draws with, copied: the shell deletes its pens, brushes and
// fonts right after drawing with them.
struct DrawState {
  GdiObject pen{ObjectKind::Pen};
  GdiObject brush{ObjectKind::Brush};
  GdiObject font{ObjectKind::Font};
  COLORREF textColour = 0;
  COLORREF bkColour = 0;
  int bkMode = OPAQUE;
};

struct KeptStep {
  DrawState state;
  DrawStep draw;
};

// Steps' keys, one after another, and where each one ends.
struct StepKeys {
  std::string bytes;
  std::vector<std::size_t> ends;
  std::vector<RECT> reaches;

  std::string_view Key(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(bytes).substr(begin, ends[i] - begin);
  }
  void Clear() {
    bytes.clear();
    ends.clear();
    reaches.clear();
  }
};

struct Kept {
  bool keeping = false;
  // While keeping, the first `count` steps are those of the list being
  // kept (pendingKeys); the others, like all of them otherwise, are those
  // of drawnKeys. A step that repeats keeps its closure: equal keys draw
  // alike, and a paint that repeats the last one then allocates nothing.
  std::vector<KeptStep> steps;
  std::size_t count = 0;
  StepKeys pendingKeys;
  // While every step so far repeats drawnKeys, pendingKeys is left empty:
  // the list being kept is drawnKeys' first `count` steps.
  bool repeating = false;
  // The steps that drew the pixels, when known (id nonzero); the pixels
  // they were drawn over (base) differ from them only in `changed`.
  StepKeys drawnKeys;
  std::uint64_t drawnId = 0;
  std::uint64_t baseId = 0;
  RECT changed{};
};

struct Shown {
  std::uint64_t id = 0;
  RECT box{};
  POINT shift{};
  std::vector<RECT> holes;
};

// Told apart by their addresses only.
cairo_user_data_key_t kKeptKey;
cairo_user_data_key_t kShownKey;

template <typename T>
T* Attached(cairo_surface_t* surface, const cairo_user_data_key_t& key) {
  return static_cast<T*>(cairo_surface_get_user_data(surface, &key));
}

// Null only when cairo is out of memory: then nothing is remembered.
template <typename T>
T* AttachedOrNew(cairo_surface_t* surface, const cairo_user_data_key_t& key) {
  if (T* found = Attached<T>(surface, key)) return found;
  auto made = std::make_unique<T>();
  if (cairo_surface_set_user_data(surface, &key, made.get(), [](void* p) { delete static_cast<T*>(p); }) !=
      CAIRO_STATUS_SUCCESS)
    return nullptr;
  return made.release();
}

bool Keepable(const DeviceContext& dc) { return dc.memory && dc.bitmap && !dc.bitmap->stock; }

Kept* KeptOf(const DeviceContext& dc) { return Keepable(dc) ? Attached<Kept>(dc.bitmap->bitmap, kKeptKey) : nullptr; }

DrawState StateOf(const DeviceContext& dc) {
  DrawState state;
  state.pen = *dc.pen;
  state.brush = *dc.brush;
  state.font = *dc.font;
  state.textColour = dc.textColour;
  state.bkColour = dc.bkColour;
  state.bkMode = dc.bkMode;
  return state;
}

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The DC's objects and colours, kept after a step's own key. Equal faces
// are equal fonts; a face made anew for the same font only costs a redraw.
struct StateBytes {
  long long numbers[9];
  explicit StateBytes(const DeviceContext& dc)
      : numbers{static_cast<long long>(dc.pen->colour),
                dc.pen->penWidth,
                dc.pen->null,
                static_cast<long long>(dc.brush->colour),
                dc.brush->null,
                static_cast<long long>(dc.textColour),
                static_cast<long long>(dc.bkColour),
                dc.bkMode,
                dc.font->face ? static_cast<long long>(dc.font->face->serial) : 0} {}
  std::string_view bytes() const { return {reinterpret_cast<const char*>(numbers), sizeof numbers}; }
};

// Whether the step with this key, state and reach is step i of the list.
bool SameStep(const StepKeys& keys, std::size_t i, std::string_view key, std::string_view state, const RECT& reach) {
  if (i >= keys.ends.size()) return false;
  const std::string_view kept = keys.Key(i);
  return kept.size() == key.size() + state.size() && kept.substr(0, key.size()) == key &&
         kept.substr(key.size()) == state && Same(keys.reaches[i], reach);
}

// The first `count` steps of a list, as a list of their own.
void CopyFirst(const StepKeys& from, std::size_t count, StepKeys& to) {
  to.bytes.assign(from.bytes, 0, count == 0 ? 0 : from.ends[count - 1]);
  to.ends.assign(from.ends.begin(), from.ends.begin() + static_cast<std::ptrdiff_t>(count));
  to.reaches.assign(from.reaches.begin(), from.reaches.begin() + static_cast<std::ptrdiff_t>(count));
}

bool SameAreas(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!Same(a[i], b[i])) return false;
  return true;
}

// The pixels where two lists of steps may give different results. A pixel
// ends up as the steps that reach it leave it, so where every step that
// reaches it is the same in both lists, both leave it alike. Lists of one
// length are compared step by step; otherwise (a time grew a digit) what
// lies between their equal starts and equal ends differs.
RECT Difference(const StepKeys& before, const StepKeys& now) {
  RECT differs{0, 0, 0, 0};
  const std::size_t was = before.ends.size(), is = now.ends.size();
  if (was == is) {
    for (std::size_t i = 0; i < is; ++i) {
      if (before.Key(i) == now.Key(i)) continue;
      differs = Union(differs, Union(before.reaches[i], now.reaches[i]));
    }
    return differs;
  }
  std::size_t head = 0, tail = 0;
  while (head < was && head < is && before.Key(head) == now.Key(head)) ++head;
  while (tail < was - head && tail < is - head && before.Key(was - 1 - tail) == now.Key(is - 1 - tail)) ++tail;
  for (std::size_t i = head; i < was - tail; ++i) differs = Union(differs, before.reaches[i]);
  for (std::size_t i = head; i < is - tail; ++i) differs = Union(differs, now.reaches[i]);
  return differs;
}

// Runs the steps that reach `area`, cut to it.
void Replay(const DeviceContext& dc, std::vector<KeptStep>& steps, const StepKeys& keys, const RECT& area) {
  DeviceContext scratch;
  scratch.memory = true;
  scratch.bitmap = dc.bitmap;
  scratch.clip = area;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (IsEmpty(Intersect(keys.reaches[i], area))) continue;
    KeptStep& step = steps[i];
    scratch.pen = &step.state.pen;
    scratch.brush = &step.state.brush;
    scratch.font = &step.state.font;
    scratch.textColour = step.state.textColour;
    scratch.bkColour = step.state.bkColour;
    scratch.bkMode = step.state.bkMode;
    step.draw(scratch);
  }
  if (scratch.cairo) cairo_destroy(scratch.cairo);
}

std::uint64_t NewContentId() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

StepKey& StepKey::Add(std::string_view text) {
  Add(static_cast<long long>(text.size()));
  Append(text.data(), text.size());
  return *this;
}

void StepKey::Spill(const char* data, std::size_t length) {
  if (spilled_.empty()) spilled_.assign(inPlace_, size_);
  spilled_.append(data, length);
}

bool KeepKey(DeviceContext& dc, const StepKey& key, const RECT& reach, bool& fresh) {
  Kept* kept = KeptOf(dc);
  if (!kept || !kept->keeping || kept->count >= kMaxKeptSteps) {
    DrawingNow(dc);
    return false;
  }
  const std::size_t i = kept->count++;
  const StateBytes state(dc);
  if (kept->repeating) {
    if (SameStep(kept->drawnKeys, i, key.bytes(), state.bytes(), reach)) {
      fresh = i >= kept->steps.size();
      return true;
    }
    kept->repeating = false;
    CopyFirst(kept->drawnKeys, i, kept->pendingKeys);
  }
  StepKeys& keys = kept->pendingKeys;
  keys.bytes += key.bytes();
  keys.bytes += state.bytes();
  keys.ends.push_back(keys.bytes.size());
  keys.reaches.push_back(reach);
  fresh = i >= kept->steps.size() || i >= kept->drawnKeys.ends.size() || kept->drawnKeys.Key(i) != keys.Key(i);
  return true;
}

void KeepClosure(DeviceContext& dc, DrawStep step) {
  Kept* kept = KeptOf(dc);
  const std::size_t i = kept->count - 1;
  KeptStep made{StateOf(dc), std::move(step)};
  if (i < kept->steps.size()) {
    kept->steps[i] = std::move(made);
  } else {
    kept->steps.push_back(std::move(made));
  }
}

void DrawingNow(DeviceContext& dc) {
  if (Kept* kept = KeptOf(dc)) {
    Settle(dc);
    kept->drawnId = 0;  // no longer a known picture
  }
}

void KeepFromHere(DeviceContext& dc) {
  if (!Keepable(dc)) return;
  Kept* kept = AttachedOrNew<Kept>(dc.bitmap->bitmap, kKeptKey);
  if (!kept) return;
  // A list given up half way leaves closures that match neither list.
  if (kept->keeping) kept->steps.clear();
  kept->keeping = true;
  kept->count = 0;
  kept->pendingKeys.Clear();
  kept->repeating = true;
}

void Settle(DeviceContext& dc) {
  Kept* kept = KeptOf(dc);
  if (!kept || !kept->keeping) return;
  kept->keeping = false;
  kept->steps.erase(kept->steps.begin() + static_cast<std::ptrdiff_t>(kept->count), kept->steps.end());
  cairo_surface_t* bitmap = dc.bitmap->bitmap;
  const RECT all{0, 0, cairo_image_surface_get_width(bitmap), cairo_image_surface_get_height(bitmap)};
  const bool known = kept->drawnId != 0;
  // A paint that repeated the last one all through changed no step.
  const bool same = kept->repeating && kept->count == kept->drawnKeys.ends.size();
  if (kept->repeating && !same) CopyFirst(kept->drawnKeys, kept->count, kept->pendingKeys);
  kept->repeating = false;
  const StepKeys& keys = same ? kept->drawnKeys : kept->pendingKeys;
  const RECT changed = !known ? all : same ? RECT{0, 0, 0, 0} : Intersect(Difference(kept->drawnKeys, keys), all);
  if (!IsEmpty(changed)) {
    Replay(dc, kept->steps, keys, changed);
    kept->baseId = known ? kept->drawnId : 0;
    kept->drawnId = NewContentId();
    kept->changed = changed;
  }
  if (!same) std::swap(kept->drawnKeys, kept->pendingKeys);
  kept->pendingKeys.Clear();
}

std::uint64_t ContentId(const DeviceContext& dc) {
  const Kept* kept = KeptOf(dc);
  return kept && !kept->keeping ? kept->drawnId : 0;
}

void DropKept(cairo_surface_t* bitmap) {
  if (Kept* kept = Attached<Kept>(bitmap, kKeptKey)) {
    if (kept->keeping) kept->steps.clear();
    kept->keeping = false;
    kept->repeating = false;
    kept->pendingKeys.Clear();
  }
}

RECT StillToCopy(const DeviceContext& frameDC, const DeviceContext& source, const RECT& box, POINT shift) {
  const Kept* kept = KeptOf(source);
  const Shown* shown = Attached<Shown>(frameDC.frame, kShownKey);
  if (!kept || kept->keeping || kept->drawnId == 0 || !shown || shown->id == 0 || !Same(shown->box, box) ||
      shown->shift.x != shift.x || shown->shift.y != shift.y || !SameAreas(shown->holes, frameDC.holes))
    return box;
  if (shown->id == kept->drawnId) return RECT{0, 0, 0, 0};
  if (shown->id == kept->baseId) return Intersect(box, Offset(kept->changed, -shift.x, -shift.y));
  return box;
}

void RememberShown(const DeviceContext& frameDC, std::uint64_t id, const RECT& box, POINT shift) {
  if (id == 0 && !Attached<Shown>(frameDC.frame, kShownKey)) return;
  if (Shown* shown = AttachedOrNew<Shown>(frameDC.frame, kShownKey)) *shown = Shown{id, box, shift, frameDC.holes};
}

void FrameChanged(const DeviceContext& frameDC, const RECT& area) {
  Shown* shown = Attached<Shown>(frameDC.frame, kShownKey);
  if (!shown || shown->id == 0) return;
  for (const RECT& hole : shown->holes)
    if (Within(area, hole)) return;
  shown->id = 0;
}

}  // namespace platform::gdi

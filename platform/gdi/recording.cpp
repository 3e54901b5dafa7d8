#include "gdi/recording.h"

#include <memory>

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

struct Kept {
  bool keeping = false;
  std::string pendingKey;
  std::vector<KeptStep> pending;
  // What the pixels show, when known (id nonzero).
  std::string drawnKey;
  std::uint64_t drawnId = 0;
};

struct Shown {
  std::uint64_t id = 0;
  RECT box{};
  POINT shift{};
  std::vector<RECT> holes;
};

const cairo_user_data_key_t kKeptKey{};
const cairo_user_data_key_t kShownKey{};

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

void AddState(StepKey& key, const DeviceContext& dc) {
  key.Add(dc.pen->colour).Add(dc.pen->penWidth).Add(dc.pen->null);
  key.Add(dc.brush->colour).Add(dc.brush->null);
  key.Add(dc.font->face ? std::string_view(dc.font->face->key) : std::string_view());
  key.Add(dc.textColour).Add(dc.bkColour).Add(dc.bkMode);
}

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameAreas(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!Same(a[i], b[i])) return false;
  return true;
}

std::uint64_t NewContentId() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

StepKey& StepKey::Add(long long value) {
  bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  return *this;
}

StepKey& StepKey::Add(std::string_view text) {
  Add(static_cast<long long>(text.size()));
  bytes_.append(text);
  return *this;
}

void Draw(DeviceContext& dc, const StepKey& key, DrawStep step) {
  if (Kept* kept = KeptOf(dc)) {
    if (kept->keeping && kept->pending.size() < kMaxKeptSteps) {
      StepKey full = key;
      AddState(full, dc);
      kept->pendingKey += full.bytes();
      kept->pending.push_back(KeptStep{StateOf(dc), std::move(step)});
      return;
    }
  }
  DrawingNow(dc);
  step(dc);
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
  kept->keeping = true;
  kept->pending.clear();
  kept->pendingKey.clear();
}

void Settle(DeviceContext& dc) {
  Kept* kept = KeptOf(dc);
  if (!kept || !kept->keeping) return;
  kept->keeping = false;
  if (kept->drawnId == 0 || kept->pendingKey != kept->drawnKey) {
    DeviceContext scratch;
    scratch.memory = true;
    scratch.bitmap = dc.bitmap;
    for (KeptStep& step : kept->pending) {
      scratch.pen = &step.state.pen;
      scratch.brush = &step.state.brush;
      scratch.font = &step.state.font;
      scratch.textColour = step.state.textColour;
      scratch.bkColour = step.state.bkColour;
      scratch.bkMode = step.state.bkMode;
      step.draw(scratch);
    }
    if (scratch.cairo) cairo_destroy(scratch.cairo);
    kept->drawnKey.swap(kept->pendingKey);
    kept->drawnId = NewContentId();
  }
  kept->pending.clear();
  kept->pendingKey.clear();
}

std::uint64_t ContentId(const DeviceContext& dc) {
  const Kept* kept = KeptOf(dc);
  return kept && !kept->keeping ? kept->drawnId : 0;
}

void DropKept(cairo_surface_t* bitmap) {
  if (Kept* kept = Attached<Kept>(bitmap, kKeptKey)) {
    kept->keeping = false;
    kept->pending.clear();
    kept->pendingKey.clear();
  }
}

bool FrameShows(const DeviceContext& frameDC, std::uint64_t id, const RECT& box, POINT shift) {
  const Shown* shown = Attached<Shown>(frameDC.frame, kShownKey);
  return id != 0 && shown && shown->id == id && Same(shown->box, box) && shown->shift.x == shift.x &&
         shown->shift.y == shift.y && SameAreas(shown->holes, frameDC.holes);
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

#include "gdi/draw_cache/display_list.h"

#include <algorithm>

#include "gdi/draw_cache/surface_data.h"
#include "rect.h"

namespace platform::draw_cache {
namespace {

using gdi::GdiObject;
using gdi::ObjectKind;

// What a call draws with, copied: the shell deletes its pens, brushes and
// fonts right after drawing with them.
struct DrawState {
  GdiObject pen{ObjectKind::Pen};
  GdiObject brush{ObjectKind::Brush};
  GdiObject font{ObjectKind::Font};
  COLORREF textColour = 0;
  COLORREF bkColour = 0;
  int bkMode = OPAQUE;
};

struct RecordedCall {
  DrawState state;
  DrawCall draw;
};

// Calls' keys, one after another, and where each one ends.
struct CallKeys {
  std::string bytes;
  std::vector<std::size_t> ends;
  std::vector<RECT> bounds;

  std::string_view Key(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(bytes).substr(begin, ends[i] - begin);
  }
  void Clear() {
    bytes.clear();
    ends.clear();
    bounds.clear();
  }
};

struct DisplayList {
  bool recording = false;
  // While recording, the first `count` calls are those of the list being
  // recorded (pendingKeys); the others, like all of them otherwise, are
  // those of drawnKeys. A call that repeats keeps its closure: equal keys
  // draw alike, and a paint that repeats the last one then allocates nothing.
  std::vector<RecordedCall> calls;
  std::size_t count = 0;
  CallKeys pendingKeys;
  // While every call so far repeats drawnKeys, pendingKeys is left empty:
  // the list being recorded is drawnKeys' first `count` calls.
  bool repeating = false;
  // The calls that drew the pixels, when known (id nonzero); the pixels
  // they were drawn over (base) differ from them only in `changed`.
  CallKeys drawnKeys;
  std::uint64_t drawnId = 0;
  std::uint64_t baseId = 0;
  RECT changed{};
};

// Told apart by its address only.
cairo_user_data_key_t kDisplayListKey;

bool Recordable(const DeviceContext& dc) { return dc.memory && dc.bitmap && !dc.bitmap->stock; }

DisplayList* ListOf(const DeviceContext& dc) {
  return Recordable(dc) ? Attached<DisplayList>(dc.bitmap->bitmap, kDisplayListKey) : nullptr;
}

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

// The DC's objects and colours, recorded after a call's own key. Equal faces
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

// Whether the call with this key, state and bounds is call i of the list.
bool SameCall(const CallKeys& keys, std::size_t i, std::string_view key, std::string_view state, const RECT& bounds) {
  if (i >= keys.ends.size()) return false;
  const std::string_view recorded = keys.Key(i);
  return recorded.size() == key.size() + state.size() && recorded.substr(0, key.size()) == key &&
         recorded.substr(key.size()) == state && SameRect(keys.bounds[i], bounds);
}

// The first `count` calls of a list, as a list of their own.
void CopyFirst(const CallKeys& from, std::size_t count, CallKeys& to) {
  to.bytes.assign(from.bytes, 0, count == 0 ? 0 : from.ends[count - 1]);
  to.ends.assign(from.ends.begin(), from.ends.begin() + static_cast<std::ptrdiff_t>(count));
  to.bounds.assign(from.bounds.begin(), from.bounds.begin() + static_cast<std::ptrdiff_t>(count));
}

// The damage between two lists: the pixels where they may give different
// results. A pixel ends up as the calls whose bounds hold it leave it, so
// where every such call is the same in both lists, both leave it alike.
// Lists of one length are compared call by call; otherwise (a time grew a
// digit) what lies between their equal starts and equal ends differs.
RECT Damage(const CallKeys& before, const CallKeys& now) {
  RECT differs{0, 0, 0, 0};
  const std::size_t was = before.ends.size(), is = now.ends.size();
  if (was == is) {
    for (std::size_t i = 0; i < is; ++i) {
      if (before.Key(i) == now.Key(i)) continue;
      differs = Union(differs, Union(before.bounds[i], now.bounds[i]));
    }
    return differs;
  }
  std::size_t head = 0, tail = 0;
  while (head < was && head < is && before.Key(head) == now.Key(head)) ++head;
  while (tail < was - head && tail < is - head && before.Key(was - 1 - tail) == now.Key(is - 1 - tail)) ++tail;
  for (std::size_t i = head; i < was - tail; ++i) differs = Union(differs, before.bounds[i]);
  for (std::size_t i = head; i < is - tail; ++i) differs = Union(differs, now.bounds[i]);
  return differs;
}

// Runs the calls whose bounds meet `area`, cut to it.
void DrawCallsIn(const DeviceContext& dc, std::vector<RecordedCall>& calls, const CallKeys& keys, const RECT& area) {
  DeviceContext scratch;
  scratch.memory = true;
  scratch.bitmap = dc.bitmap;
  scratch.clip = area;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (IsEmpty(Intersect(keys.bounds[i], area))) continue;
    RecordedCall& call = calls[i];
    scratch.pen = &call.state.pen;
    scratch.brush = &call.state.brush;
    scratch.font = &call.state.font;
    scratch.textColour = call.state.textColour;
    scratch.bkColour = call.state.bkColour;
    scratch.bkMode = call.state.bkMode;
    call.draw(scratch);
  }
  if (scratch.cairo) cairo_destroy(scratch.cairo);
}

std::uint64_t NewContentId() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

CallKey& CallKey::Add(std::string_view text) {
  Add(static_cast<long long>(text.size()));
  Append(text.data(), text.size());
  return *this;
}

void CallKey::Spill(const char* data, std::size_t length) {
  if (spilled_.empty()) spilled_.assign(inPlace_, size_);
  spilled_.append(data, length);
}

bool RecordKey(DeviceContext& dc, const CallKey& key, const RECT& bounds, bool& fresh) {
  DisplayList* list = ListOf(dc);
  if (!list || !list->recording || list->count >= kMaxRecordedCalls) {
    BeforeDirectDraw(dc);
    return false;
  }
  const std::size_t i = list->count++;
  const StateBytes state(dc);
  if (list->repeating) {
    if (SameCall(list->drawnKeys, i, key.bytes(), state.bytes(), bounds)) {
      fresh = i >= list->calls.size();
      return true;
    }
    list->repeating = false;
    CopyFirst(list->drawnKeys, i, list->pendingKeys);
  }
  CallKeys& keys = list->pendingKeys;
  keys.bytes += key.bytes();
  keys.bytes += state.bytes();
  keys.ends.push_back(keys.bytes.size());
  keys.bounds.push_back(bounds);
  fresh = i >= list->calls.size() || i >= list->drawnKeys.ends.size() || list->drawnKeys.Key(i) != keys.Key(i);
  return true;
}

void RecordCall(DeviceContext& dc, DrawCall call) {
  DisplayList* list = ListOf(dc);
  const std::size_t i = list->count - 1;
  RecordedCall made{StateOf(dc), std::move(call)};
  if (i < list->calls.size()) {
    list->calls[i] = std::move(made);
  } else {
    list->calls.push_back(std::move(made));
  }
}

void BeforeDirectDraw(DeviceContext& dc) {
  if (DisplayList* list = ListOf(dc)) {
    Replay(dc);
    list->drawnId = 0;  // no longer a known picture
  }
}

void StartRecording(DeviceContext& dc) {
  if (!Recordable(dc) || !Enabled()) return;
  DisplayList* list = AttachedOrNew<DisplayList>(dc.bitmap->bitmap, kDisplayListKey);
  if (!list) return;
  // A list given up half way leaves closures that match neither list.
  if (list->recording) list->calls.clear();
  list->recording = true;
  list->count = 0;
  list->pendingKeys.Clear();
  list->repeating = true;
}

void Replay(DeviceContext& dc) {
  DisplayList* list = ListOf(dc);
  if (!list || !list->recording) return;
  list->recording = false;
  list->calls.erase(list->calls.begin() + static_cast<std::ptrdiff_t>(list->count), list->calls.end());
  cairo_surface_t* bitmap = dc.bitmap->bitmap;
  const RECT all{0, 0, cairo_image_surface_get_width(bitmap), cairo_image_surface_get_height(bitmap)};
  const bool known = list->drawnId != 0;
  // A paint that repeated the last one all through changed no call.
  const bool same = list->repeating && list->count == list->drawnKeys.ends.size();
  if (list->repeating && !same) CopyFirst(list->drawnKeys, list->count, list->pendingKeys);
  list->repeating = false;
  const CallKeys& keys = same ? list->drawnKeys : list->pendingKeys;
  const RECT changed = !known ? all : same ? RECT{0, 0, 0, 0} : Intersect(Damage(list->drawnKeys, keys), all);
  if (!IsEmpty(changed)) {
    DrawCallsIn(dc, list->calls, keys, changed);
    list->baseId = known ? list->drawnId : 0;
    list->drawnId = NewContentId();
    list->changed = changed;
  }
  if (!same) std::swap(list->drawnKeys, list->pendingKeys);
  list->pendingKeys.Clear();
}

std::uint64_t ContentId(const DeviceContext& dc) {
  const DisplayList* list = ListOf(dc);
  return list && !list->recording ? list->drawnId : 0;
}

LastReplay LastReplayOf(const DeviceContext& dc) {
  const DisplayList* list = ListOf(dc);
  if (!list || list->recording) return {};
  return LastReplay{list->drawnId, list->baseId, list->changed};
}

void DropDisplayList(cairo_surface_t* bitmap) {
  if (DisplayList* list = Attached<DisplayList>(bitmap, kDisplayListKey)) {
    if (list->recording) list->calls.clear();
    list->recording = false;
    list->repeating = false;
    list->pendingKeys.Clear();
  }
}

}  // namespace platform::draw_cache

// Display lists for memory bitmaps. A paint that starts with a fill of a
// whole bitmap is recorded as a list of drawing calls and drawn only when
// the pixels are read. A bitmap is reused from the last frame with its
// pixels, so the new list is replayed only where it differs from the list
// that drew them (the damage): a paint that repeats the last one costs no
// drawing.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gdi/draw_cache/draw_cache.h"
#include "gdi/dc.h"

namespace platform::draw_cache {

using gdi::DeviceContext;

// One drawing call, done through a DC with the objects and colours that
// were selected when it was recorded.
using DrawCall = std::function<void(DeviceContext&)>;

// A call's name and arguments as bytes, for telling calls apart. Short
// keys (most) stay in place: a frame makes dozens.
class CallKey {
 public:
  explicit CallKey(char kind) { Append(&kind, 1); }
  CallKey& Add(long long value) {
    Append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
  }
  CallKey& Add(std::string_view text);
  std::string_view bytes() const { return spilled_.empty() ? std::string_view(inPlace_, size_) : spilled_; }

 private:
  void Append(const char* data, std::size_t length) {
    if (spilled_.empty() && size_ + length <= sizeof inPlace_) {
      std::memcpy(inPlace_ + size_, data, length);
      size_ += length;
      return;
    }
    Spill(data, length);
  }
  void Spill(const char* data, std::size_t length);
  char inPlace_[120];
  std::size_t size_ = 0;
  std::string spilled_;
};

// Draws `call` through the DC now, or records it when the DC's bitmap has
// a display list being recorded. The key with the DC's objects and colours
// must tell apart any two calls that could draw differently; `bounds` (DC
// coordinates) holds every pixel the call may change.
template <typename Call>
void DrawOrRecord(DeviceContext& dc, const CallKey& key, const RECT& bounds, Call&& call);

// Starts a display list for a memory DC's bitmap: the next call covers all
// of it, so what was drawn before no longer counts. Nothing with the cache
// off.
void StartRecording(DeviceContext& dc);

// Replays the recorded list on the DC's bitmap where it differs from the
// list that drew the pixels last (nothing when it repeats them). After it,
// drawing is done at once again.
void Replay(DeviceContext& dc);

// Before a DC's bitmap is drawn on at once, outside DrawOrRecord.
void BeforeDirectDraw(DeviceContext& dc);

// Nonzero when the pixels of the DC's bitmap are known to be the result of
// a replayed list: equal numbers, equal pixels.
std::uint64_t ContentId(const DeviceContext& dc);

// What a bitmap's pixels were before the last replay, and the damage it
// drew on them; a zero id when unknown.
struct LastReplay {
  std::uint64_t content = 0;
  std::uint64_t base = 0;
  RECT damage{};
};
LastReplay LastReplayOf(const DeviceContext& dc);

// A deleted bitmap: its list is dropped, its pixels stay known.
void DropDisplayList(cairo_surface_t* bitmap);

// Calls recorded for one bitmap at most; past it they are drawn at once.
constexpr std::size_t kMaxRecordedCalls = 4096;

// DrawOrRecord's halves. RecordKey: false when the call is to be drawn
// now; `fresh` when it needs its own closure, given by RecordCall.
bool RecordKey(DeviceContext& dc, const CallKey& key, const RECT& bounds, bool& fresh);
void RecordCall(DeviceContext& dc, DrawCall call);

template <typename Call>
void DrawOrRecord(DeviceContext& dc, const CallKey& key, const RECT& bounds, Call&& call) {
  bool fresh = false;
  if (RecordKey(dc, key, bounds, fresh)) {
    if (fresh) RecordCall(dc, DrawCall(std::forward<Call>(call)));
    return;
  }
  call(dc);
}

}  // namespace platform::draw_cache

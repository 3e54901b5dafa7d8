// Drawing kept for later on memory bitmaps. A paint that starts with a fill
// of a whole bitmap is kept as a list of steps and drawn only when the
// pixels are read. A bitmap is reused from the last frame with its pixels,
// so a paint whose steps repeat the last ones exactly costs no drawing, and
// a copy of it to a window frame that already shows it costs no copy.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gdi/dc.h"

namespace platform::gdi {

// One drawing call, done through a DC with the objects and colours that
// were selected when it was made.
using DrawStep = std::function<void(DeviceContext&)>;

// A step's name and arguments as bytes, for telling steps apart. Short
// keys (most) stay in place: a frame makes dozens.
class StepKey {
 public:
  explicit StepKey(char kind) { Append(&kind, 1); }
  StepKey& Add(long long value) {
    Append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
  }
  StepKey& Add(std::string_view text);
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

// Draws `step` through the DC now, or keeps it when the DC's bitmap is
// being kept. The key with the DC's objects and colours must tell apart
// any two steps that could draw differently; `reach` (DC coordinates)
// holds every pixel the step may change.
template <typename Step>
void Draw(DeviceContext& dc, const StepKey& key, const RECT& reach, Step&& step);


// Starts keeping the drawing of a memory DC's bitmap: the next step covers
// all of it, so what was drawn before no longer counts.
void KeepFromHere(DeviceContext& dc);

// Draws what is kept for the DC's bitmap: where it differs from the steps
// that drew the pixels last, only there (nothing when it repeats them).
// After it, drawing is done at once again.
void Settle(DeviceContext& dc);

// Before a DC's bitmap is drawn on at once, outside Draw.
void DrawingNow(DeviceContext& dc);

// Nonzero when the pixels of the DC's bitmap are known to be the result of
// kept drawing: equal numbers, equal pixels.
std::uint64_t ContentId(const DeviceContext& dc);

// A deleted bitmap: what was kept for it is dropped, its pixels stay known.
void DropKept(cairo_surface_t* bitmap);

// Frames remember the last copy of known content onto them, so a repeat
// can be left out or cut to what changed. `holes` are parts of the frame
// the copy may leave as it found them (the children, put back after a
// parent's paint).
//
// What of `box` (frame coordinates) a copy from the DC's bitmap to the
// frame DC must still copy: empty when the frame shows these pixels there,
// the part that changed when it shows the pixels they were drawn over,
// else all of it.
RECT StillToCopy(const DeviceContext& frameDC, const DeviceContext& source, const RECT& box, POINT shift);
void RememberShown(const DeviceContext& frameDC, std::uint64_t id, const RECT& box, POINT shift);
// Any other change of a frame's pixels inside `area` (frame coordinates).
void FrameChanged(const DeviceContext& frameDC, const RECT& area);

// Steps kept for one bitmap at most; past it they are drawn at once.
constexpr std::size_t kMaxKeptSteps = 4096;

// Draw's halves. KeepKey: false when the step is to be drawn now; `fresh`
// when it needs its own closure, given by KeepClosure.
bool KeepKey(DeviceContext& dc, const StepKey& key, const RECT& reach, bool& fresh);
void KeepClosure(DeviceContext& dc, DrawStep step);

template <typename Step>
void Draw(DeviceContext& dc, const StepKey& key, const RECT& reach, Step&& step) {
  bool fresh = false;
  if (KeepKey(dc, key, reach, fresh)) {
    if (fresh) KeepClosure(dc, DrawStep(std::forward<Step>(step)));
    return;
  }
  step(dc);
}

}  // namespace platform::gdi

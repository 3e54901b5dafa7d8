#include "run/run_state.h"

#include <algorithm>
#include <chrono>

#include "run/bests.h"
#include "storage/keybind_state.h"

const std::vector<std::wstring>& DefaultSplitNames() {
  static const std::vector<std::wstring> names = {L"Enter", L"Boss Start", L"idk", L"New Split", L"New Split"};
  return names;
}

void SyncBestSplits() { bestSplitTimes.resize(splitNames.size(), kNoTime); }

namespace {

std::int32_t NameCount() {
  return static_cast<std::int32_t>(std::min<std::size_t>(splitNames.size(), std::numeric_limits<std::int32_t>::max()));
}

// Wraps instead of overflowing when the two readings are absurdly far apart.
std::int64_t NanosSince(SteadyTime from, SteadyTime to) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(to) - static_cast<std::uint64_t>(from));
}

void StartRun(SteadyTime now) {
  timerRunning = true;
  timerStarted = true;
  startTime = now;
  splitSplitTimes.clear();
  splitSplitAccum.clear();
  currentSplit = 0;
  splitLastDelta.clear();
}

// Every segment is measured from the start, minus the total so far, so that
// rounding never accumulates across segments.
void RecordSegment(SteadyTime now) {
  const std::int64_t elapsed = NanosSince(startTime, now);
  const Seconds segment = currentSplit == 0 ? static_cast<double>(elapsed) / 1e9
                                            : (static_cast<double>(elapsed) - splitSplitAccum.back() * 1e9) / 1e9;
  splitSplitTimes.push_back(segment);
  splitSplitAccum.push_back(splitSplitAccum.empty() ? segment : splitSplitAccum.back() + segment);
  ++currentSplit;
  if (currentSplit >= NameCount()) {
    timerRunning = false;
    UpdateBestSplitsAndStoreDeltasAndPB();
  }
}

}  // namespace

void HandleSplitPress(SteadyTime now) {
  if (!timerRunning) {
    if (currentSplit >= NameCount()) {
      CancelTimerAndSplits();
    } else {
      StartRun(now);
    }
  } else if (currentSplit < NameCount()) {
    RecordSegment(now);
  }
  // Running with no name left to close (names removed meanwhile): only cancel ends it.
}

void CancelTimerAndSplits() {
  timerRunning = false;
  timerStarted = false;
  splitSplitTimes.clear();
  splitSplitAccum.clear();
  currentSplit = 0;
  splitLastDelta.clear();
}

Seconds ElapsedOnShow(SteadyTime now) {
  if (timerStarted && timerRunning) return static_cast<double>(NanosSince(startTime, now)) / 1e9;
  if (!timerRunning && !splitSplitAccum.empty()) return splitSplitAccum.back();
  return 0;
}

bool IsRecap() { return !timerRunning && !splitSplitTimes.empty() && splitLastDelta.size() == splitNames.size(); }

void ResetCoreStateForTests() {
  runState = {};
  keybindState = {};
}

SteadyTime ReadSteadyClock() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
}

#include "run/bests.h"

#include "run/run_state.h"
#include "run/run_files.h"

void UpdateBestSplitsAndStoreDeltasAndPB() {
  SyncBestSplits();
  splitLastDelta.clear();
  lastTotal = splitSplitAccum.empty() ? 0 : splitSplitAccum.back();
  const Seconds prevPB = pbTotal == kNoTime ? 0 : pbTotal;
  // Before the PB can change, so that a new PB shows as a negative delta.
  lastPBDelta = lastTotal - prevPB;

  const bool newPB = lastTotal != kNoTime && lastTotal > 0 && (pbTotal == kNoTime || lastTotal < pbTotal);
  if (newPB) {
    pbTotal = lastTotal;
    SavePBToFile("pbtime.txt");
  }

  for (std::size_t i = 0; i < splitSplitTimes.size(); ++i) {
    const bool hasBest = i < bestSplitTimes.size() && bestSplitTimes[i] != kNoTime;
    const Seconds reference = hasBest ? bestSplitTimes[i] : 0;
    splitLastDelta.push_back(splitSplitTimes[i] - reference);
    if (i < bestSplitTimes.size() && splitSplitTimes[i] < bestSplitTimes[i]) {
      bestSplitTimes[i] = splitSplitTimes[i];
    }
  }
  SaveBestSplitsToFile("bestsplits.txt");
}

void ResetBestSplitsAndPB() {
  for (Seconds& best : bestSplitTimes) best = kNoTime;
  SaveBestSplitsToFile("bestsplits.txt");
  ResetPB();
}

void ResetPB() {
  pbTotal = kNoTime;
  SavePBToFile("pbtime.txt");
}

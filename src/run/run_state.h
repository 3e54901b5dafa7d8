// The run being timed: process-wide state and the split/cancel operations.
// Standard C++ only; every operation that needs the time takes a steady-clock
// reading (nanoseconds) as an argument.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// Seconds as a double; a steady time point as signed 64-bit nanoseconds.
using Seconds = double;
using SteadyTime = std::int64_t;

// Marks "no best" / "no PB". Only ever compared for exact equality.
inline constexpr double kNoTime = std::numeric_limits<double>::max();

// The run's process-wide variables, at their process-start values. The
// names below are the ones the code uses; `runState = {}` puts every one
// back.
struct RunState {
  std::vector<std::wstring> splitNames;
  std::vector<Seconds> splitSplitTimes;
  std::vector<Seconds> splitSplitAccum;
  std::vector<Seconds> bestSplitTimes;
  std::vector<double> splitLastDelta;
  Seconds pbTotal = kNoTime;
  Seconds lastTotal = 0;
  double lastPBDelta = 0;
  bool timerRunning = false;
  bool timerStarted = false;
  SteadyTime startTime = 0;
  std::int32_t currentSplit = 0;
};
inline RunState runState;

inline std::vector<std::wstring>& splitNames = runState.splitNames;
inline std::vector<Seconds>& splitSplitTimes = runState.splitSplitTimes;
inline std::vector<Seconds>& splitSplitAccum = runState.splitSplitAccum;
inline std::vector<Seconds>& bestSplitTimes = runState.bestSplitTimes;
inline std::vector<double>& splitLastDelta = runState.splitLastDelta;
inline Seconds& pbTotal = runState.pbTotal;
inline Seconds& lastTotal = runState.lastTotal;
inline double& lastPBDelta = runState.lastPBDelta;
inline bool& timerRunning = runState.timerRunning;
inline bool& timerStarted = runState.timerStarted;
inline SteadyTime& startTime = runState.startTime;
inline std::int32_t& currentSplit = runState.currentSplit;

// "Enter", "Boss Start", "idk", "New Split", "New Split".
const std::vector<std::wstring>& DefaultSplitNames();

void SyncBestSplits();
void HandleSplitPress(SteadyTime now);
void CancelTimerAndSplits();

// What the Timer panel shows, derived from the state and a fresh reading.
Seconds ElapsedOnShow(SteadyTime now);
bool IsRecap();

// The core's variables (the run's and the key bindings') back to their
// process-start values, for tests and fuzzers that link only the core.
// ResetStateForTests (shell/app.h) does this and the shell's too.
void ResetCoreStateForTests();

// Reads the process's steady clock in nanoseconds. The one clock call of the
// system; the core never calls it itself, the shell passes its reading in.
SteadyTime ReadSteadyClock();

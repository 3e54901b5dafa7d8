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

extern std::vector<std::wstring> splitNames;
extern std::vector<Seconds> splitSplitTimes;
extern std::vector<Seconds> splitSplitAccum;
extern std::vector<Seconds> bestSplitTimes;
extern std::vector<double> splitLastDelta;
extern Seconds pbTotal;
extern Seconds lastTotal;
extern double lastPBDelta;
extern bool timerRunning;
extern bool timerStarted;
extern SteadyTime startTime;
extern std::int32_t currentSplit;

// "Enter", "Boss Start", "idk", "New Split", "New Split".
const std::vector<std::wstring>& DefaultSplitNames();

void SyncBestSplits();
void HandleSplitPress(SteadyTime now);
void CancelTimerAndSplits();

// What the Timer panel shows, derived from the state and a fresh reading.
Seconds ElapsedOnShow(SteadyTime now);
bool IsRecap();

// Puts every run variable back to its process-start value (tests, fuzzers).
void ResetRunStateForTests();

// Reads the process's steady clock in nanoseconds. The one clock call of the
// system; the core never calls it itself, the shell passes its reading in.
SteadyTime ReadSteadyClock();

// Text and colour of times and deltas, identical on every build.
#pragma once

#include <cstdint>
#include <string>

#include "run/run_state.h"

// A 24-bit colour with red in the low byte (same layout as a Windows COLORREF).
using Colour = std::uint32_t;
constexpr Colour MakeColour(int r, int g, int b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

std::wstring FormatTime(Seconds t);
std::wstring FormatDelta(double delta);
std::wstring GetDeltaString(std::int32_t splitIdx, bool recap);
Colour GetDeltaColor(double delta);

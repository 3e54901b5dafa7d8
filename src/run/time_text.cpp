#include "run/time_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// Every text goes through a 32-character buffer: longer texts keep their
// first 31 characters.
constexpr std::size_t kMaxTextLength = 31;

std::wstring Widen(const std::string& text) {
  const std::size_t n = text.size() < kMaxTextLength ? text.size() : kMaxTextLength;
  return std::wstring(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
}

// printf "%0<width>d": the sign counts towards the width.
void AppendZeroPadded(std::string& out, std::int64_t value, int width) {
  const bool negative = value < 0;
  const std::string digits = std::to_string(negative ? -value : value);
  if (negative) out += '-';
  const int padTo = negative ? width - 1 : width;
  if (static_cast<int>(digits.size()) < padTo) out.append(padTo - digits.size(), '0');
  out += digits;
}

// printf "%.2f" of the double's exact value, whatever the C runtime.
std::wstring WithTwoDecimals(const char* prefix, double value) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  std::string text = prefix;
  text.append(buf, r.ptr);
  return Widen(text);
}

// Beyond this many milliseconds the count no longer fits a signed 64-bit integer.
constexpr double kMaxMillis = 9.2e18;

}  // namespace

std::wstring FormatTime(Seconds t) {
  const double millis = t * 1000.0;
  if (t == kNoTime || !std::isfinite(millis) || std::fabs(millis) >= kMaxMillis) return L"--:--.---";
  const auto total_ms = static_cast<std::int64_t>(millis);  // truncates toward zero
  const std::int64_t minutes = total_ms / 60000;
  const std::int64_t seconds = (total_ms / 1000) % 60;
  const std::int64_t ms = total_ms % 1000;
  std::string text;
  AppendZeroPadded(text, minutes, 2);
  text += ':';
  AppendZeroPadded(text, seconds, 2);
  text += '.';
  AppendZeroPadded(text, ms, 3);
  return Widen(text);
}

std::wstring FormatDelta(double delta) {
  if (std::fabs(delta) < 1e-9) return L" +0.00";
  if (delta > 0) return WithTwoDecimals(" +", delta);
  return WithTwoDecimals(" ", delta);
}

std::wstring GetDeltaString(std::int32_t splitIdx, bool recap) {
  if (splitIdx < 0) return L"";
  const auto idx = static_cast<std::size_t>(splitIdx);
  if (recap) {
    if (idx < splitLastDelta.size()) return FormatDelta(splitLastDelta[idx]);
    return L"";
  }
  if (idx < splitSplitTimes.size() && idx < bestSplitTimes.size() && bestSplitTimes[idx] != kNoTime) {
    return FormatDelta(splitSplitTimes[idx] - bestSplitTimes[idx]);
  }
  return L"";
}

Colour GetDeltaColor(double delta) {
  if (delta < -3.0) return MakeColour(177, 85, 255);
  if (delta < 0) return MakeColour(180, 255, 180);
  if (delta > 0) return MakeColour(255, 255, 120);
  return MakeColour(240, 255, 160);
}

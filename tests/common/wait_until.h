// The one wait of the test programs: polls a condition until it holds, and
// gives up only when the program under test has plainly hung. A loaded
// machine makes a healthy program slow by seconds, never by this much; each
// suite's ctest TIMEOUT stays well above it.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testwait {

inline constexpr std::chrono::milliseconds kHangLimit{30000};

inline bool WaitUntil(const std::function<bool()>& holds, std::chrono::milliseconds timeout = kHangLimit) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (holds()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace testwait

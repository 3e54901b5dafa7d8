// On Linux the suite runs on the layer's headless driver, with a clock that
// moves only when a test waits.
#include "conformance.h"
#include "null/null_driver.h"

namespace conformance {
namespace {

platform::NullDriver& Driver() {
  static platform::NullDriver driver;
  return driver;
}

class NullDisplay : public ::testing::Environment {
 public:
  void SetUp() override {
    platform::SetDriver(&Driver());
    Driver().UseVirtualClock();
  }
  void TearDown() override { platform::SetDriver(nullptr); }
};

const auto* const kDisplay = ::testing::AddGlobalTestEnvironment(new NullDisplay);

}  // namespace

void WaitMs(int ms) { Driver().AdvanceTime(ms); }

void InjectPointer(HWND top, int x, int y, Pointer what) {
  switch (what) {
    case Pointer::Move: Driver().MoveMouse(top, x, y); break;
    case Pointer::Press: Driver().Press(top, x, y); break;
    case Pointer::Release: Driver().Release(top, x, y); break;
  }
}

}  // namespace conformance

#include "driver.h"

#include "null/null_driver.h"

namespace platform {
namespace {

Driver*& CurrentDriver() {
  static Driver* driver = nullptr;
  return driver;
}

}  // namespace

void SetDriver(Driver* driver) { CurrentDriver() = driver; }

// Without a display the layer still works, headless, instead of crashing.
Driver* GetDriver() {
  if (!CurrentDriver()) {
    static NullDriver fallback;
    return &fallback;
  }
  return CurrentDriver();
}

}  // namespace platform

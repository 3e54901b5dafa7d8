#include "gdi/draw_cache/draw_cache.h"

#include <cstdlib>
#include <cstring>

namespace platform::draw_cache {
namespace {

struct Switch {
  bool on;
  unsigned generation = 0;
};

Switch& State() {
  static Switch state{[] {
    const char* value = std::getenv("BRENVIK_DRAW_CACHE");
    return !(value && std::strcmp(value, "off") == 0);
  }()};
  return state;
}

}  // namespace

bool Enabled() { return State().on; }

void SetEnabled(bool on) {
  State().on = on;
  ++State().generation;
}

unsigned Generation() { return State().generation; }

}  // namespace platform::draw_cache

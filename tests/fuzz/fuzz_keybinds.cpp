#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "run/run_state.h"
#include "storage/keybind_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetCoreStateForTests();
  LoadKeybindsFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(pendingKeybinds == keybinds);
  for (const auto& [name, code] : DefaultKeybinds()) FUZZ_CHECK(keybinds.count(name) == 1);

  // What is saved reloads to the same maps, from the defaults or from nothing.
  const KeybindMap loaded = keybinds;
  const std::string saved = KeybindsFileBytes();
  ResetCoreStateForTests();
  LoadKeybindsFromBytes(saved);
  FUZZ_CHECK(keybinds == loaded);
  keybinds.clear();
  pendingKeybinds.clear();
  LoadKeybindsFromBytes(saved);
  FUZZ_CHECK(keybinds == loaded);
  FUZZ_CHECK(KeybindsFileBytes() == saved);
  return 0;
}

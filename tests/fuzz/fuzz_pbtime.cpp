#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "run/run_state.h"
#include "run/run_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetCoreStateForTests();
  LoadPBFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(pbTotal == kNoTime || (pbTotal >= 0 && std::isfinite(pbTotal)));

  // Whatever was accepted is saved so that it reads back as the same double.
  const double loaded = pbTotal;
  const std::string saved = PBFileBytes();
  FUZZ_CHECK(saved.size() >= 3 && saved.substr(saved.size() - 2) == "\r\n");
  LoadPBFromBytes(saved);
  FUZZ_CHECK(std::memcmp(&pbTotal, &loaded, sizeof loaded) == 0);
  FUZZ_CHECK(PBFileBytes() == saved);
  return 0;
}

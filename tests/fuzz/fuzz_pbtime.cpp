#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "run/run_state.h"
#include "storage/run_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetRunStateForTests();
  LoadPBFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(pbTotal == kNoTime || (pbTotal >= 0 && std::isfinite(pbTotal)));

  const double loaded = pbTotal;
  const std::string saved = PBFileBytes();
  FUZZ_CHECK(saved.size() >= 3 && saved.substr(saved.size() - 2) == "\r\n");
  LoadPBFromBytes(saved);
  if (loaded == kNoTime) {
    FUZZ_CHECK(pbTotal == kNoTime);
  } else {
    FUZZ_CHECK(std::fabs(pbTotal - loaded) <= 5e-6 * loaded);
  }
  FUZZ_CHECK(PBFileBytes() == saved);
  return 0;
}

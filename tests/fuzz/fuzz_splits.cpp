#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "run/run_state.h"
#include "run/run_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetCoreStateForTests();
  LoadSplitsFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(!splitNames.empty());
  FUZZ_CHECK(bestSplitTimes.size() == splitNames.size());
  for (const std::wstring& name : splitNames) FUZZ_CHECK(!name.empty());

  const std::vector<std::wstring> loaded = splitNames;
  const std::string saved = SplitsFileBytes();
  LoadSplitsFromBytes(saved);
  FUZZ_CHECK(splitNames == loaded);
  FUZZ_CHECK(SplitsFileBytes() == saved);
  return 0;
}

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "run/run_state.h"
#include "run/run_files.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// The first byte gives the number of split names, the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ResetCoreStateForTests();
  splitNames.assign(data[0], L"x");
  LoadBestSplitsFromBytes(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  FUZZ_CHECK(bestSplitTimes.size() == splitNames.size());
  for (double best : bestSplitTimes) FUZZ_CHECK(best >= 0 && std::isfinite(best));

  // Whatever was accepted is saved so that it reads back as the same doubles.
  const std::vector<double> loaded = bestSplitTimes;
  const std::string saved = BestSplitsFileBytes();
  LoadBestSplitsFromBytes(saved);
  FUZZ_CHECK(bestSplitTimes.size() == loaded.size());
  for (std::size_t i = 0; i < loaded.size(); ++i) FUZZ_CHECK(SameBits(loaded[i], bestSplitTimes[i]));
  FUZZ_CHECK(BestSplitsFileBytes() == saved);
  return 0;
}

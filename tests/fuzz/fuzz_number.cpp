#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "storage/text_file.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The text reads back as the very value, and six digits are kept wherever
// they already do.
void CheckExact(double value) {
  if (!std::isfinite(value)) return;
  const std::string text = FormatNumberExact(value);
  const std::optional<double> back = ReadNumber(text);
  FUZZ_CHECK(back && SameBits(*back, value));
  const std::optional<double> six = ReadNumber(FormatNumberG6(value));
  if (six && SameBits(*six, value)) FUZZ_CHECK(text == FormatNumberG6(value));
  FUZZ_CHECK(text.size() <= 24);
}

}  // namespace

// The input is read both as a line of text and, when it has eight bytes or
// more, as the bits of a double.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<double> read = ReadNumber(std::string(reinterpret_cast<const char*>(data), size));
  if (read) CheckExact(*read);
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckExact(raw);
  }
  return 0;
}

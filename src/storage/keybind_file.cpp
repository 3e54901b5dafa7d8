#include "storage/keybind_file.h"

#include <optional>

#include "storage/text_file.h"

const KeybindMap& DefaultKeybinds() {
  static const KeybindMap defaults = {{"toggle", 0x37}, {"split", 0x20}, {"cancel", 0x43}};
  return defaults;
}

namespace {

constexpr const char* kFileName = "keybinds.cfg";

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Blanks, an optional sign, decimal digits; the rest of the text is ignored.
// Nothing without a digit or when the number does not fit 32 bits.
std::optional<std::int32_t> ReadKeyCode(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t firstDigit = i;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 2147483648LL) return std::nullopt;
  }
  if (i == firstDigit) return std::nullopt;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::string KeybindsFileBytes() {
  std::string bytes;
  for (const auto& [name, code] : keybinds) bytes += name + "=" + std::to_string(code) + "\r\n";
  return bytes;
}

// Nothing is emptied first: actions no line names keep what they had.
void LoadKeybindsFromBytes(const std::string& bytes) {
  for (const std::string& line : SplitLines(bytes)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::optional<std::int32_t> code = ReadKeyCode(line.substr(eq + 1));
    if (!code) continue;
    const std::string name = line.substr(0, eq);
    keybinds[name] = *code;
    pendingKeybinds[name] = *code;
  }
}

void SaveKeybinds() { WriteFileAtomically(kFileName, KeybindsFileBytes()); }

void LoadKeybinds() { LoadKeybindsFromBytes(ReadWholeFile(kFileName).value_or("")); }

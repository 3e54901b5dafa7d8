#include "file_format.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {

std::optional<std::vector<std::string>> CrLfLines(const std::optional<std::string>& bytes) {
  if (!bytes) return std::nullopt;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t lf = bytes->find('\n', start);
    if (lf == std::string::npos || lf == start || (*bytes)[lf - 1] != '\r') return std::nullopt;
    lines.push_back(bytes->substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return lines;
}

bool IsStoredTime(const std::string& line) {
  if (line.empty()) return false;
  const double value = TimeOf(line);
  char buf[64];
  for (int precision = 6; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    if (std::strtod(buf, nullptr) == value) break;
  }
  return line == buf;
}

double TimeOf(const std::string& line) { return std::strtod(line.c_str(), nullptr); }

}  // namespace e2e

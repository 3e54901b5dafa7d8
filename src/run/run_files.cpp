#include "run/run_files.h"

#include <cmath>

#include "run/run_state.h"
#include "storage/text_file.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// A name must stay one line, and an empty one must not vanish at the next
// load (the best times after it would move up a position).
std::string NameLine(const std::wstring& name) {
  std::string line = EncodeName(name);
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  return line.empty() ? " " : line;
}

std::string TimeLine(Seconds t) { return t == kNoTime ? "-1" : FormatNumberExact(t); }

}  // namespace

std::string SplitsFileBytes() {
  std::string bytes;
  for (const std::wstring& name : splitNames) bytes += NameLine(name) + kLineEnd;
  return bytes;
}

void LoadSplitsFromBytes(const std::string& bytes) {
  splitNames.clear();
  for (const std::string& line : SplitLines(bytes)) {
    std::wstring name = DecodeName(line);
    if (!name.empty()) splitNames.push_back(std::move(name));
  }
  if (splitNames.empty()) splitNames = DefaultSplitNames();
  SyncBestSplits();
}

std::string BestSplitsFileBytes() {
  std::string bytes;
  for (Seconds best : bestSplitTimes) bytes += TimeLine(best) + kLineEnd;
  return bytes;
}

// A line without a readable number, out of a double's range, or NaN is "no
// best": a NaN best could never be beaten.
void LoadBestSplitsFromBytes(const std::string& bytes) {
  bestSplitTimes.clear();
  for (const std::string& line : SplitLines(bytes)) {
    const std::optional<double> value = ReadNumber(line);
    bestSplitTimes.push_back(!value || std::isnan(*value) || *value < 0 ? kNoTime : *value);
  }
  SyncBestSplits();
}

std::string PBFileBytes() { return TimeLine(pbTotal) + kLineEnd; }

void LoadPBFromBytes(const std::string& bytes) {
  pbTotal = kNoTime;
  const std::vector<std::string> lines = SplitLines(bytes);
  if (lines.empty()) return;
  const std::optional<double> value = ReadNumber(lines.front());
  if (value && *value >= 0) pbTotal = *value;  // NaN fails the test
}

void SaveSplitsToFile(const std::string& filename) { WriteFileAtomically(filename, SplitsFileBytes()); }

void LoadSplitsFromFile(const std::string& filename) { LoadSplitsFromBytes(ReadWholeFile(filename).value_or("")); }

void SaveBestSplitsToFile(const std::string& filename) { WriteFileAtomically(filename, BestSplitsFileBytes()); }

void LoadBestSplitsFromFile(const std::string& filename) {
  LoadBestSplitsFromBytes(ReadWholeFile(filename).value_or(""));
}

void SavePBToFile(const std::string& filename) { WriteFileAtomically(filename, PBFileBytes()); }

void LoadPBFromFile(const std::string& filename) { LoadPBFromBytes(ReadWholeFile(filename).value_or("")); }

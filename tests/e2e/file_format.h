// Reading back the files the program writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The lines of a file whose every line ends in CR LF; nothing when a line
// ends otherwise or the last one has no line end.
std::optional<std::vector<std::string>> CrLfLines(const std::optional<std::string>& bytes);

// A time as the program stores it: printf's %g text of the value the line
// holds, with the least precision from 6 up that reads back as that value.
bool IsStoredTime(const std::string& line);
double TimeOf(const std::string& line);

}  // namespace e2e

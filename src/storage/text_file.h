// Whole-file reads and atomic whole-file writes, plus the line and number
// rules the four files share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Far beyond any real run's files; a bigger one is not loaded (and so never
// replaced), which bounds the memory a hostile file can take.
inline constexpr std::uint64_t kMaxFileBytes = 1 << 20;

// The whole file, or nothing when it cannot be opened or read. Only regular
// files of at most kMaxFileBytes are read: a FIFO, a device or a directory
// reads as nothing at once, without blocking.
std::optional<std::string> ReadWholeFile(const std::string& path);

// A regular file at `path` larger than kMaxFileBytes.
bool TooLargeToRead(const std::string& path);

// Replaces the file with `bytes`: a temporary file in the same directory is
// written and flushed, then renamed over the target. On any failure the old
// file stays whole and false is returned. A file too large to read is
// never replaced.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// Splits at LF, drops the CR of a CR LF pair; a last line without a line
// end still counts, an empty tail after the last LF does not.
std::vector<std::string> SplitLines(const std::string& bytes);

// strtod rules in the classic locale applied to the start of the line.
// Nothing when no number can be read or it is out of a double's range.
std::optional<double> ReadNumber(const std::string& line);

// printf "%g" with precision 6, locale-independent.
std::string FormatNumberG6(double value);

// The same style with the least precision from 6 to 17 whose text
// ReadNumber gives back as the very same double; a value that cannot read
// back (NaN, an infinity) gets its precision-6 text.
std::string FormatNumberExact(double value);

// Names: ASCII stays one byte, the rest is UTF-8; NULs are left out both
// ways. Reading decodes valid UTF-8; any other byte 0x80..0xFF becomes the
// character of that code.
std::string EncodeName(const std::wstring& name);
std::wstring DecodeName(const std::string& line);

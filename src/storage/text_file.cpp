#include "storage/text_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

#include "storage/file_io.h"
#include "utf8.h"

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return std::nullopt;
  const std::optional<FileInfo> info = InfoOf(fd);
  if (!info || !info->regular || info->size < 0 || static_cast<std::uint64_t>(info->size) > kMaxFileBytes) {
    CloseFile(fd);
    return std::nullopt;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info->size));
  char chunk[4096];
  bool failed = false;
  for (;;) {
    const long got = ReadSome(fd, chunk, sizeof chunk);
    if (got < 0) failed = true;
    if (got <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
    // The file grew while we read it: the same refusal as for a big file.
    if (bytes.size() > kMaxFileBytes) failed = true;
    if (failed) break;
  }
  CloseFile(fd);
  if (failed) return std::nullopt;
  return bytes;
}

bool TooLargeToRead(const std::string& path) {
  const std::optional<FileInfo> info = InfoOf(path);
  return info && info->regular && info->size >= 0 && static_cast<std::uint64_t>(info->size) > kMaxFileBytes;
}

// The data reaches the disk before the rename makes it visible, so a power
// loss cannot leave the new name pointing at missing blocks.
bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  // A file we refused to read holds data we never loaded: keep it.
  if (TooLargeToRead(path)) return false;
  const std::string temp = path + ".tmp";
  std::FILE* f = CreateForWriting(temp);
  if (!f) return false;  // nothing of ours to clean up (the name may be a directory)
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = FlushToDisk(f) && ok;
  ok = std::fclose(f) == 0 && ok;
  ok = ok && RenameOver(temp, path);
  if (!ok) std::remove(temp.c_str());
  return ok;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    if (end > begin && bytes[end - 1] == '\r' && end < bytes.size()) --end;
    lines.emplace_back(bytes, begin, end - begin);
    begin = next;
  }
  return lines;
}

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

// strtod's grammar on top of std::from_chars, which never consults the locale
// but accepts neither leading blanks, a "+" nor the "0x" prefix by itself.
std::optional<double> ReadNumber(const std::string& line) {
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p < end && IsCSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end || *p == '+' || *p == '-') return std::nullopt;

  double value = 0;
  std::from_chars_result r{};
  const bool hex = end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
                   ((end - p >= 3 && IsHexDigit(p[2])) || (end - p >= 4 && p[2] == '.' && IsHexDigit(p[3])));
  if (hex) {
    r = std::from_chars(p + 2, end, value, std::chars_format::hex);
  } else {
    r = std::from_chars(p, end, value, std::chars_format::general);
  }
  // Overflow, underflow to zero and the infinities are out of range.
  // Subnormal results are kept: a written value always reads back.
  if (r.ec != std::errc() || std::isinf(value)) return std::nullopt;
  return negative ? -value : value;
}

namespace {

std::string FormatNumberG(double value, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
  return std::string(buf, r.ptr);
}

bool ReadsBackAs(const std::string& text, double value) {
  const std::optional<double> back = ReadNumber(text);
  return back && std::memcmp(&*back, &value, sizeof value) == 0;  // -0 stays -0
}

}  // namespace

std::string FormatNumberG6(double value) { return FormatNumberG(value, 6); }

// Six digits first, so that every value they already hold keeps the bytes
// older builds wrote; 17 digits always suffice for a finite double.
std::string FormatNumberExact(double value) {
  if (!std::isfinite(value)) return FormatNumberG6(value);
  for (int precision = 6; precision < 17; ++precision) {
    std::string text = FormatNumberG(value, precision);
    if (ReadsBackAs(text, value)) return text;
  }
  return FormatNumberG(value, 17);
}

// A NUL is left out, as reading leaves it out: no NUL byte reaches the file,
// and a name of nothing else writes as empty (kept in its place) instead of
// as a line that reads back as no name at all.
std::string EncodeName(const std::wstring& name) {
  std::wstring kept = name;
  std::erase(kept, L'\0');
  return utf8::ToUtf8(kept);
}

std::wstring DecodeName(const std::string& line) {
  const std::string_view bytes(line);
  std::wstring out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == 0) {  // a NUL would cut the name short wherever it is shown
      ++i;
      continue;
    }
    char32_t cp = b;
    std::size_t len = utf8::DecodeOne(bytes.substr(i), cp);
    if (len == 0) {
      cp = b;
      len = 1;
    }
    utf8::AppendWide(out, cp);
    i += len;
  }
  return out;
}

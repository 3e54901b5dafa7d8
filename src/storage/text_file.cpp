#include "storage/text_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "storage/file_io.h"

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
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

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
                   ((end - p >= 3 && IsHexDigit(p[2])) ||
                    (end - p >= 4 && p[2] == '.' && IsHexDigit(p[3])));
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

std::string EncodeName(const std::wstring& name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    char32_t c = static_cast<char32_t>(name[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size()) {
        const char32_t low = static_cast<char32_t>(name[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

// Length of the valid UTF-8 sequence at s[i] and its code point, or 0.
std::size_t DecodeUtf8At(const std::string& s, std::size_t i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendCodePoint(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(cp);
}

}  // namespace

std::wstring DecodeName(const std::string& line) {
  std::wstring out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (b == 0) {  // a NUL would cut the name short wherever it is shown
      ++i;
      continue;
    }
    char32_t cp = b;
    std::size_t len = b < 0x80 ? 1 : DecodeUtf8At(line, i, cp);
    if (len == 0) {
      cp = b;
      len = 1;
    }
    AppendCodePoint(out, cp);
    i += len;
  }
  return out;
}

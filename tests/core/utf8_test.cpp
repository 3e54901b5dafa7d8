#include "utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::wstring Wide(char32_t cp) {
  std::wstring out;
  utf8::AppendWide(out, cp);
  return out;
}

// Each code point at the edge of a sequence length goes out and comes back
// as the same character, in the shortest form.
TEST(Utf8, EveryLengthEdgeRoundTrips) {
  const struct {
    char32_t cp;
    std::size_t length;
  } cases[] = {{0x01, 1},   {0x7F, 1},   {0x80, 2},   {0x7FF, 2},   {0x800, 3},   {0xD7FF, 3},
               {0xE000, 3}, {0xFFFD, 3}, {0xFFFF, 3}, {0x10000, 4}, {0x1F600, 4}, {0x10FFFF, 4}};
  for (const auto& c : cases) {
    const std::string bytes = utf8::ToUtf8(Wide(c.cp));
    EXPECT_EQ(bytes.size(), c.length) << std::hex << static_cast<std::uint32_t>(c.cp);
    char32_t back = 0;
    EXPECT_EQ(utf8::DecodeOne(bytes, back), c.length) << std::hex << static_cast<std::uint32_t>(c.cp);
    EXPECT_EQ(static_cast<std::uint32_t>(back), static_cast<std::uint32_t>(c.cp));
  }
}

TEST(Utf8, NoValidSequenceDecodesAsNothing) {
  char32_t cp = 0;
  for (const char* bytes :
       {"", "\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
        "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xE2\x82", "\xE2(\xAC"}) {
    EXPECT_EQ(utf8::DecodeOne(bytes, cp), 0u) << bytes;
  }
  // Only the first sequence counts.
  EXPECT_EQ(utf8::DecodeOne("\xC3\xA9\xFF", cp), 2u);
  EXPECT_EQ(static_cast<std::uint32_t>(cp), 0xE9u);
}

// The ASCII run before the first other character is kept when the encoder
// leaves its quick path; NUL and values no UTF-8 holds become U+FFFD.
TEST(Utf8, EncodingKeepsTheTextAroundWhatItReplaces) {
  EXPECT_EQ(utf8::ToUtf8(L"abc\u00e9d"),
            "abc\xC3\xA9"
            "d");
  EXPECT_EQ(utf8::ToUtf8(std::wstring(L"a\0b\u00e9\0", 5)),
            "a\xEF\xBF\xBD"
            "b\xC3\xA9\xEF\xBF\xBD");
  if constexpr (sizeof(wchar_t) == 4) {  // only a 32-bit wchar_t holds values beyond U+10FFFF
    for (const wchar_t beyond : {static_cast<wchar_t>(-1), static_cast<wchar_t>(0x110000)}) {
      const std::wstring odd = std::wstring(L"x") + beyond + L"y";
      EXPECT_EQ(utf8::ToUtf8(odd), "x\xEF\xBF\xBDy");
    }
  }
  std::string kept = "old text that is longer";
  utf8::ToUtf8(L"\u20ac", kept);
  EXPECT_EQ(kept, "\xE2\x82\xAC");
}

}  // namespace

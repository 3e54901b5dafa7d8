#include <gtest/gtest.h>

#include "x11/text.h"

using namespace platform::x11;

namespace {

TEST(Utf8, RoundTripsEveryLength) {
  const std::wstring text = L"Zeit \u00e4 \u0416 \u20ac \U0001F600 end";
  const std::string bytes = ToUtf8(text);
  EXPECT_EQ(bytes, "Zeit \xC3\xA4 \xD0\x96 \xE2\x82\xAC \xF0\x9F\x98\x80 end");
  EXPECT_EQ(FromUtf8(bytes), text);
  EXPECT_EQ(ToUtf8(L""), "");
  EXPECT_EQ(FromUtf8(""), L"");
}

TEST(Utf8, BadBytesBecomeReplacementCharactersAndDecodingGoesOn) {
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            L"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xC3"), L"\uFFFD");                                // cut short at the end
  EXPECT_EQ(FromUtf8("\xC3(x"), L"\uFFFD(x");                            // bad continuation
  EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");                      // overlong '/'
  EXPECT_EQ(FromUtf8("\xED\xA0\x80z"), L"\uFFFD\uFFFD\uFFFDz");          // a surrogate
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
  // Not a character: encoding must not produce invalid UTF-8 either.
  EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::wstring(L"a\0b", 3)),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Latin1, ConvertsBothWaysAndMarksWhatItCannotHold) {
  EXPECT_EQ(ToLatin1(L"a\u00e4\u0416"), "a\xE4?");
  EXPECT_EQ(FromLatin1("a\xE4\xFF"), L"a\u00e4\u00ff");
}

TEST(TypedCharacters, ControlCharactersAreNotTyped) {
  EXPECT_TRUE(IsTypedCharacter(L'a'));
  EXPECT_TRUE(IsTypedCharacter(L' '));
  EXPECT_TRUE(IsTypedCharacter(L'\u00e9'));
  EXPECT_TRUE(IsTypedCharacter(L'\u0416'));
  EXPECT_FALSE(IsTypedCharacter(L'\b'));
  EXPECT_FALSE(IsTypedCharacter(L'\r'));
  EXPECT_FALSE(IsTypedCharacter(L'\x1b'));
  EXPECT_FALSE(IsTypedCharacter(L'\x7f'));
  EXPECT_FALSE(IsTypedCharacter(L'\x85'));
  EXPECT_FALSE(IsTypedCharacter(L'\x01'));  // Ctrl+A
}

}  // namespace

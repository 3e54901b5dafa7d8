#include "storage/text_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "run/time_text.h"
#include "temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, LfAndCrLfReadAlike) {
  EXPECT_EQ(SplitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a\r\r\n"), (Lines{"a\r"}));    // only the CR of the pair goes
  EXPECT_EQ(SplitLines("a\rb\r"), (Lines{"a\rb\r"}));  // no LF: no pair
  EXPECT_EQ(SplitLines(std::string("x\0y\n", 4)), (Lines{std::string("x\0y", 3)}));
}

TEST(ReadNumber, StrtodGrammar) {
  EXPECT_EQ(ReadNumber("83.4568"), 83.4568);
  EXPECT_EQ(ReadNumber(" \t12.5 seconds"), 12.5);
  EXPECT_EQ(ReadNumber("+7"), 7);
  EXPECT_EQ(ReadNumber("-0.25"), -0.25);
  EXPECT_EQ(ReadNumber(".5"), 0.5);
  EXPECT_EQ(ReadNumber("5."), 5);
  EXPECT_EQ(ReadNumber("1.5e+06"), 1.5e6);
  EXPECT_EQ(ReadNumber("1e5x"), 1e5);
  EXPECT_EQ(ReadNumber("1e"), 1);
  EXPECT_EQ(ReadNumber("1e+"), 1);
  EXPECT_EQ(ReadNumber("12,5"), 12);
  EXPECT_EQ(ReadNumber("0x1p3"), 8);
  EXPECT_EQ(ReadNumber("-0X10"), -16);
  EXPECT_EQ(ReadNumber("0x.8"), 0.5);
  EXPECT_EQ(ReadNumber("0x"), 0);  // the 0 before a bare x
  EXPECT_EQ(ReadNumber("0xg"), 0);
  EXPECT_EQ(ReadNumber("0x.p1"), 0);
  EXPECT_EQ(ReadNumber("1.7976931348623157e308"), kNoTime);
  EXPECT_TRUE(std::isnan(*ReadNumber("nan")));
  EXPECT_TRUE(std::isnan(*ReadNumber("-NaN(12)")));
  for (const char* bad : {"", " ", "abc", ".", "+", "-", "+-5", "- 5", "--1", "e5", "x1"}) {
    EXPECT_EQ(ReadNumber(bad), std::nullopt) << bad;
  }
}

TEST(ReadNumber, OutOfRangeIsNoNumber) {
  for (const char* bad : {"1e999", "-1e999", "inf", "-INF", "Infinity", "1e-400", "2e-324", "0x1p2000", "0x1p-2000"}) {
    EXPECT_EQ(ReadNumber(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ReadNumber("2.2250738585072014e-308"), std::numeric_limits<double>::min());
  // Subnormal values are kept, so the six-digit form of any value reads back.
  EXPECT_EQ(ReadNumber("4.94066e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(ReadNumber("1e-310"), 1e-310);
  EXPECT_EQ(ReadNumber(FormatNumberG6(std::numeric_limits<double>::min())), 2.22507e-308);
  EXPECT_EQ(ReadNumber("0e-999"), 0);
}

TEST(FormatNumberG6, LikePrintfG) {
  EXPECT_EQ(FormatNumberG6(83.456), "83.456");
  EXPECT_EQ(FormatNumberG6(83.4567891), "83.4568");
  EXPECT_EQ(FormatNumberG6(1234.5678), "1234.57");
  EXPECT_EQ(FormatNumberG6(60.0), "60");
  EXPECT_EQ(FormatNumberG6(0.5), "0.5");
  EXPECT_EQ(FormatNumberG6(0), "0");
  EXPECT_EQ(FormatNumberG6(999999.4), "999999");
  EXPECT_EQ(FormatNumberG6(999999.5), "1e+06");
  EXPECT_EQ(FormatNumberG6(1.5e6), "1.5e+06");
  EXPECT_EQ(FormatNumberG6(123456.7), "123457");
  EXPECT_EQ(FormatNumberG6(0.0001), "0.0001");
  EXPECT_EQ(FormatNumberG6(0.00001), "1e-05");
  EXPECT_EQ(FormatNumberG6(1e300), "1e+300");
  EXPECT_EQ(FormatNumberG6(-2.5), "-2.5");
  EXPECT_EQ(FormatNumberG6(std::nan("")), "nan");
}

// Only the classic rules apply, whatever the process locale says.
TEST(Numbers, ACommaLocaleChangesNothing) {
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German"}) {
    if (std::setlocale(LC_ALL, name)) {
      found = name;
      break;
    }
  }
  if (!found || std::localeconv()->decimal_point[0] != ',') {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no locale with a decimal comma on this machine";
  }
  EXPECT_EQ(ReadNumber("12.5"), 12.5);
  EXPECT_EQ(ReadNumber("12,5"), 12);
  EXPECT_EQ(FormatNumberG6(1234.5678), "1234.57");
  std::setlocale(LC_ALL, "C");
}

// The value's bits: -0 differs from 0, and two NaNs may differ too.
std::uint64_t Bits(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

// Exact: reads back bit for bit; short: six digits where they suffice and
// otherwise no digit more than needed.
void ExpectExactAndShort(double v) {
  const std::string text = FormatNumberExact(v);
  const std::optional<double> back = ReadNumber(text);
  ASSERT_TRUE(back) << text;
  ASSERT_EQ(Bits(*back), Bits(v)) << text;
  char shorter[64];
  for (int precision = 6; precision <= 17; ++precision) {
    const auto r = std::to_chars(shorter, shorter + sizeof shorter, v, std::chars_format::general, precision);
    const std::string candidate(shorter, r.ptr);
    const std::optional<double> candidateBack = ReadNumber(candidate);
    if (candidateBack && Bits(*candidateBack) == Bits(v)) {
      ASSERT_EQ(text, candidate) << "a shorter text reads back for " << text;
      return;
    }
  }
  FAIL() << "no precision up to 17 reads back for " << text;
}

TEST(FormatNumberExact, SixDigitsWhereTheyHoldTheValue) {
  // What six digits held exactly keeps the bytes older builds wrote.
  EXPECT_EQ(FormatNumberExact(83.456), "83.456");
  EXPECT_EQ(FormatNumberExact(60.0), "60");
  EXPECT_EQ(FormatNumberExact(0.5), "0.5");
  EXPECT_EQ(FormatNumberExact(1.5e6), "1.5e+06");
  EXPECT_EQ(FormatNumberExact(-1), "-1");
  EXPECT_EQ(FormatNumberExact(0), "0");
  EXPECT_EQ(FormatNumberExact(1234.57), "1234.57");
  EXPECT_EQ(FormatNumberExact(1e-6), "1e-06");
  // Otherwise the same style with the digits it takes.
  EXPECT_EQ(FormatNumberExact(1234.567), "1234.567");
  EXPECT_EQ(FormatNumberExact(1234.5678), "1234.5678");
  EXPECT_EQ(FormatNumberExact(83.4567891), "83.4567891");
  EXPECT_EQ(FormatNumberExact(5025.432), "5025.432");
  EXPECT_EQ(FormatNumberExact(3599.999), "3599.999");
  EXPECT_EQ(FormatNumberExact(12345.678), "12345.678");
  EXPECT_EQ(FormatNumberExact(1234567.5), "1234567.5");
  EXPECT_EQ(FormatNumberExact(12345678.25), "12345678.25");
  EXPECT_EQ(FormatNumberExact(123456789.0), "123456789");
  EXPECT_EQ(FormatNumberExact(1234567890.5), "1234567890.5");
  EXPECT_EQ(FormatNumberExact(12345678901.0), "12345678901");
  EXPECT_EQ(FormatNumberExact(1.2345678901234567e17), "1.2345678901234566e+17");  // seventeen digits
  EXPECT_EQ(FormatNumberExact(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatNumberExact(1.0 / 3), "0.3333333333333333");
  EXPECT_EQ(FormatNumberExact(-0.0), "-0");
  EXPECT_EQ(FormatNumberExact(std::nan("")), "nan");
  EXPECT_EQ(FormatNumberExact(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
  EXPECT_EQ(FormatNumberExact(std::numeric_limits<double>::denorm_min()), "4.94066e-324");
}

TEST(FormatNumberExact, EveryValueReadsBackBitForBit) {
  for (double v : {83.456, 60.0, 0.5, 1.5e6, 1234.567, 1234.564, 1234.562, 3599.999, 5025.432, -0.0, 0.0,
                   std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), 1e-310,
                   std::numeric_limits<double>::max(), std::nextafter(1234.567, 0.0), std::nextafter(1234.567, 2e3)}) {
    ExpectExactAndShort(v);
  }
  std::mt19937_64 rng(27);
  std::uniform_real_distribution<double> seconds(0, 1e7);
  std::uniform_int_distribution<std::int64_t> nanos(0, 10'000'000LL * 1'000'000'000LL);
  std::uniform_int_distribution<std::uint64_t> anyBits;
  for (int i = 0; i < 10000; ++i) {
    ExpectExactAndShort(seconds(rng));
    // As the clock makes them: a reading, and a segment taken off a total.
    const double total = static_cast<double>(nanos(rng)) / 1e9;
    ExpectExactAndShort(total);
    ExpectExactAndShort((static_cast<double>(nanos(rng)) - total * 1e9) / 1e9);
    const std::uint64_t bits = anyBits(rng);
    double any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) ExpectExactAndShort(any);
  }
}

TEST(Names, AsciiIsOneByteTheRestUtf8) {
  EXPECT_EQ(EncodeName(L"Boss Start"), "Boss Start");
  EXPECT_EQ(EncodeName(L"Caf\u00e9"), "Caf\xC3\xA9");
  EXPECT_EQ(EncodeName(L"\u20ac"), "\xE2\x82\xAC");
  EXPECT_EQ(EncodeName(L"\U0001F600"), "\xF0\x9F\x98\x80");  // a surrogate pair where wchar_t is 16 bits
  EXPECT_EQ(DecodeName("\xF0\x9F\x98\x80"), L"\U0001F600");
  EXPECT_EQ(DecodeName("Caf\xC3\xA9"), L"Caf\u00e9");
  EXPECT_EQ(DecodeName("\x01\x7F"), L"\x01\x7F");
}

TEST(Names, LoneSurrogatesBecomeReplacementCharacters) {
  std::wstring lone;
  lone += static_cast<wchar_t>(0xD800);
  lone += L'x';
  lone += static_cast<wchar_t>(0xDC00);
  EXPECT_EQ(EncodeName(lone), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(Names, BytesThatAreNotUtf8KeepTheirCode) {
  EXPECT_EQ(DecodeName("Caf\xE9"), L"Caf\u00e9");                          // Latin-1
  EXPECT_EQ(DecodeName("\xC3"), L"\u00c3");                                // cut short
  EXPECT_EQ(DecodeName("\xC0\xAF"), L"\u00c0\u00af");                      // overlong
  EXPECT_EQ(DecodeName("\xED\xA0\x80"), L"\u00ed\u00a0\u0080");            // a surrogate
  EXPECT_EQ(DecodeName("\xF4\x90\x80\x80"), L"\u00f4\u0090\u0080\u0080");  // above U+10FFFF
  EXPECT_EQ(DecodeName("\xE2\x82x"), L"\u00e2\u0082x");
  // Whatever was read is written so that it reads back the same.
  for (const char* bytes : {"Caf\xE9", "\xC0\xAF", "\xFF\xFE", "a\xE2\x82\xAC\x80"}) {
    const std::wstring once = DecodeName(bytes);
    EXPECT_EQ(DecodeName(EncodeName(once)), once) << bytes;
  }
}

TEST(Names, NulBytesAreDropped) {
  EXPECT_EQ(DecodeName(std::string("a\0b\0", 4)), L"ab");
  EXPECT_EQ(DecodeName(std::string("\0", 1)), L"");
}

class AtomicWrite : public InTempDir {};

TEST_F(AtomicWrite, ReplacesTheWholeFile) {
  Write("f.txt", "a much longer old content\r\n");
  EXPECT_TRUE(WriteFileAtomically("f.txt", "new\r\n"));
  EXPECT_EQ(Read("f.txt"), "new\r\n");
  EXPECT_FALSE(Exists("f.txt.tmp"));
  EXPECT_TRUE(WriteFileAtomically("g.txt", std::string("\0\r\n", 3)));
  EXPECT_EQ(Read("g.txt"), std::string("\0\r\n", 3));
  EXPECT_EQ(ReadWholeFile("g.txt"), std::string("\0\r\n", 3));
  EXPECT_EQ(ReadWholeFile("missing.txt"), std::nullopt);
}

// Works as root too: neither case depends on permissions.
TEST_F(AtomicWrite, AFailedWriteLeavesTheOldFileWhole) {
  Write("f.txt", "old\r\n");
  std::filesystem::create_directory("f.txt.tmp");  // the temporary name is taken
  EXPECT_FALSE(WriteFileAtomically("f.txt", "new\r\n"));
  EXPECT_EQ(Read("f.txt"), "old\r\n");
  EXPECT_TRUE(std::filesystem::is_directory("f.txt.tmp"));  // not ours to remove

  std::filesystem::create_directory("d.txt");  // the target cannot be replaced
  EXPECT_FALSE(WriteFileAtomically("d.txt", "new\r\n"));
  EXPECT_TRUE(std::filesystem::is_directory("d.txt"));
  EXPECT_FALSE(Exists("d.txt.tmp"));  // the temporary file is cleaned up

  EXPECT_FALSE(WriteFileAtomically("no-such-dir/f.txt", "x"));
}

}  // namespace

// glibc's printf and strtod round exactly, so on Linux they are a reference
// for the locale-free conversions (mingw's C runtime is not).
#ifndef _WIN32
namespace {

TEST(Numbers, AgreeWithGlibcInTheClassicLocale) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mantissa(0, 10);
  std::uniform_int_distribution<int> exponent(-12, 12);
  for (int i = 0; i < 20000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.6g", v);
    ASSERT_EQ(FormatNumberG6(v), expected) << v;
    char exact[64];
    for (int precision = 6; precision <= 17; ++precision) {
      std::snprintf(exact, sizeof exact, "%.*g", precision, v);
      if (std::strtod(exact, nullptr) == v) break;
    }
    ASSERT_EQ(FormatNumberExact(v), exact) << v;
    std::snprintf(expected, sizeof expected, "%.2f", v);
    ASSERT_EQ(FormatDelta(v), L" +" + std::wstring(expected, expected + std::strlen(expected))) << v;
  }

  const char* pieces[] = {" ", "\t", "+", "-",   "0",   "1", "9", ".", "e",  "E",  "x",  "p",
                          "a", "f",  "5", "inf", "nan", "(", ")", "_", "0x", "e-", "e+", "3"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> count(1, 8);
  for (int i = 0; i < 50000; ++i) {
    std::string s;
    for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
    char* end = nullptr;
    errno = 0;
    const double ref = std::strtod(s.c_str(), &end);
    const bool noNumber = end == s.c_str();
    const bool overflowOrZeroUnderflow = errno == ERANGE && (std::isinf(ref) || ref == 0);
    const std::optional<double> got = ReadNumber(s);
    if (noNumber || overflowOrZeroUnderflow || std::isinf(ref)) {
      ASSERT_EQ(got, std::nullopt) << '"' << s << '"';
    } else if (std::isnan(ref)) {
      ASSERT_TRUE(got && std::isnan(*got)) << '"' << s << '"';
    } else {
      ASSERT_EQ(got, ref) << '"' << s << '"';
    }
  }
}

}  // namespace
#endif  // _WIN32

#include "common/text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

struct RoundTrip {
  const char* name;
  std::string utf8;
  std::wstring wide;
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class TextRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(TextRoundTrip, ConvertsBothWays) {
  const auto& c = GetParam();
  EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
  EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextRoundTrip,
    ::testing::Values(RoundTrip{"empty", "", L""},
                      // The version the banner shows: five characters, no terminator counted.
                      RoundTrip{"version", "2.0.9", L"2.0.9"},
                      RoundTrip{"latin", "Himmelsfarbe gr\xC3\xBCn", L"Himmelsfarbe gr\u00FCn"},
                      RoundTrip{"cjk", "\xE7\xA9\xBA", L"\u7A7A"},
                      RoundTrip{"outside_bmp", "\xF0\x9F\x8E\xAE", L"\U0001F3AE"},
                      RoundTrip{"embedded_nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
                      // Each side of every boundary between encoded lengths.
                      RoundTrip{"u007f", "\x7F", L"\u007F"},
                      RoundTrip{"u0080", "\xC2\x80", L"\u0080"},
                      RoundTrip{"u07ff", "\xDF\xBF", L"\u07FF"},
                      RoundTrip{"u0800", "\xE0\xA0\x80", L"\u0800"},
                      RoundTrip{"uffff", "\xEF\xBF\xBF", L"\uFFFF"},
                      RoundTrip{"u10000", "\xF0\x90\x80\x80", L"\U00010000"},
                      RoundTrip{"u10ffff", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8ToWide, ReplacesInvalidBytesInsteadOfDropping) {
  // A legacy-code-page byte in the middle: the neighbours survive.
  const std::wstring wide = Utf8ToWide("gr\xFCn");
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[0], L'g');
  EXPECT_EQ(wide[2], static_cast<wchar_t>(0xFFFD));
  EXPECT_EQ(wide[3], L'n');
}

TEST(Utf8ToWide, InvalidSequencesBecomeReplacementCharactersOnly) {
  const char* const invalid[] = {
      "\xC0\x80",          // NUL in two bytes (overlong)
      "\xE0\x80\x80",      // overlong three-byte form
      "\xF0\x80\x80\x80",  // overlong four-byte form
      "\xED\xA0\x80",      // a UTF-16 surrogate written as UTF-8
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\x80",              // a continuation byte alone
      "\xFF",              // never valid
  };
  for (const char* bytes : invalid) {
    const std::wstring wide = Utf8ToWide(bytes);
    ASSERT_FALSE(wide.empty()) << bytes;
    for (wchar_t c : wide) EXPECT_EQ(c, static_cast<wchar_t>(0xFFFD)) << bytes;
  }
}

TEST(Utf8ToWide, AStrayLeadByteBecomesOneReplacementAndKeepsTheAsciiAfterIt) {
  EXPECT_EQ(Utf8ToWide("a\xE7"
                       "bc"),
            std::wstring(L"a\uFFFDbc"));
  EXPECT_EQ(Utf8ToWide("x\xC3"
                       "yz"),
            std::wstring(L"x\uFFFDyz"));
}

TEST(Utf8ToWide, TruncatedSequenceAtTheEndIsReplaced) {
  const std::wstring wide = Utf8ToWide("ab\xE7\xA9");
  ASSERT_GE(wide.size(), 3u);
  EXPECT_EQ(wide.substr(0, 2), L"ab");
  EXPECT_EQ(wide[2], static_cast<wchar_t>(0xFFFD));
}

}  // namespace
}  // namespace vantor

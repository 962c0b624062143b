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
                      RoundTrip{"embedded_nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8ToWide, ReplacesInvalidBytesInsteadOfDropping) {
  // A legacy-code-page byte in the middle: the neighbours survive.
  const std::wstring wide = Utf8ToWide("gr\xFCn");
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[0], L'g');
  EXPECT_EQ(wide[2], static_cast<wchar_t>(0xFFFD));
  EXPECT_EQ(wide[3], L'n');
}

TEST(Utf8ToWide, TruncatedSequenceAtTheEndIsReplaced) {
  const std::wstring wide = Utf8ToWide("ab\xE7\xA9");
  ASSERT_GE(wide.size(), 3u);
  EXPECT_EQ(wide.substr(0, 2), L"ab");
  EXPECT_EQ(wide[2], static_cast<wchar_t>(0xFFFD));
}

}  // namespace
}  // namespace vantor

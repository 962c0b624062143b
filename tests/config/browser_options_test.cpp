#include "config/browser_options.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "config/config_fixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantor {
namespace {

constexpr char kIntel[] = "GenuineIntel";
const std::wstring kBase = kBaseBrowserFlags;
const std::wstring kFps = kUnlimitedFpsFlags;
const std::wstring kZeroCopy = kZeroCopyFlag;
const std::wstring kUserAgent = std::wstring(L" --user-agent=\"") + kSteamUserAgent + L"\"";

struct Case {
  const char* name;
  const char* file;  // nullptr: no config.json
  const wchar_t* arguments;
  const char* vendor;
  std::wstring expected;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BrowserArguments : public test::ConfigFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(BrowserArguments, ComposesThePiecesInOrder) {
  const Case& c = GetParam();
  Config& config = c.file ? LoadWith(c.file) : Load();
  EXPECT_EQ(ComposeBrowserArguments(c.arguments, config, c.vendor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrowserArguments,
    ::testing::Values(
        Case{"no_file_amd", nullptr, L"", kAmdVendor, kBase + kFps + kZeroCopy},
        Case{"fps_off_intel", R"({"Unlimited FPS": false})", L"", kIntel, kBase},
        Case{"fps_on", R"({"Unlimited FPS": true})", L"", kIntel, kBase + kFps},
        Case{"fps_absent", R"({"Blur Fix": true})", L"", kIntel, kBase + kFps},
        Case{"array_document", "[false]", L"", kIntel, kBase + kFps},
        Case{"number_document", "0", L"", kIntel, kBase + kFps},
        Case{"fps_mistyped", R"({"Unlimited FPS": "no"})", L"", kIntel, kBase + kFps},
        Case{"fps_other_case", R"({"unlimited fps": false})", L"", kIntel, kBase + kFps},
        Case{"steam", R"({"Unlimited FPS": false})", L"--steam", kIntel, kBase + kUserAgent},
        Case{"steam_prefix_of_word", R"({"Unlimited FPS": false})", L"--steamy -x", kIntel,
             kBase + kUserAgent},
        Case{"steam_end_of_word", R"({"Unlimited FPS": false})", L"x --no--steam", kIntel,
             kBase + kUserAgent},
        Case{"steam_capitals", R"({"Unlimited FPS": false})", L"--STEAM", kIntel, kBase},
        Case{"steam_one_hyphen", R"({"Unlimited FPS": false})", L"-steam", kIntel, kBase},
        Case{"all_three", nullptr, L"--steam", kAmdVendor, kBase + kFps + kZeroCopy + kUserAgent},
        Case{"vendor_must_match_exactly", nullptr, L"", "AuthenticAMD ", kBase + kFps},
        Case{"no_vendor", nullptr, L"", "", kBase + kFps}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowserArgumentsLength, BaseAndFullAmdLengths) {
  EXPECT_EQ(kBase.size(), 235u);
  test::TempFolder folder;
  Config config(folder / "config.json");
  EXPECT_EQ(ComposeBrowserArguments(L"", config, kAmdVendor).size(), 301u);
}

TEST(ProcessorVendor, AssemblesTheRegistersInTheProcessorsOrder) {
  // CPUID leaf 0 as each vendor's processors answer it.
  EXPECT_EQ(VendorFromRegisters(0x68747541, 0x69746E65, 0x444D4163), "AuthenticAMD");
  EXPECT_EQ(VendorFromRegisters(0x756E6547, 0x49656E69, 0x6C65746E), "GenuineIntel");
}

TEST(ProcessorVendor, IsTwelveCharactersOnThisMachine) {
  EXPECT_EQ(ReadProcessorVendor().size(), 12u);
}

TEST(SetBrowserLaunchOptions, PublishesTheVariable) {
  test::TempFolder folder;
  Config config(folder / "config.json");
  SetBrowserLaunchOptions(L"--steam", config);
#ifdef _WIN32
  // The process environment itself, which the WebView2 loader reads (the C
  // runtime's copy behind getenv is not updated by SetEnvironmentVariableW).
  wchar_t buffer[1024] = {};
  ASSERT_GT(GetEnvironmentVariableW(kBrowserArgumentsVariable, buffer, 1024), 0u);
  const std::string text = WideToUtf8(buffer);
#else
  const char* value = std::getenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS");
  ASSERT_NE(value, nullptr);
  const std::string text = value;
#endif
  EXPECT_EQ(text.rfind("--ignore-gpu-blacklist", 0), 0u);
  EXPECT_NE(text.find("--user-agent=\""), std::string::npos);
}

}  // namespace
}  // namespace vantor

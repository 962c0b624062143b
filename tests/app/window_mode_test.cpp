#include "app/window_mode.h"

#include <gtest/gtest.h>

#include "config/config_fixture.h"

namespace vantor {
namespace {

struct Case {
  const char* name;
  const char* file;  // nullptr: no config.json
  int screenWidth, screenHeight;
  WindowPlacement expected;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class WindowMode : public test::ConfigFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(WindowMode, PlacementFollowsTheSettingsAndTheScreen) {
  const Case& c = GetParam();
  Config& config = c.file ? LoadWith(c.file) : Load();
  EXPECT_EQ(ComputeWindowPlacement(config, c.screenWidth, c.screenHeight), c.expected);
}

constexpr char kWindowed[] = R"({"Fullscreen Mode": false})";

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowMode,
    ::testing::Values(
        Case{"no_file_fullscreen", nullptr, 1920, 1080, {kPopupStyle, 0, 0, 1920, 1080}},
        Case{"fullscreen_true",
             R"({"Fullscreen Mode": true})",
             1920,
             1080,
             {kPopupStyle, 0, 0, 1920, 1080}},
        Case{"shadowplay",
             R"({"Shadowplay Mode": true})",
             1920,
             1080,
             {kPopupStyle, 0, 0, 1920, 1081}},
        Case{"array_document", "[false]", 1920, 1080, {kPopupStyle, 0, 0, 1920, 1080}},
        Case{"fullscreen_mistyped",
             R"({"Fullscreen Mode": "false"})",
             1920,
             1080,
             {kPopupStyle, 0, 0, 1920, 1080}},
        Case{"windowed_1080p", kWindowed, 1920, 1080, {kOverlappedWindowStyle, 0, 0, 1632, 918}},
        // 1161.1 and 652.8, truncated.
        Case{"windowed_1366", kWindowed, 1366, 768, {kOverlappedWindowStyle, 0, 0, 1161, 652}},
        // 892.5 truncated, not rounded.
        Case{"windowed_1680", kWindowed, 1680, 1050, {kOverlappedWindowStyle, 0, 0, 1428, 892}},
        Case{"windowed_1024", kWindowed, 1024, 768, {kOverlappedWindowStyle, 0, 0, 870, 652}},
        Case{"windowed_ignores_shadowplay",
             R"({"Fullscreen Mode": false, "Shadowplay Mode": true})",
             1920,
             1080,
             {kOverlappedWindowStyle, 0, 0, 1632, 918}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor

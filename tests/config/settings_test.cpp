#include "config/settings.h"

#include <gtest/gtest.h>

#include "config/config_fixture.h"

namespace vantor {
namespace {

// The table as the player meets it: every key, what it reads as without a
// file, and when a change counts.
TEST(SettingsTable, EachKeyOnceWithItsFallbackAndEffect) {
  using E = SettingEffect;
  const struct {
    const char* key;
    bool isColour;
    bool fallback;
    SettingEffect effect;
  } expected[] = {
      {"Unlimited FPS", false, true, E::NextStart},
      {"Fullscreen Mode", false, true, E::WindowMode},
      {"Sky Color", true, false, E::Live},
      {"Shadowplay Mode", false, false, E::WindowMode},
      {"Developer Mode", false, false, E::Live},
      {"Blur Fix", false, false, E::NextStart},
      {"Raw Input", false, false, E::Live},
  };
  ASSERT_EQ(std::size(settings::kAll), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const Setting* found = FindSetting(expected[i].key);
    ASSERT_NE(found, nullptr) << expected[i].key;
    EXPECT_EQ(found, settings::kAll[i]) << "panel order at " << i;
    EXPECT_EQ(found->isColour, expected[i].isColour) << expected[i].key;
    EXPECT_EQ(found->fallback, expected[i].fallback) << expected[i].key;
    EXPECT_EQ(found->effect, expected[i].effect) << expected[i].key;
  }
  EXPECT_EQ(FindSetting("raw input"), nullptr);
  EXPECT_EQ(FindSetting("Raw Input "), nullptr);
}

class SettingsRead : public test::ConfigFixture {};

TEST_F(SettingsRead, WithoutAFileEachSettingReadsItsFallback) {
  Config& c = Load();
  EXPECT_TRUE(c.Get(settings::kUnlimitedFps));
  EXPECT_TRUE(c.Get(settings::kFullscreenMode));
  EXPECT_FALSE(c.Get(settings::kShadowplayMode));
  EXPECT_FALSE(c.Get(settings::kDeveloperMode));
  EXPECT_FALSE(c.Get(settings::kBlurFix));
  EXPECT_FALSE(c.Get(settings::kRawInput));
  EXPECT_EQ(c.GetText(settings::kSkyColor), L"");
}

TEST_F(SettingsRead, StoredValuesWinAndASetIsSaved) {
  Config& c = LoadWith(R"({"Fullscreen Mode": false, "Raw Input": true})");
  EXPECT_FALSE(c.Get(settings::kFullscreenMode));
  EXPECT_TRUE(c.Get(settings::kRawInput));
  c.SetBool("Blur Fix", true);
  EXPECT_EQ(FileBytes(),
            "{\r\n    \"Blur Fix\": true,\r\n    \"Fullscreen Mode\": false,\r\n    \"Raw Input\": "
            "true\r\n}\r\n");
}

}  // namespace
}  // namespace vantor

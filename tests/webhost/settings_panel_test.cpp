#include "webhost/settings_panel.h"

#include <gtest/gtest.h>

#include "config/config_fixture.h"
#include "webhost/settings_panel_golden.h"

namespace vantor {
namespace {

class SettingsPanel : public test::ConfigFixture {
 protected:
  std::wstring Row(const std::wstring& script, const wchar_t* key) {
    const std::wstring opener = std::wstring(L"<div class='settName' title=''>") + key + L" ";
    const size_t start = script.find(opener);
    EXPECT_NE(start, std::wstring::npos) << key;
    const size_t end = script.find(L"<div class='settName'", start + 1);
    return script.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
  }
};

TEST_F(SettingsPanel, WithoutAFileItIsExactlyTheKnownLine) {
  EXPECT_EQ(BuildSettingsPanelScript(Load()), kPanelWithoutSettingsFile);
}

TEST_F(SettingsPanel, ANonObjectDocumentShowsTheFallbacks) {
  EXPECT_EQ(BuildSettingsPanelScript(LoadWith("[true]")), kPanelWithoutSettingsFile);
  EXPECT_EQ(BuildSettingsPanelScript(LoadWith("{broken")), kPanelWithoutSettingsFile);
}

TEST_F(SettingsPanel, FirstRowWithoutStateKeepsItsOwnSpacing) {
  const std::wstring script = BuildSettingsPanelScript(LoadWith(R"({"Unlimited FPS": false})"));
  EXPECT_NE(script.find(L"clientSettings_Unlimited FPS_` + this.checked)'><span class ='slider'>"),
            std::wstring::npos);
}

TEST_F(SettingsPanel, CheckedStandsRightAfterTheOnclickQuote) {
  const std::wstring script = BuildSettingsPanelScript(LoadWith(R"({"Raw Input": true})"));
  EXPECT_NE(Row(script, L"Raw Input")
                .find(L"clientSettings_Raw Input_` + this.checked)'checked><span class='slider'>"),
            std::wstring::npos);
  EXPECT_EQ(Row(script, L"Blur Fix").find(L"checked>"), std::wstring::npos);
}

TEST_F(SettingsPanel, MistypedValuesShowTheirFallbacks) {
  const std::wstring script =
      BuildSettingsPanelScript(LoadWith(R"({"Fullscreen Mode": 0, "Raw Input": "true"})"));
  EXPECT_NE(Row(script, L"Fullscreen Mode").find(L"'checked>"), std::wstring::npos);
  EXPECT_EQ(Row(script, L"Raw Input").find(L"'checked>"), std::wstring::npos);
}

struct ColorCase {
  const char* name;
  const char* file;
  const wchar_t* shown;
};
void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

class PanelColor : public test::ConfigFixture, public ::testing::WithParamInterface<ColorCase> {};

TEST_P(PanelColor, OnlyAWellFormedColourReachesTheScript) {
  const std::wstring script = BuildSettingsPanelScript(LoadWith(GetParam().file));
  const std::wstring expected = std::wstring(L"value='") + GetParam().shown + L"' oninput=";
  EXPECT_NE(script.find(expected), std::wstring::npos) << GetParam().name;
  // Whatever was stored, the script is the known line apart from the value.
  std::wstring normalised = script;
  normalised.replace(normalised.find(GetParam().shown), 7, L"#000000");
  EXPECT_EQ(normalised, kPanelWithoutSettingsFile);
}

INSTANTIATE_TEST_SUITE_P(
    Colors, PanelColor,
    ::testing::Values(
        ColorCase{"lower_hex", R"({"Sky Color": "#12ab34"})", L"#12ab34"},
        ColorCase{"upper_hex", R"({"Sky Color": "#ABCDEF"})", L"#ABCDEF"},
        ColorCase{"quote_breaks_out", R"({"Sky Color": "#000000\";alert(1);//"})", L"#000000"},
        ColorCase{"attribute_breaks_out", R"({"Sky Color": "#1' onfocus='x"})", L"#000000"},
        ColorCase{"named_colour", R"({"Sky Color": "red"})", L"#000000"},
        ColorCase{"short_hex", R"({"Sky Color": "#fff"})", L"#000000"},
        ColorCase{"with_alpha", R"({"Sky Color": "#12ab34ff"})", L"#000000"},
        ColorCase{"one_digit_too_many", R"({"Sky Color": "#1234567"})", L"#000000"},
        ColorCase{"not_hex", R"({"Sky Color": "#12ab3g"})", L"#000000"},
        ColorCase{"empty", R"({"Sky Color": ""})", L"#000000"},
        ColorCase{"line_break", R"({"Sky Color": "#12ab34\n"})", L"#000000"},
        ColorCase{"not_a_string", R"({"Sky Color": 1193046})", L"#000000"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor

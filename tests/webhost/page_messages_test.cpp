#include "webhost/page_messages.h"

#include <gtest/gtest.h>

#include "common/constants.h"
#include "config/config_fixture.h"

namespace vantor {
namespace {

using K = PageMessageKind;

struct GrammarCase {
  const wchar_t* text;
  PageMessageKind kind;
  const wchar_t* rest;
};

TEST(PageMessageGrammar, EachTextMeansOneThing) {
  const GrammarCase table[] = {
      {L"startHook", K::StartHook, L""},
      {L"stopHook", K::StopHook, L""},
      {L"clientLoaded", K::ClientLoaded, L""},
      {L"clientSettings", K::ClientSettings, L""},
      {L"clientExit", K::ClientExit, L""},
      {L"mapChange_Desert on Team", K::MapChange, L"Desert on Team"},
      {L"nameChange_Ada", K::NameChange, L"Ada"},
      {L"clientSettings_Raw Input_true", K::SettingChange, L"Raw Input_true"},
      {L"clientSettings_", K::SettingChange, L""},
      {L"StartHook", K::Ignored, L""},
      {L"startHook ", K::Ignored, L""},
      {L"startHook_", K::Ignored, L""},
      {L" stopHook", K::Ignored, L""},
      {L"clientsettings_Raw Input_true", K::Ignored, L""},
      {L"clientSettingsX", K::Ignored, L""},
      {L"clientExit\n", K::Ignored, L""},
      {L"", K::Ignored, L""},
      {L"mapChange", K::Ignored, L""},
  };
  for (const auto& row : table) {
    const PageMessage message = ParsePageMessage(row.text);
    EXPECT_EQ(message.kind, row.kind) << std::wstring(row.text).size();
    EXPECT_EQ(message.rest, std::wstring_view(row.rest));
  }
}

struct SettingCase {
  const wchar_t* rest;
  const char* key;
  bool isSkyColor;
  const wchar_t* skyColor;  // for the colour rows
  bool boolean;
  bool windowMode;
};

class ApplySetting : public test::ConfigFixture {};

TEST_F(ApplySetting, StoresWhatThePanelSent) {
  const SettingCase table[] = {
      {L"Raw Input_true", "Raw Input", false, nullptr, true, false},
      {L"Raw Input_True", "Raw Input", false, nullptr, false, false},
      {L"Raw Input_1", "Raw Input", false, nullptr, false, false},
      {L"Raw Input_", "Raw Input", false, nullptr, false, false},
      {L"Raw Input", "Raw Input", false, nullptr, false, false},  // the value is the key
      {L"Fullscreen Mode_false", "Fullscreen Mode", false, nullptr, false, true},
      {L"Shadowplay Mode_true", "Shadowplay Mode", false, nullptr, true, true},
      {L"Fullscreen Mode_true_x", "Fullscreen Mode", false, nullptr, false, true},
      {L"Unlimited FPS_true", "Unlimited FPS", false, nullptr, true, false},
      {L"Blur Fix_false", "Blur Fix", false, nullptr, false, false},
      {L"Made Up_true", "Made Up", false, nullptr, true, false},
      {L"_true", "", false, nullptr, true, false},
      {L"", "", false, nullptr, false, false},
      {L"Sky Color_#12ab34", "Sky Color", true, L"#12ab34", false, false},
      {L"Sky Color_", "Sky Color", true, L"", false, false},
      {L"Sky Color", "Sky Color", true, L"Sky Color", false, false},
      {L"Sky Color_gr\u00FCn_x", "Sky Color", true, L"gr\u00FCn_x", false, false},
  };
  for (const auto& row : table) {
    std::filesystem::remove(SettingsPath());
    Load();
    int applied = 0;
    ApplySettingMessage(row.rest, *config, [&] { ++applied; });
    SCOPED_TRACE(row.key);
    EXPECT_TRUE(config->Contains(row.key));
    if (row.isSkyColor) {
      EXPECT_EQ(config->GetSkyColor(), row.skyColor);
    } else {
      EXPECT_TRUE(config->Document()[row.key].is_boolean());
      EXPECT_EQ(config->GetBool(row.key, !row.boolean), row.boolean);
    }
    EXPECT_EQ(applied, row.windowMode ? 1 : 0);
    EXPECT_EQ(config->Document().size(), 1u);
    EXPECT_TRUE(FileThere());  // saved before returning
  }
}

// Records what the handler asked of the window.
class RecordingHost final : public PageMessageHost {
 public:
  explicit RecordingHost(Config& config) : config_(config) {}
  void SetCaptureActive(bool active) override {
    calls.push_back(active ? "capture on" : "capture off");
  }
  void RunMenuScripts() override { calls.push_back("menu scripts"); }
  void ShowSettingsPanel() override { calls.push_back("settings panel"); }
  void DestroyMainWindow() override { calls.push_back("destroy"); }
  void ApplyWindowMode() override { calls.push_back("window mode"); }
  Config& Settings() override { return config_; }
  std::vector<std::string> calls;

 private:
  Config& config_;
};

class HandleMessage : public test::ConfigFixture {};

TEST_F(HandleMessage, CarriesOutEachMessageFromTheGame) {
  Load();
  RecordingHost host(*config);
  const std::wstring page = std::wstring(kGameOrigin) + L"/?server=eu";
  for (const wchar_t* text :
       {L"startHook", L"stopHook", L"clientLoaded", L"clientSettings", L"clientExit",
        L"clientSettings_Fullscreen Mode_false", L"clientSettings_Raw Input_true",
        L"mapChange_x on y", L"nameChange_z", L"hello"}) {
    HandlePageMessage(page, text, host);
  }
  EXPECT_EQ(host.calls, (std::vector<std::string>{"capture on", "capture off", "menu scripts",
                                                  "settings panel", "destroy", "window mode"}));
  EXPECT_FALSE(config->GetBool("Fullscreen Mode", true));
  EXPECT_TRUE(config->GetBool("Raw Input", false));
}

TEST_F(HandleMessage, MessagesFromOtherPagesAreIgnored) {
  Load();
  RecordingHost host(*config);
  const std::wstring origin = kGameOrigin;
  for (const std::wstring& source :
       {std::wstring(L"https://evil.example/"), origin + L".evil.example/",
        origin + L"@evil.example/", origin + L":8443/", L"http" + origin.substr(5) + L"/",
        std::wstring(L"about:blank"), std::wstring(L""), L"https://x.example/?" + origin}) {
    for (const wchar_t* text : {L"startHook", L"clientExit", L"clientSettings_Raw Input_true"}) {
      HandlePageMessage(source, text, host);
    }
  }
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(FileThere());
}

TEST(GameOrigin, AcceptsTheOriginItsPathsQueriesAndFragments) {
  const std::wstring origin = kGameOrigin;
  EXPECT_TRUE(IsOnGameOrigin(origin));
  EXPECT_TRUE(IsOnGameOrigin(origin + L"/"));
  EXPECT_TRUE(IsOnGameOrigin(origin + L"/play/room?id=3"));
  EXPECT_TRUE(IsOnGameOrigin(origin + L"?x"));
  EXPECT_TRUE(IsOnGameOrigin(origin + L"#menu"));
  EXPECT_FALSE(IsOnGameOrigin(origin + L"x/"));
}

}  // namespace
}  // namespace vantor

#include "app/session.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "config/config_fixture.h"
#include "webhost/expected_page_scripts.h"

namespace vantor {

void PrintTo(const Command& command, std::ostream* os) {
  *os << "{kind " << static_cast<int>(command.kind) << ", \"" << WideToUtf8(command.text) << "\", "
      << (command.on ? "on" : "off") << "}";
}

namespace {

using K = CommandKind;

constexpr wchar_t kGamePage[] = L"https://vantor.io/?server=eu";

Command Script(const char* utf8) { return {K::RunScript, Utf8ToWide(utf8)}; }

class SessionTest : public test::ConfigFixture {
 protected:
  Session& Start(const std::string& fileBytes = "") {
    if (fileBytes.empty()) {
      Load();
    } else {
      LoadWith(fileBytes);
    }
    session_ = std::make_unique<Session>(*config, L"2.0.9");
    return *session_;
  }
  Commands Message(const std::wstring& text, const std::wstring& source = kGamePage) {
    return session_->OnPageMessage(source, text);
  }
  std::unique_ptr<Session> session_;
};

TEST_F(SessionTest, EachMessageFromTheGameBecomesItsCommands) {
  Start();
  const struct {
    const wchar_t* text;
    Commands commands;
  } table[] = {
      {L"startHook", {{K::SetCapture, L"", true}}},
      {L"stopHook", {{K::SetCapture, L"", false}}},
      {L"clientLoaded",
       {Script(test::kExpectedVersionBanner), Script(test::kExpectedExitButton),
        Script(test::kExpectedClientButton), Script(test::kExpectedMenuTimer)}},
      {L"clientExit", {{K::CloseWindow}}},
      {L"mapChange_Desert on Team", {}},
      {L"nameChange_Ada", {}},
      {L"startHook ", {}},
      {L"hello", {}},
  };
  for (const auto& row : table) {
    EXPECT_EQ(Message(row.text), row.commands) << WideToUtf8(row.text);
  }
  EXPECT_FALSE(FileThere());
}

TEST_F(SessionTest, TheSettingsPanelShowsTheStoredValues) {
  Start(R"({"Raw Input": true})");
  const Commands commands = Message(L"clientSettings");
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].kind, K::RunScript);
  EXPECT_EQ(commands[0].text.rfind(L"showWindow(1);menuWindow.innerHTML=\"<div class='setHed'", 0),
            0u);
  EXPECT_NE(commands[0].text.find(L"clientSettings_Raw Input_` + this.checked)'checked>"),
            std::wstring::npos);
}

TEST_F(SessionTest, MessagesFromOtherPagesAreIgnored) {
  Start();
  for (const wchar_t* source :
       {L"https://evil.example/", L"https://vantor.io.evil.example/",
        L"https://vantor.io@evil.example/", L"https://vantor.io:8443/", L"http://vantor.io/",
        L"about:blank", L"", L"https://x.example/?https://vantor.io"}) {
    for (const wchar_t* text : {L"startHook", L"clientExit", L"clientSettings_Raw Input_true"}) {
      EXPECT_EQ(Message(text, source), Commands{}) << WideToUtf8(source);
    }
  }
  EXPECT_FALSE(FileThere());
}

// What a setting message stores, and whether the window mode follows at once.
TEST_F(SessionTest, SettingsFromThePanelAreStoredWithTheirEffect) {
  const struct {
    const wchar_t* message;
    const char* fileAfter;
    bool windowMode;
  } table[] = {
      {L"clientSettings_Raw Input_true", "{\r\n    \"Raw Input\": true\r\n}\r\n", false},
      {L"clientSettings_Raw Input_True", "{\r\n    \"Raw Input\": false\r\n}\r\n", false},
      {L"clientSettings_Raw Input", "{\r\n    \"Raw Input\": false\r\n}\r\n", false},
      {L"clientSettings_Fullscreen Mode_false", "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n",
       true},
      {L"clientSettings_Shadowplay Mode_true", "{\r\n    \"Shadowplay Mode\": true\r\n}\r\n", true},
      {L"clientSettings_Unlimited FPS_false", "{\r\n    \"Unlimited FPS\": false\r\n}\r\n", false},
      {L"clientSettings_Blur Fix_true", "{\r\n    \"Blur Fix\": true\r\n}\r\n", false},
      {L"clientSettings_Made Up_true", "{\r\n    \"Made Up\": true\r\n}\r\n", false},
      {L"clientSettings_Sky Color_#12ab34", "{\r\n    \"Sky Color\": \"#12ab34\"\r\n}\r\n", false},
      {L"clientSettings_Sky Color_gr\u00FCn_x",
       "{\r\n    \"Sky Color\": \"gr\xC3\xBCn_x\"\r\n}\r\n", false},
  };
  for (const auto& row : table) {
    std::filesystem::remove(SettingsPath());
    Start();
    const Commands expected = row.windowMode ? Commands{{K::ApplyWindowMode}} : Commands{};
    EXPECT_EQ(Message(row.message), expected) << WideToUtf8(row.message);
    EXPECT_EQ(FileBytes(), row.fileAfter) << WideToUtf8(row.message);
  }
}

TEST_F(SessionTest, EachShortcutRunsItsAction) {
  Start();
  const struct {
    unsigned key;
    Commands commands;
  } table[] = {
      {0x73, {{K::Navigate, L"https://vantor.io"}}},  // F4
      {0x74, {{K::Reload}}},                          // F5
      {0x75, {{K::Navigate, L"https://vantor.io"}}},  // F6
      {0x79, {}},                                     // F10, "Developer Mode" absent
      {0x70, {}},                                     // F1: not a shortcut
      {0x41, {}},                                     // A
  };
  for (const auto& row : table) {
    EXPECT_EQ(session_->OnKeyReleased(row.key), row.commands) << row.key;
  }
  EXPECT_FALSE(FileThere());
}

TEST_F(SessionTest, F10OpensTheToolsOnlyInDeveloperMode) {
  Start(R"({"Developer Mode": "yes"})");
  EXPECT_EQ(session_->OnKeyReleased(0x79), Commands{});
  Start(R"({"Developer Mode": true})");
  EXPECT_EQ(session_->OnKeyReleased(0x79), Commands{{K::OpenDevTools}});
}

TEST_F(SessionTest, F11TogglesSavesAndAppliesTheMode) {
  Start();
  EXPECT_EQ(session_->OnKeyReleased(0x7A), Commands{{K::ApplyWindowMode}});
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
  EXPECT_EQ(session_->OnKeyReleased(0x7A), Commands{{K::ApplyWindowMode}});
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": true\r\n}\r\n");
}

TEST_F(SessionTest, ASaveThatFailsIsToldOnceAfterTheChangeApplies) {
  // A folder where config.json should be: no save can replace it.
  std::filesystem::create_directory(SettingsPath());
  Start();
  const Commands first = session_->OnKeyReleased(0x7A);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0], (Command{K::ApplyWindowMode}));
  EXPECT_EQ(first[1].kind, K::TellUser);
  EXPECT_EQ(first[1].text.rfind(L"Vantor could not save your settings to\n", 0), 0u);
  EXPECT_EQ(Message(L"clientSettings_Raw Input_true"), Commands{});
  EXPECT_TRUE(config->Get(settings::kRawInput));  // in memory for this run
}

}  // namespace
}  // namespace vantor

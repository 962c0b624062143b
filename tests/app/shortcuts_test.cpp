#include "app/shortcuts.h"

#include <gtest/gtest.h>

#include "common/constants.h"
#include "config/config_fixture.h"
#include "support/fake_web_view.h"

namespace vantor {
namespace {

class Shortcuts : public test::ConfigFixture {
 protected:
  void Press(unsigned key, bool withWebView = true) {
    RunShortcut(key, *config, withWebView ? &page : nullptr, [this] { ++windowModeApplied; });
  }
  test::RecordingWebView page;
  int windowModeApplied = 0;
};

TEST_F(Shortcuts, EachKeyRunsItsAction) {
  Load();
  const std::wstring home = std::wstring(L"Navigate(") + kGameOrigin + L")";
  struct {
    unsigned key;
    std::vector<std::wstring> calls;
  } const table[] = {
      {kKeyF4, {home}}, {kKeyF5, {L"Reload()"}},
      {kKeyF6, {home}}, {kKeyF10, {}},  // "Developer Mode" absent
      {0x70, {}},                       // F1: not a shortcut
      {0x41, {}},                       // A
  };
  for (const auto& row : table) {
    page.calls.clear();
    Press(row.key);
    EXPECT_EQ(page.calls, row.calls) << "key " << row.key;
  }
  EXPECT_EQ(windowModeApplied, 0);
  EXPECT_FALSE(FileThere());
}

TEST_F(Shortcuts, F10OpensTheToolsOnlyInDeveloperMode) {
  LoadWith(R"({"Developer Mode": false})");
  Press(kKeyF10);
  EXPECT_TRUE(page.calls.empty());
  LoadWith(R"({"Developer Mode": "yes"})");
  Press(kKeyF10);
  EXPECT_TRUE(page.calls.empty());
  LoadWith(R"({"Developer Mode": true})");
  Press(kKeyF10);
  EXPECT_EQ(page.calls, std::vector<std::wstring>{L"OpenDevToolsWindow()"});
}

TEST_F(Shortcuts, F11TogglesSavesAndAppliesTheMode) {
  Load();
  Press(kKeyF11);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
  EXPECT_EQ(windowModeApplied, 1);
  Press(kKeyF11);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": true\r\n}\r\n");
  EXPECT_EQ(windowModeApplied, 2);
  EXPECT_TRUE(page.calls.empty());
}

TEST_F(Shortcuts, F11WorksBeforeTheWebViewExistsAndOthersWait) {
  LoadWith(R"({"Developer Mode": true, "Fullscreen Mode": false})");
  for (unsigned key : {kKeyF4, kKeyF5, kKeyF6, kKeyF10}) Press(key, false);
  EXPECT_EQ(windowModeApplied, 0);
  Press(kKeyF11, false);
  EXPECT_TRUE(config->GetBool("Fullscreen Mode", false));
  EXPECT_EQ(windowModeApplied, 1);
}

TEST(ShortcutRoutes, ReleaseBitAndMessageRules) {
  EXPECT_TRUE(IsKeyRelease(0xC0000001));   // key-up
  EXPECT_TRUE(IsKeyRelease(-1073741823));  // the same bits, sign-extended
  EXPECT_FALSE(IsKeyRelease(0x00000001));  // key-down
  EXPECT_FALSE(IsKeyRelease(0x40000001));  // auto-repeat
  for (unsigned key : {kKeyF4, kKeyF5, kKeyF6, kKeyF11}) {
    EXPECT_TRUE(IsKeyUpShortcut(key));
    EXPECT_FALSE(IsSysKeyUpShortcut(key));
  }
  EXPECT_FALSE(IsKeyUpShortcut(kKeyF10));  // F10 arrives as a system key
  EXPECT_TRUE(IsSysKeyUpShortcut(kKeyF10));
}

}  // namespace
}  // namespace vantor

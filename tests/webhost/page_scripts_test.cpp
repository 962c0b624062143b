#include "webhost/page_scripts.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "webhost/expected_page_scripts.h"

namespace vantor {
namespace {

// Every injected text, whole, against the page's expected literal.
TEST(PageScripts, TextsAreExactlyWhatThePageExpects) {
  struct {
    const wchar_t* text;
    const char* expected;
  } const table[] = {
      {kPointerLockWatcherScript, test::kExpectedPointerLockWatcher},
      {kLoadObserverScript, test::kExpectedLoadObserver},
      {kInputListenerScript, test::kExpectedInputListener},
      {kResolutionClampScript, test::kExpectedResolutionClamp},
      {kExitMenuButtonScript, test::kExpectedExitButton},
      {kClientMenuButtonScript, test::kExpectedClientButton},
      {kMenuTimerScript, test::kExpectedMenuTimer},
  };
  for (const auto& row : table) EXPECT_EQ(WideToUtf8(row.text), row.expected);
  EXPECT_EQ(WideToUtf8(BuildVersionBanner(L"2.0.9")), test::kExpectedVersionBanner);
}

TEST(PageScripts, VersionBanner) {
  EXPECT_EQ(BuildVersionBanner(L"2.0.9"),
            L"termsInfo.insertAdjacentHTML(\"beforeend\", \"<div "
            L"class='verticalSeparatorInline'></div><div class='terms' id='clientInfoVersion' "
            L"onmouseover='SOUND.play(`tick_0`,0.1)' style='font-size: 16px; padding-left: "
            L"10px;'>Vantor 2.0.9</div>\");");
  EXPECT_EQ(BuildVersionBanner(L"").size(), 219u + 9u);
}

}  // namespace
}  // namespace vantor

#include "webhost/page_scripts.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(PageScripts, TextsHaveTheirExactLengths) {
  struct {
    const wchar_t* text;
    size_t length;
  } const table[] = {
      {kPointerLockWatcherScript, 190}, {kLoadObserverScript, 174},     {kInputListenerScript, 438},
      {kResolutionClampScript, 103},    {kVersionBannerPrefix, 219},    {kVersionBannerSuffix, 9},
      {kExitMenuButtonScript, 444},     {kClientMenuButtonScript, 448}, {kMenuTimerScript, 534},
  };
  for (const auto& row : table) EXPECT_EQ(std::wstring(row.text).size(), row.length) << row.length;
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

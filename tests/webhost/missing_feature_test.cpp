#include "webhost/missing_feature.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(MissingWebViewFeature, NamesTheFeatureTheErrorAndTheFix) {
  const std::wstring message = MissingWebViewFeatureMessage(L"ICoreWebView2_2", -2147467262);
  EXPECT_NE(message.find(L"ICoreWebView2_2"), std::wstring::npos);
  EXPECT_NE(message.find(L"0x80004002"), std::wstring::npos);  // E_NOINTERFACE
  EXPECT_NE(message.find(L"Updating the WebView2 Runtime"), std::wstring::npos);
}

}  // namespace
}  // namespace vantor

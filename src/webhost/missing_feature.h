#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// What the user reads when the installed WebView2 runtime lacks an interface
// the set-up needs: which feature, the error, and what fixes it.
std::wstring MissingWebViewFeatureMessage(const std::wstring& feature, std::int32_t error);

inline constexpr wchar_t kMissingFeatureCaption[] = L"Vantor needs a newer WebView2 runtime";

}  // namespace vantor

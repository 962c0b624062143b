#include "webhost/missing_feature.h"

#include <cstdio>

namespace vantor {

std::wstring MissingWebViewFeatureMessage(const std::wstring& feature, std::int32_t error) {
  wchar_t code[16];
  std::swprintf(code, sizeof code / sizeof code[0], L"0x%08X", static_cast<std::uint32_t>(error));
  return L"The game cannot be shown: the installed Microsoft Edge WebView2 Runtime does not "
         L"provide " +
         feature + L" (error " + code +
         L").\n\nUpdating the WebView2 Runtime (through Windows Update, or Microsoft's "
         L"\"Evergreen\" installer) fixes this. Then start Vantor again.";
}

}  // namespace vantor

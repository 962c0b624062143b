#include "webhost/missing_feature.h"

#include "common/text.h"

namespace vantor {

std::wstring MissingWebViewFeatureMessage(const std::wstring& feature, std::int32_t error) {
  const std::wstring code = Utf8ToWide(HexCode(static_cast<std::uint32_t>(error)));
  return L"The game cannot be shown: the installed Microsoft Edge WebView2 Runtime does not "
         L"provide " +
         feature + L" (error " + code +
         L").\n\nUpdating the WebView2 Runtime (through Windows Update, or Microsoft's "
         L"\"Evergreen\" installer) fixes this. Then start Vantor again.";
}

}  // namespace vantor

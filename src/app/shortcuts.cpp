#include "app/shortcuts.h"

#include "common/constants.h"

namespace vantor {

void RunShortcut(unsigned virtualKey, Config& config, WebView* webView,
                 const std::function<void()>& applyWindowMode) {
  switch (virtualKey) {
    case kKeyF4:
    case kKeyF6:
      if (webView) webView->Navigate(kGameOrigin);
      break;
    case kKeyF5:
      if (webView) webView->Reload();
      break;
    case kKeyF10:
      if (webView && config.GetBool("Developer Mode", false)) webView->OpenDevToolsWindow();
      break;
    case kKeyF11:
      config.SetBool("Fullscreen Mode", !config.GetBool("Fullscreen Mode", true));
      if (applyWindowMode) applyWindowMode();
      break;
    default:
      break;
  }
}

}  // namespace vantor

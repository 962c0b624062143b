#pragma once

#include "webhost/web_view.h"
#include "webhost/webview2_win.h"

namespace vantor {

// The core's view of the page over a live ICoreWebView2. Holds no reference of
// its own: the ClientWindow owns the web view and outlives every caller.
class CoreWebView2Page final : public WebView {
 public:
  explicit CoreWebView2Page(ICoreWebView2* webview) : webview_(webview) {}

  void Navigate(const std::wstring& uri) override;
  void Reload() override;
  void OpenDevToolsWindow() override;
  void ExecuteScript(const std::wstring& script) override;
  void AddScriptToExecuteOnDocumentCreated(const std::wstring& script) override;
  void PostWebMessageAsJson(const std::wstring& json) override;

 private:
  ICoreWebView2* webview_;
};

}  // namespace vantor

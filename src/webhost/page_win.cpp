#include "webhost/page_win.h"

namespace vantor {

void CoreWebView2Page::Navigate(const std::wstring& uri) { webview_->Navigate(uri.c_str()); }

void CoreWebView2Page::Reload() { webview_->Reload(); }

void CoreWebView2Page::OpenDevToolsWindow() { webview_->OpenDevToolsWindow(); }

void CoreWebView2Page::ExecuteScript(const std::wstring& script) {
  webview_->ExecuteScript(script.c_str(), nullptr);
}

void CoreWebView2Page::AddScriptToExecuteOnDocumentCreated(const std::wstring& script) {
  webview_->AddScriptToExecuteOnDocumentCreated(script.c_str(), nullptr);
}

void CoreWebView2Page::PostWebMessageAsJson(const std::wstring& json) {
  webview_->PostWebMessageAsJson(json.c_str());
}

}  // namespace vantor

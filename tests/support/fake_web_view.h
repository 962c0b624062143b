#pragma once

#include <string>
#include <vector>

#include "webhost/web_view.h"

namespace vantor::test {

// Records every call into the page, in order, as "Call(argument)".
class RecordingWebView final : public WebView {
 public:
  void Navigate(const std::wstring& uri) override { calls.push_back(L"Navigate(" + uri + L")"); }
  void Reload() override { calls.push_back(L"Reload()"); }
  void OpenDevToolsWindow() override { calls.push_back(L"OpenDevToolsWindow()"); }
  void ExecuteScript(const std::wstring& script) override {
    calls.push_back(L"ExecuteScript(" + script + L")");
  }
  void AddScriptToExecuteOnDocumentCreated(const std::wstring& script) override {
    calls.push_back(L"AddScriptToExecuteOnDocumentCreated(" + script + L")");
  }
  void PostWebMessageAsJson(const std::wstring& json) override { posted.push_back(json); }

  std::vector<std::wstring> calls;
  std::vector<std::wstring> posted;
};

}  // namespace vantor::test

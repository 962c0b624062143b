#pragma once

#include <memory>
#include <string>

#include "webhost/webview2_win.h"

namespace vantor {

// WebView2Loader.dll, loaded at run time from the program's own folder by its
// full path (never searched for, so a copy planted in the current folder is
// never loaded), and the two calls the program makes through it. Loaded only
// after the update step, so that an update may replace the file.
class WebViewLoader {
 public:
  static constexpr wchar_t kFileName[] = L"WebView2Loader.dll";

  // Nothing when the file is missing, is not a 64-bit DLL or lacks one of
  // the calls; `error` then says why (an HRESULT).
  static std::unique_ptr<WebViewLoader> Load(const std::wstring& programFolder, HRESULT& error);

  // GetAvailableCoreWebView2BrowserVersionString with no browser folder.
  HRESULT InstalledRuntimeVersion(LPWSTR* version) const;
  // CreateCoreWebView2EnvironmentWithOptions with no browser folder and no options.
  HRESULT CreateEnvironment(
      PCWSTR userDataFolder,
      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) const;

  // The library stays loaded until the process ends: the runtime it starts
  // may still call into it while the process winds down.
  ~WebViewLoader() = default;
  WebViewLoader(const WebViewLoader&) = delete;
  WebViewLoader& operator=(const WebViewLoader&) = delete;

 private:
  using VersionCall = HRESULT(STDAPICALLTYPE*)(PCWSTR, LPWSTR*);
  using CreateCall =
      HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                               ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);
  WebViewLoader(VersionCall version, CreateCall create) : version_(version), create_(create) {}

  VersionCall version_;
  CreateCall create_;
};

}  // namespace vantor

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// What the program relies on from the WebView2 runtime, one operation per
// method. The Windows layer implements these over the real SDK; the portable
// logic (shortcuts, page messages, mouse forwarding, start-up decisions) sees
// only these interfaces, and the tests fake them. Every call happens on the
// user-interface thread; events arrive there too, from within the message loop.

// The loaded runtime (WebView2Loader).
class WebViewRuntime {
 public:
  virtual ~WebViewRuntime() = default;
  // GetAvailableCoreWebView2BrowserVersionString with no browser folder: a
  // version text exactly when a runtime is installed.
  virtual std::optional<std::wstring> AvailableBrowserVersion() = 0;
};

// ICoreWebView2Controller: hosts the web view in the main window.
class WebViewController {
 public:
  struct Bounds {
    long left = 0, top = 0, right = 0, bottom = 0;
  };
  virtual ~WebViewController() = default;
  // put_Bounds: the web view fills the given client rectangle.
  virtual void SetBounds(const Bounds& bounds) = 0;
  // Close: after it no more events arrive.
  virtual void Close() = 0;
};

// ICoreWebView2: the page. Calls into the page are fire-and-forget: no result
// is examined and no completion is awaited.
class WebView {
 public:
  virtual ~WebView() = default;
  // Navigate: load the given URI (the game origin).
  virtual void Navigate(const std::wstring& uri) = 0;
  // Reload the current document.
  virtual void Reload() = 0;
  // Open the developer tools window, whatever the settings say.
  virtual void OpenDevToolsWindow() = 0;
  // ExecuteScript: runs once, asynchronously, in the current document.
  virtual void ExecuteScript(const std::wstring& script) = 0;
  // AddScriptToExecuteOnDocumentCreated: runs in every new document before the
  // page's own scripts.
  virtual void AddScriptToExecuteOnDocumentCreated(const std::wstring& script) = 0;
  // PostWebMessageAsJson: the page's window.chrome.webview "message" listeners
  // receive the parsed object as event.data. Called at the mouse's report rate.
  virtual void PostWebMessageAsJson(const std::wstring& json) = 0;
};

// Events the runtime raises, each on the UI thread, and what the handlers rely
// on (implemented by the web host):
//   WebMessageReceived    one event per string the page posts, in order; the
//                         source document's URI comes with it
//   DOMContentLoaded      one event per loaded top-level document
//   AcceleratorKeyPressed the virtual key and its lParam while the web view
//                         has focus (bit 31 set on release)
//   WebResourceRequested  one synchronous event per request matching "*"; a
//                         response set before returning replaces the network's

}  // namespace vantor

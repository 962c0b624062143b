#pragma once

#include <string>

namespace vantor {

// What the program relies on from the WebView2 runtime. The portable logic
// (shortcuts, page messages, mouse forwarding) reaches the page only through
// WebView below; the Windows layer implements it over the real SDK and the
// tests fake it. Every call happens on the user-interface thread; events
// arrive there too, from within the message loop.
//
// The other operations, called by the Windows layer itself:
//   GetAvailableCoreWebView2BrowserVersionString (no folder)
//       a version text exactly when a runtime is installed (start-up)
//   CreateCoreWebView2EnvironmentWithOptions (no browser folder, the cache
//   folder, no options)
//       calls back once, later, with the environment; the browser reads
//       WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS at this moment
//   ICoreWebView2Environment::CreateCoreWebView2Controller
//       calls back once with a controller hosted in the main window
//   ICoreWebView2Controller::put_Bounds, Close
//       the web view fills the client rectangle; after Close no events arrive
//   ICoreWebView2Controller2::put_DefaultBackgroundColor
//       shown before content paints
//   ICoreWebView2::get_Settings and its six puts
//       take effect for the documents that follow
//   ICoreWebView2Environment::CreateWebResourceResponse
//       serves the stream with the given status, reason and headers

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

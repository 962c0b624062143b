#pragma once

#include <memory>
#include <string>

#include "config/config.h"
#include "webhost/page_win.h"
#include "webhost/webview2_win.h"

namespace vantor {

// Game activity shown to others (map and name); nothing creates one yet.
struct ActivityStatus;

// The program's one main object: the window, the three WebView2 objects in it,
// the mouse hook and the capture flag. Everything runs on the UI thread.
class ClientWindow {
 public:
  ClientWindow(Config* config, std::wstring version);
  // Normally WM_DESTROY has torn everything down already; this covers an
  // object whose window never ran, so the hook never outlives it.
  ~ClientWindow();
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;

  // Creates and shows the window, applies the window mode, starts the web
  // view and runs the message loop; returns the quit message's code.
  int Run();
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void ApplyWindowMode();
  void RunShortcut(unsigned virtualKey);
  // Tells the user, once per run, that a changed setting could not be saved.
  // Shown from the window's own procedure, never inside a WebView2 callback.
  void ReportSaveProblem();
  // Posts the page messages of one raw mouse record.
  void ForwardRawInput(const RAWINPUT& input);

  // The page as the core sees it; null until the web view exists.
  WebView* Page() { return page.get(); }

  // The script that appends the version to the page's terms line.
  std::wstring BuildVersionBanner();
  // Opens the game's menu window with the client's settings in it.
  void ShowSettingsPanel();

  // WebView2 callbacks and event handlers; each returns S_OK.
  HRESULT OnEnvironmentCreated(HRESULT result, ICoreWebView2Environment* created);
  HRESULT OnControllerCreated(HRESULT result, ICoreWebView2Controller* created);
  HRESULT OnDOMContentLoaded();
  HRESULT OnWebMessageReceived(ICoreWebView2WebMessageReceivedEventArgs* args);
  HRESULT OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
  HRESULT OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args);

  ICoreWebView2Environment* environment = nullptr;
  ICoreWebView2Controller* controller = nullptr;
  ICoreWebView2* webview = nullptr;
  Config* config = nullptr;
  std::wstring version;
  HWND hwnd = nullptr;
  WNDCLASSEXW windowClass{};
  HHOOK* hookCell = nullptr;
  ActivityStatus* activityStatus = nullptr;
  bool captureActive = false;
  EventRegistrationToken eventToken{};
  std::unique_ptr<WebView> page;
  std::wstring pendingWarning;  // over `webview`; the tests put a recorder here

 private:
  void StartWebView();
  void RegisterHandlers(ICoreWebView2_2* webview2);
  void AddSwapFilter();
  void RunMessageLoop(MSG& message);
  void OnDestroy();
  void RemoveHook();
  void ReleaseWebView();
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The one ClientWindow, for the mouse hook, which receives no user data.
extern ClientWindow* g_clientWindow;

inline constexpr wchar_t kWindowClassName[] = L"Vantor";
inline constexpr UINT kShowPendingWarning = WM_APP + 1;
inline constexpr wchar_t kWindowTitle[] = L"Vantor";

}  // namespace vantor

// Bringing the web view to life: environment, controller and per-document
// set-up. Every handler runs on the UI thread and returns S_OK.
#include "app/client_window_win.h"
#include "app/messages_win.h"
#include "app/shortcuts.h"
#include "common/constants.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "input/raw_input_win.h"
#include "webhost/co_task_string_win.h"
#include "webhost/com_handler_win.h"
#include "webhost/missing_feature.h"
#include "webhost/page_scripts.h"
#include "webhost/resource_swapper.h"

namespace vantor {

namespace {

// Transparent default background: A 0, R 0, G 0, B 255.
constexpr COREWEBVIEW2_COLOR kBackground = {0, 0, 0, 255};

// The two interface queries the set-up cannot go on without. A failure stops
// the set-up and tells the user what is missing; it never leaves the callback.
template <typename Interface, typename Source>
Interface* QueryRequired(Source* source, REFIID iid, const wchar_t* feature) {
  Interface* result = nullptr;
  const HRESULT hr = source->QueryInterface(iid, reinterpret_cast<void**>(&result));
  if (FAILED(hr) || result == nullptr) {
    const std::wstring message = MissingWebViewFeatureMessage(feature, hr);
    ShowMessage(message.c_str(), kMissingFeatureCaption, MB_ICONWARNING);
    return nullptr;
  }
  return result;
}

// Hands a new handler to one registration call, then drops our reference:
// WebView2 keeps its own for as long as it needs the handler.
template <typename Handler, typename Register>
void RegisterAndRelease(Handler* handler, Register&& registerHandler) {
  registerHandler(handler);
  handler->Release();
}

void ConfigureSettings(ICoreWebView2* webview) {
  Released<ICoreWebView2Settings> settings;
  if (FAILED(webview->get_Settings(settings.Put())) || !settings) return;
  settings->put_IsScriptEnabled(TRUE);
  settings->put_AreDefaultScriptDialogsEnabled(TRUE);
  settings->put_IsWebMessageEnabled(TRUE);
  settings->put_AreDevToolsEnabled(FALSE);  // F10 opens them in Developer Mode
  settings->put_AreDefaultContextMenusEnabled(TRUE);
  settings->put_IsStatusBarEnabled(FALSE);
}

}  // namespace

void ClientWindow::StartWebView() {
  const std::wstring userData = GetExecutableFolder() + L"\\cache";
  auto* handler = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
      [this](HRESULT result, ICoreWebView2Environment* created) {
        return OnEnvironmentCreated(result, created);
      });
  CreateCoreWebView2EnvironmentWithOptions(nullptr, userData.c_str(), nullptr, handler);
  handler->Release();  // the loader holds its own until it has called back
}

HRESULT ClientWindow::OnEnvironmentCreated(HRESULT, ICoreWebView2Environment* created) {
  if (created == nullptr) return S_OK;
  Hold(environment, created);
  auto* handler = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
      [this](HRESULT result, ICoreWebView2Controller* created) {
        return OnControllerCreated(result, created);
      });
  environment->CreateCoreWebView2Controller(hwnd, handler);
  handler->Release();
  return S_OK;
}

HRESULT ClientWindow::OnControllerCreated(HRESULT, ICoreWebView2Controller* created) {
  if (created == nullptr) return S_OK;
  Hold(controller, created);
  page.reset();
  ReleaseAndClear(webview);
  controller->get_CoreWebView2(&webview);
  if (webview == nullptr) return S_OK;
  page = std::make_unique<CoreWebView2Page>(webview);

  Released<ICoreWebView2Controller2> controller2;
  *controller2.Put() = QueryRequired<ICoreWebView2Controller2>(
      controller, IID_ICoreWebView2Controller2, L"ICoreWebView2Controller2 (background colour)");
  if (!controller2) return S_OK;
  controller2->put_DefaultBackgroundColor(kBackground);

  ConfigureSettings(webview);
  page->AddScriptToExecuteOnDocumentCreated(kPointerLockWatcherScript);

  Released<ICoreWebView2_2> webview2;
  *webview2.Put() = QueryRequired<ICoreWebView2_2>(webview, IID_ICoreWebView2_2,
                                                   L"ICoreWebView2_2 (DOMContentLoaded event)");
  if (!webview2) return S_OK;
  RegisterHandlers(webview2.Get());

  RECT bounds{};
  GetClientRect(hwnd, &bounds);
  controller->put_Bounds(bounds);
  page->Navigate(kGameOrigin);
  return S_OK;
}

void ClientWindow::RegisterHandlers(ICoreWebView2_2* webview2) {
  RegisterAndRelease(MakeHandler<ICoreWebView2DOMContentLoadedEventHandler>(
                         IID_ICoreWebView2DOMContentLoadedEventHandler,
                         [this](ICoreWebView2*, ICoreWebView2DOMContentLoadedEventArgs*) {
                           return OnDOMContentLoaded();
                         }),
                     [&](auto* h) { webview2->add_DOMContentLoaded(h, &eventToken); });
  RegisterAndRelease(MakeHandler<ICoreWebView2WebMessageReceivedEventHandler>(
                         IID_ICoreWebView2WebMessageReceivedEventHandler,
                         [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
                           return OnWebMessageReceived(args);
                         }),
                     [&](auto* h) { webview->add_WebMessageReceived(h, &eventToken); });
  RegisterAndRelease(
      MakeHandler<ICoreWebView2AcceleratorKeyPressedEventHandler>(
          IID_ICoreWebView2AcceleratorKeyPressedEventHandler,
          [this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
            return OnAcceleratorKeyPressed(args);
          }),
      [&](auto* h) { controller->add_AcceleratorKeyPressed(h, &eventToken); });
  AddSwapFilter();
  RegisterAndRelease(MakeHandler<ICoreWebView2WebResourceRequestedEventHandler>(
                         IID_ICoreWebView2WebResourceRequestedEventHandler,
                         [this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
                           return OnWebResourceRequested(args);
                         }),
                     [&](auto* h) { webview->add_WebResourceRequested(h, &eventToken); });
}

// Only requests the swapper can answer are held for the UI thread. Where the
// runtime offers it, the filter also covers workers and frames of other
// origins; the older call sees only the page's own documents.
void ClientWindow::AddSwapFilter() {
  const std::wstring pattern = SwapFilterPattern();
  Released<ICoreWebView2_22> webview22;
  if (SUCCEEDED(webview->QueryInterface(IID_ICoreWebView2_22,
                                        reinterpret_cast<void**>(webview22.Put()))) &&
      webview22) {
    webview22->AddWebResourceRequestedFilterWithRequestSourceKinds(
        pattern.c_str(), COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL,
        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL);
    applog::Write("resource swapper: filter " + WideToUtf8(pattern) +
                  " for pages, workers and frames");
    return;
  }
  webview->AddWebResourceRequestedFilter(pattern.c_str(), COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  applog::Write("resource swapper: filter " + WideToUtf8(pattern) +
                " for the page's own documents only (the runtime has no ICoreWebView2_22)");
}

HRESULT ClientWindow::OnDOMContentLoaded() {
  captureActive = false;  // a new document holds no pointer lock
  if (page) {
    page->ExecuteScript(kLoadObserverScript);
    page->ExecuteScript(kInputListenerScript);
    page->ExecuteScript(kResolutionClampScript);
  }
  if (!RegisterRawMouse(hwnd)) {
    ShowMessage(L"Failed to start raw input", L"Failed start raw input", MB_ICONWARNING);
    exit(1);
  }
  return S_OK;
}

HRESULT ClientWindow::OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
  UINT key = 0;
  INT lParam = 0;
  args->get_VirtualKey(&key);
  args->get_KeyEventLParam(&lParam);
  if (IsKeyRelease(lParam)) RunShortcut(key);
  return S_OK;
}

}  // namespace vantor

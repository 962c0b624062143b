// Bringing the web view up, and back after a crash. Completions and events
// arrive on the UI thread; none lets an exception out (ComHandler).
#include "webhost/web_host_win.h"

#include "common/constants.h"
#include "common/hresult_win.h"
#include "common/log.h"
#include "common/text.h"
#include "webhost/com_handler_win.h"
#include "webhost/missing_feature.h"
#include "webhost/page_scripts.h"

namespace vantor {

namespace {

using Microsoft::WRL::ComPtr;

// Transparent default background: A 0, R 0, G 0, B 255.
constexpr COREWEBVIEW2_COLOR kBackground = {0, 0, 0, 255};

RECT ClientAreaOf(HWND window) {
  RECT bounds{};
  GetClientRect(window, &bounds);
  return bounds;
}

// An HRESULT for a completion that reported success but handed out nothing.
HRESULT FailureOf(HRESULT result) { return FAILED(result) ? result : E_POINTER; }

}  // namespace

void WebHost::Start(HWND parent, std::wstring userDataFolder) {
  parent_ = parent;
  userDataFolder_ = std::move(userDataFolder);
  closed_ = false;
  CreateEnvironment();
}

void WebHost::CreateEnvironment() {
  const unsigned generation = ++generation_;
  ++environmentAttempts_;
  auto handler = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
      [this, generation](HRESULT result, ICoreWebView2Environment* created) {
        if (closed_ || generation != generation_) return S_OK;
        return OnEnvironmentCreated(result, created);
      });
  const HRESULT result = loader_.CreateEnvironment(userDataFolder_.c_str(), handler.Get());
  if (FAILED(result)) {
    OnStartFailed(StartStep::Environment, result, environmentAttempts_,
                  &WebHost::CreateEnvironment);
  }
}

HRESULT WebHost::OnEnvironmentCreated(HRESULT result, ICoreWebView2Environment* created) {
  if (FAILED(result) || created == nullptr) {
    OnStartFailed(StartStep::Environment, FailureOf(result), environmentAttempts_,
                  &WebHost::CreateEnvironment);
    return S_OK;
  }
  environment_ = created;
  CreateController();
  return S_OK;
}

void WebHost::CreateController() {
  const unsigned generation = generation_;
  ++controllerAttempts_;
  auto handler = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
      [this, generation](HRESULT result, ICoreWebView2Controller* created) {
        if (closed_ || generation != generation_) {
          if (created != nullptr) created->Close();  // a start given up meanwhile
          return S_OK;
        }
        return OnControllerCreated(result, created);
      });
  const HRESULT result = environment_->CreateCoreWebView2Controller(parent_, handler.Get());
  if (FAILED(result)) {
    OnStartFailed(StartStep::Controller, result, controllerAttempts_, &WebHost::CreateController);
  }
}

HRESULT WebHost::OnControllerCreated(HRESULT result, ICoreWebView2Controller* created) {
  if (FAILED(result) || created == nullptr) {
    OnStartFailed(StartStep::Controller, FailureOf(result), controllerAttempts_,
                  &WebHost::CreateController);
    return S_OK;
  }
  controller_ = created;
  if (SetUpWebView()) applog::Write("web view ready: navigating to the game");
  return S_OK;
}

bool WebHost::SetUpWebView() {
  const HRESULT got = controller_->get_CoreWebView2(&webview_);
  if (FAILED(got) || !webview_) {
    const HRESULT error = FailureOf(got);
    Succeeded(error, StartStepName(StartStep::WebView), "telling the player and ending");
    Fail(DecideStartFailure(StartStep::WebView, static_cast<std::uint32_t>(error), 1,
                            userDataFolder_)
             .message,
         kStartFailureCaption, kStartFailureExitCode);
    return false;
  }
  ComPtr<ICoreWebView2Controller2> controller2;
  if (!Require(QueryFor(controller_, IID_ICoreWebView2Controller2, controller2),
               "Asking for ICoreWebView2Controller2",
               L"ICoreWebView2Controller2 (background colour)")) {
    return false;
  }
  Succeeded(controller2->put_DefaultBackgroundColor(kBackground), "Setting the background colour",
            "the default colour stays");
  ConfigureSettings();
  Succeeded(webview_->AddScriptToExecuteOnDocumentCreated(kPointerLockWatcherScript, nullptr),
            "Adding the pointer-lock watcher", "the raw mouse never starts");

  if (!Require(QueryFor(webview_, IID_ICoreWebView2_2, webview2_), "Asking for ICoreWebView2_2",
               L"ICoreWebView2_2 (DOMContentLoaded event)")) {
    return false;
  }
  RegisterHandlers(webview2_.Get());
  Resize(ClientAreaOf(parent_));
  Navigate(kGameOrigin);
  return true;
}

bool WebHost::Require(HRESULT queried, const char* what, const wchar_t* feature) {
  if (Succeeded(queried, what, "telling the player and ending")) return true;
  Fail(MissingWebViewFeatureMessage(feature, static_cast<std::int32_t>(queried)),
       kMissingFeatureCaption, kStartFailureExitCode);
  return false;
}

void WebHost::ConfigureSettings() {
  ComPtr<ICoreWebView2Settings> settings;
  if (!Succeeded(webview_->get_Settings(&settings), "Reading the web view's settings",
                 "the runtime's defaults stay") ||
      !settings) {
    return;
  }
  constexpr char kKept[] = "the runtime's default stays";
  Succeeded(settings->put_IsScriptEnabled(TRUE), "Enabling scripts", kKept);
  Succeeded(settings->put_AreDefaultScriptDialogsEnabled(TRUE), "Enabling script dialogs", kKept);
  Succeeded(settings->put_IsWebMessageEnabled(TRUE), "Enabling web messages", kKept);
  // F10 opens them in Developer Mode.
  Succeeded(settings->put_AreDevToolsEnabled(FALSE), "Disabling the developer tools", kKept);
  Succeeded(settings->put_AreDefaultContextMenusEnabled(TRUE), "Enabling context menus", kKept);
  Succeeded(settings->put_IsStatusBarEnabled(FALSE), "Hiding the status bar", kKept);
}

void WebHost::OnStartFailed(StartStep step, HRESULT result, int attempts,
                            void (WebHost::*retry)()) {
  const StartFailureDecision decision =
      DecideStartFailure(step, static_cast<std::uint32_t>(result), attempts, userDataFolder_);
  Succeeded(result, StartStepName(step),
            decision.retry ? "trying once more" : "telling the player and ending");
  if (decision.retry) {
    // From the message loop, not from inside the failed call's completion.
    post_([this, retry] {
      if (!closed_) (this->*retry)();
    });
    return;
  }
  Fail(decision.message, kStartFailureCaption, kStartFailureExitCode);
}

void WebHost::Fail(const std::wstring& message, const wchar_t* caption, int exitCode) {
  ++generation_;  // nothing still under way counts any more
  if (failed_) return;
  failed_ = true;
  events_.CloseQuestion();  // the ending's box stands alone
  events_.OnWebHostFailed(message, caption, exitCode);
}

void WebHost::Resize(const RECT& bounds) {
  if (controller_) {
    Succeeded(controller_->put_Bounds(bounds), "Resizing the web view", "it keeps its size");
  }
}

void WebHost::ForgetNavigations() {
  retryClock_.Disarm();
  retry_.PageGone();
  gameNavigation_ = 0;
  ownPageDocument_ = false;
}

void WebHost::Close() {
  closed_ = true;
  ++generation_;
  ForgetNavigations();
  RemoveHandlers();
  if (controller_) Succeeded(controller_->Close(), "Closing the web view", "releasing it anyway");
  ReleaseAll();
}

void WebHost::ReleaseAll() {
  webview2_.Reset();
  webview_.Reset();
  controller_.Reset();
  environment_.Reset();
}

// The browser process is gone with everything it held: the same window gets
// a new environment, controller and web view, set up as at start.
void WebHost::Recreate() {
  if (closed_) return;
  ForgetNavigations();  // the new web view navigates to the game itself
  RemoveHandlers();
  if (controller_) Succeeded(controller_->Close(), "Closing the failed web view", "recreating");
  ReleaseAll();
  environmentAttempts_ = controllerAttempts_ = 0;
  CreateEnvironment();
}

void WebHost::Navigate(const std::wstring& uri) {
  if (webview_) Succeeded(webview_->Navigate(uri.c_str()), "Navigating", "the page stays");
}

void WebHost::Reload() {
  if (retry_.OwnPageUp()) {
    TryGameAgain("asked to reload");
    return;
  }
  if (webview_) Succeeded(webview_->Reload(), "Reloading", "the page stays");
}

void WebHost::OpenDevTools() {
  if (webview_) {
    Succeeded(webview_->OpenDevToolsWindow(), "Opening the developer tools", "none open");
  }
}

void WebHost::RunScript(const std::wstring& script) {
  if (webview_) {
    Succeeded(webview_->ExecuteScript(script.c_str(), nullptr), "Running a page script",
              "the page goes on without it");
  }
}

void WebHost::PostJson(const wchar_t* json) noexcept {
  // The mouse path: a message the page cannot take is dropped, unlogged.
  if (webview_) webview_->PostWebMessageAsJson(json);
}

}  // namespace vantor

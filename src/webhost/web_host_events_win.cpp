// The handlers the web host registers, and what each event becomes.
#include "common/co_task_string_win.h"
#include "common/constants.h"
#include "common/game_origin.h"
#include "common/hresult_win.h"
#include "common/log.h"
#include "input/shortcut_keys.h"
#include "webhost/com_handler_win.h"
#include "webhost/page_scripts.h"
#include "webhost/web_host_win.h"

namespace vantor {

namespace {

using Microsoft::WRL::ComPtr;
using Removals = std::vector<std::function<void()>>;

// Registers a new handler for one event of `source` and keeps the way to
// remove it again with its token.
template <typename Handler, typename Source, typename Function>
void AddHandler(Source* source,
                HRESULT (STDMETHODCALLTYPE Source::*add)(Handler*, EventRegistrationToken*),
                HRESULT (STDMETHODCALLTYPE Source::*remove)(EventRegistrationToken), REFIID iid,
                const char* event, Function&& function, Removals& removals) {
  auto handler = MakeHandler<Handler>(iid, std::forward<Function>(function));
  EventRegistrationToken token{};
  if (!Succeeded((source->*add)(handler.Get(), &token), event, "that event goes unheard")) {
    return;
  }
  ComPtr<Source> held(source);
  removals.push_back([held, remove, token, event] {
    Succeeded((held.Get()->*remove)(token), event, "the runtime drops it at close");
  });
}

}  // namespace

void WebHost::RegisterHandlers(ICoreWebView2_2* webview2) {
  AddHandler(
      webview2, &ICoreWebView2_2::add_DOMContentLoaded, &ICoreWebView2_2::remove_DOMContentLoaded,
      IID_ICoreWebView2DOMContentLoadedEventHandler, "DOMContentLoaded handler",
      [this](ICoreWebView2*, ICoreWebView2DOMContentLoadedEventArgs*) {
        return OnDocumentLoaded();
      },
      removals_);
  AddHandler(
      webview_.Get(), &ICoreWebView2::add_WebMessageReceived,
      &ICoreWebView2::remove_WebMessageReceived, IID_ICoreWebView2WebMessageReceivedEventHandler,
      "WebMessageReceived handler",
      [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
        return OnWebMessageReceived(args);
      },
      removals_);
  AddHandler(
      controller_.Get(), &ICoreWebView2Controller::add_AcceleratorKeyPressed,
      &ICoreWebView2Controller::remove_AcceleratorKeyPressed,
      IID_ICoreWebView2AcceleratorKeyPressedEventHandler, "AcceleratorKeyPressed handler",
      [this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
        return OnAcceleratorKeyPressed(args);
      },
      removals_);
  AddSwapFilter();
  AddHandler(
      webview_.Get(), &ICoreWebView2::add_WebResourceRequested,
      &ICoreWebView2::remove_WebResourceRequested,
      IID_ICoreWebView2WebResourceRequestedEventHandler, "WebResourceRequested handler",
      [this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
        return OnWebResourceRequested(args);
      },
      removals_);
  AddHandler(
      webview_.Get(), &ICoreWebView2::add_ProcessFailed, &ICoreWebView2::remove_ProcessFailed,
      IID_ICoreWebView2ProcessFailedEventHandler, "ProcessFailed handler",
      [this](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
        return OnProcessFailed(args);
      },
      removals_);
  AddHandler(
      webview_.Get(), &ICoreWebView2::add_NavigationStarting,
      &ICoreWebView2::remove_NavigationStarting, IID_ICoreWebView2NavigationStartingEventHandler,
      "NavigationStarting handler",
      [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
        return OnNavigationStarting(args);
      },
      removals_);
  AddHandler(
      webview_.Get(), &ICoreWebView2::add_NavigationCompleted,
      &ICoreWebView2::remove_NavigationCompleted, IID_ICoreWebView2NavigationCompletedEventHandler,
      "NavigationCompleted handler",
      [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
        return OnNavigationCompleted(args);
      },
      removals_);
}

void WebHost::RemoveHandlers() {
  Removals removals = std::move(removals_);
  removals_.clear();
  for (auto& remove : removals) remove();
}

HRESULT WebHost::OnDocumentLoaded() {
  // Vantor's own page holds none of the game's elements the scripts expect.
  if (ownPageDocument_) {
    events_.OnDocumentLoaded();
    return S_OK;
  }
  RunScript(kLoadObserverScript);
  RunScript(kInputListenerScript);
  RunScript(kResolutionClampScript);
  events_.OnDocumentLoaded();
  return S_OK;
}

HRESULT WebHost::OnWebMessageReceived(ICoreWebView2WebMessageReceivedEventArgs* args) {
  CoTaskString source;
  CoTaskString text;
  // Anything but a string, or a document whose address is unknown, is ignored.
  // The text itself is never logged: a page could fill the disk with it.
  if (FAILED(args->get_Source(source.Put())) || source.Empty()) return S_OK;
  if (FAILED(args->TryGetWebMessageAsString(text.Put())) || text.Empty()) return S_OK;
  events_.OnPageMessage(source.View(), text.View());
  return S_OK;
}

HRESULT WebHost::OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
  UINT key = 0;
  INT lParam = 0;
  if (FAILED(args->get_VirtualKey(&key)) || FAILED(args->get_KeyEventLParam(&lParam))) {
    return S_OK;
  }
  if (IsKeyRelease(lParam)) events_.OnShortcutReleased(key);
  return S_OK;
}

HRESULT WebHost::OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args) {
  if (closed_ || failed_) return S_OK;
  COREWEBVIEW2_PROCESS_FAILED_KIND kind{};
  if (!Succeeded(args->get_ProcessFailedKind(&kind), "Reading a process failure",
                 "treating it as the browser's")) {
    kind = COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED;
  }
  const int failedKind = static_cast<int>(kind);
  const bool wasAsking = recovery_.Asking();
  const RecoveryAction action =
      recovery_.Decide(failedKind, static_cast<std::int64_t>(GetTickCount64()));
  applog::Write(DescribeRecovery(failedKind, action));
  // A crash ends the question about the stuck page before anything else.
  if (wasAsking && !recovery_.Asking()) events_.CloseQuestion();
  switch (action) {
    case RecoveryAction::None:
      break;
    case RecoveryAction::Reload:
      events_.OnPageLost();
      Reload();
      break;
    case RecoveryAction::Recreate:
      events_.OnPageLost();
      // Not inside the failed web view's own event.
      post_([this] { Recreate(); });
      break;
    case RecoveryAction::AskPlayer:
      events_.OnPageLost();  // the mouse is free while the page is stuck
      post_([this] { AskAboutStuckPage(); });
      break;
    case RecoveryAction::GiveUp:
      events_.OnPageLost();
      Fail(CrashLoopMessage(applog::Path().wstring()), kCrashLoopCaption, kCrashLoopExitCode);
      // Stopped: no handler is left to report the next failure. Not inside
      // the failed web view's own event.
      post_([this] { Close(); });
      break;
  }
  return S_OK;
}

HRESULT WebHost::OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args) {
  CoTaskString uri;
  UINT64 id = 0;
  if (FAILED(args->get_Uri(uri.Put())) || FAILED(args->get_NavigationId(&id))) return S_OK;
  // Only the main document's navigations to the game; a try, the player's
  // F4/F5/F6 and "Try now" alike. No try is due while one runs.
  const bool toGame = IsGameUri(uri.View());
  if (toGame) {
    gameNavigation_ = id;
    retry_.Started();
    retryClock_.Disarm();
  }
  ownPageDocument_ = !toGame && retry_.OwnPageUp();
  return S_OK;
}

HRESULT WebHost::OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args) {
  UINT64 id = 0;
  BOOL success = FALSE;
  if (closed_ || failed_ || FAILED(args->get_NavigationId(&id)) || id != gameNavigation_ ||
      gameNavigation_ == 0 || FAILED(args->get_IsSuccess(&success))) {
    return S_OK;
  }
  gameNavigation_ = 0;
  if (success) {
    if (retry_.Loaded()) applog::Write("the game loaded again");
    return S_OK;
  }
  COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  args->get_WebErrorStatus(&status);
  const int code = static_cast<int>(status);
  const auto reason = GameUnreachableReason(code);
  applog::Write("the game's page did not load: " + WebErrorStatusName(code) +
                (reason ? "" : "; nothing to do"));
  if (reason) ShowUnreachablePage(*reason, retry_.Failed());
  return S_OK;
}

void WebHost::ShowUnreachablePage(UnreachableReason reason, int pauseMilliseconds) {
  if (!webview_) return;
  Succeeded(webview_->NavigateToString(UnreachablePage(reason, pauseMilliseconds / 1000).c_str()),
            "Showing Vantor's page for an unreachable game", "the runtime's error page stays");
  retryClock_.Arm(static_cast<unsigned>(pauseMilliseconds));
  applog::Write("trying the game again in " + std::to_string(pauseMilliseconds / 1000) + " s");
}

void WebHost::TryGameAgain(const char* why) {
  if (closed_ || failed_ || !webview_ || !retry_.TryNow()) return;
  applog::Write(std::string("trying the game again: ") + why);
  Navigate(kGameOrigin);
}

void WebHost::AskAboutStuckPage() {
  if (closed_ || failed_ || !recovery_.Asking()) return;  // over before it was asked
  const int page = recovery_.Page();
  bool answeredAgain = false;
  const std::optional<bool> reload = events_.AskWhetherToReload([this, &answeredAgain] {
    answeredAgain = recovery_.QuestionOutlived(static_cast<std::int64_t>(GetTickCount64()));
    return answeredAgain;
  });
  if (answeredAgain) {
    applog::Write("the page answered again: the question closed by itself");
    return;
  }
  switch (recovery_.Answered(reload.value_or(false), page)) {
    case StuckPageAnswer::Stale:
      applog::Write(
          "the player's answer came after the page was reloaded or made anew: "
          "nothing to do");
      break;
    case StuckPageAnswer::Wait:
      applog::Write("the player chose to wait");
      break;
    case StuckPageAnswer::Reload:
      applog::Write("the player chose to reload the page");
      if (!closed_ && !failed_) {
        events_.OnPageLost();
        Reload();
      }
      break;
  }
}

}  // namespace vantor

#pragma once

#include <wrl/client.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "webhost/game_reachability.h"
#include "webhost/recovery.h"
#include "webhost/retry_clock_win.h"
#include "webhost/webview2_loader_win.h"
#include "webhost/webview2_win.h"

namespace vantor {

// What the web host reports to its owner. Called from WebView2 handlers on
// the UI thread: an owner posts anything it shows to the player.
class WebHostEvents {
 public:
  virtual ~WebHostEvents() = default;
  virtual void OnPageMessage(std::wstring_view sourceUri, std::wstring_view text) = 0;
  virtual void OnShortcutReleased(unsigned virtualKey) = 0;
  // A new document in the page: it holds no pointer lock yet.
  virtual void OnDocumentLoaded() = 0;
  // The page is gone for now (a crash being recovered): release the mouse.
  virtual void OnPageLost() = 0;
  // The web view cannot be brought (back) up: tell the player, then end.
  virtual void OnWebHostFailed(const std::wstring& message, const std::wstring& caption,
                               int exitCode) = 0;
  // The page has not answered for a while: true when the player wants it
  // reloaded. Called from a posted task, never inside a WebView2 event. The
  // question closes unanswered (nothing returned) once `answeredAgain` says
  // so, or at CloseQuestion.
  virtual std::optional<bool> AskWhetherToReload(const std::function<bool()>& answeredAgain) = 0;
  // A crash, a new web view or an ending comes before the answer.
  virtual void CloseQuestion() = 0;
};

// The game's web view in the main window: the WebView2 environment,
// controller and web view, the handlers registered on them and their tokens,
// the scripts every document gets, the resource swapper and crash recovery.
class WebHost {
 public:
  // `post` runs work later on the UI thread, outside any WebView2 callback.
  using Post = std::function<void(std::function<void()>)>;
  WebHost(const WebViewLoader& loader, WebHostEvents& events, Post post)
      : loader_(loader),
        events_(events),
        post_(std::move(post)),
        retryClock_([this](const char* why) { TryGameAgain(why); }) {}
  ~WebHost() { Close(); }
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  // Starts creating the web view in `parent`, with its browser data in
  // `userDataFolder`; the rest follows in completions.
  void Start(HWND parent, std::wstring userDataFolder);
  // Removes every handler, closes the controller and lets go of everything.
  void Close();
  bool Ready() const { return webview_ != nullptr; }

  void Resize(const RECT& bounds);
  // Calls into the page; each does nothing until the web view exists.
  void Navigate(const std::wstring& uri);
  // The page again; on Vantor's own page (the game could not be reached),
  // the game instead.
  void Reload();
  void OpenDevTools();
  void RunScript(const std::wstring& script);
  // At the mouse's report rate: a failure is not logged.
  void PostJson(const wchar_t* json) noexcept;

 private:
  void CreateEnvironment();
  HRESULT OnEnvironmentCreated(HRESULT result, ICoreWebView2Environment* created);
  void CreateController();
  HRESULT OnControllerCreated(HRESULT result, ICoreWebView2Controller* created);
  bool SetUpWebView();
  // An interface the set-up cannot go without: when the runtime lacks it,
  // the player is told which, and the program ends.
  bool Require(HRESULT queried, const char* what, const wchar_t* feature);
  void ConfigureSettings();
  void RegisterHandlers(ICoreWebView2_2* webview2);
  void AddSwapFilter();
  void RemoveHandlers();
  void ReleaseAll();
  // A step failed: retry once where that helps, otherwise tell and end.
  void OnStartFailed(StartStep step, HRESULT result, int attempts, void (WebHost::*retry)());
  void Fail(const std::wstring& message, const wchar_t* caption, int exitCode);

  HRESULT OnDocumentLoaded();
  HRESULT OnWebMessageReceived(ICoreWebView2WebMessageReceivedEventArgs* args);
  HRESULT OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
  HRESULT OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args);
  HRESULT OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args);
  HRESULT OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args);
  HRESULT OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args);
  // The game could not be reached: Vantor's page until the next try.
  void ShowUnreachablePage(UnreachableReason reason, int pauseMilliseconds);
  void TryGameAgain(const char* why);
  // Nothing is due for a page that goes.
  void ForgetNavigations();
  void AskAboutStuckPage();
  void Recreate();

  const WebViewLoader& loader_;
  WebHostEvents& events_;
  Post post_;
  unsigned generation_ = 0;  // completions of an abandoned start are ignored
  HWND parent_ = nullptr;
  std::wstring userDataFolder_;
  int environmentAttempts_ = 0;
  int controllerAttempts_ = 0;
  bool closed_ = false;
  bool failed_ = false;  // the player was told it cannot go on: once, ever
  CrashRecovery recovery_;
  // Who decides the next try at the game once it could not be reached.
  GameRetry retry_;
  UINT64 gameNavigation_ = 0;     // the main document's navigation to the game, while it runs
  bool ownPageDocument_ = false;  // the document loading is Vantor's own page

  Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment_;
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller_;
  Microsoft::WRL::ComPtr<ICoreWebView2> webview_;
  Microsoft::WRL::ComPtr<ICoreWebView2_2> webview2_;
  // One per registered handler: removes it with the token it was given.
  std::vector<std::function<void()>> removals_;
  // Last: its reports reach the members above.
  RetryClock retryClock_;
};

}  // namespace vantor

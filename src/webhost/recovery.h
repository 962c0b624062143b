#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace vantor {

// --- start-up -------------------------------------------------------------------

// The steps of bringing the web view up, each of which can fail.
enum class StartStep {
  Environment,  // CreateCoreWebView2EnvironmentWithOptions and its completion
  Controller,   // CreateCoreWebView2Controller and its completion
  WebView,      // the controller's web view and the interfaces the set-up needs
};

// The step as the log names it: "Creating the WebView2 environment".
const char* StartStepName(StartStep step);

struct StartFailureDecision {
  bool retry = false;    // try the same step once more
  std::wstring message;  // otherwise: what the player reads before the program ends
};

inline constexpr std::uint32_t kErrorAbort = 0x80004004;         // E_ABORT
inline constexpr std::uint32_t kErrorAccessDenied = 0x80070005;  // E_ACCESSDENIED
inline constexpr std::uint32_t kErrorFileNotFound = 0x80070002;  // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kErrorInvalidState = 0x8007139F;  // ERROR_INVALID_STATE
inline constexpr std::uint32_t kErrorNoInterface = 0x80004002;   // E_NOINTERFACE

// What to do after `step` failed with `error` on its `attempt`-th try (1 or
// more). The runtime aborts a creation while it updates itself or while its
// browser process is being replaced; one more try then usually works.
StartFailureDecision DecideStartFailure(StartStep step, std::uint32_t error, int attempt,
                                        const std::wstring& userDataFolder);

inline constexpr wchar_t kStartFailureCaption[] = L"Vantor could not start the game";
// The exit code of a start that failed: the window never showed the game.
inline constexpr int kStartFailureExitCode = 2;

// --- crashes --------------------------------------------------------------------

// COREWEBVIEW2_PROCESS_FAILED_KIND, as the runtime reports it.
enum class ProcessFailedKind : int {
  BrowserProcessExited = 0,
  RenderProcessExited = 1,
  RenderProcessUnresponsive = 2,
  FrameRenderProcessExited = 3,
  UtilityProcessExited = 4,
  SandboxHelperProcessExited = 5,
  GpuProcessExited = 6,
};

enum class RecoveryAction {
  None,       // the runtime recovers by itself (a frame, the GPU, a helper), or a
              // renderer is slow to answer: wait
  Reload,     // the page's renderer died: load the page again
  Recreate,   // the browser is gone: environment, controller and web view anew
  GiveUp,     // too many in a row: tell the player and end
  AskPlayer,  // the renderer has not answered for a while: reload, or wait?
};

// How long a renderer may go on not answering before the player is asked;
// the runtime repeats its report every few seconds while it does.
inline constexpr std::int64_t kUnresponsiveAskAfterMilliseconds = 10000;
// A pause in the reports this long means the renderer answered again. Longer
// than the ask period, so that reports that come slowly still add up to a
// question, and well above the runtime's "every few seconds".
inline constexpr std::int64_t kUnresponsiveQuietMilliseconds = 15000;

// What becomes of the player's answer to the question about a stuck page.
enum class StuckPageAnswer {
  Reload,  // load the page again
  Wait,    // leave it; ask again after another run of reports
  Stale,   // the page was reloaded or made anew meanwhile: nothing to do
};

// Decides each failure of the browser's processes; bounds a crash loop to
// `maxRecoveries` recoveries within `windowMilliseconds`. A renderer that
// stops answering is waited for: a passing hitch must not end a match.
class CrashRecovery {
 public:
  explicit CrashRecovery(int maxRecoveries = 3, std::int64_t windowMilliseconds = 60000)
      : max_(maxRecoveries), window_(windowMilliseconds) {}

  // Reload, Recreate and GiveUp while the question is up (Asking) end it:
  // the caller closes it first.
  RecoveryAction Decide(int failedKind, std::int64_t nowMilliseconds);
  bool Asking() const { return asking_; }
  // The page the question is about; a reload or a new web view is another.
  int Page() const { return page_; }
  // True once, when the question is up and the reports have stopped for the
  // quiet period: the page answered again, and the question closes as if
  // "Wait" were pressed.
  bool QuestionOutlived(std::int64_t nowMilliseconds);
  // The player's answer to the question asked about `page`: reload, or wait
  // (also when the question was closed unanswered). A new run of reports is
  // asked about after its own ask period; the answer is no report.
  StuckPageAnswer Answered(bool reload, int page);

 private:
  RecoveryAction DecideUnresponsive(std::int64_t now);
  void NewPage();

  int max_;
  std::int64_t window_;
  std::deque<std::int64_t> recent_;
  std::int64_t stuckSince_ = -1;  // the first report of the current run of reports
  std::int64_t lastStuckReport_ = -1;
  bool asking_ = false;
  int page_ = 0;
};

// What the player reads when recovery gave up.
std::wstring CrashLoopMessage(const std::wstring& logPath);
inline constexpr wchar_t kCrashLoopCaption[] = L"Vantor stopped the game's browser";
inline constexpr int kCrashLoopExitCode = 3;

// Log lines: "render process exited: reloading the page".
std::string DescribeRecovery(int failedKind, RecoveryAction action);

}  // namespace vantor
